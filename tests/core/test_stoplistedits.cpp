#include "project/stoplistedits.h"

#include <QTest>

using namespace tirvela;

Q_DECLARE_METATYPE(tirvela::StopPath)

namespace {

// Two directions: the first with stops A (one sound at the stop, one before it, one time) and B
// (no items), the second with stop C. Group texts are short: only their position counts.
const QByteArray kStops = "F\r\n"
                          "\tA\r\n\t\tg1\r\n\t\t\ta.wav\r\n\t\tg2\r\n\t\t\tb.wav\r\n\t\tg3\r\n\t\t\t7:05\r\n"
                          "\tB\r\n\t\tg1\r\n\t\tg2\r\n\t\tg3\r\n"
                          "R\r\n"
                          "\tC\r\n\t\tg1\r\n\t\tg2\r\n\t\tg3\r\n";

StopTree sampleTree()
{
    RouteStreamReadResult read = readStopListForEditing(kStops);
    return std::move(read.tree);
}

// Every node's parent link leads back through the tree to its own root.
void checkLinks(const StopNode &node)
{
    for (int row = 0; row < node.childCount(); ++row) {
        QCOMPARE(node.child(row).parent(), &node);
        QCOMPARE(node.child(row).row(), row);
        checkLinks(node.child(row));
    }
}

} // namespace

class TestStopListEdits : public QObject
{
    Q_OBJECT

private slots:
    void openingShapesTheList()
    {
        const RouteStreamReadResult empty = readStopListForEditing({});
        QVERIFY(empty.ok);
        QCOMPARE(writeRouteStream(empty.tree), forwardDirectionText() + "\r\n" + reverseDirectionText() + "\r\n");

        // a stop stored with its two sound groups only gets the control time group; others stay
        const RouteStreamReadResult old = readStopListForEditing("F\n\tA\n\t\tg1\n\t\tg2\n\tB\n\t\tg1\n");
        QCOMPARE(writeRouteStream(old.tree),
                 "F\r\n\tA\r\n\t\tg1\r\n\t\tg2\r\n\t\t" + controlTimeGroupText() + "\r\n\tB\r\n\t\tg1\r\n");

        const RouteStreamReadResult broken = readStopListForEditing("F\n\t\t\tX\n");
        QVERIFY(!broken.ok);
        QVERIFY(broken.tree.isEmpty());
    }

    void pathsFindTheirNodesAndCopiesKeepTheirLinks()
    {
        StopTree tree = sampleTree();
        QCOMPARE(tree.root().level(), -1);
        const StopNode &time = tree.root().child(0).child(0).child(2).child(0);
        QCOMPARE(time.level(), 3);
        QCOMPARE(pathOf(time), (StopPath{0, 0, 2, 0}));
        QCOMPARE(nodeAt(tree, {0, 0, 2, 0}), &time);
        QCOMPARE(nodeAt(tree, {}), nullptr);
        QCOMPARE(nodeAt(tree, {0, 5}), nullptr);
        QCOMPARE(nodeAt(tree, {-1}), nullptr);

        const StopTree copy = tree;
        QVERIFY(copy == tree);
        checkLinks(copy.root());
        const StopTree moved = std::move(tree);
        checkLinks(moved.root());
        QCOMPARE(&moved.root().child(0).child(0).child(2).child(0), &time); // nodes keep their address
    }

