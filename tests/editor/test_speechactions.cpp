#include "editorprojects.h"

#include "editor/messagewindow.h"
#include "editor/progressdialog.h"
#include "editor/settingsdialog.h"
#include "editor/soundfileswindow.h"
#include "document/stoptrees.h"
#include "editor/stoplistwindow.h"
#include "sound/wavecheck.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

namespace {

// A project of one route: a stop that names a sound file the folder has and one it lacks, a stop
// whose name a file name cannot hold, and a stop that names nothing.
void writeSpeechProject(const QString &fileName)
{
    Project project;
    newProject(project);
    setRouteNumber(project, 0, "7");
    project.routeStreams[0] = routeStream({stopNode(u"Вокзал"_s, {u"Вокзал.wav"_s}, {u"ул. Мира, 2.wav"_s}),
                                           stopNode(u"д/с Ромашка"_s, {}), stopNode(u"Парк"_s, {})});
    ListLog log;
    QVERIFY(buildProjectFile(project, SoundTable{}, fileName, log, BuildMode::ProjectFile).ok());
}

// The program folder gets the pronunciation list the build gives the program.
void usePronunciationList(const Editor &editor)
{
    QVERIFY(QFile::copy(QStringLiteral(TIRVELA_PRONUNCIATION_LIST), editor.path(u"произношение.txt"_s)));
}

QStringList soundFiles(const Editor &editor)
{
    QStringList names = QDir(editor.path(u"sounds"_s)).entryList(QDir::Files);
    names.sort();
    return names;
}

// A stand-in for the synthesiser that never ends.
QString hangingSynthesizer(const Editor &editor)
{
    const QString path = editor.path(u"hanging-synth"_s);
    if (!writeFile(path, "#!/bin/sh\nexec sleep 60\n")
        || !QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner))
        qFatal("cannot write the script");
    return path;
}

} // namespace

// The editor's speech: "Озвучить недостающие…" in the sound files window, "Озвучить" in the stop
// list editor and the speech settings, with espeak-ng as installed.
class TestSpeechActions : public QObject
{
    Q_OBJECT

private slots:
    void theSoundFilesWindowSpeaksWhatTheProjectLacks()
    {
        Editor editor;
        usePronunciationList(editor);
        addSound(editor, u"Вокзал.wav"_s, samples(100, 1));
        writeSpeechProject(editor.path(u"route.stm"_s));
        openProject(editor, editor.path(u"route.stm"_s));
        editor.trigger("N17");
        SoundFilesWindow *window = editor.window->soundFilesWindow();
        QAction *speak = window->findChild<QAction *>(u"SpeakMissingAction"_s);
        QVERIFY(speak);

        editor.dialogs.answers.enqueue(QMessageBox::Yes);
        speak->trigger();
        QCOMPARE(editor.dialogs.questions.size(), 1);
        QVERIFY2(editor.dialogs.questions[0].contains(u"нет звуковых файлов проекта: 6"_s),
                 qPrintable(editor.dialogs.questions[0]));
        QStringList expected{u"Вокзал.wav"_s, u"Двери закрываются.wav"_s, u"Конечная.wav"_s,
                             u"Остановка по требованию.wav"_s, u"Остановка.wav"_s, u"Следующая остановка.wav"_s,
                             u"ул. Мира, 2.wav"_s};
        expected.sort();
        QCOMPARE(soundFiles(editor), expected);
        QCOMPARE(window->fileNames().size(), 7);
        QCOMPARE(window->markedFileNames(), QStringList{});
        QCOMPARE(readFile(editor.path(u"sounds/Вокзал.wav"_s)), waveFile(samples(100, 1)));
        const QStringList lines = editor.window->log().window()->lines();
        QCOMPARE(lines.filter(u"Озвучен "_s).size(), 6);
        QVERIFY2(lines.filter(u"Озвучен ул. Мира, 2.wav: "_s).constFirst().endsWith(u"«улица Мира, два»"_s),
                 qPrintable(lines.join(u'\n')));
        QCOMPARE(lines.constLast(), u"Озвучено файлов: 6 из 6"_s);
        QVERIFY(editor.dialogs.allAnswered());
        saveScreenshot(editor.window.get(), u"speech-missing"_s);
        saveScreenshot(window->parentWidget(), u"speech-soundfiles"_s);

        speak->trigger();
        QCOMPARE(editor.dialogs.messages, QStringList{u"Все звуковые файлы проекта есть, озвучивать нечего."_s});
    }

