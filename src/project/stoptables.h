#pragma once

#include "project/projectbuilder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

class QIODevice;

namespace tirvela {

class MessageLog;
class SoundTable;
struct StopNode;
struct StopTree;

// What the header record of a pseudo-route (the common phrases or a route) says of its stop table.
struct StopTableSummary
{
    int forwardStops = 0;
    int reverseStops = 0;
    qint64 offset = 0; // file offset of the table
};

// The stop tables of a build with the sound data behind them. Each table is laid out in full
// when it is added: every sound item looked up, every SoundFile checked once and its data given
// its one place in the file. So all errors are known before a byte is written, and the file is
// then written front to back.
class StopTables
{
public:
    // The first table starts at `start`, right after the route streams.
    StopTables(const SoundTable &sounds, BuildMode mode, MessageLog &log, qint64 start);

    void addCommonPhrases();
    // `route` names the route in messages.
    void addRoute(QByteArrayView stream, const QString &route);

    bool ok() const { return mOk; }
    qint64 end() const { return mEnd; }
    qint64 soundTotal() const { return mSoundTotal; }
    const std::vector<StopTableSummary> &summaries() const { return mSummaries; }

    enum class WriteResult { Written, OutputFailed, SoundUnreadable };

    // Writes the tables in order, at the position they were laid out for. Each SoundFile's data
    // are copied from the file behind the first stop that plays it. A SoundFile that cannot be
    // read again is reported in the log.
    WriteResult write(QIODevice &out) const;

private:
    struct Fragment
    {
        int sound = -1; // index in the SoundTable; -1 in a project file
        qint64 offset = 0;
        qint64 size = 0;
    };

    struct Stop
    {
        quint8 flags = 0;
        qint64 dataOffset = 0; // from the start of the table
        QByteArray text;
        std::vector<quint32> controlTimes;
        std::vector<Fragment> fragments;
        int stopFragments = 0;          // fragments of the first group
        std::vector<int> soundsStored; // SoundFiles whose data follow this stop's records
    };

    struct SoundUse
    {
        int useCount = 0;
        bool usable = false; // passed the check
        qint64 dataOffset = 0;
        qint64 size = 0;
        qint64 placement = 0; // file offset of its data, 0 while not placed
    };

    void addTree(const StopTree &tree);
    Stop layOutStop(const StopNode &node, quint8 flags, qint64 tableOffset, qint64 &dataCursor);
    void collectFragments(const StopNode &node, Stop &stop);
    void checkSound(int sound);
    void fail(const QString &line);
    WriteResult copySoundData(QIODevice &out, int sound, QByteArray &buffer) const;

    const SoundTable &mSounds;
    BuildMode mMode;
    MessageLog &mLog;
    qint64 mEnd;
    qint64 mSoundTotal = 0;
    bool mOk = true;
    std::vector<SoundUse> mUses;
    std::vector<std::vector<Stop>> mTables;
    std::vector<StopTableSummary> mSummaries;
};

} // namespace tirvela
