#pragma once

#include "common/messagelog.h"
#include "common/cp1251.h"
#include "project/project.h"
#include "project/stoptree.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QtEndian>

// Fixtures made by the tests and the benchmark: WAVE files, projects, a message log kept as a list.
namespace tirvela::fixture {

struct ListLog : MessageLog
{
    QStringList lines;
    std::vector<LogPlace> places; // of the lines about a place, in order
    void logMessage(const QString &line) override { lines.append(line); }
    void logMessageAt(const QString &line, const LogPlace &place) override
    {
        places.push_back(place);
        MessageLog::logMessageAt(line, place);
    }
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

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline quint32 le32At(const QByteArray &bytes, qint64 at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

inline StopNode textNode(const QString &text, std::vector<StopNode> children = {})
{
    return {toCp1251(text), std::move(children)};
}

inline std::vector<StopNode> textNodes(const QStringList &texts)
{
    std::vector<StopNode> nodes;
    for (const QString &text : texts)
        nodes.push_back(textNode(text));
    return nodes;
}

// A stop with its three groups: sounds at the stop, sounds before it, control times.
inline StopNode stopNode(const QString &name, const QStringList &atStop, const QStringList &beforeStop = {},
                         const QStringList &times = {})
{
    return {toCp1251(name),
            {{stopGroupText(), textNodes(atStop)},
             {nextStopGroupText(), textNodes(beforeStop)},
             {controlTimeGroupText(), textNodes(times)}}};
}

inline QByteArray routeStream(std::vector<StopNode> forward, std::vector<StopNode> reverse = {})
{
    return writeRouteStream(
        StopTree({{forwardDirectionText(), std::move(forward)}, {reverseDirectionText(), std::move(reverse)}}));
}

// Sets the route number text on every board type, as the route list does.
inline void setRouteNumber(Project &project, int route, const QByteArray &number)
{
    for (Board &board : project.boards)
        board.routes[size_t(route)].routeNumberText = number;
}

// A project file of the older layout ("KV20"): header, route headers and pictures (not read),
// the route streams, and stop tables (not read either).
inline QByteArray olderLayoutFile(const Project &project)
{
    QByteArray file = QByteArray("KV20").leftJustified(32, '\0');
    file[11] = char(project.routeCount - 1);
    file += QByteArray(project.routeCount * 32, 'h') + QByteArray(project.routeCount * 960, 'p');
    for (int route = 0; route < project.routeCount; ++route)
        file += le32(quint32(project.routeStreams[size_t(route)].size())) + project.routeStreams[size_t(route)];
    return file + "stop tables";
}

// The SoundFiles every flash image needs for its common phrases.
inline QStringList commonPhraseSounds()
{
    return {QStringLiteral("Остановка.wav"), QStringLiteral("Следующая остановка.wav"), QStringLiteral("Конечная.wav"),
            QStringLiteral("Двери закрываются.wav"), QStringLiteral("Остановка по требованию.wav")};
}

} // namespace tirvela::fixture
