#include "project/stoptables.h"

#include "project/controltime.h"
#include "project/filelayout.h"
#include "common/blockwriter.h"
#include "common/messagelog.h"
#include "common/cp1251.h"
#include "sound/soundtable.h"
#include "project/stoplistedits.h"
#include "project/stoptree.h"
#include "sound/wavecheck.h"

#include <QFile>

#include <algorithm>
#include <utility>

namespace tirvela {

namespace {

constexpr int kStopRecordSize = 9;
constexpr int kFragmentRecordSize = 7;
constexpr int kMaxStopText = 20;
constexpr int kMaxFragments = 10;
constexpr int kMaxControlTimes = 255; // their count is one byte
constexpr int kMaxDirectionStops = 100;
constexpr int kMaxRouteStops = 127;
constexpr qint64 kMaxFileSize = 0xFFFFFFFFLL; // offsets are stored in 4 bytes

// Flags of a stop: its direction, and whether it is the first or the last of it.
constexpr quint8 kDirectionFlag[2] = {0x02, 0x01};
constexpr quint8 kFirstStopFlag[2] = {0x20, 0x10};
constexpr quint8 kLastStopFlag[2] = {0x08, 0x04};

StopNode node(const char16_t *text, std::vector<StopNode> children = {})
{
    return {toCp1251(text), std::move(children)};
}

StopNode phrase(const char16_t *text, const char16_t *sound)
{
    return node(text, {node(u"Текст1", {node(sound)}), node(u"Текст2")});
}

const StopTree &emptyRoute()
{
    static const StopTree tree({StopNode(forwardDirectionText()), StopNode(reverseDirectionText())});
    return tree;
}

int subtreeSize(const StopNode &node)
{
    int size = 1;
    for (const StopNode &child : node.children())
        size += subtreeSize(child);
    return size;
}

int stopCount(const StopTree &tree, size_t direction)
{
    const StopNode &root = tree.root();
    return int(direction) < root.childCount() ? root.child(int(direction)).childCount() : 0;
}

} // namespace

// The announcements every flash image carries, laid out like a route of five stops.
const StopTree &commonPhrases()
{
    static const StopTree tree({
        node(u"Общие фразы",
             {phrase(u"Остановка", u"Остановка.wav"),
              phrase(u"Следующая остановка", u"Следующая остановка.wav"),
              phrase(u"Конечная", u"Конечная.wav"),
              phrase(u"Двери", u"Двери закрываются.wav"),
              phrase(u"По требованию", u"Остановка по требованию.wav")}),
        node(u"(обратное)"),
    });
    return tree;
}

StopTableWriter::StopTableWriter(BlockWriter *out, const SoundTable &sounds, BuildMode mode, MessageLog &log, qint64 start)
    : mOut(out), mSounds(sounds), mMode(mode), mLog(log), mEnd(start), mUses(size_t(sounds.count()))
{
}

void StopTableWriter::put(const QByteArray &bytes)
{
    if (writing() && !mOut->append(bytes))
        mOutputFailed = true;
}

void StopTableWriter::fail(const QString &line)
{
    mLog.logMessage(line);
    mOk = false;
}

void StopTableWriter::failAt(const QString &line, const StopNode &node)
{
    mLog.logMessageAt(line, placeOf(node));
    mOk = false;
}

LogPlace StopTableWriter::placeOf(const StopNode &node) const
{
    const StopPath path = pathOf(node);
    const StopNode *stop = &node;
    while (stop->level() > StopLevel)
        stop = stop->parent();
    QStringList words{mPlaceName};
    if (mRoute >= 0)
        words << (path.front() == 0 ? QStringLiteral("прямое направление") : QStringLiteral("обратное направление"));
    words << QStringLiteral("%1 «%2»").arg(mRoute >= 0 ? QStringLiteral("остановка") : QStringLiteral("фраза"),
                                           fromCp1251(stop->text));
    if (mRoute >= 0 && node.level() > StopLevel)
        words << QStringLiteral("группа «%1»").arg(fromCp1251(stop->child(path[2]).text));
    return {mRoute, path, words.join(QStringLiteral(", "))};
}

void StopTableWriter::addCommonPhrases()
{
    mRoute = -1;
    mPlaceName = QStringLiteral("общие фразы двоичного файла");
    addTree(commonPhrases());
}

void StopTableWriter::addRoute(QByteArrayView stream, int routeIndex, const QString &route, const QString &placeName)
{
    mRoute = routeIndex;
    mPlaceName = placeName;
    if (stream.isEmpty()) {
        addTree(emptyRoute());
        return;
    }
    // A project file keeps the route stream as it is, so a stream that does not read as a tree
    // loses nothing there: its stop table is simply left empty or cut to two directions.
    const bool flashImage = mMode == BuildMode::FlashImage;
    RouteStreamReadResult read = readRouteStream(stream);
    if (!read.ok) {
        if (flashImage)
            fail(QStringLiteral("(ОШИБКА!!!) %1: список остановок повреждён, строка %2: %3")
                     .arg(route).arg(read.errorLine).arg(read.error));
        addTree(StopTree{});
        return;
    }
    StopNode &directions = read.tree.root();
    if (directions.childCount() > 2) {
        if (flashImage) {
            const int line = 1 + subtreeSize(directions.child(0)) + subtreeSize(directions.child(1));
            fail(QStringLiteral("(ОШИБКА!!!) %1: список остановок повреждён, строка %2: третье направление «%3»")
                     .arg(route).arg(line).arg(fromCp1251(directions.child(2).text)));
        }
        while (directions.childCount() > 2)
            directions.takeChild(directions.childCount() - 1);
    }
    const StopTree &tree = read.tree;
    const int forward = stopCount(tree, 0);
    const int reverse = stopCount(tree, 1);
    if (flashImage && (forward > kMaxDirectionStops || reverse > kMaxDirectionStops || forward + reverse > kMaxRouteStops))
        fail(QStringLiteral("(ОШИБКА!!!) %1: слишком много остановок (прямое направление %2, обратное %3); "
                            "допускается не более %4 в направлении и %5 всего")
                 .arg(route).arg(forward).arg(reverse).arg(kMaxDirectionStops).arg(kMaxRouteStops));
    addTree(tree);
}

void StopTableWriter::addTree(const StopTree &tree)
{
    const qint64 table = mEnd;
    const int forward = stopCount(tree, 0);
    const int reverse = stopCount(tree, 1);
    mSummaries.push_back({forward, reverse, table});

    // The stop records need the place of each stop's data, known once the stop is written:
    // their room is kept first and filled in at the end.
    const int stops = forward + reverse;
    put(QByteArray(kStopRecordSize * stops, '\0'));
    mEnd = table + kStopRecordSize * qint64(stops);
    QByteArray records;
    records.reserve(kStopRecordSize * stops);
    for (int direction = 0; direction < std::min(tree.root().childCount(), 2); ++direction) {
        const StopNode &directionStops = tree.root().child(direction);
        for (int i = 0; i < directionStops.childCount(); ++i) {
            quint8 flags = kDirectionFlag[direction];
            if (i == 0)
                flags |= kFirstStopFlag[direction];
            if (i + 1 == directionStops.childCount())
                flags |= kLastStopFlag[direction];
            records += addStop(directionStops.child(i), flags, table);
        }
    }
    if (writing() && stops > 0 && !mOut->overwrite(table, records))
        mOutputFailed = true;
}

// Writes the stop's data and returns its stop record.
QByteArray StopTableWriter::addStop(const StopNode &node, quint8 flags, qint64 tableOffset)
{
    std::vector<int> fragments; // the SoundTable index of each fragment; -1 in a project file
    int stopFragments = 0;      // fragments of the first group
    std::vector<std::pair<int, std::unique_ptr<QFile>>> firstUses; // SoundFiles this stop plays first
    for (int group = 0; group < std::min(node.childCount(), 2); ++group) {
        for (const StopNode &item : node.child(group).children()) {
            if (mMode == BuildMode::ProjectFile) {
                // Nothing is looked up; the records only keep their place.
                if (fragments.size() < kMaxFragments)
                    fragments.push_back(-1);
                continue;
            }
            const int sound = soundOf(item.text);
            if (sound < 0) {
                failAt(QStringLiteral("(ОШИБКА!!!) Отсутствует остановка: ") + fromCp1251(item.text), item);
                break;
            }
            if (fragments.size() == kMaxFragments) {
                failAt(QStringLiteral("(ОШИБКА!!!) Ограничение по количеству фрагментов: ") + fromCp1251(node.text), item);
                break;
            }
            fragments.push_back(sound);
            if (group == 0)
                ++stopFragments;
            if (mUses[size_t(sound)].useCount++ == 0)
                firstUses.emplace_back(sound, checkSound(sound, item));
        }
    }

    const QByteArray text = node.text.left(kMaxStopText);
    QByteArray data = text;
    int controlTimes = 0;
    if (node.childCount() > 2) {
        for (const StopNode &time : node.child(2).children()) {
            if (controlTimes == kMaxControlTimes) {
                if (mMode == BuildMode::FlashImage)
                    fail(QStringLiteral("(ОШИБКА!!!) Ограничение по количеству контрольных времён (%1): ")
                             .arg(kMaxControlTimes) + fromCp1251(node.text));
                break;
            }
            appendLe(data, timeTextToControlTime(QByteArrayView(time.text)), 4);
            ++controlTimes;
        }
    }

    // Each SoundFile's data go right behind the fragment records of the first stop that plays it.
    qint64 free = mEnd + data.size() + kFragmentRecordSize * qint64(fragments.size());
    for (int sound : fragments) {
        if (sound < 0) {
            data.append(kFragmentRecordSize, '\0');
            continue;
        }
        SoundUse &use = mUses[size_t(sound)];
        if (use.placement == 0) {
            use.placement = free;
            free += use.size;
        }
        appendLe(data, quint32(use.placement), 4);
        appendLe(data, quint32(use.size), 3);
    }
    if (free > kMaxFileSize && !mTooLarge) {
        mTooLarge = true;
        fail(mMode == BuildMode::FlashImage ? QStringLiteral("(ОШИБКА!!!) Двоичный файл получается больше 4 ГБ")
                                            : QStringLiteral("(ОШИБКА!!!) Файл проекта получается больше 4 ГБ"));
    }
    put(data);
    for (const auto &[sound, file] : firstUses) {
        if (file)
            copySoundData(*file, sound);
    }

    QByteArray record;
    record.append(char(flags));
    appendLe(record, quint32(mEnd - tableOffset), 4);
    record.append(char(text.size())).append(char(fragments.size())).append(char(stopFragments)).append(char(controlTimes));
    mEnd = free;
    return record;
}

// Items repeat the same few names all over a project; each is upper-cased and looked up once.
int StopTableWriter::soundOf(const QByteArray &itemText)
{
    const auto known = mSoundOfItem.find(itemText);
    if (known != mSoundOfItem.end())
        return known->second;
    const int sound = mSounds.find(itemText);
    mSoundOfItem.emplace(itemText, sound);
    return sound;
}

// Checks a SoundFile the first time a stop plays it; returns it open for the copy of its data
// when there is something to write.
std::unique_ptr<QFile> StopTableWriter::checkSound(int sound, const StopNode &item)
{
    auto file = std::make_unique<QFile>();
    const QString path = mSounds.at(sound).path();
    const WaveCheckResult check = checkWaveFile(*file, path);
    if (!check.ok()) {
        const Status failure = check.status();
        failAt(failure.message, item);
        if (!failure.reason.isEmpty())
            mLog.logMessage(QStringLiteral("Причина: ") + failure.reason);
        return nullptr;
    }
    SoundUse &use = mUses[size_t(sound)];
    use.dataOffset = check.value().dataOffset;
    use.size = check.value().dataSize;
    mSoundTotal += check.value().dataSize;
    return writing() ? std::move(file) : nullptr;
}

void StopTableWriter::copySoundData(QFile &file, int sound)
{
    if (!writing())
        return;
    const SoundUse &use = mUses[size_t(sound)];
    switch (mOut->copyFrom(file, use.dataOffset, use.size)) {
    case BlockWriter::Copy::Done:
        break;
    case BlockWriter::Copy::WriteFailed:
        mOutputFailed = true;
        break;
    case BlockWriter::Copy::ReadFailed:
        fail(QStringLiteral("Файл %1 не удалось прочитать при записи звуковых данных!")
                 .arg(shownSoundPath(mSounds.at(sound).path())));
        break;
    }
}

} // namespace tirvela