    void speakingMissingSoundsCanBeStopped()
    {
        Editor editor;
        editor.session.settings.speech.program = hangingSynthesizer(editor);
        QVERIFY(QDir().mkpath(editor.path(u"sounds"_s)));
        editor.trigger("N17");
        SoundFilesWindow *window = editor.window->soundFilesWindow();
        editor.dialogs.answers.enqueue(QMessageBox::Yes);
        bool pressed = false;
        QTimer::singleShot(300, [&] {
            const QList<ProgressDialog *> dialogs = editor.window->findChildren<ProgressDialog *>();
            for (ProgressDialog *dialog : dialogs) {
                if (dialog->isVisible()) {
                    dialog->findChild<QPushButton *>()->click();
                    pressed = true;
                }
            }
        });
        QElapsedTimer clock;
        clock.start();
        window->findChild<QAction *>(u"SpeakMissingAction"_s)->trigger();
        QVERIFY(pressed);
        QVERIFY(clock.elapsed() < 10000);
        QCOMPARE(soundFiles(editor), QStringList{});
        const QStringList lines = editor.window->log().window()->lines();
        QVERIFY2(lines.contains(u"Озвучивание прервано"_s), qPrintable(lines.join(u'\n')));
        QCOMPARE(lines.constLast(), u"Озвучено файлов: 0 из 5"_s);
    }

    void withoutTheSynthesiserTheEditorSaysWhatToInstall()
    {
        Editor editor;
        editor.session.settings.speech.program = editor.path(u"nowhere/espeak-ng"_s);
        addSound(editor, u"Парк.wav"_s, samples(100, 1));
        editor.trigger("N17");
        editor.window->soundFilesWindow()->findChild<QAction *>(u"SpeakMissingAction"_s)->trigger();
        QVERIFY2(editor.dialogs.messages.size() == 1, qPrintable(editor.dialogs.messages.join(u'\n')));
        QVERIFY2(editor.dialogs.messages[0].contains(u"sudo apt install espeak-ng"_s), qPrintable(editor.dialogs.messages[0]));
        QCOMPARE(soundFiles(editor), QStringList{u"Парк.wav"_s});

        // Everything else goes on: the stop list's "Озвучить" says the same and changes nothing.
        writeSpeechProject(editor.path(u"route.stm"_s));
        openProject(editor, editor.path(u"route.stm"_s));
        editor.window->openStopList(0);
        StopListWindow *stops = editor.window->stopListWindow();
        stops->select({0, 1});
        stops->findChild<QAction *>(u"SpeakAction"_s)->trigger();
        QCOMPARE(editor.dialogs.messages.size(), 2);
        QCOMPARE(editor.dialogs.messages[1], editor.dialogs.messages[0]);
        QVERIFY(!editor.document().undoStack()->canUndo());
    }

