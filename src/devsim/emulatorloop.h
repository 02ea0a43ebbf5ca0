#pragma once

#include "devsim/emulateddevice.h"
#include "devsim/ptylink.h"

#include <atomic>
#include <chrono>

namespace tirvela::devsim {

// Carries bytes between the pseudo-terminal and an emulated device. With wire time on, bytes take
// as long as the line speed the program set needs for them (ten bits a byte) in both directions.
class EmulatorLoop
{
public:
    struct Traffic
    {
        qint64 bytesReceived = 0;
        qint64 bytesSent = 0;
        double wireSeconds = 0; // what the bytes of both directions need at their line speeds
    };

    EmulatorLoop(PtyLink &link, EmulatedDevice &device, bool wireTime);
    ~EmulatorLoop();
    EmulatorLoop(const EmulatorLoop &) = delete;
    EmulatorLoop &operator=(const EmulatorLoop &) = delete;

    bool isReady() const { return mWake >= 0; }

    // Holds every reply this long once the line has carried it, as a USB serial adapter holds
    // received bytes until its latency timer runs out (16 ms by default on the common chips).
    void setReplyLatency(int ms) { mReplyLatency = std::chrono::milliseconds(ms); }

    // Serves the line until stop() is called or the device drops the line; what has already
    // arrived when stop() is called is still handed to the device.
    void run();
    // May be called from any thread and from a signal handler.
    void stop();

    // Safe to read once run() has returned.
    Traffic traffic() const { return mTraffic; }

private:
    using Clock = std::chrono::steady_clock;

    static Clock::duration wireDuration(qint64 bytes, int lineSpeed);
    bool sendReply(const QByteArray &reply, int lineSpeed);

    PtyLink &mLink;
    EmulatedDevice &mDevice;
    const bool mWireTime;
    std::chrono::milliseconds mReplyLatency{0};
    int mWake = -1;
    Traffic mTraffic;
    Clock::time_point mReceiveFreeAt;
    Clock::time_point mSendFreeAt;
};

} // namespace tirvela::devsim