    void directionsAndGroupsStayPut_data()
    {
        QTest::addColumn<StopPath>("path");
        QTest::addColumn<bool>("editable");
        QTest::addColumn<bool>("canGoDown");
        QTest::newRow("direction") << StopPath{0} << false << false;
        QTest::newRow("group") << StopPath{0, 0, 1} << false << false;
        QTest::newRow("stop") << StopPath{0, 0} << true << true;
        QTest::newRow("last stop") << StopPath{1, 0} << true << false;
        QTest::newRow("only sound item") << StopPath{0, 0, 0, 0} << true << false;
        QTest::newRow("no node") << StopPath{0, 7} << false << false;
    }
    void directionsAndGroupsStayPut()
    {
        QFETCH(StopPath, path);
        QFETCH(bool, editable);
        QFETCH(bool, canGoDown);
        StopTree tree = sampleTree();
        const StopTree before = tree;
        QCOMPARE(swapWithNextStopNode(tree, path), canGoDown);
        if (canGoDown)
            QVERIFY(swapWithNextStopNode(tree, path));
        QCOMPARE(setStopNodeText(tree, path, "x").has_value(), editable);
        QCOMPARE(bool(removeStopNode(tree, path)), editable);
        if (!editable)
            QVERIFY(tree == before);
    }

    void insertGoesWhereTheSelectionSays_data()
    {
        QTest::addColumn<StopPath>("selected");
        QTest::addColumn<StopPath>("parent");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("controlTime");
        QTest::newRow("direction: at its end") << StopPath{0} << StopPath{0} << 2 << false;
        QTest::newRow("stop: right after it") << StopPath{0, 0} << StopPath{0} << 1 << false;
        QTest::newRow("sound group: after its stop") << StopPath{0, 0, 1} << StopPath{0} << 1 << false;
        QTest::newRow("sound item: after its stop") << StopPath{0, 0, 0, 0} << StopPath{0} << 1 << false;
        QTest::newRow("last stop") << StopPath{1, 0} << StopPath{1} << 1 << false;
        QTest::newRow("time group: a time") << StopPath{0, 1, 2} << StopPath{0, 1, 2} << 0 << true;
        QTest::newRow("time item: a time") << StopPath{0, 0, 2, 0} << StopPath{0, 0, 2} << 1 << true;
    }
    void insertGoesWhereTheSelectionSays()
    {
        QFETCH(StopPath, selected);
        QFETCH(StopPath, parent);
        QFETCH(int, row);
        QFETCH(bool, controlTime);
        StopTree tree = sampleTree();
        const std::optional<StopInsertion> place = insertionFor(*nodeAt(tree, selected));
        QVERIFY(place);
        QCOMPARE(place->parent, parent);
        QCOMPARE(place->row, row);
        QCOMPARE(place->controlTime, controlTime);
    }

    void soundFilesGoUnderASoundGroup_data()
    {
        QTest::addColumn<StopPath>("selected");
        QTest::addColumn<StopPath>("group"); // empty: nothing is added
        QTest::newRow("direction") << StopPath{0} << StopPath{};
        QTest::newRow("stop: its first group") << StopPath{0, 1} << StopPath{0, 1, 0};
        QTest::newRow("second group") << StopPath{0, 0, 1} << StopPath{0, 0, 1};
        QTest::newRow("item of the first group") << StopPath{0, 0, 0, 0} << StopPath{0, 0, 0};
        QTest::newRow("time group") << StopPath{0, 0, 2} << StopPath{};
        QTest::newRow("time item") << StopPath{0, 0, 2, 0} << StopPath{};
    }
    void soundFilesGoUnderASoundGroup()
    {
        QFETCH(StopPath, selected);
        QFETCH(StopPath, group);
        StopTree tree = sampleTree();
        const std::optional<StopInsertion> place = soundInsertionFor(*nodeAt(tree, selected));
        QCOMPARE(place.has_value(), !group.empty());
        if (place) {
            QCOMPARE(place->parent, group);
            QCOMPARE(place->row, nodeAt(tree, group)->childCount());
        }
    }

