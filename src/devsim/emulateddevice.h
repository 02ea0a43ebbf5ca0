#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace tirvela::devsim {

// What an emulated device does with bytes that reached it.
struct Reaction
{
    QByteArray reply;       // sent back on the line
    int replyDelayMs = 0;   // how long the device takes before the reply goes out
    bool closeLine = false; // the device drops the line (after sending the reply)
};

// A device on the far end of the serial line: it is handed the bytes as they arrive, together with
// the line speed the computer set while sending them.
class EmulatedDevice
{
public:
    virtual ~EmulatedDevice() = default;
    virtual Reaction receive(QByteArrayView bytes, int lineSpeed) = 0;
    // The line is going away: a chance to keep what the device holds.
    virtual void shutDown() {}
};

} // namespace tirvela::devsim
