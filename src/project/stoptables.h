#pragma once

#include "project/projectbuilder.h"
#include "common/messagelog.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

class QFile;

namespace tirvela {

class BlockWriter;
class SoundTable;
class StopNode;
class StopTree;

// The announcements every flash image carries ("Остановка", "Конечная", ...), laid out like a
// route of five stops whose first group names the SoundFile.
const StopTree &commonPhrases();

// What the header record of a pseudo-route (the common phrases or a route) says of its stop table.
struct StopTableSummary
{
    int forwardStops = 0;
    int reverseStops = 0;
    qint64 offset = 0; // file offset of the table
};

// Writes the stop tables of a build with the sound data behind them, one table as it is added.
// Each sound item is looked up, and each SoundFile checked, when the first stop that plays it is
// written; its data are then copied from that same open file right behind the stop, so a build
// holds no more than one stop's SoundFiles open and no sound data beyond the writer's buffer.
// Once a flash image build has found a problem nothing more is written (the file is discarded),
// but the checks go on to the end, so that every problem is reported.
class StopTableWriter
{
public:
    // Writes from `start` on, the position of `out`: right after the route streams.
    // Without an output the tables are only checked.
    StopTableWriter(BlockWriter *out, const SoundTable &sounds, BuildMode mode, MessageLog &log, qint64 start);

    void addCommonPhrases();
    // `caption` names the route in messages about the whole route, `placeName` in the place of a
    // problem in one of its stops ("маршрут 12").
    void addRoute(QByteArrayView stream, int route, const QString &caption, const QString &placeName);

    bool ok() const { return mOk; } // no problem was reported
    bool outputFailed() const { return mOutputFailed; }
    qint64 soundTotal() const { return mSoundTotal; }
    const std::vector<StopTableSummary> &summaries() const { return mSummaries; }

private:
    struct SoundUse
    {
        int useCount = 0;
        qint64 dataOffset = 0;
        qint64 size = 0;
        qint64 placement = 0; // file offset of its data, 0 while not placed
    };

    bool writing() const { return mOut && mOk && !mOutputFailed; }
    void put(const QByteArray &bytes);
    void fail(const QString &line);
    void failAt(const QString &line, const StopNode &node);
    // The route and node of the stop list, and their words, for a problem at `node`.
    LogPlace placeOf(const StopNode &node) const;

    void addTree(const StopTree &tree);
    QByteArray addStop(const StopNode &node, quint8 flags, qint64 tableOffset);
    int soundOf(const QByteArray &itemText);
    // `item` is the first sound item that plays it: the place of a problem.
    std::unique_ptr<QFile> checkSound(int sound, const StopNode &item);
    void copySoundData(QFile &file, int sound);

    BlockWriter *mOut;
    const SoundTable &mSounds;
    BuildMode mMode;
    MessageLog &mLog;
    qint64 mEnd;
    int mRoute = -1;      // the route being added; -1 for the common phrases
    QString mPlaceName;   // its words at the start of a place
    qint64 mSoundTotal = 0;
    bool mOk = true;
    bool mOutputFailed = false;
    bool mTooLarge = false;
    std::vector<SoundUse> mUses;
    // The item texts already looked up, as written. A plain string hash: the build looks up every
    // sound item, and Qt's seeded hash took a tenth of its time.
    struct ItemTextHash
    {
        size_t operator()(const QByteArray &text) const
        {
            return std::hash<std::string_view>()(std::string_view(text.constData(), size_t(text.size())));
        }
    };
    std::unordered_map<QByteArray, int, ItemTextHash> mSoundOfItem;
    std::vector<StopTableSummary> mSummaries;
};

} // namespace tirvela
