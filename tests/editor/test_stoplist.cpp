#include "editorprojects.h"
#include "recordingsink.h"

#include "editor/announcementplayer.h"
#include "editor/messagewindow.h"
#include "editor/routelistwindow.h"
#include "editor/soundfileswindow.h"
#include "editor/stoplistmodel.h"
#include "editor/stoplistwindow.h"
#include "document/stoptrees.h"
#include "project/stoptree.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTest>
#include <QTreeView>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

namespace {

StopListWindow &openStopList(Editor &editor, int route)
{
    editor.window->openStopList(route);
    StopListWindow *window = editor.window->stopListWindow();
    if (!window)
        qFatal("no stop list editor");
    return *window;
}

void press(StopListWindow &window, const char *action)
{
    window.findChild<QAction *>(QLatin1String(action))->trigger();
}

// The tree as indented lines, as the stored form has it, but readable.
QStringList treeLines(const Editor &editor, int route)
{
    QStringList lines;
    const std::function<void(const StopNode &, int)> walk = [&](const StopNode &node, int level) {
        for (const StopNode &child : node.children()) {
            lines << QString(level, u'>') + fromCp1251(child.text);
            walk(child, level + 1);
        }
    };
    walk(editor.document().stopTrees().treeOf(route)->root(), 0);
    return lines;
}

const QString kForward = u"Прямое направление"_s;
const QString kReverse = u"Обратное направление"_s;

} // namespace

class TestStopList : public QObject
{
    Q_OBJECT

private slots:
    void aNewRouteOpensWithItsTwoDirections()
    {
        Editor editor;
        StopListWindow &window = openStopList(editor, 0);
        QCOMPARE(window.objectName(), u"RouteForm"_s);
        QCOMPARE(window.windowTitle(), u"Остановки маршрута 1"_s);
        QCOMPARE(treeLines(editor, 0), (QStringList{kForward, kReverse}));
        QVERIFY(!window.tree()->currentIndex().isValid());
        // Nothing selected: the commands do nothing and ask nothing.
        for (const char *action : {"InsertAction", "DeleteAction", "UpAction", "DownAction", "EditAction"})
            press(window, action);
        QCOMPARE(editor.document().undoStack()->count(), 0);
    }

    void insertPutsStopsAndTimesWhereTheSelectionSays()
    {
        Editor editor;
        StopListWindow &window = openStopList(editor, 0);
        window.select({0});
        editor.dialogs.texts.enqueue(u"  Вокзал"_s); // leading blanks go
        press(window, "InsertAction");
        QCOMPARE(window.selectedPath(), (StopPath{0, 0}));
        window.select({0});
        editor.dialogs.texts.enqueue(u"Школа"_s);
        press(window, "InsertAction"); // at the end of the direction
        window.select({0, 0, 1});       // a group of the first stop: the new one goes right after it
        editor.dialogs.texts.enqueue(u"Рынок"_s);
        press(window, "InsertAction");
        QCOMPARE(treeLines(editor, 0).filter(QRegularExpression(u"^>[^>]"_s)),
                 (QStringList{u">Вокзал"_s, u">Рынок"_s, u">Школа"_s}));
        QCOMPARE(treeLines(editor, 0).mid(1, 4),
                 (QStringList{u">Вокзал"_s, u">>Остановка"_s, u">>Следующая остановка"_s, u">>Контрольное время"_s}));

        // A typed time that is no time of day is refused with the form it must have.
        for (const QString &typed : {u"7:5"_s, u"25:00"_s, u"аб:вг"_s}) {
            window.select({0, 0, 2});
            editor.dialogs.texts.enqueue(typed);
            press(window, "InsertAction");
        }
        const StopNode *times = nodeAt(*editor.document().stopTrees().treeOf(0), {0, 0, 2});
        QCOMPARE(times->childCount(), 1);
        QCOMPARE(fromCp1251(times->child(0).text), u"07:05:00"_s);
        QCOMPARE(editor.dialogs.messages.size(), 2);
        QVERIFY(editor.dialogs.messages[0].contains(u"«25:00»"_s));
        QVERIFY(editor.dialogs.messages[1].contains(u"ЧЧ:ММ или ЧЧ:ММ:СС, от 00:00 до 23:59:59"_s));
        QCOMPARE(editor.action("UndoItem")->text(), u"Отменить: добавление контрольного времени 07:05:00"_s);
        editor.dialogs.texts.enqueue(std::nullopt); // cancelled: nothing
        press(window, "InsertAction");
        QCOMPARE(editor.document().undoStack()->count(), 4);
        QVERIFY(editor.document().isModified()); // stop list edits are changes like any other
        saveScreenshot(editor.window.get(), u"stoplist"_s);
    }

