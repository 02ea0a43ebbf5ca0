// The editor's two busiest paintings, each as a fraction of a 16.7 ms frame and against a floor
// measured in the same run: the route list of 50 routes with their 150 miniatures (floor: the same
// grid with its miniature columns empty), and the stop list editor opened on a route of 127 stops
// with 10 sound items each (the tree read and its model made, then its first painting; floor:
// painting the tree with only its two directions); and one step of a drag in a picture window (the
// entry drawn again, the window and the miniature painted; floor: the window painted alone).
// Run offscreen, in a release build.

#include "fixtures.h"

#include "document/document.h"
#include "document/elementcommands.h"
#include "editor/picturewindow.h"
#include "editor/userdialogs.h"
#include "editor/routelistmodel.h"
#include "editor/miniaturedelegate.h"
#include "editor/stoplistmodel.h"
#include "document/stoptrees.h"
#include "project/boardcontent.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QImage>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTreeView>
#include <QUndoStack>

#include <cstdio>
#include <functional>

using namespace tirvela;
using namespace tirvela::fixture;

namespace {

constexpr double kFrameMs = 1000.0 / 60;
constexpr int kRepeats = 20;

// The best of several runs, in milliseconds.
double bestMs(const std::function<void()> &work)
{
    double best = 1e9;
    for (int run = 0; run < kRepeats; ++run) {
        QElapsedTimer clock;
        clock.start();
        work();
        best = std::min(best, clock.nsecsElapsed() / 1e6);
    }
    return best;
}

void paintOnce(QAbstractItemView &view)
{
    QImage image(view.viewport()->size(), QImage::Format_RGB32);
    view.viewport()->render(&image);
}

// A full project: 50 routes, two lines of text on every board type.
void fillProject(Project &project)
{
    project.routeCount = MaxRoutes;
    for (int route = 0; route < MaxRoutes; ++route) {
        setRouteNumber(project, route, QByteArray::number(route + 1));
        for (int row = 0; row < BoardTypeCount; ++row) {
            BoardRouteEntry &entry = project.boards[size_t(row)].routes[size_t(route)];
            entry.elements.push_back({2, 0, 0, QByteArray::number(route + 1)});
            entry.elements.push_back({row == 1 ? 1 : 6, 0, 30, "VOKZAL"});
            redrawRoutePicture(entry);
        }
    }
}

QByteArray longStopList()
{
    std::vector<StopNode> stops;
    for (int stop = 0; stop < 127; ++stop) {
        QStringList sounds;
        for (int item = 0; item < 10; ++item)
            sounds << QStringLiteral("sound%1.wav").arg(item);
        stops.push_back(stopNode(QStringLiteral("Остановка %1").arg(stop), sounds.mid(0, 5), sounds.mid(5)));
    }
    return routeStream(std::move(stops));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    Document document;
    Project &project = document.projectForEdit();
    fillProject(project);
    document.notifyRoutesChanged();

    RouteListModel routes(document);
    QTableView grid;
    grid.setModel(&routes);
    grid.verticalHeader()->setDefaultSectionSize(26);
    for (int column = 0; column < 4; ++column)
        grid.setColumnWidth(column, column == 0 ? 64 : 141);
    grid.resize(64 + 3 * 141 + 40, 26 * MaxRoutes + 40); // every row on screen at once
    MiniatureDelegate miniatures(document);
    QStyledItemDelegate plain;
    grid.setItemDelegate(&plain);
    const double gridFloor = bestMs([&] { paintOnce(grid); });
    grid.setItemDelegate(&miniatures);
    const double gridMs = bestMs([&] { paintOnce(grid); });
    std::printf("route list, 50 routes, 150 miniatures: %.2f ms = %.3f of a frame (target at most 0.1); "
                "%.2f x the grid without miniatures (%.2f ms)\n",
                gridMs, gridMs / kFrameMs, gridMs / gridFloor, gridFloor);

    project.routeStreams[0] = longStopList();
    QTreeView view;
    view.resize(320, 600);
    double modelMs = 1e9;
    double paintMs = 1e9;
    for (int run = 0; run < kRepeats; ++run) {
        document.stopTrees().dropAll();
        QElapsedTimer clock;
        clock.start();
        StopTree &tree = *document.stopTrees().open(0).tree;
        StopListModel model(document.stopTrees(), 0, tree, [](const StopPath &, const QString &) {});
        view.setModel(&model);
        view.expandToDepth(0);
        modelMs = std::min(modelMs, clock.nsecsElapsed() / 1e6);
        clock.start();
        paintOnce(view);
        paintMs = std::min(paintMs, clock.nsecsElapsed() / 1e6);
        view.setModel(nullptr);
    }
    project.routeStreams[1] = {};
    StopTree &empty = *document.stopTrees().open(1).tree;
    StopListModel emptyModel(document.stopTrees(), 1, empty, [](const StopPath &, const QString &) {});
    view.setModel(&emptyModel);
    const double treeFloor = bestMs([&] { paintOnce(view); });
    std::printf("stop list, 127 stops with 10 sound items each: model %.2f ms = %.3f of a frame (target at most 0.1); "
                "first painting %.2f ms = %.2f of a frame (target at most 1), %.2f x an empty tree (%.2f ms)\n",
                modelMs, modelMs / kFrameMs, paintMs, paintMs / kFrameMs, paintMs / treeFloor, treeFloor);

    WidgetDialogs dialogs; // never asked: the benchmark only drags
    PictureWindow picture(document, dialogs, 0, 0);
    picture.resize(picture.sizeHint());
    const QRect miniature = grid.visualRect(routes.index(0, 1));
    const auto paintPicture = [&] {
        QImage image(picture.size(), QImage::Format_RGB32);
        picture.render(&image);
    };
    const double pictureFloor = bestMs(paintPicture);
    int step = 0;
    const double dragMs = bestMs([&] {
        std::vector<DisplayElement> elements = project.boards[0].routes[0].elements;
        elements[0].x = ++step % 40;
        document.undoStack()->push(new ChangeElementsCommand(document, 0, 0, std::move(elements), {}, 1));
        paintPicture();
        QImage cell(miniature.size(), QImage::Format_RGB32);
        grid.viewport()->render(&cell, {}, QRegion(miniature));
    });
    std::printf("drag step in a picture window: %.2f ms = %.3f of a frame (target at most 0.1); "
                "%.2f x painting the window alone (%.2f ms)\n",
                dragMs, dragMs / kFrameMs, dragMs / pictureFloor, pictureFloor);
    return 0;
}
