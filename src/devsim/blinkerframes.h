#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace tirvela::devsim {

// A stretch of the byte stream the route-number board received, cut at frame boundaries.
struct BlinkerFrame
{
    enum Kind {
        RouteNumber,  // 9 bytes: FF 0D ...  FF
        Programming,  // 75 bytes: FF "PR2" 00 ... FF, 64 data bytes and their CRC
        Unrecognised, // bytes that start no frame
    };

    Kind kind;
    QByteArray bytes;
};

// Cuts the byte stream into frames, whatever bytes it is fed and however they are split.
// A frame is recognised by its fixed bytes; its checksums are checked by the readers below.
class BlinkerFrameParser
{
public:
    // The frames that the bytes complete, in order; an incomplete frame waits for more bytes.
    QList<BlinkerFrame> feed(QByteArrayView bytes);

private:
    QByteArray mPending;
};

struct RouteNumberContent
{
    bool checksumOk = false;
    QByteArray text; // the three characters in typing order, blanks included
};

// Reads a RouteNumber frame (9 bytes).
RouteNumberContent readRouteNumberFrame(QByteArrayView frame);

struct ProgrammingContent
{
    bool headerOk = false; // the sum of bytes 1 to 6
    bool dataOk = false;   // the CRC of the 64 data bytes
    int boardId = 0;
    int chunk = 0;
    QByteArrayView data;   // into the frame
};

// Reads a Programming frame (75 bytes).
ProgrammingContent readProgrammingFrame(QByteArrayView frame);

} // namespace tirvela::devsim
