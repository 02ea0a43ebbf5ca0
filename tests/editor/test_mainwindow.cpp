#include "editorprojects.h"

#include "editor/fileactions.h"
#include "editor/messagewindow.h"
#include "editor/routelistwindow.h"
#include "project/projectreader.h"

#include <QDateTime>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QTest>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

namespace {

QString routeListCaption(const Editor &editor)
{
    RouteListWindow *list = editor.window->routeListWindow();
    return list ? list->windowTitle() : QString();
}

// Which of the commands whose state follows the project are enabled, in a fixed order.
QString commandStates(const Editor &editor)
{
    QString states;
    for (const char *name :
         {"SaveStmItem", "SaveAsItem", "EditRouteMenuItem", "SaveBinItem", "ProgramMenuItem", "ProjectMenuItem"})
        states += editor.action(name)->isEnabled() ? u'1' : u'0';
    return states;
}

void provideSounds(const Editor &editor)
{
    for (const QString &name : commonPhraseSounds())
        addSound(editor, name, samples(100, 1));
}

void setModified(const QString &fileName, const QDateTime &when)
{
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(when, QFileDevice::FileModificationTime));
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void startsWithTheUnnamedProject()
    {
        Editor editor;
        QCOMPARE(editor.window->objectName(), u"MainForm"_s);
        QCOMPARE(editor.window->windowTitle(), u"Тирвела V2.21"_s);
        QCOMPARE(routeListCaption(editor), u"БЕЗЫМЯННЫЙ"_s);
        QCOMPARE(editor.document().project().routeCount, 1);
        QCOMPARE(commandStates(editor), u"111001"_s);
        QVERIFY(!editor.action("UndoItem")->isEnabled());
        QVERIFY(!editor.window->log().window()); // the message log opens at its first line
        for (const char *name : {"N1", "N21", "SaveStmItem", "SaveAsItem", "N3", "EditRouteMenuItem", "SaveBinItem",
                                 "ProgramMenuItem", "N22", "ProjectMenuItem", "N7771", "N17", "N23"})
            QVERIFY2(editor.action(name), name);
        QCOMPARE(editor.action("SaveStmItem")->shortcut(), QKeySequence(u"Ctrl+S"_s));
        saveScreenshot(editor.window.get(), u"mainwindow"_s);
    }

    void blinkerCommandsOnlyInExtendedMode()
    {
        for (const bool extended : {false, true}) {
            Editor editor(extended);
            QCOMPARE(editor.action("RouteBlinkerMenuItem")->isVisible(), extended);
            QCOMPARE(editor.action("ProgramBlinkerMenuItem")->isVisible(), extended);
        }
    }

    void captionFollowsEditsUndoAndSave()
    {
        Editor editor;
        edit(editor.document(), "12");
        QCOMPARE(routeListCaption(editor), u"БЕЗЫМЯННЫЙ*"_s);
        QCOMPARE(editor.action("UndoItem")->text(), u"Отменить: изменение номера маршрута 12"_s);
        editor.trigger("UndoItem");
        QCOMPARE(routeListCaption(editor), u"БЕЗЫМЯННЫЙ"_s);
        QCOMPARE(editor.document().project().routeNumberText(0), QByteArray("1"));
        QCOMPARE(editor.action("RedoItem")->text(), u"Повторить: изменение номера маршрута 12"_s);
        editor.trigger("RedoItem");

        const QString stm = editor.path(u"route.stm"_s);
        editor.dialogs.filesToSave.enqueue(stm);
        editor.trigger("SaveStmItem");
        QCOMPARE(routeListCaption(editor), stm);
        QCOMPARE(commandStates(editor), u"111111"_s);
        // Undoing past the saved state marks the project modified; redoing back clears the mark.
        editor.trigger("UndoItem");
        QCOMPARE(routeListCaption(editor), stm + u'*');
        editor.trigger("RedoItem");
        QCOMPARE(routeListCaption(editor), stm);
        QVERIFY(editor.dialogs.allAnswered());
    }

