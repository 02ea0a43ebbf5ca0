#include "project/stoptables.h"

#include "app/controltime.h"
#include "app/messagelog.h"
#include "common/cp1251.h"
#include "project/soundtable.h"
#include "project/stoptree.h"
#include "project/wavecheck.h"

#include <QFile>
#include <QIODevice>
#include <QtEndian>

#include <algorithm>

namespace tirvela {

namespace {

constexpr int kStopRecordSize = 9;
constexpr int kFragmentRecordSize = 7;
constexpr int kControlTimeSize = 4;
constexpr int kMaxStopText = 20;
constexpr int kMaxFragments = 10;
constexpr int kMaxControlTimes = 255; // their count is one byte
constexpr int kMaxDirectionStops = 100;
constexpr int kMaxRouteStops = 127;
constexpr qint64 kMaxSoundSize = 0xFFFFFF; // the FragmentRecord holds the size in 3 bytes
constexpr qint64 kCopyBufferSize = 1 << 20;

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

// The announcements every flash image carries, laid out like a route of five stops.
const StopTree &commonPhrases()
{
    static const StopTree tree{{
        node(u"Общие фразы",
             {phrase(u"Остановка", u"Остановка.wav"),
              phrase(u"Следующая остановка", u"Следующая остановка.wav"),
              phrase(u"Конечная", u"Конечная.wav"),
              phrase(u"Двери", u"Двери закрываются.wav"),
              phrase(u"По требованию", u"Остановка по требованию.wav")}),
        node(u"(обратное)"),
    }};
    return tree;
}

const StopTree &emptyRoute()
{
    static const StopTree tree{{{forwardDirectionText(), {}}, {reverseDirectionText(), {}}}};
    return tree;
}

int subtreeSize(const StopNode &node)
{
    int size = 1;
    for (const StopNode &child : node.children)
        size += subtreeSize(child);
    return size;
}

int stopCount(const StopTree &tree, size_t direction)
{
    return direction < tree.roots.size() ? int(tree.roots[direction].children.size()) : 0;
}

void appendLe32(QByteArray &bytes, quint32 value)
{
    char le[4];
    qToLittleEndian(value, le);
    bytes.append(le, 4);
}

} // namespace

StopTables::StopTables(const SoundTable &sounds, BuildMode mode, MessageLog &log, qint64 start)
    : mSounds(sounds), mMode(mode), mLog(log), mEnd(start), mUses(size_t(sounds.count()))
{
}

void StopTables::fail(const QString &line)
{
    mLog.logMessage(line);
    mOk = false;
}

void StopTables::addCommonPhrases()
{
    addTree(commonPhrases());
}

void StopTables::addRoute(QByteArrayView stream, const QString &route)
{
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
    StopTree &tree = read.tree;
    if (tree.roots.size() > 2) {
        if (flashImage) {
            const int line = 1 + subtreeSize(tree.roots[0]) + subtreeSize(tree.roots[1]);
            fail(QStringLiteral("(ОШИБКА!!!) %1: список остановок повреждён, строка %2: третье направление «%3»")
                     .arg(route).arg(line).arg(fromCp1251(tree.roots[2].text)));
        }
        tree.roots.resize(2);
    }
    const int forward = stopCount(tree, 0);
    const int reverse = stopCount(tree, 1);
    if (flashImage && (forward > kMaxDirectionStops || reverse > kMaxDirectionStops || forward + reverse > kMaxRouteStops))
        fail(QStringLiteral("(ОШИБКА!!!) %1: слишком много остановок (прямое направление %2, обратное %3); "
                            "допускается не более %4 в направлении и %5 всего")
                 .arg(route).arg(forward).arg(reverse).arg(kMaxDirectionStops).arg(kMaxRouteStops));
    addTree(tree);
}

void StopTables::addTree(const StopTree &tree)
{
    const qint64 tableOffset = mEnd;
    const int forward = stopCount(tree, 0);
    const int reverse = stopCount(tree, 1);
    mSummaries.push_back({forward, reverse, tableOffset});

    std::vector<Stop> &stops = mTables.emplace_back();
    stops.reserve(size_t(forward + reverse));
    qint64 dataCursor = tableOffset + kStopRecordSize * qint64(forward + reverse);
    for (size_t direction = 0; direction < std::min<size_t>(tree.roots.size(), 2); ++direction) {
        const std::vector<StopNode> &directionStops = tree.roots[direction].children;
        for (size_t i = 0; i < directionStops.size(); ++i) {
            quint8 flags = kDirectionFlag[direction];
            if (i == 0)
                flags |= kFirstStopFlag[direction];
            if (i + 1 == directionStops.size())
                flags |= kLastStopFlag[direction];
            stops.push_back(layOutStop(directionStops[i], flags, tableOffset, dataCursor));
        }
    }
    mEnd = dataCursor;
}

StopTables::Stop StopTables::layOutStop(const StopNode &node, quint8 flags, qint64 tableOffset, qint64 &dataCursor)
{
    Stop stop;
    stop.flags = flags;
    stop.dataOffset = dataCursor - tableOffset;
    stop.text = node.text.left(kMaxStopText);
    collectFragments(node, stop);
    if (node.children.size() > 2) {
        for (const StopNode &time : node.children[2].children) {
            if (stop.controlTimes.size() == kMaxControlTimes)
                break;
            stop.controlTimes.push_back(timeTextToControlTime(QByteArrayView(time.text)));
        }
    }

    qint64 free = dataCursor + stop.text.size() + kControlTimeSize * qint64(stop.controlTimes.size())
                  + kFragmentRecordSize * qint64(stop.fragments.size());
    for (Fragment &fragment : stop.fragments) {
        if (fragment.sound < 0)
            continue;
        SoundUse &use = mUses[size_t(fragment.sound)];
        if (use.placement == 0) {
            use.placement = free;
            free += use.size;
            stop.soundsStored.push_back(fragment.sound);
        }
        fragment.offset = use.placement;
        fragment.size = use.size;
    }
    dataCursor = free;
    return stop;
}

void StopTables::collectFragments(const StopNode &node, Stop &stop)
{
    for (size_t group = 0; group < std::min<size_t>(node.children.size(), 2); ++group) {
        for (const StopNode &item : node.children[group].children) {
            if (mMode == BuildMode::ProjectFile) {
                // Nothing is looked up; the records only keep their place.
                if (stop.fragments.size() < kMaxFragments)
                    stop.fragments.push_back({});
                continue;
            }
            const int sound = mSounds.find(item.text);
            if (sound < 0) {
                fail(QStringLiteral("(ОШИБКА!!!) Отсутствует остановка: ") + fromCp1251(item.text));
                break;
            }
            if (stop.fragments.size() == kMaxFragments) {
                fail(QStringLiteral("(ОШИБКА!!!) Ограничение по количеству фрагментов: ") + fromCp1251(node.text));
                break;
            }
            stop.fragments.push_back({sound});
            if (group == 0)
                ++stop.stopFragments;
            if (mUses[size_t(sound)].useCount++ == 0)
                checkSound(sound);
        }
    }
}

void StopTables::checkSound(int sound)
{
    const QString path = mSounds.at(sound).path();
    const WaveCheckResult check = checkWaveFile(path);
    if (!check.ok) {
        fail(check.message);
        return;
    }
    if (check.dataSize > kMaxSoundSize) {
        fail(QStringLiteral("Файл %1 Звуковые данные длиннее %2 байт!").arg(shownSoundPath(path)).arg(kMaxSoundSize));
        return;
    }
    SoundUse &use = mUses[size_t(sound)];
    use.usable = true;
    use.dataOffset = check.dataOffset;
    use.size = check.dataSize;
    mSoundTotal += check.dataSize;
}

StopTables::WriteResult StopTables::write(QIODevice &out) const
{
    QByteArray buffer;
    for (size_t table = 0; table < mTables.size(); ++table) {
        Q_ASSERT(out.pos() == mSummaries[table].offset);
        const std::vector<Stop> &stops = mTables[table];
        QByteArray records;
        records.reserve(kStopRecordSize * qsizetype(stops.size()));
        for (const Stop &stop : stops) {
            records.append(char(stop.flags));
            appendLe32(records, quint32(stop.dataOffset));
            records.append(char(stop.text.size()));
            records.append(char(stop.fragments.size()));
            records.append(char(stop.stopFragments));
            records.append(char(stop.controlTimes.size()));
        }
        if (out.write(records) != records.size())
            return WriteResult::OutputFailed;

        for (const Stop &stop : stops) {
            QByteArray data = stop.text;
            for (quint32 time : stop.controlTimes)
                appendLe32(data, time);
            for (const Fragment &fragment : stop.fragments) {
                appendLe32(data, quint32(fragment.offset));
                const quint32 size = quint32(fragment.size);
                data.append(char(size)).append(char(size >> 8)).append(char(size >> 16));
            }
            if (out.write(data) != data.size())
                return WriteResult::OutputFailed;
            for (int sound : stop.soundsStored) {
                const WriteResult copied = copySoundData(out, sound, buffer);
                if (copied != WriteResult::Written)
                    return copied;
            }
        }
    }
    return WriteResult::Written;
}

StopTables::WriteResult StopTables::copySoundData(QIODevice &out, int sound, QByteArray &buffer) const
{
    const SoundUse &use = mUses[size_t(sound)];
    if (!use.usable || use.size == 0)
        return WriteResult::Written;
    const QString path = mSounds.at(sound).path();
    QFile file(path);
    bool read = file.open(QIODevice::ReadOnly) && file.seek(use.dataOffset);
    if (buffer.isEmpty())
        buffer.resize(kCopyBufferSize);
    for (qint64 left = use.size; read && left > 0;) {
        const qint64 got = file.read(buffer.data(), std::min(left, kCopyBufferSize));
        if (got <= 0) {
            read = false;
        } else {
            if (out.write(buffer.constData(), got) != got)
                return WriteResult::OutputFailed;
            left -= got;
        }
    }
    if (!read) {
        mLog.logMessage(QStringLiteral("Файл %1 не удалось прочитать при записи звуковых данных!").arg(shownSoundPath(path)));
        return WriteResult::SoundUnreadable;
    }
    return WriteResult::Written;
}

} // namespace tirvela
