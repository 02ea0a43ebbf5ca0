#include "project/wavecheck.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QtEndian>

namespace tirvela {

namespace {

constexpr int kFormatChunkSize = 16;
constexpr quint16 kPcmFormat = 1;
constexpr quint16 kChannels = 1;
constexpr quint16 kBitsPerSample = 8;
constexpr quint32 kSampleRate = 16000;

WaveCheckResult failure(const char16_t *pattern, const QString &path)
{
    WaveCheckResult result;
    result.message = QString::fromUtf16(pattern).replace(QStringLiteral("%s"), shownSoundPath(path));
    return result;
}

struct Chunks
{
    QByteArray format; // the first 16 bytes of the "fmt " chunk; empty when none was found
    qint64 dataOffset = -1;
    qint64 dataSize = 0;
};

// Walks the chunks after the 12-byte RIFF header up to the end of the file (the RIFF size field
// is often wrong, so it is not trusted). Chunks are padded to an even size.
Chunks findChunks(QFile &file)
{
    Chunks chunks;
    const qint64 fileSize = file.size();
    qint64 position = 12;
    while (position + 8 <= fileSize && (chunks.format.isEmpty() || chunks.dataOffset < 0)) {
        if (!file.seek(position))
            break;
        const QByteArray head = file.read(8);
        if (head.size() < 8)
            break;
        const quint32 size = qFromLittleEndian<quint32>(head.constData() + 4);
        const QByteArrayView id = QByteArrayView(head).first(4);
        if (id == "fmt " && chunks.format.isEmpty()) {
            if (size < kFormatChunkSize)
                break;
            chunks.format = file.read(kFormatChunkSize);
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(u"Файл %s не найден!", path);

    const QByteArray riff = file.read(12);
    if (riff.size() < 12 || !riff.startsWith("RIFF") || QByteArrayView(riff).sliced(8) != "WAVE")
        return failure(u"Не WAVE - формат файла %s !", path);
    const Chunks chunks = findChunks(file);
    if (chunks.format.isEmpty() || chunks.dataOffset < 0)
        return failure(u"Не WAVE - формат файла %s !", path);

    const char *format = chunks.format.constData();
    if (qFromLittleEndian<quint16>(format + 2) != kChannels)
        return failure(u"Файл %s Данные не в формате МОНО!", path);
    if (qFromLittleEndian<quint16>(format) != kPcmFormat || qFromLittleEndian<quint16>(format + 14) != kBitsPerSample)
        return failure(u"Файл %s Разрядность не 8 бит!", path);
    if (qFromLittleEndian<quint32>(format + 4) != kSampleRate)
        return failure(u"Файл %s Частота дискретизации не 16КГц!", path);
    if (chunks.dataOffset + chunks.dataSize > file.size())
        return failure(u"Файл %s Звуковых данных меньше, чем указано в заголовке!", path);

    WaveCheckResult result;
    result.ok = true;
    result.dataOffset = chunks.dataOffset;
    result.dataSize = chunks.dataSize;
    return result;
}

} // namespace tirvela