    void theStopListSpeaksAStopOrOneOfItsSounds()
    {
        Editor editor;
        usePronunciationList(editor);
        QVERIFY(QDir().mkpath(editor.path(u"sounds"_s)));
        writeSpeechProject(editor.path(u"route.stm"_s));
        openProject(editor, editor.path(u"route.stm"_s));
        editor.window->openStopList(0);
        StopListWindow *stops = editor.window->stopListWindow();
        QAction *speak = stops->findChild<QAction *>(u"SpeakAction"_s);
        QVERIFY(speak && stops->tree()->actions().contains(speak));

        // A stop that names nothing: its name is spoken, and the file added to its "Остановка".
        stops->select({0, 1});
        speak->trigger();
        QCOMPARE(soundFiles(editor), QStringList{u"д_с Ромашка.wav"_s});
        QVERIFY(checkWaveFile(editor.path(u"sounds/д_с Ромашка.wav"_s)).ok());
        const StopNode &stop = editor.document().stopTrees().treeOf(0)->root().child(0).child(1);
        QCOMPARE(stop.child(0).childCount(), 1);
        QCOMPARE(stop.child(0).child(0).text, toCp1251(u"д_с Ромашка.wav"));
        QVERIFY2(editor.window->log().window()->lines().constLast().endsWith(u"«детский сад Ромашка»"_s),
                 qPrintable(editor.window->log().window()->lines().join(u'\n')));
        saveScreenshot(stops->window(), u"speech-stoplist"_s);

        // Once more: it asks before replacing, and adds the file no second time.
        const QByteArray made = readFile(editor.path(u"sounds/д_с Ромашка.wav"_s));
        editor.dialogs.answers.enqueue(QMessageBox::No);
        speak->trigger();
        QCOMPARE(editor.dialogs.questions.constLast(), u"Звуковой файл д_с Ромашка.wav уже есть. Заменить его?"_s);
        QCOMPARE(readFile(editor.path(u"sounds/д_с Ромашка.wav"_s)), made);
        editor.session.settings.speech.pitch = 20;
        editor.dialogs.answers.enqueue(QMessageBox::Yes);
        speak->trigger();
        QVERIFY(readFile(editor.path(u"sounds/д_с Ромашка.wav"_s)) != made);
        QCOMPARE(stop.child(0).childCount(), 1);

        // The addition is an undo step.
        editor.document().undoStack()->undo();
        QCOMPARE(stop.child(0).childCount(), 0);

        // A sound item: that file is spoken, nothing added.
        stops->select({0, 0, 1, 0});
        speak->trigger();
        QVERIFY(soundFiles(editor).contains(u"ул. Мира, 2.wav"_s));
        QCOMPARE(editor.document().undoStack()->count(), 1);

        // A direction: nothing to speak.
        stops->select({0});
        speak->trigger();
        QCOMPARE(editor.dialogs.messages.constLast(), u"Выберите остановку или её звуковой файл."_s);
        QVERIFY(editor.dialogs.allAnswered());
    }

    void theSettingsDialogKeepsTheVoice()
    {
        Editor editor;
        SettingsDialog &dialog = editor.window->settingsDialog();
        QTimer::singleShot(0, [&] {
            auto *voice = dialog.findChild<QComboBox *>(u"VoiceBox"_s);
            QCOMPARE(voice->currentData().toString(), u"ru"_s);
            voice->setCurrentIndex(voice->findData(u"uk"_s));
            dialog.findChild<QSpinBox *>(u"RateBox"_s)->setValue(140);
            dialog.findChild<QSpinBox *>(u"PitchBox"_s)->setValue(60);
            saveScreenshot(&dialog, u"speech-settings"_s);
            dialog.findChild<QPushButton *>(u"OkButton"_s)->click();
        });
        dialog.exec();
        QCOMPARE(editor.session.settings.speech.voice, u"uk"_s);
        QCOMPARE(editor.session.settings.speech.rate, 140);
        QCOMPARE(editor.session.settings.speech.pitch, 60);
        QCOMPARE(readEditorSettings(editor.session.programFolder).speech, editor.session.settings.speech);
        QVERIFY(readFile(editor.path(u"editor.ini"_s)).endsWith("[SPEECH]\r\nVOICE=uk\r\nRATE=140\r\nPITCH=60\r\n"));
    }
};

QTEST_MAIN(TestSpeechActions)
#include "test_speechactions.moc"
