#include "project/boardcontent.h"
#include "project/routeedits.h"

#include <QRandomGenerator>
#include <QTest>

#include <functional>
#include <memory>

using namespace tirvela;

namespace {

// A route whose every part tells which route it is: stream, number, and one element per board type.
RouteSlot markedRoute(int mark)
{
    RouteSlot slot = newRouteSlot(QByteArray::number(mark), "stops of " + QByteArray::number(mark));
    for (int row = 0; row < BoardTypeCount; ++row) {
        BoardRouteEntry &entry = slot.boards[size_t(row)];
        entry.elements.push_back({row + 1, mark, -mark, "E" + QByteArray::number(mark), 0, 0});
        redrawRoutePicture(entry);
    }
    return slot;
}

std::unique_ptr<Project> projectOf(int routes)
{
    auto project = std::make_unique<Project>();
    for (int route = 0; route < routes; ++route)
        insertRoute(*project, route, markedRoute(route + 1));
    return project;
}

// The marks of the routes in order, read from each array separately, so that an array left
// behind shows as a mismatch.
QList<QByteArray> layout(const Project &project)
{
    QList<QByteArray> marks;
    for (int route = 0; route < project.routeCount; ++route) {
        QByteArray line = project.routeStreams[size_t(route)];
        for (const Board &board : project.boards) {
            const BoardRouteEntry &entry = board.routes[size_t(route)];
            line += '|' + entry.routeNumberText + '|' + (entry.elements.empty() ? QByteArray() : entry.elements[0].text);
        }
        marks.append(line);
    }
    return marks;
}

QByteArray marks(int mark)
{
    const QByteArray n = QByteArray::number(mark);
    return "stops of " + n + '|' + n + "|E" + n + '|' + n + "|E" + n + '|' + n + "|E" + n;
}

} // namespace

class TestRouteEdits : public QObject
{
    Q_OBJECT

private slots:
    void insertAndRemoveKeepEveryArrayInStep()
    {
        auto project = projectOf(3);
        const Project before = *project;

        QVERIFY(insertRoute(*project, 1, markedRoute(9)));
        QCOMPARE(layout(*project), (QList<QByteArray>{marks(1), marks(9), marks(2), marks(3)}));
        QCOMPARE(project->boards[2].routes[2].picture.bits, before.boards[2].routes[1].picture.bits);

        const std::optional<RouteSlot> removed = removeRoute(*project, 1);
        QVERIFY(removed);
        QVERIFY(*removed == markedRoute(9));
        QVERIFY(*project == before);
        // the freed last slot holds nothing
        QVERIFY(project->routeStreams[3].isEmpty());
        for (const Board &board : project->boards)
            QVERIFY(board.routes[3] == BoardRouteEntry{});

        // the last route, then back again
        const std::optional<RouteSlot> last = removeRoute(*project, 2);
        QCOMPARE(layout(*project), (QList<QByteArray>{marks(1), marks(2)}));
        QVERIFY(insertRoute(*project, 2, *last));
        QVERIFY(*project == before);
    }

    void refusedEditsChangeNothing_data()
    {
        QTest::addColumn<int>("routes");
        QTest::addColumn<std::function<bool(Project &)>>("edit");
        using Edit = std::function<bool(Project &)>;
        QTest::newRow("insert into a full project") << MaxRoutes << Edit([](Project &p) { return insertRoute(p, 0, {}); });
        QTest::newRow("insert past the end") << 2 << Edit([](Project &p) { return insertRoute(p, 3, {}); });
        QTest::newRow("insert before the start") << 2 << Edit([](Project &p) { return insertRoute(p, -1, {}); });
        QTest::newRow("remove from none") << 0 << Edit([](Project &p) { return removeRoute(p, 0).has_value(); });
        QTest::newRow("remove past the end") << 2 << Edit([](Project &p) { return removeRoute(p, 2).has_value(); });
        QTest::newRow("move the first up") << 2 << Edit([](Project &p) { return swapRoutes(p, -1, 0); });
        QTest::newRow("move the last down") << 2 << Edit([](Project &p) { return swapRoutes(p, 1, 2); });
        QTest::newRow("rename past the end")
            << 2 << Edit([](Project &p) { return setRouteNumberTexts(p, 2, sameRouteNumberTexts("7")).has_value(); });
        QTest::newRow("stops past the end") << 2 << Edit([](Project &p) { return setRouteStream(p, 2, "x").has_value(); });
        QTest::newRow("stops before the start")
            << 2 << Edit([](Project &p) { return setRouteStream(p, -1, "x").has_value(); });
    }
    void refusedEditsChangeNothing()
    {
        QFETCH(int, routes);
        QFETCH(std::function<bool(Project &)>, edit);
        auto project = projectOf(routes);
        const QList<QByteArray> before = layout(*project);
        QVERIFY(!edit(*project));
        QCOMPARE(layout(*project), before);
    }

