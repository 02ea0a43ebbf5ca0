#pragma once

#include "project/project.h"

#include <QByteArray>

#include <array>
#include <optional>

namespace tirvela {

// Everything one route holds: its stop list in stored form and what it shows on each board type.
struct RouteSlot
{
    QByteArray stream;
    std::array<BoardRouteEntry, BoardTypeCount> boards;

    bool operator==(const RouteSlot &other) const = default;
};

// A route's number text as each board type keeps it.
using RouteNumberTexts = std::array<QByteArray, BoardTypeCount>;

// The same number text for every board type, as the route list stores it.
RouteNumberTexts sameRouteNumberTexts(const QByteArray &text);

// A new route: its number on every board type, no elements, an empty picture, the stream given.
RouteSlot newRouteSlot(const QByteArray &numberText, const QByteArray &stream = {});

// The route operations keep every per-route array in step and change nothing when they return
// false or nothing (a full project, an index out of range). Each has an exact inverse:
// insertRoute / removeRoute, swapRoutes with the same pair, the setters with what they returned.

// Inserts a route at `index` (0 to the route count); the routes from there on move one slot on.
bool insertRoute(Project &project, int index, RouteSlot slot);

// Removes a route and returns it; the later routes move one slot to the front and the freed last
// slot is left empty.
std::optional<RouteSlot> removeRoute(Project &project, int index);

// Swaps two routes: their streams and their entries on every board type.
bool swapRoutes(Project &project, int first, int second);

// Sets a route's number texts; returns the texts it had.
std::optional<RouteNumberTexts> setRouteNumberTexts(Project &project, int route, const RouteNumberTexts &texts);

// Replaces a route's stop list in stored form; returns the one it had.
std::optional<QByteArray> setRouteStream(Project &project, int route, const QByteArray &stream);

} // namespace tirvela
