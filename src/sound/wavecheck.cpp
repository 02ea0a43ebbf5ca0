#include "sound/wavecheck.h"

#include "common/regularfile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QtEndian>

#include <cstring>

namespace tirvela {

namespace {

constexpr int kFormatChunkSize = 16;
constexpr quint16 kPcmFormat = 1;
constexpr quint16 kChannels = 1;
constexpr quint16 kBitsPerSample = 8;
constexpr quint32 kSampleRate = 16000;

Status failure(const char16_t *pattern, const QString &path, const QString &reason = {})
{
    return Status::failure(QString::fromUtf16(pattern).replace(QStringLiteral("%s"), shownSoundPath(path)), reason);
}

struct Chunks
{
    QByteArray format; // the first 16 bytes of the "fmt " chunk; empty when none was found
    qint64 dataOffset = -1;
    qint64 dataSize = 0;
};

// Reads a file's bytes, serving the chunks near its start from one read of the head.
class WaveReader
{
public:
    WaveReader(QFile &file, qint64 size) : mFile(file), mSize(size), mHead(file.read(kHeadSize)) {}

    qint64 size() const { return mSize; }

    // `count` bytes at `position`; fewer when the file ends or cannot be read.
    QByteArray bytesAt(qint64 position, int count)
    {
        if (position + count <= mHead.size())
            return mHead.mid(position, count);
        return mFile.seek(position) ? mFile.read(count) : QByteArray();
    }

private:
    static constexpr int kHeadSize = 4096;
    QFile &mFile;
    qint64 mSize;
    QByteArray mHead;
};

// Walks the chunks after the 12-byte RIFF header up to the end of the file (the RIFF size field
// is often wrong, so it is not trusted). Chunks are padded to an even size.
Chunks findChunks(WaveReader &reader)
{
    Chunks chunks;
    qint64 position = 12;
    while (position + 8 <= reader.size() && (chunks.format.isEmpty() || chunks.dataOffset < 0)) {
        const QByteArray head = reader.bytesAt(position, 8);
        if (head.size() < 8)
            break;
        const quint32 size = qFromLittleEndian<quint32>(head.constData() + 4);
        const QByteArrayView id = QByteArrayView(head).first(4);
        if (id == "fmt " && chunks.format.isEmpty()) {
            if (size < kFormatChunkSize)
                break;
            chunks.format = reader.bytesAt(position + 8, kFormatChunkSize);
            if (chunks.format.size() < kFormatChunkSize) {
                chunks.format.clear();
                break;
            }
        } else if (id == "data" && chunks.dataOffset < 0) {
            chunks.dataOffset = position + 8;
            chunks.dataSize = size;
        }
        position += 8 + qint64(size) + (size & 1);
    }
    return chunks;
}

} // namespace

QByteArray announcerWaveHeader(quint32 dataSize)
{
    constexpr int kHeaderSize = 44;
    QByteArray header(kHeaderSize, Qt::Uninitialized);
    char *at = header.data();
    const auto put32 = [&at](quint32 value) { qToLittleEndian(value, at); at += 4; };
    const auto put16 = [&at](quint16 value) { qToLittleEndian(value, at); at += 2; };
    const auto putId = [&at](const char *id) { std::memcpy(at, id, 4); at += 4; };
    putId("RIFF");
    put32(kHeaderSize - 8 + dataSize + (dataSize & 1));
    putId("WAVE");
    putId("fmt ");
    put32(kFormatChunkSize);
    put16(kPcmFormat);
    put16(kChannels);
    put32(kSampleRate);
    put32(kSampleRate * kChannels * kBitsPerSample / 8); // bytes a second
    put16(kChannels * kBitsPerSample / 8);               // bytes a sample
    put16(kBitsPerSample);
    putId("data");
    put32(dataSize);
    return header;
}

QString shownSoundPath(const QString &path)
{
    constexpr int kShownLength = 100;
    const QString shown = QDir::toNativeSeparators(path);
    if (shown.size() <= kShownLength)
        return shown;
    return QStringLiteral("...") + shown.right(kShownLength);
}

WaveCheckResult checkWaveFile(const QString &path)
{
    QFile file;
    return checkWaveFile(file, path);
}

WaveCheckResult checkWaveFile(QFile &file, const QString &path)
{
    // Unbuffered: the check reads one head, and the sample data are copied in large pieces.
    const Result<qint64> opened = openRegularFile(file, path, -1, FileBuffering::Unbuffered);
    if (!opened.ok())
        return failure(u"Файл %s не найден!", path, opened.status().reason);

    // The size the open found: asking the file again would cost a system call a sound.
    WaveReader reader(file, opened.value());
    const QByteArray riff = reader.bytesAt(0, 12);
    if (riff.size() < 12 || !riff.startsWith("RIFF") || QByteArrayView(riff).sliced(8) != "WAVE")
        return failure(u"Не WAVE - формат файла %s !", path);
    const Chunks chunks = findChunks(reader);
    if (chunks.format.isEmpty() || chunks.dataOffset < 0)
        return failure(u"Не WAVE - формат файла %s !", path);

    const char *format = chunks.format.constData();
    if (qFromLittleEndian<quint16>(format + 2) != kChannels)
        return failure(u"Файл %s Данные не в формате МОНО!", path);
    if (qFromLittleEndian<quint16>(format + 14) != kBitsPerSample)
        return failure(u"Файл %s Разрядность не 8 бит!", path);
    // The extensible format (0xFFFE) and the companded ones store 8 bits too, but not as plain PCM.
    if (qFromLittleEndian<quint16>(format) != kPcmFormat)
        return failure(u"Файл %s Данные не в простом формате PCM!", path);
    if (qFromLittleEndian<quint32>(format + 4) != kSampleRate)
        return failure(u"Файл %s Частота дискретизации не 16КГц!", path);
    if (chunks.dataOffset + chunks.dataSize > reader.size())
        return failure(u"Файл %s Звуковых данных меньше, чем указано в заголовке!", path);
    if (chunks.dataSize > kMaxSoundDataSize)
        return failure(u"Файл %s Звуковые данные длиннее 16777215 байт!", path);

    return WaveData{chunks.dataOffset, chunks.dataSize};
}

} // namespace tirvela