    void directionsAndGroupsStayInPlace()
    {
        Editor editor;
        StopListWindow &window = openStopList(editor, 0);
        window.select({0});
        editor.dialogs.texts.enqueue(u"А"_s);
        press(window, "InsertAction");
        const QStringList before = treeLines(editor, 0);
        const int steps = editor.document().undoStack()->count();
        for (const StopPath &path : {StopPath{0}, StopPath{1}, StopPath{0, 0, 0}, StopPath{0, 0, 2}}) {
            window.select(path);
            for (const char *action : {"DeleteAction", "UpAction", "DownAction"})
                press(window, action);
            QVERIFY(!(window.model()->flags(window.tree()->currentIndex()) & Qt::ItemIsEditable));
        }
        QCOMPARE(treeLines(editor, 0), before);
        QCOMPARE(editor.document().undoStack()->count(), steps);
    }

    void editedTextsAreCleanedOrRefused()
    {
        Editor editor;
        StopListWindow &window = openStopList(editor, 0);
        window.select({0});
        editor.dialogs.texts.enqueue(u"Вокзал"_s);
        press(window, "InsertAction");
        QAbstractItemModel *model = window.model();
        const QModelIndex stop = window.tree()->currentIndex();
        QVERIFY(model->setData(stop, u"Нов\tый\r\nрынок"_s, Qt::EditRole));
        QCOMPARE(stop.data().toString(), u"Новыйрынок"_s);
        QVERIFY(model->setData(stop, u"Кофе ☕"_s, Qt::EditRole)); // refused with a message
        QCOMPARE(stop.data().toString(), u"Новыйрынок"_s);
        QCOMPARE(editor.dialogs.messages.size(), 1);
        QVERIFY(editor.dialogs.messages[0].contains(u"☕"_s));

        window.select({0, 0, 2});
        editor.dialogs.texts.enqueue(u"07:05:30,5"_s);
        press(window, "InsertAction");
        const QModelIndex time = window.model()->indexOf({0, 0, 2, 0});
        QCOMPARE(time.data().toString(), u"07:05:30"_s);
        QVERIFY(model->setData(time, u"8:1"_s, Qt::EditRole));
        QCOMPARE(time.data().toString(), u"08:01:00"_s);
        QVERIFY(model->setData(time, u"99:99"_s, Qt::EditRole)); // refused: the time stays
        QCOMPARE(time.data().toString(), u"08:01:00"_s);
        QCOMPARE(editor.dialogs.messages.size(), 2);
        editor.trigger("UndoItem");
        QCOMPARE(time.data().toString(), u"07:05:30"_s);
    }

