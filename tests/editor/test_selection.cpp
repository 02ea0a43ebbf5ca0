// What the editor acts on: the tools window, the picture windows and the stop properties act on
// what the user sees, after every kind of change, and never on an element or node that is gone.

#include "editorprojects.h"
#include "pictureaccess.h"

#include "document/currenttarget.h"
#include "document/routecommands.h"
#include "document/stopcommands.h"
#include "document/stoptrees.h"
#include "editor/routelistwindow.h"
#include "editor/stoplistwindow.h"
#include "editor/stoppropertiesgrid.h"
#include "editor/toolswindow.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QTableView>
#include <QToolBar>
#include <QTableWidget>
#include <QTest>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

namespace {

// Two texts on route 1 of the first board type, at 0:0 and 0:40, in their own undo steps.
PictureWindow &pictureWithTwoTexts(Editor &editor)
{
    ToolsWindow &tools = editor.window->toolsWindow();
    tools.showElements(0, 0);
    for (const QString &text : {u"B"_s, u"A"_s}) {
        tools.addElement();
        editor.dialogs.texts.enqueue(text);
        tools.activateElementCell(0, 3);
    }
    editor.dialogs.texts.enqueue(u"0:40"_s);
    tools.activateElementCell(1, 2);
    editor.window->openPicture(0, 0);
    PictureWindow *picture = pictureOf(editor, 0, 0);
    if (!picture)
        qFatal("no picture window");
    return *picture;
}

void doubleClick(PictureWindow &picture, const QPoint &at)
{
    // What Qt sends for the second click: a double click event, with no press before it.
    QMouseEvent event(QEvent::MouseButtonDblClick, at, picture.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&picture, &event);
}

void drag(PictureWindow &picture, const QPoint &from, const QPoint &to)
{
    QTest::mousePress(&picture, Qt::LeftButton, {}, from);
    QTest::mouseMove(&picture, to);
    QTest::mouseRelease(&picture, Qt::LeftButton, {}, to);
}

QStringList stopValues(const Editor &editor)
{
    QStringList texts;
    for (int row = 0; row < 3; ++row)
        texts << editor.window->toolsWindow().stopGrid()->item(row, 1)->text();
    return texts;
}

ToolsWindow &tools(const Editor &editor)
{
    return editor.window->toolsWindow();
}

const CurrentTarget &targetOf(const Editor &editor)
{
    return editor.document().currentTarget();
}

QMdiArea &clientArea(const Editor &editor)
{
    return *editor.window->findChild<QMdiArea *>();
}

void activate(const Editor &editor, QWidget *window)
{
    clientArea(editor).setActiveSubWindow(qobject_cast<QMdiSubWindow *>(window->parentWidget()));
}

QStringList elementTexts(const Editor &editor)
{
    QStringList texts;
    const QTableWidget *grid = tools(editor).elementGrid();
    for (int row = 0; row < grid->rowCount(); ++row)
        texts << (grid->item(row, 3) ? grid->item(row, 3)->text() : QString());
    return texts;
}

// The tools window acts on what the active window shows selected, and lists it.
void checkTargetIsOnScreen(const Editor &editor)
{
    const CurrentTarget &target = targetOf(editor);
    QCOMPARE(tools(editor).shownText(), target.description());
    const QMdiSubWindow *active = clientArea(editor).activeSubWindow();
    QWidget *window = active ? active->widget() : nullptr;
    if (auto *routes = qobject_cast<RouteListWindow *>(window)) {
        QCOMPARE(target.kind(), CurrentTarget::Kind::Elements);
        QCOMPARE(target.route(), routes->selectedRoute());
        if (const int column = routes->grid()->currentIndex().column(); column >= 1)
            QCOMPARE(target.boardRow(), column - 1);
    } else if (auto *stops = qobject_cast<StopListWindow *>(window)) {
        QCOMPARE(target.kind(), CurrentTarget::Kind::Stop);
        QCOMPARE(target.route(), stops->route());
        QCOMPARE(target.stopPath(), stops->selectedPath());
    } else if (auto *picture = window ? window->findChild<PictureWindow *>() : nullptr) {
        QCOMPARE(target.kind(), CurrentTarget::Kind::Elements);
        QCOMPARE(target.route(), picture->route());
        QCOMPARE(target.boardRow(), picture->boardRow());
    }
    if (target.kind() == CurrentTarget::Kind::Elements) {
        QStringList texts;
        for (const DisplayElement &element : elementsOf(editor, target.route(), target.boardRow()))
            texts << fromCp1251(element.text);
        QCOMPARE(elementTexts(editor), texts.isEmpty() ? QStringList{QString()} : texts);
        QCOMPARE(tools(editor).elementGrid()->currentRow(), qMax(0, target.element()));
    }
}

// The next edit goes where the target is: a text's font on the element list, a stop's name.
void checkNextEditLandsOnTarget(Editor &editor)
{
    const CurrentTarget &target = targetOf(editor);
    if (target.kind() == CurrentTarget::Kind::Elements) {
        const int route = target.route();
        const int boardRow = target.boardRow();
        const size_t count = elementsOf(editor, route, boardRow).size();
        tools(editor).addElement();
        QCOMPARE(elementsOf(editor, route, boardRow).size(), count + 1);
    } else if (target.kind() == CurrentTarget::Kind::Stop) {
        const StopPath stop{target.stopPath()[0], target.stopPath()[1]};
        editor.dialogs.texts.enqueue(u"Новое имя"_s);
        tools(editor).activateStopProperty(0);
        QCOMPARE(nodeAt(*editor.document().stopTrees().treeOf(target.route()), stop)->text, toCp1251(u"Новое имя"_s));
    }
}

} // namespace

