#pragma once

#include "gtfs/routecatalog.h"
#include "project/project.h"

#include <QByteArray>
#include <QString>

namespace tirvela {

// The route number an imported route gets when the user names none: the feed's short name when it
// is a number from 1 to 9999, as the route list gives; otherwise none.
QString defaultRouteNumber(const FeedRoute &route);

// Why a route number cannot be used for an import, or an empty text.
QString routeNumberProblem(const QString &number);

// Where an imported route goes: the route of that number when there is one (only when the user
// allows replacing its stop list), otherwise a new route after the last one.
struct RoutePlacement
{
    int route = -1;
    bool replaces = false;
    bool numberTaken = false; // refused: a route of that number exists and replacing was not allowed
    QString error;
};
RoutePlacement placeImportedRoute(const Project &project, const QByteArray &numberText, bool replace);

// Puts the stop list into the project where placeImportedRoute() says; the replaced route keeps
// its board pictures. Returns the placement; nothing changes when its error is set.
RoutePlacement importRouteStream(Project &project, const QByteArray &numberText, const QByteArray &stream, bool replace);

} // namespace tirvela
