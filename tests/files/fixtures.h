#pragma once

#include "app/messagelog.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QtEndian>

// Fixtures made by the tests and the benchmark: WAVE files, a message log kept as a list.
namespace tirvela::fixture {

struct ListLog : MessageLog
{
    QStringList lines;
    void logMessage(const QString &line) override { lines.append(line); }
};

struct WaveFormat
{
    quint16 formatTag = 1;
    quint16 channels = 1;
    quint32 sampleRate = 16000;
    quint16 bitsPerSample = 8;
};

inline QByteArray le32(quint32 value)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

inline QByteArray le16(quint16 value)
{
    QByteArray bytes(2, Qt::Uninitialized);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

inline QByteArray chunk(const QByteArray &id, const QByteArray &body)
{
    QByteArray bytes = id + le32(quint32(body.size())) + body;
    if (body.size() % 2)
        bytes.append('\0');
    return bytes;
}

// A RIFF WAVE file: the format chunk, any chunks given, then the data chunk. The data chunk
// announces `announcedSize` bytes when it is not negative, else the size of the samples.
inline QByteArray waveFile(const QByteArray &samples, WaveFormat format = {},
                           const QByteArray &chunksBeforeData = {}, qint64 announcedSize = -1)
{
    const quint16 blockAlign = quint16(format.channels * format.bitsPerSample / 8);
    const QByteArray fmt = le16(format.formatTag) + le16(format.channels) + le32(format.sampleRate)
                           + le32(format.sampleRate * blockAlign) + le16(blockAlign) + le16(format.bitsPerSample);
    const quint32 dataSize = announcedSize < 0 ? quint32(samples.size()) : quint32(announcedSize);
    const QByteArray body = QByteArray("WAVE") + chunk("fmt ", fmt) + chunksBeforeData + "data" + le32(dataSize) + samples;
    return "RIFF" + le32(quint32(body.size())) + body;
}

// Distinct sample bytes for sound number `seed`.
inline QByteArray samples(int size, int seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + seed * 31 + i / 251) & 0xFF);
    return bytes;
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace tirvela::fixture
