#include "gtfs/routetrips.h"

#include <QStringList>

namespace tirvela {

namespace {

QString routeTitle(const FeedRoute &route)
{
    QString title = QStringLiteral("%1 (route_id %2)").arg(route.shortName, fieldText(route.id));
    if (!route.longName.isEmpty())
        title += QStringLiteral(" «%1»").arg(route.longName);
    return title;
}

QString ambiguity(const RouteCatalog &catalog, const QString &text, const std::vector<int> &named)
{
    QStringList titles;
    for (const int route : named)
        titles << routeTitle(catalog.routes[size_t(route)]);
    return QStringLiteral("Маршрут «%1» не один: %2. Укажите route_id.").arg(text, titles.join(QStringLiteral(", ")));
}

std::optional<int> oneRouteNamed(const RouteCatalog &catalog, const QString &text, QString &error)
{
    const std::vector<int> named = routesNamed(catalog, text);
    if (named.empty()) {
        error = QStringLiteral("В расписании нет маршрута «%1»").arg(text);
        return std::nullopt;
    }
    if (named.size() > 1) {
        error = ambiguity(catalog, text, named);
        return std::nullopt;
    }
    return named.front();
}

} // namespace

std::optional<RouteSelection> selectRoute(const RouteCatalog &catalog, const QString &route,
                                          const QString &reverseRoute, QString &error)
{
    RouteSelection selection;
    if (!reverseRoute.isEmpty()) {
        const std::optional<int> forward = oneRouteNamed(catalog, route, error);
        const std::optional<int> reverse = forward ? oneRouteNamed(catalog, reverseRoute, error) : std::nullopt;
        if (!reverse)
            return std::nullopt;
        if (*forward == *reverse) {
            error = QStringLiteral("Прямое и обратное направления — один и тот же маршрут «%1»").arg(route);
            return std::nullopt;
        }
        selection.route = *forward;
        selection.reverseRoute = *reverse;
        selection.pairing = QStringLiteral("Направления — два маршрута, как указано: прямое — %1, обратное — %2")
                                .arg(routeTitle(catalog.routes[size_t(*forward)]),
                                     routeTitle(catalog.routes[size_t(*reverse)]));
        return selection;
    }
    const std::vector<int> named = routesNamed(catalog, route);
    if (named.size() == 1) {
        selection.route = named.front();
        if (!catalog.routes[size_t(selection.route)].hasBothDirections())
            selection.pairing = QStringLiteral("direction_id не делит рейсы на два направления: "
                                               "направления найдены по порядку остановок");
        return selection;
    }
    if (named.size() == 2) {
        const FeedRoute &first = catalog.routes[size_t(named[0])];
        const FeedRoute &second = catalog.routes[size_t(named[1])];
        if (!first.hasBothDirections() && !second.hasBothDirections()) {
            const bool swapped = first.trips[0] == 0 && second.trips[0] > 0;
            selection.route = named[swapped ? 1 : 0];
            selection.reverseRoute = named[swapped ? 0 : 1];
            selection.pairing = QStringLiteral("Номер «%1» у двух маршрутов, каждый в одну сторону: прямое направление — %2, "
                                               "обратное — %3")
                                    .arg(route, routeTitle(catalog.routes[size_t(selection.route)]),
                                         routeTitle(catalog.routes[size_t(selection.reverseRoute)]));
            return selection;
        }
    }
    error = named.empty() ? QStringLiteral("В расписании нет маршрута «%1»").arg(route) : ambiguity(catalog, route, named);
    return std::nullopt;
}

} // namespace tirvela
