#include "devsim/blinkerframes.h"

#include "common/crc16.h"

namespace tirvela::devsim {

namespace {

constexpr qsizetype kRouteNumberSize = 9;
constexpr qsizetype kProgrammingSize = 75;
constexpr char kMark = '\xFF';

quint8 headerSum(QByteArrayView frame)
{
    quint8 sum = 0;
    for (qsizetype i = 1; i <= 6; ++i)
        sum = quint8(sum + quint8(frame[i]));
    return sum;
}

// The frame length the two leading bytes announce, or 0 when they start no frame.
qsizetype announcedLength(QByteArrayView head)
{
    if (head[1] == '\x0D')
        return kRouteNumberSize;
    if (head[1] == 'P')
        return kProgrammingSize;
    return 0;
}

bool wellFormed(QByteArrayView frame)
{
    if (frame.size() == kRouteNumberSize)
        return frame[2] == '\xAF' && frame[8] == kMark;
    return frame.sliced(1, 4) == QByteArrayView("PR2\0", 4) && frame[8] == kMark;
}

} // namespace

QList<BlinkerFrame> BlinkerFrameParser::feed(QByteArrayView bytes)
{
    mPending.append(bytes);
    QList<BlinkerFrame> frames;
    QByteArray junk;
    for (;;) {
        const qsizetype start = mPending.indexOf(kMark);
        junk += start < 0 ? mPending : mPending.first(start);
        mPending.remove(0, start < 0 ? mPending.size() : start);
        if (mPending.size() < 2)
            break;
        const qsizetype length = announcedLength(mPending);
        if (length > 0 && mPending.size() < length)
            break;
        if (length == 0 || !wellFormed(QByteArrayView(mPending).first(length))) {
            junk += mPending.front();
            mPending.remove(0, 1);
            continue;
        }
        if (!junk.isEmpty())
            frames.append({BlinkerFrame::Unrecognised, std::exchange(junk, {})});
        frames.append({length == kRouteNumberSize ? BlinkerFrame::RouteNumber : BlinkerFrame::Programming,
                       mPending.first(length)});
        mPending.remove(0, length);
    }
    if (!junk.isEmpty())
        frames.append({BlinkerFrame::Unrecognised, junk});
    return frames;
}

RouteNumberContent readRouteNumberFrame(QByteArrayView frame)
{
    RouteNumberContent content;
    if (frame.size() != kRouteNumberSize)
        return content;
    content.checksumOk = headerSum(frame) == quint8(frame[7]);
    content.text = QByteArray(1, frame[6]) + frame[5] + frame[4];
    return content;
}

ProgrammingContent readProgrammingFrame(QByteArrayView frame)
{
    ProgrammingContent content;
    if (frame.size() != kProgrammingSize)
        return content;
    content.headerOk = headerSum(frame) == quint8(frame[7]);
    content.boardId = quint8(frame[5]);
    content.chunk = quint8(frame[6]);
    content.data = frame.sliced(9, 64);
    const quint16 crc = quint16(quint8(frame[73]) << 8 | quint8(frame[74]));
    content.dataOk = crc16Xmodem(0, content.data) == crc;
    return content;
}

} // namespace tirvela::devsim