    void cancelledSaveChangesNothing()
    {
        Editor editor;
        editor.dialogs.filesToSave.enqueue({});
        editor.trigger("SaveStmItem");
        QCOMPARE(routeListCaption(editor), u"БЕЗЫМЯННЫЙ"_s);
        QCOMPARE(commandStates(editor), u"111001"_s);
        QVERIFY(QDir(editor.folder.path()).entryList(QDir::Files).isEmpty());
    }

    void saveAsAsksBeforeReplacingAFile()
    {
        Editor editor;
        const QString other = editor.path(u"other.stm"_s);
        QVERIFY(writeFile(other, "someone else's project"));
        editor.dialogs.filesToSave.enqueue(other);
        editor.dialogs.answers.enqueue(QMessageBox::No);
        editor.trigger("SaveAsItem");
        QCOMPARE(readFile(other), QByteArray("someone else's project"));
        QCOMPARE(routeListCaption(editor), u"БЕЗЫМЯННЫЙ"_s);

        editor.dialogs.filesToSave.enqueue(other);
        editor.dialogs.answers.enqueue(QMessageBox::Yes);
        editor.trigger("SaveAsItem");
        QVERIFY(readFile(other).startsWith("KV21"));
        QCOMPARE(routeListCaption(editor), other);

        // Saving again under its own name asks nothing.
        editor.dialogs.filesToSave.enqueue(other);
        editor.trigger("SaveAsItem");
        QVERIFY(editor.dialogs.allAnswered());
        QCOMPARE(editor.dialogs.questions.size(), 2);
    }

    void failedSaveKeepsTheWorkAndSaysWhy_data()
    {
        QTest::addColumn<bool>("overflowingBoard");
        QTest::newRow("folder missing") << false;
        QTest::newRow("board content too large") << true;
    }

    void failedSaveKeepsTheWorkAndSaysWhy()
    {
        QFETCH(bool, overflowingBoard);
        Editor editor;
        const QString stm = editor.path(u"route.stm"_s);
        editor.dialogs.filesToSave.enqueue(stm);
        editor.trigger("SaveAsItem");
        const QByteArray saved = readFile(stm);

        QString target = stm;
        if (overflowingBoard) {
            // Far more text than one board image holds.
            Project &project = editor.document().projectForEdit();
            for (int route = 0; route < MaxRoutes; ++route)
                for (int n = 0; n < 8; ++n)
                    project.boards[0].routes[size_t(route)].elements.push_back({2, 0, 0, QByteArray(29, 'A')});
            project.routeCount = MaxRoutes;
        } else {
            target = editor.path(u"missing/route.stm"_s);
        }
        edit(editor.document(), "7");
        editor.dialogs.filesToSave.enqueue(target);
        editor.trigger("SaveAsItem");

        QCOMPARE(readFile(stm), saved);
        QVERIFY(!QFileInfo::exists(editor.path(u"missing"_s)));
        QCOMPARE(editor.dialogs.messages.size(), 1);
        QVERIFY(editor.dialogs.messages[0].contains(u"не сохранен"_s));
        QVERIFY(editor.document().isModified());
        QCOMPARE(routeListCaption(editor), stm + u'*');
        QCOMPARE(editor.window->log().window()->lines().constLast(), u"Файл не сохранен"_s);
    }

    void damagedFileLeavesTheOpenProjectAsItWas()
    {
        Editor editor;
        const QString stm = editor.path(u"route.stm"_s);
        editor.dialogs.filesToSave.enqueue(stm);
        editor.trigger("SaveAsItem");
        edit(editor.document(), "33");
        const Project before = editor.document().project();

        const QString damaged = editor.path(u"damaged.stm"_s);
        QByteArray bytes = readFile(stm);
        QVERIFY(writeFile(damaged, bytes.left(40)));
        editor.dialogs.answers.enqueue(QMessageBox::No); // drop the change? the open is refused anyway
        editor.dialogs.filesToOpen.enqueue(damaged);
        editor.trigger("N21");

        QCOMPARE(editor.dialogs.messages.size(), 1);
        QVERIFY(editor.dialogs.messages[0].contains(u"damaged.stm"_s));
        QCOMPARE(editor.document().project().routeNumberText(0), QByteArray("33"));
        QCOMPARE(editor.document().project().routeStreams, before.routeStreams);
        QCOMPARE(editor.document().fileName(), stm);
        QVERIFY(editor.document().isModified());
        QCOMPARE(editor.document().undoStack()->count(), 1);
    }

