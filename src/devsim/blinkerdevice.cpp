#include "devsim/blinkerdevice.h"

#include "common/messagelog.h"
#include "common/cp1251.h"
#include "common/crc16.h"
#include "common/savefile.h"

#include <QDir>

namespace tirvela::devsim {

namespace {

QString hexBytes(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes.toByteArray().toHex(' '));
}

QString speedNote(int lineSpeed)
{
    return lineSpeed == BlinkerDevice::kLineSpeed
               ? QString()
               : QStringLiteral(" (the board listens at %1 baud: it would see noise)").arg(BlinkerDevice::kLineSpeed);
}

} // namespace

BlinkerDevice::BlinkerDevice(const BlinkerFaults &faults, MessageLog &log, const QString &imagesFolder)
    : mFaults(faults), mLog(log), mImagesFolder(imagesFolder)
{
}

Reaction BlinkerDevice::receive(QByteArrayView bytes, int lineSpeed)
{
    Reaction reaction;
    for (const BlinkerFrame &frame : mParser.feed(bytes)) {
        switch (frame.kind) {
        case BlinkerFrame::RouteNumber:
            takeRouteNumber(frame.bytes, lineSpeed);
            break;
        case BlinkerFrame::Programming:
            if (!takeProgramming(frame.bytes, lineSpeed)) {
                reaction.closeLine = true;
                return reaction;
            }
            break;
        case BlinkerFrame::Unrecognised:
            mLog.logMessage(QStringLiteral("%1 baud: %2 bytes that start no frame: %3")
                                .arg(lineSpeed)
                                .arg(frame.bytes.size())
                                .arg(hexBytes(QByteArrayView(frame.bytes).first(qMin<qsizetype>(frame.bytes.size(), 16)))));
            break;
        }
    }
    return reaction;
}

void BlinkerDevice::takeRouteNumber(const QByteArray &frame, int lineSpeed)
{
    const RouteNumberContent content = readRouteNumberFrame(frame);
    if (!content.checksumOk) {
        ++mFramesRejected;
        mLog.logMessage(QStringLiteral("%1 baud: route number frame %2: wrong checksum").arg(lineSpeed).arg(hexBytes(frame)));
        return;
    }
    QByteArray text = content.text;
    while (text.endsWith(' '))
        text.chop(1);
    mRouteNumbers.append({frame, text, lineSpeed});
    mLog.logMessage(QStringLiteral("%1 baud: route number \"%2\" (frame %3)%4")
                        .arg(lineSpeed)
                        .arg(fromCp1251(text), hexBytes(frame), speedNote(lineSpeed)));
}

bool BlinkerDevice::takeProgramming(const QByteArray &frame, int lineSpeed)
{
    const int number = mProgrammingFrames++;
    mProgrammingSpeeds.append(lineSpeed);
    if (number == mFaults.closeAtFrame) {
        mLog.logMessage(QStringLiteral("programming frame %1: (fault: line dropped)").arg(number));
        return false;
    }
    const ProgrammingContent content = readProgrammingFrame(frame);
    const QString which = QStringLiteral("%1 baud: board %2 chunk %3").arg(lineSpeed).arg(content.boardId).arg(content.chunk);
    if (!content.headerOk || !content.dataOk || content.chunk >= kChunks) {
        ++mFramesRejected;
        mLog.logMessage(which + (content.headerOk ? QStringLiteral(": wrong data CRC") : QStringLiteral(": wrong header checksum")));
        return true;
    }
    BoardMemory &board = mBoards[content.boardId];
    std::copy(content.data.begin(), content.data.end(), board.image.begin() + content.chunk * 64);
    board.chunks.set(size_t(content.chunk));
    if (content.chunk == 0 || content.chunk == kChunks - 1)
        mLog.logMessage(which + speedNote(lineSpeed));
    if (board.chunks.all())
        completeImage(content.boardId, board);
    return true;
}

void BlinkerDevice::completeImage(int boardId, BoardMemory &board)
{
    board.chunks.reset();
    ++board.completions;
    const quint16 stored = quint16(quint8(board.image[kImageSize - 2]) << 8 | quint8(board.image[kImageSize - 1]));
    const quint16 computed = crc16Xmodem(0, QByteArrayView(board.image).first(kImageSize - 2));
    board.crcOk = stored == computed;
    mLog.logMessage(QStringLiteral("board %1: image complete, CRC %2 %3")
                        .arg(boardId)
                        .arg(stored, 4, 16, QChar(u'0'))
                        .arg(board.crcOk ? QStringLiteral("ok") : QStringLiteral("wrong, computed %1").arg(computed, 4, 16, QChar(u'0'))));
    if (mImagesFolder.isEmpty())
        return;
    QSaveFile file(QDir(mImagesFolder).filePath(QStringLiteral("board-%1.bin").arg(boardId)));
    if (!file.open(QIODevice::WriteOnly) || !writeFully(file, board.image) || !commitFully(file))
        mLog.logMessage(QStringLiteral("cannot save %1: %2").arg(file.fileName(), file.errorString()));
}

} // namespace tirvela::devsim
