#pragma once

#include "gtfs/routetrips.h"
#include "gtfs/servicedays.h"
#include "gtfs/stopnaming.h"
#include "gtfs/stoppatterns.h"

#include <QByteArray>
#include <QDate>
#include <QStringList>

#include <array>
#include <vector>

namespace tirvela {

// Which departures become control times.
enum class ControlTimes {
    Timepoints, // at the stops the feed marks as timepoints; without such marks, at the first stop
    First,      // at the first stop only
    None,
};

struct RoutePlanOptions
{
    QDate day;                       // invalid: the busiest weekday
    std::array<int, 2> pattern{};    // 0-based, per direction, in the order stopPatterns gives
    ControlTimes times = ControlTimes::Timepoints;
    QList<NameReplacement> replacements;
};

struct PlannedStop
{
    QString name;       // as the stop list gets it
    QString feedName;   // as the feed spells it
    bool folded = false;
    QString soundFile;
    std::vector<int> times; // seconds after midnight, sorted, each once, at most MaxControlTimes
};

struct PlannedDirection
{
    std::vector<StopPattern> patterns;
    int pattern = -1; // the chosen one; -1 when the direction has no trip
    std::vector<PlannedStop> stops;
};

// One route of a feed made ready for the stop list: the day, both directions with the stops of
// their chosen pattern, the control times and the names, and what the user should know about it.
struct RoutePlan
{
    QString error; // empty when the plan can be imported
    ServiceDay day;
    std::array<PlannedDirection, 2> directions;
    QStringList notes;        // how day, directions and patterns were chosen; times moved or left out
    QStringList foldedNames;  // "«Ștefan cel Mare» → «Stefan cel Mare»"
    QStringList refusedNames; // "«東京» (東, 京)"

    bool ok() const { return error.isEmpty(); }
};

// A device stop list holds at most this many control times at one stop.
constexpr int MaxControlTimes = 255;

RoutePlan planRoute(const RouteCatalog &catalog, const RouteSelection &selection, const RouteTrips &trips,
                    const RoutePlanOptions &options);

// The plan's stop list in its stored form: both directions, each stop with its sound file in
// its two sound groups and its control times in the third.
QByteArray routeStreamOf(const RoutePlan &plan);

// The plan's sound files that the sounds folder lacks (compared as the sound table compares
// names: without regard to letter case), each once, in stop list order.
QStringList missingSoundFiles(const RoutePlan &plan, const QString &soundsFolder);

// "08:15:00" for seconds after midnight.
QString clockText(int seconds);

// How a pattern is shown: "12 рейсов, 18 остановок: Центр → Вокзал".
QString patternText(const RouteTrips &trips, const StopPattern &pattern);

} // namespace tirvela
