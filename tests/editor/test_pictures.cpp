// The tools window and the picture windows: display elements, their fonts, texts and positions,
// dragging, and the stop properties.

#include "editorprojects.h"
#include "pictureaccess.h"

#include "editor/messagewindow.h"
#include "editor/routelistwindow.h"
#include "editor/stoplistwindow.h"
#include "editor/stoppropertiesgrid.h"
#include "document/stoptrees.h"
#include "editor/toolswindow.h"
#include "fonts/fonttable.h"

#include <QAction>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

namespace {

ToolsWindow &tools(const Editor &editor)
{
    return editor.window->toolsWindow();
}

void press(const ToolsWindow &window, const char *button)
{
    window.findChild<QAction *>(QLatin1String(button) + u"Action"_s)->trigger();
}

QStringList offeredFonts(ToolsWindow &window)
{
    window.activateElementCell(0, 1);
    QStringList names;
    for (QAction *item : window.fontMenu()->actions()) {
        if (item->isVisible())
            names << item->text();
    }
    window.fontMenu()->hide();
    return names;
}

} // namespace

class TestPictures : public QObject
{
    Q_OBJECT

private slots:
    void fontsOfferedPerBoardType_data()
    {
        QTest::addColumn<int>("boardRow");
        QTest::addColumn<QStringList>("fonts");
        QTest::newRow("16x28x4") << 0 << QStringList{u"8x16"_s, u"8x16 Ц"_s, u"8x8"_s};
        QTest::newRow("20x28x4") << 1 << QStringList{u"8x10"_s, u"8x16"_s, u"8x20 Ц"_s};
        QTest::newRow("16x28x4 Раздельные") << 2 << QStringList{u"8x16"_s, u"8x16 Ц"_s, u"8x8"_s};
    }

    void fontsOfferedPerBoardType()
    {
        QFETCH(int, boardRow);
        QFETCH(QStringList, fonts);
        Editor editor;
        ToolsWindow &window = tools(editor);
        window.showElements(0, boardRow);
        press(window, "ToolButton1");
        QCOMPARE(offeredFonts(window), fonts);
    }

    void elementListCommands()
    {
        Editor editor;
        ToolsWindow &window = tools(editor);
        editor.window->routeListWindow()->selectCell(0, 2); // a picture cell shows its elements
        QCOMPARE(window.shown(), ToolsWindow::Shown::Elements);
        QCOMPARE(window.boardRow(), 1);
        QCOMPARE(window.elementGrid()->rowCount(), 1); // an empty list shows one empty row

        press(window, "ToolButton1");
        QCOMPARE(elementsOf(editor, 0, 1).size(), size_t(1));
        QCOMPARE(window.elementGrid()->item(0, 1)->text(), u"8x10"_s);
        QCOMPARE(window.elementGrid()->item(0, 2)->text(), u"0:0"_s);
        QVERIFY(editor.document().isModified());

        // The tools window stores capitals, Cyrillic included, drops control characters, cuts at 29.
        editor.dialogs.texts.enqueue(u"вокзал\tvokzal and a text far beyond twenty-nine"_s);
        window.activateElementCell(0, 3);
        QCOMPARE(elementsOf(editor, 0, 1)[0].text, toCp1251(u"ВОКЗАЛVOKZAL AND A TEXT FAR B"_s));
        editor.dialogs.texts.enqueue(u"Кофе ☕"_s);
        window.activateElementCell(0, 3);
        QCOMPARE(editor.dialogs.messages.size(), 1);
        QVERIFY(editor.dialogs.messages[0].contains(u"☕"_s));

        editor.dialogs.texts.enqueue(u"5:-12"_s);
        window.activateElementCell(0, 2);
        QCOMPARE(elementsOf(editor, 0, 1)[0].y, 5);
        QCOMPARE(elementsOf(editor, 0, 1)[0].x, -12);
        for (const QString &bad : {u"200:0"_s, u"12"_s, u"a:b"_s}) {
            editor.dialogs.texts.enqueue(bad);
            window.activateElementCell(0, 2);
        }
        QCOMPARE(editor.dialogs.messages.size(), 4);
        QCOMPARE(elementsOf(editor, 0, 1)[0].y, 5);

        window.activateElementCell(0, 1);
        const QList<QAction *> fonts = window.fontMenu()->actions();
        fonts[3]->trigger(); // "8x20 Ц"
        QCOMPARE(elementsOf(editor, 0, 1)[0].font, 4);
        QCOMPARE(window.elementGrid()->item(0, 1)->text(), u"8x20 Ц"_s);

        press(window, "ToolButton1"); // a new element before the current one
        QCOMPARE(elementsOf(editor, 0, 1).size(), size_t(2));
        QVERIFY(elementsOf(editor, 0, 1)[0].text.isEmpty());
        window.elementGrid()->setCurrentCell(0, 0);
        press(window, "ToolButton3"); // up on the first row: nothing
        press(window, "ToolButton4");
        QVERIFY(elementsOf(editor, 0, 1)[1].text.isEmpty());
        QCOMPARE(window.elementGrid()->currentRow(), 1);
        press(window, "ToolButton4"); // down on the last row: nothing
        press(window, "ToolButton2");
        QCOMPARE(elementsOf(editor, 0, 1).size(), size_t(1));
        saveScreenshot(&window, u"tools"_s);

        // Every step undone gives the empty list back, redone the last one.
        QUndoStack *stack = editor.document().undoStack();
        const std::vector<DisplayElement> last = elementsOf(editor, 0, 1);
        while (stack->canUndo())
            stack->undo();
        QVERIFY(elementsOf(editor, 0, 1).empty());
        QVERIFY(!editor.document().isModified());
        while (stack->canRedo())
            stack->redo();
        QCOMPARE(elementsOf(editor, 0, 1), last);
    }