    void openingAFlashImageNamesTheProjectFileBesideIt()
    {
        Editor editor;
        provideSounds(editor);
        const QString stm = editor.path(u"route.stm"_s);
        editor.dialogs.filesToSave.enqueue(stm);
        editor.trigger("SaveAsItem");
        editor.trigger("SaveBinItem");
        const QString bin = editor.path(u"route.bin"_s);
        QVERIFY(QFileInfo(bin).size() > 0);

        editor.dialogs.filesToOpen.enqueue(bin);
        editor.trigger("N21");
        QCOMPARE(routeListCaption(editor), stm);
        QCOMPARE(commandStates(editor), u"111001"_s);

        // route.stm exists: Save asks first, and No turns into Save as.
        editor.dialogs.answers.enqueue(QMessageBox::No);
        editor.dialogs.filesToSave.enqueue({});
        editor.trigger("SaveStmItem");
        QVERIFY(editor.dialogs.allAnswered());
        // The unnamed project's dialog starts where the last file was chosen; the others in the project's folder.
        const QString folder = QFileInfo(stm).absolutePath();
        QCOMPARE(editor.dialogs.startFolders, QStringList({QString(), folder, folder}));

        // Without a project file beside it, Save writes one at once.
        QVERIFY(QFile::remove(stm));
        editor.trigger("SaveStmItem");
        QVERIFY(readFile(stm).startsWith("KV21"));
        QCOMPARE(commandStates(editor), u"111111"_s);
    }

    // The flash image a project was opened from may hold the only copy of its sounds: a failed
    // build leaves it whole, and a build over it asks first, once.
    void flashImageTheProjectCameFromIsKeptAndAskedAbout()
    {
        Editor editor;
        provideSounds(editor);
        editor.dialogs.filesToSave.enqueue(editor.path(u"route.stm"_s));
        editor.trigger("SaveAsItem");
        editor.trigger("SaveBinItem");
        const QString bin = editor.path(u"route.bin"_s);
        const QByteArray image = readFile(bin);
        QVERIFY(!image.isEmpty());
        QVERIFY(QFile::remove(editor.path(u"route.stm"_s)));
        openProject(editor, bin);
        editor.trigger("SaveStmItem");
        // File times tick coarsely: the project saved a moment after the image may carry its time.
        setModified(editor.path(u"route.stm"_s), QFileInfo(bin).lastModified().addSecs(1));
        QVERIFY(QFile::remove(editor.path(u"sounds/"_s + commonPhraseSounds().constFirst())));
        const QString kept = u"Файл %1, из которого открыт проект, оставлен как был"_s.arg(QDir::toNativeSeparators(bin));

        editor.dialogs.answers.enqueue(QMessageBox::Yes);
        editor.trigger("SaveBinItem");
        QVERIFY(editor.dialogs.allAnswered());
        QVERIFY2(editor.dialogs.questions.constLast().contains(u"только в нём хранятся звуковые данные"_s),
                 qPrintable(editor.dialogs.questions.constLast()));
        QCOMPARE(readFile(bin), image);
        const QStringList lines = editor.window->log().window()->lines();
        QVERIFY(lines.contains(kept));
        QCOMPARE(lines.constLast(), u"Двоичный файл не сохранен!!!"_s);

        // Programming rebuilds (the project file is newer); No sends nothing and changes nothing.
        editor.dialogs.answers.enqueue(QMessageBox::No);
        QCOMPARE(editor.window->fileActions().flashImageToProgram(), QString());
        QVERIFY(editor.dialogs.allAnswered());
        QCOMPARE(readFile(bin), image);

        provideSounds(editor);
        editor.dialogs.answers.enqueue(QMessageBox::Yes);
        editor.trigger("SaveBinItem");
        QVERIFY(editor.dialogs.allAnswered());
        QCOMPARE(editor.window->log().window()->lines().constLast(), u"Сохранение двоичного файла успешно завершено"_s);
        QVERIFY(!readFile(bin).isEmpty());

        // Now it is the project's own build: no more questions, and a failed build empties it.
        const qsizetype asked = editor.dialogs.questions.size();
        QVERIFY(QFile::remove(editor.path(u"sounds/"_s + commonPhraseSounds().constFirst())));
        editor.trigger("SaveBinItem");
        QCOMPARE(editor.dialogs.questions.size(), asked);
        QCOMPARE(QFileInfo(bin).size(), 0);
    }