class TestSelection : public QObject
{
    Q_OBJECT

private slots:
    void undoUnderAPressedElementForgetsIt()
    {
        Editor editor;
        PictureWindow &picture = pictureWithTwoTexts(editor);
        QTest::mousePress(&picture, Qt::LeftButton, {}, ledCentre(picture, 41, 1)); // the second text
        for (int step = 0; step < 3; ++step) // the position, the text, the element itself
            editor.trigger("UndoItem");
        QCOMPARE(elementsOf(editor, 0, 0).size(), size_t(1));
        const std::vector<DisplayElement> before = elementsOf(editor, 0, 0);
        QTest::mouseMove(&picture, ledCentre(picture, 45, 3));
        QTest::mouseRelease(&picture, Qt::LeftButton, {}, ledCentre(picture, 45, 3));
        QCOMPARE(elementsOf(editor, 0, 0), before);

        // The next press finds the elements anew.
        drag(picture, ledCentre(picture, 1, 1), ledCentre(picture, 2, 1));
        QCOMPARE(elementsOf(editor, 0, 0)[0].x, 1);
    }

    void aDoubleClickEditsAndTheNextPressDrags()
    {
        Editor editor;
        PictureWindow &picture = pictureWithTwoTexts(editor);
        QUndoStack *stack = editor.document().undoStack();
        QTest::mousePress(&picture, Qt::LeftButton, {}, ledCentre(picture, 1, 1));
        QTest::mouseRelease(&picture, Qt::LeftButton, {}, ledCentre(picture, 1, 1));
        editor.dialogs.texts.enqueue(u"Депо"_s);
        doubleClick(picture, ledCentre(picture, 1, 1));
        QCOMPARE(elementsOf(editor, 0, 0)[0].text, toCp1251(u"Депо"_s));

        // Two drags, two undo steps.
        const int steps = stack->count();
        drag(picture, ledCentre(picture, 1, 1), ledCentre(picture, 3, 2));
        drag(picture, ledCentre(picture, 3, 2), ledCentre(picture, 3, 4));
        QCOMPARE(stack->count(), steps + 2);
        QCOMPARE(elementsOf(editor, 0, 0)[0].x, 2);
        QCOMPARE(elementsOf(editor, 0, 0)[0].y, 3);
        editor.trigger("UndoItem");
        QCOMPARE(elementsOf(editor, 0, 0)[0].y, 1);
        QCOMPARE(elementsOf(editor, 0, 0)[0].x, 2);
    }

    void aStopWithoutItsTimeGroupHasNoTimeToChange()
    {
        Editor editor;
        // The reader takes a stop with one group; only a stop with two gets the third.
        editor.document().projectForEdit().routeStreams[0] = routeStream({textNode(u"Депо"_s, {textNode(u"Остановка"_s)})});
        editor.window->openStopList(0);
        StopListWindow &stops = *editor.window->stopListWindow();
        stops.select({0, 0});
        QCOMPARE(stopValues(editor), (QStringList{u"Депо"_s, u"-"_s, u"-"_s}));
        const int steps = editor.document().undoStack()->count();
        editor.window->toolsWindow().activateStopProperty(2);
        QCOMPARE(editor.document().undoStack()->count(), steps);
        QVERIFY(editor.dialogs.allAnswered());
    }