    void dragMovesAnElementInOneUndoStep()
    {
        Editor editor;
        ToolsWindow &window = tools(editor);
        window.showElements(0, 0);
        press(window, "ToolButton1");
        editor.dialogs.texts.enqueue(u"12"_s);
        window.activateElementCell(0, 3);
        editor.window->openPicture(0, 0);
        PictureWindow *picture = pictureOf(editor, 0, 0);
        QVERIFY(picture);
        QCOMPARE(picture->objectName(), u"PictureForm"_s);
        QCOMPARE(picture->windowTitle(), u"1  (16x28x4)"_s);
        QCOMPARE(picture->size(), QSize(672, 96));
        QVERIFY(editor.window->findChild<QMenu *>(u"MenuWindows"_s)->actions().constLast()->text() == u"1  (16x28x4)"_s);
        const BoardPicture before = editor.document().project().boards[0].routes[0].picture;
        const int steps = editor.document().undoStack()->count();

        int miniatureRepaints = 0;
        connect(editor.window->routeListWindow()->grid()->model(), &QAbstractItemModel::dataChanged, this,
                [&] { ++miniatureRepaints; });
        QTest::mousePress(picture, Qt::LeftButton, {}, ledCentre(*picture, 1, 1));
        QTest::mouseMove(picture, ledCentre(*picture, 2, 1));
        QTest::mouseMove(picture, ledCentre(*picture, 2, 2));
        QTest::mouseMove(picture, ledCentre(*picture, 2, 3));
        QTest::mouseRelease(picture, Qt::LeftButton, {}, ledCentre(*picture, 2, 3));
        QCOMPARE(elementsOf(editor, 0, 0)[0].x, 1);
        QCOMPARE(elementsOf(editor, 0, 0)[0].y, 2);
        QVERIFY(miniatureRepaints >= 3);
        QCOMPARE(editor.document().undoStack()->count(), steps + 1);
        QCOMPARE(window.elementGrid()->item(0, 2)->text(), u"2:1"_s);
        saveScreenshot(picture, u"picture"_s);

        editor.trigger("UndoItem");
        QCOMPARE(elementsOf(editor, 0, 0)[0].x, 0);
        QCOMPARE(editor.document().project().boards[0].routes[0].picture.bits, before.bits);

        // A press on a dark LED forgets the element, so a double click then does nothing.
        QTest::mousePress(picture, Qt::LeftButton, {}, ledCentre(*picture, 100, 10));
        QTest::mouseRelease(picture, Qt::LeftButton, {}, ledCentre(*picture, 100, 10));
        QTest::mouseDClick(picture, Qt::LeftButton, {}, ledCentre(*picture, 100, 10));
        QVERIFY(editor.dialogs.allAnswered());

        // A double click on the element edits its text as typed: the case stays.
        QTest::mousePress(picture, Qt::LeftButton, {}, ledCentre(*picture, 1, 1));
        QTest::mouseRelease(picture, Qt::LeftButton, {}, ledCentre(*picture, 1, 1));
        editor.dialogs.texts.enqueue(u"Депо"_s);
        QTest::mouseDClick(picture, Qt::LeftButton, {}, ledCentre(*picture, 1, 1));
        QCOMPARE(elementsOf(editor, 0, 0)[0].text, toCp1251(u"Депо"_s));

        QTest::keyClick(picture, Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(picture->ledSize(), 7);
        QCOMPARE(picture->sizeHint(), QSize(7 * 112, 7 * 16));
        QTest::keyClick(picture, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(picture->ledSize(), 6);
    }

    void picturesFollowTheirRoute()
    {
        Editor editor;
        writeThreeRouteProject(editor.path(u"three.stm"_s));
        openProject(editor, editor.path(u"three.stm"_s));
        editor.window->openPicture(0, 0);
        editor.window->openPicture(2, 1);
        RouteListWindow &routes = *editor.window->routeListWindow();
        routes.selectCell(0, 0);
        routes.moveRoute(+1);
        QVERIFY(pictureOf(editor, 1, 0)); // route 1 is now the second
        routes.selectCell(1, 0);
        routes.deleteRoute();
        QTRY_VERIFY(!pictureOf(editor, 0, 0) && !pictureOf(editor, 1, 0));
        QVERIFY(pictureOf(editor, 1, 1)); // route 3 moved up one slot
        editor.trigger("UndoItem");
        QVERIFY(pictureOf(editor, 2, 1));
        for (int round = 0; round < 2; ++round) // the closed window and then its menu entry go
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QStringList entries = [&] {
            QStringList texts;
            for (QAction *entry : editor.window->findChild<QMenu *>(u"MenuWindows"_s)->actions())
                texts << entry->text();
            return texts;
        }();
        QCOMPARE(entries.filter(u"  ("_s), QStringList{u"3  (20x28x4)"_s});
    }

    void stopPropertiesShowAndEditTheSelectedStop()
    {
        Editor editor;
        writeThreeRouteProject(editor.path(u"three.stm"_s));
        openProject(editor, editor.path(u"three.stm"_s));
        editor.window->openStopList(0);
        StopListWindow &stops = *editor.window->stopListWindow();
        ToolsWindow &window = tools(editor);
        const auto values = [&] {
            QStringList texts;
            for (int row = 0; row < 3; ++row)
                texts << window.stopGrid()->item(row, 1)->text();
            return texts;
        };
        stops.select({0});
        QCOMPARE(window.shown(), ToolsWindow::Shown::StopProperties);
        QCOMPARE(values(), (QStringList{u"Прямое направление"_s, u"-"_s, u"-"_s}));
        stops.select({0, 0, 0, 0});
        QCOMPARE(values(), (QStringList{u"Вокзал"_s, u"Вокзал.wav"_s, u"07:05:00"_s}));
        QTableWidgetItem *file = window.stopGrid()->item(1, 1);
        QVERIFY(!file->icon().isNull()); // no such file in the sounds folder: marked
        saveScreenshot(&window, u"stopproperties"_s);

        addSound(editor, u"ДРУГОЙ.WAV"_s, samples(100, 1));
        editor.dialogs.texts.enqueue(u"  Новый вокзал"_s);
        window.activateStopProperty(0);
        editor.dialogs.texts.enqueue(u"Другой.wav"_s);
        window.activateStopProperty(1);
        QCOMPARE(editor.dialogs.offered, QList<QStringList>{QStringList{u"ДРУГОЙ.WAV"_s}});
        QCOMPARE(values(), (QStringList{u"Новый вокзал"_s, u"Другой.wav"_s, u"07:05:00"_s}));
        QVERIFY(file->icon().isNull()); // the folder has it, in any letter case

        stops.select({0, 1}); // a stop whose control time group is empty
        QCOMPARE(values()[2], u"-"_s);
        editor.dialogs.texts.enqueue(u"8:3"_s);
        window.activateStopProperty(2);
        QCOMPARE(values()[2], u"08:03:00"_s);
        const StopNode *times = nodeAt(*editor.document().stopTrees().treeOf(0), {0, 1, 2});
        QCOMPARE(times->childCount(), 1);
        // A typed time that is no time of day changes nothing and says which form is wanted.
        const int steps = editor.document().undoStack()->count();
        editor.dialogs.texts.enqueue(u"25:00"_s);
        window.activateStopProperty(2);
        QCOMPARE(values()[2], u"08:03:00"_s);
        QCOMPARE(editor.document().undoStack()->count(), steps);
        QCOMPARE(editor.dialogs.messages.size(), 1);
        QVERIFY(editor.dialogs.messages[0].contains(u"ЧЧ:ММ или ЧЧ:ММ:СС"_s));
        QVERIFY(editor.document().isModified());

        // With the editor closed the window that is active now is shown, and no stop is changed.
        editor.window->stopListWindow()->parentWidget()->close();
        QTRY_VERIFY(!editor.window->stopListWindow());
        QCOMPARE(window.shown(), ToolsWindow::Shown::Elements);
        window.activateStopProperty(0);
        QVERIFY(editor.dialogs.allAnswered());
    }
};

QTEST_MAIN(TestPictures)
#include "test_pictures.moc"