    void swapRenameAndStopsAreUndoneByTheirInverse()
    {
        auto project = projectOf(3);
        const Project before = *project;

        QVERIFY(swapRoutes(*project, 0, 1));
        QCOMPARE(layout(*project), (QList<QByteArray>{marks(2), marks(1), marks(3)}));
        QVERIFY(swapRoutes(*project, 0, 1));
        QVERIFY(*project == before);

        // copies that differ come back as they were
        project->boards[2].routes[1].routeNumberText = "x";
        const Project differing = *project;
        const std::optional<RouteNumberTexts> previous = setRouteNumberTexts(*project, 1, sameRouteNumberTexts("12"));
        QCOMPARE(*previous, (RouteNumberTexts{"2", "2", "x"}));
        for (const Board &board : project->boards)
            QCOMPARE(board.routes[1].routeNumberText, QByteArray("12"));
        setRouteNumberTexts(*project, 1, *previous);
        QVERIFY(*project == differing);

        const std::optional<QByteArray> replaced = setRouteStream(*project, 0, project->routeStreams[2]);
        QCOMPARE(*replaced, QByteArray("stops of 1"));
        QCOMPARE(project->routeStreams[0], QByteArray("stops of 3"));
        QVERIFY(project->boards[0].routes[0] == differing.boards[0].routes[0]); // only the stops change
        setRouteStream(*project, 0, *replaced);
        QVERIFY(*project == differing);
    }

    // Many edits, each undone by its inverse in reverse order, give back the first project.
    void longSequenceUndoesToTheStart()
    {
        auto project = projectOf(4);
        const Project start = *project;
        std::vector<std::function<void(Project &)>> undo;
        QRandomGenerator random(21);
        for (int step = 0; step < 400; ++step) {
            const int count = project->routeCount;
            const int at = count ? random.bounded(count) : 0;
            switch (random.bounded(5)) {
            case 0: {
                const int index = random.bounded(count + 1);
                if (insertRoute(*project, index, markedRoute(100 + step)))
                    undo.push_back([index](Project &p) { QVERIFY(removeRoute(p, index)); });
                break;
            }
            case 1:
                if (std::optional<RouteSlot> slot = removeRoute(*project, at))
                    undo.push_back([at, s = *slot](Project &p) { QVERIFY(insertRoute(p, at, s)); });
                break;
            case 2:
                if (swapRoutes(*project, at, at + 1))
                    undo.push_back([at](Project &p) { QVERIFY(swapRoutes(p, at, at + 1)); });
                break;
            case 3:
                if (auto texts = setRouteNumberTexts(*project, at, sameRouteNumberTexts(QByteArray::number(step))))
                    undo.push_back([at, t = *texts](Project &p) { QVERIFY(setRouteNumberTexts(p, at, t)); });
                break;
            case 4: {
                const QByteArray copied = project->routeStreams[size_t(random.bounded(qMax(count, 1)))];
                if (auto stream = setRouteStream(*project, at, copied))
                    undo.push_back([at, s = *stream](Project &p) { QVERIFY(setRouteStream(p, at, s)); });
                break;
            }
            }
        }
        QVERIFY(undo.size() > 300);
        while (!undo.empty()) {
            undo.back()(*project);
            undo.pop_back();
        }
        QVERIFY(*project == start);
    }

    void equalityLeavesOutWhatIsDrawnAndUnusedSlots()
    {
        auto project = projectOf(2);
        Project other = *project;
        other.boards[0].routes[0].picture.clear();
        other.boards[0].routes[0].elements[0].width = 99;
        other.boards[1].image.fill(0x11);
        other.routeStreams[5] = "past the route count";
        QVERIFY(*project == other);

        const std::vector<std::function<void(Project &)>> changes{
            [](Project &p) { p.routeCount = 1; },
            [](Project &p) { p.routeStreams[1] += 'x'; },
            [](Project &p) { p.boards[2].routes[1].routeNumberText = "7"; },
            [](Project &p) { p.boards[1].routes[0].elements[0].x += 1; },
            [](Project &p) { p.boards[1].routes[0].elements[0].font = 6; },
            [](Project &p) { p.boards[0].routes[1].elements.push_back({}); },
        };
        for (const auto &change : changes) {
            Project changed = *project;
            change(changed);
            QVERIFY(!(changed == *project));
        }
    }
};

QTEST_GUILESS_MAIN(TestRouteEdits)
#include "test_routeedits.moc"
