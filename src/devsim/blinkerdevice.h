#pragma once

#include "devsim/blinkerframes.h"
#include "devsim/emulateddevice.h"

#include <QString>

#include <bitset>
#include <map>

namespace tirvela {
class MessageLog;
}

namespace tirvela::devsim {

struct BlinkerFaults
{
    int closeAtFrame = -1; // drops the line when this programming frame (counted from 0) arrives
};

// The route-number board: shows the route numbers it is sent and reassembles the three board
// memory images from the programming frames, checking both frame checksums and each image's CRC.
// It answers nothing.
class BlinkerDevice : public EmulatedDevice
{
public:
    static constexpr int kLineSpeed = 4800;
    static constexpr int kImageSize = 8192;
    static constexpr int kChunks = 128;

    struct RouteNumber
    {
        QByteArray frame;
        QByteArray text; // in typing order, trailing blanks dropped
        int lineSpeed;
    };

    struct BoardMemory
    {
        QByteArray image = QByteArray(kImageSize, '\xFF');
        std::bitset<kChunks> chunks;
        int completions = 0; // how often all 128 chunks were in
        bool crcOk = false;  // of the last completed image
    };

    BlinkerDevice(const BlinkerFaults &faults, MessageLog &log, const QString &imagesFolder = {});

    Reaction receive(QByteArrayView bytes, int lineSpeed) override;

    const QList<RouteNumber> &routeNumbers() const { return mRouteNumbers; }
    // Board memories by board id.
    const std::map<int, BoardMemory> &boards() const { return mBoards; }
    int framesRejected() const { return mFramesRejected; }
    // The line speeds the programming frames arrived at.
    const QList<int> &programmingSpeeds() const { return mProgrammingSpeeds; }

private:
    void takeRouteNumber(const QByteArray &frame, int lineSpeed);
    // False when the device drops the line at this frame.
    bool takeProgramming(const QByteArray &frame, int lineSpeed);
    void completeImage(int boardId, BoardMemory &board);

    const BlinkerFaults mFaults;
    MessageLog &mLog;
    const QString mImagesFolder;
    BlinkerFrameParser mParser;
    QList<RouteNumber> mRouteNumbers;
    std::map<int, BoardMemory> mBoards;
    QList<int> mProgrammingSpeeds;
    int mProgrammingFrames = 0;
    int mFramesRejected = 0;
};

} // namespace tirvela::devsim
