#include "gtfs/routeplacement.h"

#include "common/cp1251.h"
#include "project/routeedits.h"

#include <algorithm>

namespace tirvela {

namespace {

constexpr int kMaxRouteNumber = 9999;

} // namespace

QString routeNumberProblem(const QString &number)
{
    bool isNumber = false;
    const int value = number.toInt(&isNumber);
    const bool digitsOnly = !number.isEmpty() && std::all_of(number.begin(), number.end(), [](QChar c) { return c.isDigit() && c.unicode() < 128; });
    if (!isNumber || !digitsOnly || value < 1 || value > kMaxRouteNumber || number.startsWith(u'0'))
        return QStringLiteral("Номер маршрута «%1» не годится: нужен номер от 1 до %2").arg(number).arg(kMaxRouteNumber);
    return {};
}

QString defaultRouteNumber(const FeedRoute &route)
{
    return routeNumberProblem(route.shortName).isEmpty() ? route.shortName : QString();
}

RoutePlacement placeImportedRoute(const Project &project, const QByteArray &numberText, bool replace)
{
    RoutePlacement placement;
    for (int route = 0; route < project.routeCount; ++route) {
        if (project.routeNumberText(route) != numberText)
            continue;
        if (!replace) {
            placement.numberTaken = true;
            placement.error = QStringLiteral("Маршрут %1 уже есть в проекте").arg(fromCp1251(numberText));
            return placement;
        }
        placement.route = route;
        placement.replaces = true;
        return placement;
    }
    if (project.routeCount >= MaxRoutes) {
        placement.error = QStringLiteral("В проекте уже %1 маршрутов — больше не помещается").arg(MaxRoutes);
        return placement;
    }
    placement.route = project.routeCount;
    return placement;
}

RoutePlacement importRouteStream(Project &project, const QByteArray &numberText, const QByteArray &stream, bool replace)
{
    RoutePlacement placement = placeImportedRoute(project, numberText, replace);
    if (!placement.error.isEmpty())
        return placement;
    if (placement.replaces)
        setRouteStream(project, placement.route, stream);
    else
        insertRoute(project, placement.route, newRouteSlot(numberText, stream));
    return placement;
}

} // namespace tirvela