    // A double click on a build problem or on its place opens the stop list there.
    void buildProblemsLeadToTheirItem()
    {
        Editor editor;
        const QStringList sounds = commonPhraseSounds() << u"Вокзал.wav"_s << u"Рынок.wav"_s << u"Школа.wav"_s
                                                        << u"b.wav"_s << u"c.wav"_s;
        for (const QString &name : sounds)
            addSound(editor, name, samples(100, 1));
        writeThreeRouteProject(editor.path(u"three.stm"_s));
        openProject(editor, editor.path(u"three.stm"_s)); // every route misses Следующая.wav
        editor.trigger("SaveBinItem");
        MessageWindow *log = editor.window->log().window();
        const QStringList lines = log->lines();
        const int secondPlace = int(lines.indexOf(u"маршрут 2, прямое направление, остановка «Рынок», группа «Следующая остановка»"_s));
        QVERIFY2(secondPlace > 0, qPrintable(lines.join(u'\n')));
        QCOMPARE(lines[secondPlace - 1], u"(ОШИБКА!!!) Отсутствует остановка: Следующая.wav"_s);

        auto *memo = log->findChild<QPlainTextEdit *>(u"Memo1"_s);
        const auto doubleClickLine = [memo](int line) {
            const QTextCursor cursor(memo->document()->findBlockByNumber(line));
            memo->setTextCursor(cursor);
            memo->ensureCursorVisible();
            QTest::mouseDClick(memo->viewport(), Qt::LeftButton, {}, memo->cursorRect(cursor).center());
        };
        doubleClickLine(secondPlace);
        StopListWindow *stops = editor.window->stopListWindow();
        QVERIFY(stops);
        QCOMPARE(stops->route(), 1);
        QCOMPARE(stops->selectedPath(), (StopPath{0, 0, 1, 0}));
        QVERIFY(stops->tree()->isExpanded(stops->tree()->currentIndex().parent()));

        doubleClickLine(secondPlace + 1); // the problem line of the third route
        QCOMPARE(editor.window->stopListWindow()->route(), 2);
        QCOMPARE(editor.window->stopListWindow()->selectedPath(), (StopPath{0, 0, 1, 0}));
        saveScreenshot(editor.window.get(), u"build-problem-place"_s);
    }

    void soundFilesGoUnderTheRightGroup()
    {
        Editor editor;
        addSound(editor, u"Вокзал.wav"_s, samples(100, 1));
        addSound(editor, u"bad.wav"_s, samples(100, 1), 2);
        StopListWindow &window = openStopList(editor, 0);
        window.select({0});
        editor.dialogs.texts.enqueue(u"Вокзал"_s);
        press(window, "InsertAction");
        editor.trigger("N17");
        SoundFilesWindow &sounds = *editor.window->soundFilesWindow();
        const auto add = [&](const StopPath &selected, const QString &file) {
            window.select(selected);
            sounds.selectFile(file);
            sounds.findChild<QAction *>(u"AddSoundAction"_s)->trigger();
        };
        add({0, 0}, u"Вокзал.wav"_s);          // a stop: its first group
        add({0, 0, 1}, u"Вокзал.wav"_s);       // a group: that group
        add({0, 0, 1, 0}, u"Вокзал.wav"_s);    // an item: its group
        add({0, 0, 2}, u"Вокзал.wav"_s);       // the control time group: ignored
        QCOMPARE(editor.dialogs.messages, QStringList());
        add({0, 0}, u"bad.wav"_s);             // a file that fails its check: not added, and why
        QCOMPARE(editor.dialogs.messages.size(), 1);
        QVERIFY(editor.dialogs.messages[0].startsWith(u"Файл bad.wav нельзя добавить в маршрут:"_s));
        editor.dialogs.messages.clear();
        add({0}, u"Вокзал.wav"_s);             // a direction: refused with a message
        QCOMPARE(editor.dialogs.messages,
                 QStringList{u"Добавление звуков возможно только на уровне редактирования остановок!"_s});
        QCOMPARE(treeLines(editor, 0).mid(1, 7),
                 (QStringList{u">Вокзал"_s, u">>Остановка"_s, u">>>Вокзал.wav"_s, u">>Следующая остановка"_s,
                              u">>>Вокзал.wav"_s, u">>>Вокзал.wav"_s, u">>Контрольное время"_s}));
        QCOMPARE(editor.action("UndoItem")->text(), u"Отменить: добавление звукового файла Вокзал.wav"_s);
    }

