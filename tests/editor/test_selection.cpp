// What the editor acts on: the tools window, the picture windows and the stop properties act on
// what the user sees, after every kind of change, and never on an element or node that is gone.

#include "editorprojects.h"

#include "document/stopcommands.h"
#include "document/stoptrees.h"
#include "editor/picturewindow.h"
#include "editor/stoplistwindow.h"
#include "editor/stoppropertiesgrid.h"
#include "editor/toolswindow.h"

#include <QMouseEvent>
#include <QTableWidget>
#include <QTest>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

namespace {

const std::vector<DisplayElement> &elementsOf(const Editor &editor, int route, int boardRow)
{
    return editor.document().project().boards[size_t(boardRow)].routes[size_t(route)].elements;
}

PictureWindow *pictureOf(const Editor &editor, int route, int boardRow)
{
    for (PictureWindow *picture : editor.window->findChildren<PictureWindow *>()) {
        if (picture->route() == route && picture->boardRow() == boardRow && picture->isVisible())
            return picture;
    }
    return nullptr;
}

QPoint ledCentre(const PictureWindow &picture, int column, int row)
{
    return {column * picture.ledSize() + 2, row * picture.ledSize() + 2};
}

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
};

QTEST_MAIN(TestSelection)
#include "test_selection.moc"