    void aStoredTimeComesBackExactlyOnUndo()
    {
        Editor editor;
        editor.document().projectForEdit().routeStreams[0] =
            routeStream({stopNode(u"Депо"_s, {u"a.wav"_s}, {}, {u"7:5"_s}), stopNode(u"Рынок"_s, {})});
        editor.window->openStopList(0);
        StopListWindow &stops = *editor.window->stopListWindow();
        ToolsWindow &tools = editor.window->toolsWindow();
        stops.select({0, 0, 0, 0});
        editor.dialogs.texts.enqueue(u"8:00"_s);
        tools.activateStopProperty(2);
        QCOMPARE(editor.dialogs.proposals.constLast(), u"7:5"_s);
        QCOMPARE(stopValues(editor)[2], u"08:00:00"_s);
        editor.trigger("UndoItem");
        const StopTree &tree = *editor.document().stopTrees().treeOf(0);
        QCOMPARE(nodeAt(tree, {0, 0, 2, 0})->text, QByteArray("7:5"));
        QCOMPARE(stopValues(editor)[2], u"7:5"_s);

        // A stop without a time gets one, and its undo takes out just that item.
        stops.select({0, 1});
        editor.dialogs.texts.enqueue(u"9:1"_s);
        tools.activateStopProperty(2);
        QCOMPARE(nodeAt(tree, {0, 1, 2, 0})->text, QByteArray("09:01:00"));
        editor.trigger("UndoItem");
        QCOMPARE(nodeAt(tree, {0, 1, 2})->childCount(), 0);
        QCOMPARE(nodeAt(tree, {0, 0, 2})->childCount(), 1);
    }

    void aRefusedStepLeavesNoUndoStep()
    {
        Editor editor;
        Document &document = editor.document();
        document.projectForEdit().routeStreams[0] = routeStream({stopNode(u"Депо"_s, {u"a.wav"_s})});
        QVERIFY(document.stopTrees().open(0).tree);
        const QByteArray stored = writeRouteStream(*document.stopTrees().treeOf(0));
        QUndoStack *stack = document.undoStack();
        stack->push(new InsertStopNodeCommand(document, 0, {{0}, 5, false}, newStopNode("X"), u"x"_s)); // past the end
        stack->push(new RemoveStopNodeCommand(document, 0, {0, 0, 1}, u"x"_s)); // a group
        stack->push(new SwapStopNodesCommand(document, 0, {0, 0}, u"x"_s));     // the last stop
        stack->push(new SetStopNodeTextCommand(document, 0, {1}, "X", u"x"_s)); // a direction
        stack->push(new SetControlTimeCommand(document, 0, {0}, "7:5", u"x"_s));
        QCOMPARE(stack->count(), 0);
        QVERIFY(!document.isModified());
        stack->undo();
        QCOMPARE(writeRouteStream(*document.stopTrees().treeOf(0)), stored);
    }

    void targetFollowsEverySequence_data()
    {
        QTest::addColumn<QStringList>("steps");
        const auto steps = [](const char *text) { return QString::fromLatin1(text).split(u' '); };
        QTest::newRow("open") << steps("open");
        QTest::newRow("cell, picture, back to the list")
            << steps("open cell:1:2 picture:2:1 list picture:2:1 close-picture");
        QTest::newRow("stops and back") << steps("open cell:1:1 stops:1 node:0.0.0.0 list stops-window");
        QTest::newRow("delete a sound, undo, redo")
            << steps("open stops:0 node:0.0.0.0 sound node:0.0.0.0 delete-node undo undo redo");
        QTest::newRow("move, undo") << steps("open cell:0:2 move-down undo redo");
        QTest::newRow("add a route") << steps("open cell:1:1 add");
        QTest::newRow("add a route, undo") << steps("open cell:2:1 add undo");
        QTest::newRow("delete the last route") << steps("open cell:2:1 delete-route undo");
        QTest::newRow("picture edits, undo") << steps("open picture:0:0 drag undo list");
        QTest::newRow("delete the last element") << steps("open picture:0:0 add-element delete-element");
        QTest::newRow("new") << steps("open cell:2:3 new");
    }

