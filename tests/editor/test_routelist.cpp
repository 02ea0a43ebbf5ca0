#include "editorprojects.h"

#include "editor/routelistwindow.h"
#include "editor/stoplistwindow.h"

#include <QAction>
#include <QTableView>
#include <QTest>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

namespace {

RouteListWindow &routeList(const Editor &editor)
{
    return *editor.window->routeListWindow();
}

void press(const Editor &editor, const char *button)
{
    routeList(editor).findChild<QAction *>(QLatin1String(button) + u"Action"_s)->trigger();
}

QByteArrayList routeNumbers(const Editor &editor)
{
    QByteArrayList numbers;
    const Project &project = editor.document().project();
    for (int route = 0; route < project.routeCount; ++route)
        numbers << project.routeNumberText(route);
    return numbers;
}

} // namespace

class TestRouteList : public QObject
{
    Q_OBJECT

private slots:
    void routeNumberDialogAcceptsOneToFourDigits_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("number");
        QTest::newRow("plain") << u"12"_s << 12;
        QTest::newRow("blanks around") << u"  12\t"_s << 12;
        QTest::newRow("leading zeros") << u"0012"_s << 12;
        QTest::newRow("largest") << u"9999"_s << 9999;
        QTest::newRow("letter") << u"12a"_s << 0;
        QTest::newRow("five digits") << u"12345"_s << 0;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("zero") << u"0"_s << 0;
        QTest::newRow("zeros") << u"0000"_s << 0;
        QTest::newRow("blank inside") << u"1 2"_s << 0;
    }

    void routeNumberDialogAcceptsOneToFourDigits()
    {
        QFETCH(QString, typed);
        QFETCH(int, number);
        RouteNumberDialog dialog;
        dialog.prepare(u"Введите номер нового маршрута"_s, typed, true);
        QCOMPARE(dialog.routeNumber(), number);
        QCOMPARE(dialog.findChild<QPushButton *>(u"OKButton"_s)->isEnabled(), number > 0);
    }

    void addsUpToFiftyRoutesAndRefusesMore()
    {
        Editor editor;
        for (int number = 2; number <= MaxRoutes; ++number) {
            answerRouteNumber(QString::number(number));
            press(editor, "ToolButton1");
        }
        QCOMPARE(editor.document().project().routeCount, MaxRoutes);
        QCOMPARE(routeList(editor).grid()->model()->rowCount(), MaxRoutes);
        QCOMPARE(routeList(editor).selectedRoute(), MaxRoutes - 1);
        press(editor, "ToolButton1");
        QCOMPARE(editor.dialogs.messages, QStringList{u"Достигнуто максимальное значение количества маршутов!"_s});
        QCOMPARE(editor.document().project().routeCount, MaxRoutes);
        saveScreenshot(editor.window.get(), u"routelist"_s);

        answerRouteNumber(u"7"_s, false, false); // a cancelled dialog changes nothing
        editor.trigger("UndoItem");
        press(editor, "ToolButton1");
        QCOMPARE(editor.document().project().routeCount, MaxRoutes - 1);
    }

    void addingCopiesTheStopsOfTheSelectedRoute()
    {
        Editor editor;
        writeThreeRouteProject(editor.path(u"three.stm"_s));
        openProject(editor, editor.path(u"three.stm"_s));
        routeList(editor).selectCell(1, 0);
        answerRouteNumber(u"0044"_s, true);
        press(editor, "ToolButton1");
        const Project &project = editor.document().project();
        QCOMPARE(project.routeCount, 4);
        QCOMPARE(project.routeNumberText(3), QByteArray("44"));
        QCOMPARE(project.routeStreams[3], project.routeStreams[1]);
        QVERIFY(project.boards[0].routes[3].elements.empty()); // only the stops are copied
        QCOMPARE(editor.action("UndoItem")->text(), u"Отменить: добавление маршрута 44"_s);

        // The dialog keeps the choice; without it the new route has no stops.
        answerRouteNumber(u"45"_s, false);
        press(editor, "ToolButton1");
        QVERIFY(project.routeStreams[4].isEmpty());
    }

    void deleteMoveRenameAndTheirUndo()
    {
        Editor editor;
        const QString original = editor.path(u"three.stm"_s);
        writeThreeRouteProject(original);
        openProject(editor, original);
        const QByteArray opened = readFile(original);

        routeList(editor).selectCell(0, 1);
        press(editor, "ToolButton4"); // route 1 down
        QCOMPARE(routeNumbers(editor), (QByteArrayList{"2", "1", "3"}));
        QCOMPARE(routeList(editor).selectedRoute(), 1);
        press(editor, "ToolButton4");
        press(editor, "ToolButton4"); // already last: nothing
        QCOMPARE(routeNumbers(editor), (QByteArrayList{"2", "3", "1"}));
        answerRouteNumber(u"77"_s);
        press(editor, "ToolButton8");
        QCOMPARE(routeNumbers(editor), (QByteArrayList{"2", "3", "77"}));
        for (const Board &board : editor.document().project().boards)
            QCOMPARE(board.routes[2].routeNumberText, QByteArray("77"));
        routeList(editor).selectCell(0, 0);
        press(editor, "ToolButton3"); // already first: nothing
        press(editor, "ToolButton2");
        QCOMPARE(routeNumbers(editor), (QByteArrayList{"3", "77"}));
        QCOMPARE(editor.action("UndoItem")->text(), u"Отменить: удаление маршрута 2"_s);
        QVERIFY(routeList(editor).windowTitle().endsWith(u'*'));
        const QByteArray edited = savedBytes(editor, u"edited.stm"_s);

        QUndoStack *stack = editor.document().undoStack();
        while (stack->canUndo())
            stack->undo();
        QCOMPARE(savedBytes(editor, u"undone.stm"_s), opened);
        while (stack->canRedo())
            stack->redo();
        QCOMPARE(savedBytes(editor, u"redone.stm"_s), edited);
    }

    void doubleClickOnANumberOpensTheStopList()
    {
        Editor editor;
        writeThreeRouteProject(editor.path(u"three.stm"_s));
        openProject(editor, editor.path(u"three.stm"_s));
        QTableView *grid = routeList(editor).grid();
        emit grid->doubleClicked(grid->model()->index(2, 0));
        QVERIFY(editor.window->stopListWindow());
        QCOMPARE(editor.window->stopListWindow()->windowTitle(), u"Остановки маршрута 3"_s);
        QCOMPARE(routeList(editor).selectedRoute(), 2);
    }
};

QTEST_MAIN(TestRouteList)
#include "test_routelist.moc"
