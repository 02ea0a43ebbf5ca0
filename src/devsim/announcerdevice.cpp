#include "devsim/announcerdevice.h"

#include "common/messagelog.h"
#include "common/crc16.h"
#include "common/hexnumber.h"
#include "common/savefile.h"

namespace tirvela::devsim {

namespace {

constexpr qsizetype kBlockSize = 512;
constexpr qsizetype kLineLimit = 64;
constexpr qsizetype kBurstSize = 4096;

// Line noise that starts with neither 'W' nor 'E'.
QByteArray noiseBurst()
{
    QByteArray noise(kBurstSize, '\0');
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 151 + 7) % 251);
    return noise;
}

QString speedPrefix(int lineSpeed)
{
    return QString::number(lineSpeed) + QStringLiteral(" baud: ");
}

// The line as a reader can see it: printable ASCII as it is, other bytes as \xNN.
QString printable(QByteArrayView bytes)
{
    QString text;
    for (char byte : bytes) {
        const uchar code = uchar(byte);
        if (code >= 0x20 && code < 0x7F && code != '\\')
            text += QLatin1Char(char(code));
        else
            text += QStringLiteral("\\x%1").arg(code, 2, 16, QChar(u'0'));
    }
    return text;
}

// The address of "write <hex>", if the line is one.
std::optional<quint32> writeAddress(QByteArrayView line)
{
    if (!line.startsWith("write "))
        return std::nullopt;
    return parseHex(line.sliced(6));
}

} // namespace

AnnouncerDevice::AnnouncerDevice(const AnnouncerFaults &faults, MessageLog &log, const QString &memoryFile)
    : mFaults(faults), mLog(log), mMemoryFile(memoryFile)
{
    mBlock.reserve(kBlockSize + 2);
}

Reaction AnnouncerDevice::receive(QByteArrayView bytes, int lineSpeed)
{
    Reaction reaction;
    for (char byte : bytes) {
        if (reaction.closeLine)
            break;
        if (mAwaitingBlock) {
            mBlock.append(byte);
            if (mBlock.size() == kBlockSize + 2)
                takeBlock(lineSpeed, reaction);
        } else if (byte == '\r') {
            takeLine(lineSpeed, reaction);
        } else if (mLine.size() < kLineLimit) {
            mLine.append(byte);
        } else {
            mLineOverflow = true;
        }
    }
    reaction.replyDelayMs = mFaults.answerDelayMs;
    return reaction;
}

void AnnouncerDevice::shutDown()
{
    saveMemory();
}

void AnnouncerDevice::takeLine(int lineSpeed, Reaction &reaction)
{
    const QByteArray line = mLine;
    const bool overflow = mLineOverflow;
    mLine.clear();
    mLineOverflow = false;
    if (!overflow && line == "\x1breset") {
        mCommands.append({"reset", lineSpeed});
        mLog.logMessage(speedPrefix(lineSpeed) + QStringLiteral("reset"));
        saveMemory();
    } else if (!overflow && line == "\x1bsetup") {
        mCommands.append({"setup", lineSpeed});
        mLog.logMessage(speedPrefix(lineSpeed) + QStringLiteral("setup"));
        if (mFaults.closeAfterSetup) {
            mLog.logMessage(QStringLiteral("fault: dropping the line after setup"));
            reaction.closeLine = true;
        }
    } else if (const std::optional<quint32> address = overflow ? std::nullopt : writeAddress(line)) {
        mCommands.append({line, lineSpeed});
        if (mFaults.neverReady) {
            mLog.logMessage(speedPrefix(lineSpeed) + QString::fromLatin1(line) + QStringLiteral(" -> (fault: no answer)"));
            return;
        }
        mLog.logMessage(speedPrefix(lineSpeed) + QString::fromLatin1(line) + QStringLiteral(" -> R"));
        mAddress = *address;
        mAwaitingBlock = true;
        mBlock.clear();
        reaction.reply += 'R';
    } else {
        mCommands.append({line, lineSpeed});
        mLog.logMessage(speedPrefix(lineSpeed) + QStringLiteral("unknown command \"") + printable(line)
                        + (overflow ? QStringLiteral("...\"") : QStringLiteral("\"")));
    }
}

void AnnouncerDevice::takeBlock(int lineSpeed, Reaction &reaction)
{
    mAwaitingBlock = false;
    const int number = mBlockNumber++;
    const QByteArrayView data = QByteArrayView(mBlock).first(kBlockSize);
    quint16 crc = 0x3055;
    for (int shift = 0; shift < 32; shift += 8)
        crc = crc16XmodemUpdate(crc, quint8(mAddress >> shift));
    crc = crc16Xmodem(crc, data);
    const quint16 received = quint16(quint8(mBlock[kBlockSize]) << 8 | quint8(mBlock[kBlockSize + 1]));
    const QString block = speedPrefix(lineSpeed) + QStringLiteral("block %1 at 0x%2").arg(number).arg(mAddress, 0, 16);

    if (number == mFaults.closeAtBlock) {
        mLog.logMessage(block + QStringLiteral(" -> (fault: line dropped)"));
        reaction.closeLine = true;
    } else if (number == mFaults.silentAtBlock) {
        mLog.logMessage(block + QStringLiteral(" -> (fault: no answer)"));
    } else if (number == mFaults.burstAtBlock) {
        mLog.logMessage(block + QStringLiteral(" -> (fault: burst of noise)"));
        reaction.reply += noiseBurst();
    } else if (number == mFaults.garbageAtBlock) {
        mLog.logMessage(block + QStringLiteral(" -> (fault: garbage)"));
        reaction.reply += "\r\nW";
    } else if (number == mFaults.errorAtBlock) {
        mLog.logMessage(block + QStringLiteral(" -> E (fault)"));
        reaction.reply += 'E';
    } else if (crc != received) {
        mLog.logMessage(block + QStringLiteral(": CRC %1, expected %2 -> E").arg(received, 4, 16, QChar(u'0')).arg(crc, 4, 16, QChar(u'0')));
        reaction.reply += 'E';
    } else if (qsizetype(mAddress) + kBlockSize > kMemoryLimit) {
        mLog.logMessage(block + QStringLiteral(": beyond the memory -> E"));
        reaction.reply += 'E';
    } else {
        const qsizetype end = qsizetype(mAddress) + kBlockSize;
        if (mMemory.size() < end)
            mMemory.resize(end, '\xFF');
        std::copy(data.begin(), data.end(), mMemory.begin() + mAddress);
        ++mBlocksStored;
        mMemoryChanged = true;
        mLog.logMessage(block + QStringLiteral(": CRC ok -> W"));
        reaction.reply += 'W';
    }
}

void AnnouncerDevice::saveMemory()
{
    if (mMemoryFile.isEmpty() || !mMemoryChanged)
        return;
    QSaveFile file(mMemoryFile);
    if (file.open(QIODevice::WriteOnly) && writeFully(file, mMemory) && commitFully(file)) {
        mMemoryChanged = false;
        mLog.logMessage(QStringLiteral("memory (%1 bytes) saved to %2").arg(mMemory.size()).arg(mMemoryFile));
    } else {
        mLog.logMessage(QStringLiteral("cannot save the memory to %1: %2").arg(mMemoryFile, file.errorString()));
    }
}

} // namespace tirvela::devsim