    void olderProjectNamesItsMissingBoardDataFiles()
    {
        Editor editor;
        const QString older = editor.path(u"older.stm"_s);
        QVERIFY(writeFile(older, QByteArray("KV20").leftJustified(32, '\0').replace(11, 1, "\xFF")));
        editor.dialogs.filesToOpen.enqueue(older);
        editor.trigger("N21");
        const QStringList lines = editor.window->log().window()->lines();
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], u"Загрузка файла "_s + older);
        for (const char *name : {"blinker4_16.hex", "blinker4_20.hex"})
            QVERIFY2(lines.filter(QLatin1String(name)).size() == 1, name);
        QVERIFY(lines[1].endsWith(u"картинки табло 16x28x4 начинаются пустыми"_s));
        QCOMPARE(routeListCaption(editor), older);
    }

    void unsavedChangesAreAskedAboutBeforeNewAndOpen_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<bool>("saved");
        QTest::newRow("new, cancel") << QByteArray("N1") << int(QMessageBox::Cancel) << false << false;
        QTest::newRow("new, no") << QByteArray("N1") << int(QMessageBox::No) << true << false;
        QTest::newRow("new, yes") << QByteArray("N1") << int(QMessageBox::Yes) << true << true;
        QTest::newRow("open, cancel") << QByteArray("N21") << int(QMessageBox::Cancel) << false << false;
        QTest::newRow("open, yes") << QByteArray("N21") << int(QMessageBox::Yes) << true << true;
    }

    void unsavedChangesAreAskedAboutBeforeNewAndOpen()
    {
        QFETCH(QByteArray, command);
        QFETCH(int, answer);
        QFETCH(bool, replaced);
        QFETCH(bool, saved);
        Editor editor;
        const QString other = editor.path(u"other.stm"_s);
        editor.dialogs.filesToSave.enqueue(other);
        editor.trigger("SaveAsItem");
        edit(editor.document(), "44");

        editor.dialogs.answers.enqueue(QMessageBox::StandardButton(answer));
        if (replaced && command == "N21")
            editor.dialogs.filesToOpen.enqueue(other);
        editor.trigger(command.constData());

        QVERIFY(editor.dialogs.allAnswered());
        QCOMPARE(editor.dialogs.questions.constFirst(), u"Файл %1 был модифицирован\nСохранить?"_s.arg(other));
        QCOMPARE(editor.document().isModified(), !replaced);
        Project reread;
        QVERIFY(readProjectFile(reread, other).ok());
        QCOMPARE(reread.routeNumberText(0), saved ? QByteArray("44") : QByteArray("1"));
    }

    void exitAsksAndSaveAsCanBeCancelled()
    {
        Editor editor;
        edit(editor.document());
        editor.dialogs.answers.enqueue(QMessageBox::Yes);
        editor.dialogs.filesToSave.enqueue({});
        QVERIFY(!editor.window->close());
        QVERIFY(editor.window->isVisible());
        QVERIFY(editor.window->routeListWindow());
        QCOMPARE(commandStates(editor), u"111001"_s);

        editor.dialogs.answers.enqueue(QMessageBox::No);
        QVERIFY(editor.window->close());
        QVERIFY(editor.dialogs.allAnswered());
    }

    void closingTheRouteListEndsTheProject()
    {
        Editor editor;
        editor.window->routeListWindow()->parentWidget()->close();
        QTRY_VERIFY(!editor.window->routeListWindow());
        QCOMPARE(commandStates(editor), u"000000"_s);
        editor.trigger("N1");
        QVERIFY(editor.window->routeListWindow());
        QCOMPARE(commandStates(editor), u"111001"_s);
        QCOMPARE(routeListCaption(editor), u"БЕЗЫМЯННЫЙ"_s);
    }

    void buildNeedsASavedProjectAndLogsItsOutcome()
    {
        Editor editor;
        editor.window->fileActions().buildFlashImage();
        QCOMPARE(editor.dialogs.messages, QStringList{u"Сначала сохраните файл (Ctrl+S)!"_s});

        editor.dialogs.filesToSave.enqueue(editor.path(u"route.stm"_s));
        editor.trigger("SaveAsItem");
        editor.trigger("SaveBinItem"); // no sounds folder: it is made, and the build fails
        QVERIFY(editor.window->log().window()->lines().contains(u"Двоичный файл не сохранен!!!"_s));
        QCOMPARE(QFileInfo(editor.path(u"route.bin"_s)).size(), 0);

        editor.session.sounds.clear();
        provideSounds(editor);
        editor.trigger("SaveBinItem");
        QCOMPARE(editor.window->log().window()->lines().constLast(), u"Сохранение двоичного файла успешно завершено"_s);
        QVERIFY(QFileInfo(editor.path(u"route.bin"_s)).size() > 0);
    }

    void programmingRebuildsAnImageThatIsNotCurrent_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("rebuilt");
        QTest::newRow("current") << u"current"_s << false;
        QTest::newRow("missing") << u"missing"_s << true;
        QTest::newRow("empty") << u"empty"_s << true;
        QTest::newRow("older than the project file") << u"older"_s << true;
        QTest::newRow("unsaved change") << u"modified"_s << true;
    }

    void programmingRebuildsAnImageThatIsNotCurrent()
    {
        QFETCH(QString, state);
        QFETCH(bool, rebuilt);
        Editor editor;
        provideSounds(editor);
        const QString stm = editor.path(u"route.stm"_s);
        const QString bin = editor.path(u"route.bin"_s);
        editor.dialogs.filesToSave.enqueue(stm);
        editor.trigger("SaveAsItem");
        const QByteArray marker("an image the test wrote");
        QVERIFY(writeFile(bin, marker));
        const QDateTime saved = QFileInfo(stm).lastModified();
        setModified(bin, saved.addSecs(10));
        if (state == u"missing")
            QVERIFY(QFile::remove(bin));
        else if (state == u"empty")
            QVERIFY(writeFile(bin, {}));
        else if (state == u"older")
            setModified(bin, saved.addSecs(-10));
        else if (state == u"modified")
            edit(editor.document());

        QCOMPARE(editor.window->fileActions().flashImageToProgram(), bin);
        QCOMPARE(readFile(bin) != marker, rebuilt);
        QVERIFY(!readFile(bin).isEmpty());
        QCOMPARE(editor.document().isModified(), state == u"modified"); // a rebuild does not save
    }

    void programmingNeedsAReadableProjectFile()
    {
        Editor editor;
        QVERIFY(editor.window->fileActions().flashImageToProgram().isEmpty());
        QCOMPARE(editor.dialogs.messages.constLast(),
                 u"Прошивка невозможна, т.к. файл не сохранен.\nСохраните файл stm (нажав Ctrl+S)"_s);

        const QString stm = editor.path(u"route.stm"_s);
        editor.dialogs.filesToSave.enqueue(stm);
        editor.trigger("SaveAsItem");
        QVERIFY(QFile::remove(stm));
        QVERIFY(editor.window->fileActions().flashImageToProgram().isEmpty());
        QCOMPARE(editor.dialogs.messages.constLast(),
                 u"Произошла ошибка чтения файла %1!\nПроверьте его наличие и атрибуты"_s.arg(stm));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