    // Each edit undone by what it returned gives back the tree; a node taken out and put back is
    // the same node.
    void editsUndoExactly()
    {
        StopTree tree = sampleTree();
        const StopTree start = tree;

        StopNode *made = insertStopNode(tree, {0}, 1, std::make_unique<StopNode>(newStopNode("N")));
        QVERIFY(made);
        QCOMPARE(pathOf(*made), (StopPath{0, 1}));
        QCOMPARE(made->childCount(), 3);
        std::unique_ptr<StopNode> taken = removeStopNode(tree, {0, 1});
        QCOMPARE(taken.get(), made);
        QVERIFY(tree == start);
        QCOMPARE(insertStopNode(tree, {0}, 1, std::move(taken)), made);
        removeStopNode(tree, {0, 1});

        // only stops under directions and items under groups go in
        QVERIFY(!insertStopNode(tree, {}, 0, std::make_unique<StopNode>("D")));
        QVERIFY(!insertStopNode(tree, {0, 0}, 0, std::make_unique<StopNode>("G")));
        QVERIFY(!insertStopNode(tree, {0}, 3, std::make_unique<StopNode>("S")));
        QVERIFY(tree == start);

        std::unique_ptr<StopNode> stopA = removeStopNode(tree, {0, 0});
        QCOMPARE(stopA->text, QByteArray("A"));
        QCOMPARE(tree.root().child(0).childCount(), 1);
        insertStopNode(tree, {0}, 0, std::move(stopA));
        QVERIFY(tree == start);

        QVERIFY(swapWithNextStopNode(tree, {0, 0}));
        QCOMPARE(tree.root().child(0).child(0).text, QByteArray("B"));
        QVERIFY(swapWithNextStopNode(tree, {0, 0}));
        QVERIFY(tree == start);

        const std::optional<QByteArray> name = setStopNodeText(tree, {0, 1}, "B2");
        QCOMPARE(*name, QByteArray("B"));
        setStopNodeText(tree, {0, 1}, *name);
        QVERIFY(tree == start);
    }

    void controlTimesAreNormalised_data()
    {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("7:5") << QByteArray("7:5") << QByteArray("07:05:00");
        QTest::newRow("25:00") << QByteArray("25:00") << QByteArray("00:00:00");
        QTest::newRow("letters") << QByteArray("ab") << QByteArray("00:00:00");
        QTest::newRow("full") << QByteArray("23:59:59") << QByteArray("23:59:59");
    }
    void controlTimesAreNormalised()
    {
        QFETCH(QByteArray, typed);
        QFETCH(QByteArray, stored);
        StopTree tree = sampleTree();
        const StopTree start = tree;

        // an edited time item
        QCOMPARE(*setStopNodeText(tree, {0, 0, 2, 0}, typed), QByteArray("7:05"));
        QCOMPARE(nodeAt(tree, {0, 0, 2, 0})->text, stored);

        // the stop's first time, from the stop or its name's group
        const std::optional<ControlTimeEdit> changed = setControlTime(tree, {0, 0, 0}, typed);
        QCOMPARE(changed->item, (StopPath{0, 0, 2, 0}));
        QCOMPARE(*changed->previousText, stored);

        // a stop without a time gets one; undoing takes it out again
        const StopTree beforeMade = tree;
        const std::optional<ControlTimeEdit> made = setControlTime(tree, {0, 1}, typed);
        QCOMPARE(made->item, (StopPath{0, 1, 2, 0}));
        QVERIFY(!made->previousText);
        QCOMPARE(nodeAt(tree, made->item)->text, stored);
        QVERIFY(removeStopNode(tree, made->item));
        QVERIFY(tree == beforeMade);

        QVERIFY(!setControlTime(tree, {0}, typed)); // a direction has no time
        QVERIFY(tree == beforeMade);

        // A stop stored with fewer groups has no time to set.
        StopTree oneGroup = readStopListForEditing("F\r\n\tA\r\n\t\tg1\r\n").tree;
        const StopTree oneGroupBefore = oneGroup;
        QVERIFY(!controlTimePlace(oneGroup, {0, 0}));
        QVERIFY(!setControlTime(oneGroup, {0, 0, 0}, typed));
        QVERIFY(oneGroup == oneGroupBefore);
    }
};

QTEST_GUILESS_MAIN(TestStopListEdits)
#include "test_stoplistedits.moc"
