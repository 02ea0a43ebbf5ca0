#include "gtfs/routeplan.h"

#include "common/cp1251.h"
#include "project/stoptree.h"

#include <QDir>
#include <QSet>

#include <cstdio>
#include <set>

namespace tirvela {

namespace {

constexpr int kSecondsPerDay = 24 * 3600;

QString countText(qsizetype count, const char16_t *one, const char16_t *few, const char16_t *many)
{
    const qsizetype lastTwo = count % 100;
    const qsizetype last = count % 10;
    const char16_t *word = (lastTwo >= 11 && lastTwo <= 14) ? many : last == 1 ? one : (last >= 2 && last <= 4) ? few : many;
    return QStringLiteral("%1 %2").arg(count).arg(QString::fromUtf16(word));
}

QString directionName(int direction)
{
    return direction == 0 ? QStringLiteral("Прямое направление") : QStringLiteral("Обратное направление");
}

bool takesTime(const RouteTrips &trips, ControlTimes mode, size_t position, const TripStop &row)
{
    if (row.departure < 0 || mode == ControlTimes::None)
        return false;
    if (mode == ControlTimes::First || !trips.timepointColumn)
        return position == 0;
    return row.timepoint;
}

struct TimeCounts
{
    int wrapped = 0;
    int wrappedExample = -1;
};

// The control times of every stop of the chosen pattern.
void planTimes(const RouteTrips &trips, const StopPattern &pattern, ControlTimes mode, PlannedDirection &direction,
               TimeCounts &counts, QStringList &notes)
{
    for (size_t position = 0; position < pattern.stops.size(); ++position) {
        std::set<int> times;
        for (const int trip : pattern.trips) {
            const TripStop &row = trips.trips[size_t(trip)].stops[position];
            if (!takesTime(trips, mode, position, row))
                continue;
            if (row.departure >= kSecondsPerDay) {
                ++counts.wrapped;
                if (counts.wrappedExample < 0)
                    counts.wrappedExample = row.departure;
            }
            times.insert(row.departure % kSecondsPerDay);
        }
        PlannedStop &stop = direction.stops[position];
        stop.times.assign(times.begin(), times.end());
        if (stop.times.size() > size_t(MaxControlTimes)) {
            notes << QStringLiteral("Остановка «%1»: %2, а остановка вмещает %3 — после %4 времена не записаны")
                         .arg(stop.name, countText(qsizetype(stop.times.size()), u"время", u"времени", u"времён"))
                         .arg(MaxControlTimes)
                         .arg(clockText(stop.times[size_t(MaxControlTimes - 1)]));
            stop.times.resize(size_t(MaxControlTimes));
        }
    }
}

void planNames(const RouteTrips &trips, const StopPattern &pattern, const RoutePlanOptions &options,
               PlannedDirection &direction, RoutePlan &plan)
{
    for (const int stopIndex : pattern.stops) {
        const FeedStop &feedStop = trips.stops[size_t(stopIndex)];
        const StorableName storable = storableStopName(feedStop.name, options.replacements);
        PlannedStop stop;
        stop.feedName = feedStop.name;
        stop.name = storable.name;
        stop.folded = storable.folded;
        stop.soundFile = stopSoundFileName(storable.name);
        const QString change = QStringLiteral("«%1» → «%2»").arg(feedStop.name, storable.name);
        if (!storable.refused.isEmpty()) {
            QStringList characters;
            for (const char32_t character : storable.refused.toUcs4())
                characters << QString::fromUcs4(&character, 1);
            const QString refused = QStringLiteral("«%1» (%2)").arg(storable.name, characters.join(QStringLiteral(", ")));
            if (!plan.refusedNames.contains(refused))
                plan.refusedNames << refused;
        } else if (storable.folded && !plan.foldedNames.contains(change)) {
            plan.foldedNames << change;
        }
        direction.stops.push_back(std::move(stop));
    }
}

} // namespace

QStringList missingSoundFiles(const RoutePlan &plan, const QString &soundsFolder)
{
    QSet<QByteArray> present;
    const QStringList files = QDir(soundsFolder).entryList({QStringLiteral("*.wav")}, QDir::Files | QDir::Hidden);
    for (const QString &file : files)
        present.insert(cp1251ToUpper(toCp1251(file)));
    QStringList missing;
    for (const PlannedDirection &direction : plan.directions) {
        for (const PlannedStop &stop : direction.stops) {
            if (!present.contains(cp1251ToUpper(toCp1251(stop.soundFile))) && !missing.contains(stop.soundFile))
                missing << stop.soundFile;
        }
    }
    return missing;
}

QString clockText(int seconds)
{
    // Not QString::arg: an import writes a time for every departure, and three args cost more than
    // the rest of its plan.
    char text[24];
    const int size = std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return QString::fromLatin1(text, size);
}

QString patternText(const RouteTrips &trips, const StopPattern &pattern)
{
    return QStringLiteral("%1, %2: %3 → %4")
        .arg(countText(qsizetype(pattern.trips.size()), u"рейс", u"рейса", u"рейсов"),
             countText(qsizetype(pattern.stops.size()), u"остановка", u"остановки", u"остановок"),
             trips.stops[size_t(pattern.stops.front())].name, trips.stops[size_t(pattern.stops.back())].name);
}

RoutePlan planRoute(const RouteCatalog &catalog, const RouteSelection &selection, const RouteTrips &trips,
                    const RoutePlanOptions &options)
{
    RoutePlan plan;
    plan.error = chooseServiceDay(catalog.calendar, trips, options.day, plan.day);
    if (!plan.ok())
        return plan;
    plan.notes << QStringLiteral("День: %1%2; сервисы: %3")
                      .arg(dayText(plan.day.day),
                           plan.day.chosenAsBusiest ? QStringLiteral(" — самый загруженный будний день маршрута") : QString(),
                           plan.day.services.join(QStringLiteral(", ")));
    const DirectionSplit split = splitDirections(trips, plan.day.trips);
    if (!selection.pairing.isEmpty())
        plan.notes << selection.pairing;
    else if (split.byStopOrder)
        plan.notes << QStringLiteral("У части рейсов нет direction_id: их направление найдено по порядку остановок");

    TimeCounts counts;
    for (int index = 0; index < 2; ++index) {
        PlannedDirection &direction = plan.directions[size_t(index)];
        direction.patterns = stopPatterns(trips, split.trips[size_t(index)]);
        if (direction.patterns.empty()) {
            plan.notes << directionName(index) + QStringLiteral(": в этот день рейсов нет, направление пустое");
            continue;
        }
        direction.pattern = options.pattern[size_t(index)];
        if (direction.pattern < 0 || size_t(direction.pattern) >= direction.patterns.size()) {
            plan.error = QStringLiteral("%1: вариантов маршрута %2, варианта %3 нет")
                             .arg(directionName(index))
                             .arg(direction.patterns.size())
                             .arg(direction.pattern + 1);
            return plan;
        }
        for (size_t at = 0; at < direction.patterns.size(); ++at)
            plan.notes << QStringLiteral("%1, вариант %2%3: %4")
                              .arg(directionName(index))
                              .arg(at + 1)
                              .arg(int(at) == direction.pattern ? QStringLiteral(" (взят)") : QString(),
                                   patternText(trips, direction.patterns[at]));
        const StopPattern &pattern = direction.patterns[size_t(direction.pattern)];
        planNames(trips, pattern, options, direction, plan);
        planTimes(trips, pattern, options.times, direction, counts, plan.notes);
    }
    if (counts.wrapped > 0)
        plan.notes << QStringLiteral("Времена после 24:00:00 (%1) записаны по часам следующих суток: %2 стало %3")
                          .arg(counts.wrapped)
                          .arg(clockText(counts.wrappedExample), clockText(counts.wrappedExample % kSecondsPerDay));
    if (!plan.refusedNames.isEmpty())
        plan.error = QStringLiteral("В названиях остановок есть символы, которых нет в кодировке Windows-1251: ")
                     + plan.refusedNames.join(QStringLiteral(", "));
    return plan;
}

QByteArray routeStreamOf(const RoutePlan &plan)
{
    std::vector<StopNode> directions;
    for (int index = 0; index < 2; ++index) {
        std::vector<StopNode> stops;
        for (const PlannedStop &stop : plan.directions[size_t(index)].stops) {
            const QByteArray sound = toCp1251(stop.soundFile);
            std::vector<StopNode> times;
            for (const int time : stop.times)
                times.emplace_back(toCp1251(clockText(time)));
            stops.emplace_back(storableNodeText(toCp1251(stop.name)),
                               std::vector<StopNode>{StopNode(stopGroupText(), {StopNode(sound)}),
                                                     StopNode(nextStopGroupText(), {StopNode(sound)}),
                                                     StopNode(controlTimeGroupText(), std::move(times))});
        }
        directions.emplace_back(index == 0 ? forwardDirectionText() : reverseDirectionText(), std::move(stops));
    }
    return writeRouteStream(StopTree(std::move(directions)));
}

} // namespace tirvela