    void editsAreUndoneToTheBytesOfTheFileAsOpened()
    {
        Editor editor;
        const QString original = editor.path(u"three.stm"_s);
        writeThreeRouteProject(original);
        openProject(editor, original);
        const QByteArray opened = readFile(original);

        StopListWindow *window = &openStopList(editor, 0);
        window->select({0, 0});
        editor.dialogs.texts.enqueue(u"Депо"_s);
        press(*window, "InsertAction");       // after the first stop
        press(*window, "UpAction");           // before it
        window->select({0, 1, 0, 0});
        press(*window, "DeleteAction");       // a sound item
        window->select({1, 0});
        window->model()->setData(window->tree()->currentIndex(), u"Конечная"_s, Qt::EditRole);
        window = &openStopList(editor, 1);    // the first editor closes and stores its tree
        window->select({0, 1});
        press(*window, "DownAction");         // already the last stop: nothing
        press(*window, "UpAction");
        answerRouteNumber(u"9"_s);
        editor.window->routeListWindow()->addRoute(); // a route step between stop steps
        QCOMPARE(editor.window->stopListWindow(), window); // a route at the end moves none: it stays open
        window->select({1, 0});
        press(*window, "DeleteAction");
        const QByteArray edited = savedBytes(editor, u"edited.stm"_s);
        QVERIFY(edited != opened);

        QUndoStack *stack = editor.document().undoStack();
        const int steps = stack->count();
        QCOMPARE(steps, 7);
        for (int step = 0; step < steps; ++step) {
            stack->undo();
            if (step == 3)
                openStopList(editor, 0); // undo goes on whether an editor is open or not
        }
        QCOMPARE(savedBytes(editor, u"undone.stm"_s), opened);
        while (stack->canRedo())
            stack->redo();
        QCOMPARE(savedBytes(editor, u"redone.stm"_s), edited);
    }

    void listeningPlaysTheAnnouncementAndAnyKeyStopsIt()
    {
        Editor editor;
        const QString project = editor.path(u"three.stm"_s);
        writeThreeRouteProject(project);
        openProject(editor, project);
        addSound(editor, u"Вокзал.wav"_s, samples(100, 1));
        addSound(editor, u"Следующая.wav"_s, samples(200, 2));
        auto sink = std::make_unique<RecordingSink>();
        RecordingSink &recorder = *sink;
        editor.window->announcementPlayer().setSink(std::move(sink));

        StopListWindow &window = openStopList(editor, 0);
        window.select({0, 0, 1}); // any node of the stop announces the whole stop
        press(window, "ListenAction");
        QCOMPARE(recorder.played.size(), 1);
        QCOMPARE(recorder.played[0].size(), 100); // "Остановка" first
        recorder.finish();
        QCOMPARE(recorder.played.size(), 2);
        QCOMPARE(recorder.played[1].size(), 200); // then "Следующая остановка"
        QTest::keyClick(window.tree(), Qt::Key_Down);
        QVERIFY(!editor.window->announcementPlayer().isPlaying());
        QCOMPARE(window.selectedPath(), (StopPath{0, 0, 1})); // the key only stopped the playing

        window.select({0, 1});
        press(window, "ListenAction"); // b.wav is not in the sounds folder: named and skipped
        QVERIFY(editor.window->log().window()->lines().constLast().contains(u"b.wav"_s));
        QCOMPARE(recorder.played.size(), 2);
    }

    void aStopListThatDoesNotReadOpensNoEditorAndIsKept()
    {
        Editor editor;
        Project project;
        newProject(project);
        project.routeStreams[0] = toCp1251(u"Прямое направление\r\n\t\t\tглубоко\r\n"_s);
        ListLog log;
        const QString broken = editor.path(u"broken.stm"_s);
        QVERIFY(buildProjectFile(project, SoundTable{}, broken, log, BuildMode::ProjectFile).ok());
        openProject(editor, broken);
        editor.window->openStopList(0);
        QVERIFY(!editor.window->stopListWindow());
        QCOMPARE(editor.dialogs.messages.size(), 1);
        QVERIFY2(editor.dialogs.messages[0].contains(u"маршрута 1"_s), qPrintable(editor.dialogs.messages[0]));
        QCOMPARE(savedBytes(editor, u"again.stm"_s), readFile(broken));
    }
};

QTEST_MAIN(TestStopList)
#include "test_stoplist.moc"