    void targetFollowsEverySequence()
    {
        QFETCH(QStringList, steps);
        Editor editor;
        writeThreeRouteProject(editor.path(u"three.stm"_s));
        RouteListWindow &routes = *editor.window->routeListWindow();
        QUndoStack *stack = editor.document().undoStack();
        for (const QString &step : steps) {
            const QStringList parts = step.split(u':');
            const QString &name = parts[0];
            const auto number = [&](int at) { return parts[at].toInt(); };
            if (name == u"open") {
                openProject(editor, editor.path(u"three.stm"_s));
            } else if (name == u"new") {
                editor.trigger("N1");
            } else if (name == u"cell") {
                activate(editor, &routes);
                routes.selectCell(number(1), number(2));
            } else if (name == u"list") {
                activate(editor, &routes);
            } else if (name == u"picture") {
                editor.window->openPicture(number(1), number(2));
            } else if (name == u"close-picture") {
                clientArea(editor).activeSubWindow()->close();
            } else if (name == u"stops") {
                editor.window->openStopList(number(1));
            } else if (name == u"stops-window") {
                activate(editor, editor.window->stopListWindow());
            } else if (name == u"node") {
                StopPath path;
                for (const QString &row : parts[1].split(u'.'))
                    path.push_back(row.toInt());
                editor.window->stopListWindow()->select(path);
            } else if (name == u"sound") {
                editor.window->stopListWindow()->addSoundFile(u"x.wav"_s);
            } else if (name == u"delete-node") {
                editor.window->stopListWindow()->deleteNode();
            } else if (name == u"undo") {
                stack->undo();
            } else if (name == u"redo") {
                stack->redo();
            } else if (name == u"move-down") {
                routes.moveRoute(+1);
            } else if (name == u"add") {
                answerRouteNumber(u"77"_s);
                routes.addRoute();
            } else if (name == u"delete-route") {
                routes.deleteRoute();
            } else if (name == u"drag") {
                PictureWindow &picture = *clientArea(editor).activeSubWindow()->findChild<PictureWindow *>();
                drag(picture, ledCentre(picture, 1, 1), ledCentre(picture, 2, 3));
            } else if (name == u"add-element") {
                tools(editor).addElement();
            } else if (name == u"delete-element") {
                tools(editor).elementGrid()->setCurrentCell(1, 0);
                tools(editor).deleteElement();
            } else {
                QFAIL(qPrintable(u"unknown step "_s + step));
            }
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            checkTargetIsOnScreen(editor);
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(u"after "_s + step));
        }
        checkNextEditLandsOnTarget(editor);
        QVERIFY(editor.dialogs.allAnswered());
    }

    void toolsWindowShowsRouteOneAfterNewAndOpen()
    {
        Editor editor;
        writeThreeRouteProject(editor.path(u"three.stm"_s));
        openProject(editor, editor.path(u"three.stm"_s));
        ToolsWindow &window = tools(editor);
        QCOMPARE(window.shown(), ToolsWindow::Shown::Elements);
        QCOMPARE(window.shownText(), u"Маршрут 1 · 16x28x4"_s);
        QCOMPARE(elementTexts(editor), QStringList{u"R0"_s});
        QVERIFY(window.findChild<QToolBar *>()->isEnabled());
        window.show();
        saveScreenshot(&window, u"tools-after-open"_s);

        editor.trigger("N1");
        QVERIFY(editor.dialogs.allAnswered());
        QCOMPARE(window.shown(), ToolsWindow::Shown::Elements);
        QCOMPARE(window.shownText(), u"Маршрут 1 · 16x28x4"_s);
        QVERIFY(window.findChild<QToolBar *>()->isEnabled());
    }

    void activatingAWindowShowsItsSelection()
    {
        Editor editor;
        writeThreeRouteProject(editor.path(u"three.stm"_s));
        openProject(editor, editor.path(u"three.stm"_s));
        RouteListWindow &routes = *editor.window->routeListWindow();
        routes.selectCell(1, 1);
        editor.window->openStopList(0);
        StopListWindow &stops = *editor.window->stopListWindow();
        stops.select({0, 0});
        QCOMPARE(tools(editor).shownText(), u"Маршрут 1 · Вокзал"_s);
        activate(editor, &routes);
        QCOMPARE(tools(editor).shownText(), u"Маршрут 2 · 16x28x4"_s);
        QCOMPARE(elementTexts(editor), QStringList{u"R1"_s});
        activate(editor, &stops);
        QCOMPARE(stopValues(editor), (QStringList{u"Вокзал"_s, u"-"_s, u"07:05:00"_s}));
        stops.select({0, 0, 1, 0});
        QCOMPARE(tools(editor).shownText(), u"Маршрут 1 · Вокзал · Следующая остановка"_s);
    }

    void stopPropertiesFollowDeleteAndUndo()
    {
        Editor editor;
        editor.document().projectForEdit().routeStreams[0] =
            routeStream({stopNode(u"Депо"_s, {u"a.wav"_s, u"b.wav"_s, u"c.wav"_s})});
        editor.window->openStopList(0);
        StopListWindow &stops = *editor.window->stopListWindow();
        stops.select({0, 0, 0, 0});
        stops.deleteNode(); // the next item, b.wav, takes the place and the highlight
        QCOMPARE(stops.selectedPath(), (StopPath{0, 0, 0, 0}));
        QCOMPARE(stopValues(editor)[1], u"b.wav"_s);
        stops.select({0, 0, 0, 1}); // c.wav
        editor.trigger("UndoItem");  // a.wav comes back before it
        QCOMPARE(stops.selectedPath(), (StopPath{0, 0, 0, 2}));
        QCOMPARE(stopValues(editor)[1], u"c.wav"_s);
        editor.dialogs.texts.enqueue(u"d.wav"_s);
        tools(editor).activateStopProperty(1);
        const StopTree &tree = *editor.document().stopTrees().treeOf(0);
        QCOMPARE(nodeAt(tree, {0, 0, 0, 2})->text, QByteArray("d.wav"));
        QCOMPARE(nodeAt(tree, {0, 0, 0, 1})->text, QByteArray("b.wav"));
    }

    void deletingTheLastElementMakesTheNewLastCurrent()
    {
        Editor editor;
        pictureWithTwoTexts(editor);
        ToolsWindow &window = tools(editor);
        window.showElements(0, 0);
        window.elementGrid()->setCurrentCell(1, 0);
        window.deleteElement();
        QCOMPARE(window.elementGrid()->currentRow(), 0);
        QCOMPARE(targetOf(editor).element(), 0);
        window.addElement(); // before the current one, which is the only one
        QCOMPARE(elementsOf(editor, 0, 0).size(), size_t(2));
        QCOMPARE(elementsOf(editor, 0, 0)[1].text, QByteArray("A"));
        window.elementGrid()->setCurrentCell(1, 0);
        window.deleteElement();
        window.deleteElement();
        QVERIFY(elementsOf(editor, 0, 0).empty());
    }

    void addingARouteShowsItAndKeepsTheStopListOpen()
    {
        Editor editor;
        writeThreeRouteProject(editor.path(u"three.stm"_s));
        openProject(editor, editor.path(u"three.stm"_s));
        RouteListWindow &routes = *editor.window->routeListWindow();
        routes.selectCell(0, 1);
        editor.window->openStopList(0);
        StopListWindow *stops = editor.window->stopListWindow();
        stops->select({0, 0});
        editor.dialogs.texts.enqueue(u"Депо"_s);
        tools(editor).activateStopProperty(0);
        activate(editor, &routes);
        answerRouteNumber(u"77"_s, true);
        routes.addRoute();
        QCOMPARE(tools(editor).shownText(), u"Маршрут 77 · 16x28x4"_s);
        QCOMPARE(elementTexts(editor), QStringList{QString()});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(editor.window->stopListWindow(), stops);
        // The copy has the edit made in the open stop list.
        QVERIFY(editor.document().project().routeStreams[3].contains(toCp1251(u"Депо"_s)));

        editor.trigger("UndoItem");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(editor.window->stopListWindow(), stops);
        QCOMPARE(editor.document().project().routeCount, 3);
        editor.trigger("UndoItem");
        QCOMPARE(nodeAt(*editor.document().stopTrees().treeOf(0), {0, 0})->text, toCp1251(u"Вокзал"_s));
    }

    void renumberUndoGivesEachBoardItsOwnNumber()
    {
        Editor editor;
        Project &project = editor.document().projectForEdit();
        project.boards[0].routes[0].routeNumberText = "5";
        project.boards[1].routes[0].routeNumberText = "5A";
        project.boards[2].routes[0].routeNumberText = "";
        editor.document().undoStack()->push(new RenumberRouteCommand(editor.document(), 0, "9"));
        for (const Board &board : editor.document().project().boards)
            QCOMPARE(board.routes[0].routeNumberText, QByteArray("9"));
        editor.trigger("UndoItem");
        const QByteArrayList numbers = {"5", "5A", ""};
        for (int row = 0; row < BoardTypeCount; ++row)
            QCOMPARE(editor.document().project().boards[size_t(row)].routes[0].routeNumberText, numbers[row]);
    }
};

QTEST_MAIN(TestSelection)
#include "test_selection.moc"
