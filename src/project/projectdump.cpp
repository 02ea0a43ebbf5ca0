#include "project/projectdump.h"

#include "common/cp1251.h"
#include "project/project.h"
#include "project/stoptree.h"

#include <QJsonArray>

namespace tirvela {

using namespace Qt::StringLiterals;

namespace {

QJsonArray childTexts(const StopNode &parent)
{
    QJsonArray texts;
    for (const StopNode &node : parent.children())
        texts.append(fromCp1251(node.text));
    return texts;
}

QJsonArray directionsToJson(const StopTree &tree)
{
    QJsonArray directions;
    for (const StopNode &direction : tree.root().children()) {
        QJsonArray stops;
        for (const StopNode &stop : direction.children()) {
            QJsonArray groups;
            for (const StopNode &group : stop.children())
                groups.append(QJsonObject{{u"text"_s, fromCp1251(group.text)}, {u"items"_s, childTexts(group)}});
            stops.append(QJsonObject{{u"text"_s, fromCp1251(stop.text)}, {u"groups"_s, groups}});
        }
        directions.append(QJsonObject{{u"text"_s, fromCp1251(direction.text)}, {u"stops"_s, stops}});
    }
    return directions;
}

QJsonObject routeToJson(const Project &project, int route)
{
    QJsonObject object{{u"number"_s, fromCp1251(project.routeNumberText(route))}};
    const RouteStreamReadResult read = readRouteStream(project.routeStreams[size_t(route)]);
    if (read.ok) {
        object.insert(u"directions"_s, directionsToJson(read.tree));
    } else {
        object.insert(u"stream"_s, fromCp1251(project.routeStreams[size_t(route)]));
        object.insert(u"streamError"_s, read.error);
    }
    return object;
}

QJsonArray boardRoutesToJson(const Project &project, const Board &board)
{
    QJsonArray routes;
    for (int route = 0; route < MaxRoutes; ++route) {
        const BoardRouteEntry &entry = board.routes[size_t(route)];
        if (route >= project.routeCount && entry.routeNumberText.isEmpty() && entry.elements.empty())
            continue;
        QJsonArray elements;
        for (const DisplayElement &element : entry.elements)
            elements.append(QJsonObject{{u"font"_s, element.font},
                                        {u"x"_s, element.x},
                                        {u"y"_s, element.y},
                                        {u"text"_s, fromCp1251(element.text)}});
        routes.append(QJsonObject{{u"route"_s, route + 1},
                                  {u"number"_s, fromCp1251(entry.routeNumberText)},
                                  {u"elements"_s, elements}});
    }
    return routes;
}

} // namespace

QJsonObject projectToJson(const Project &project)
{
    QJsonArray routes;
    for (int route = 0; route < project.routeCount; ++route)
        routes.append(routeToJson(project, route));
    QJsonArray boards;
    for (int row = 0; row < BoardTypeCount; ++row)
        boards.append(QJsonObject{{u"boardType"_s, QString::fromUtf8(kBoardTypes[size_t(row)].caption)},
                                  {u"id"_s, kBoardTypes[size_t(row)].id},
                                  {u"routes"_s, boardRoutesToJson(project, project.boards[size_t(row)])}});
    return {{u"routeCount"_s, project.routeCount}, {u"routes"_s, routes}, {u"boards"_s, boards}};
}

} // namespace tirvela
