#include "editorprojects.h"
#include "recordingsink.h"
#include "../sound/recordings.h"

#include "editor/announcementplayer.h"
#include "editor/messagewindow.h"
#include "editor/soundfileswindow.h"
#include "editor/waveformstrip.h"
#include "sound/soundsamples.h"

#include <QAction>
#include <QLabel>
#include <QTest>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

class TestSoundFilesWindow : public QObject
{
    Q_OBJECT

private slots:
    void listsMarksAndRefreshes()
    {
        Editor editor;
        addSound(editor, u"Вокзал.wav"_s, samples(100, 1));
        addSound(editor, u"stereo.wav"_s, samples(100, 2), 2);
        editor.trigger("N17");
        SoundFilesWindow *window = editor.window->soundFilesWindow();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->objectName(), u"WavesForm"_s);
        QCOMPARE(window->fileNames(), (QStringList{u"stereo.wav"_s, u"Вокзал.wav"_s}));
        QCOMPARE(window->markedFileNames(), QStringList{u"stereo.wav"_s});
        const QString stereoPath = QDir::toNativeSeparators(editor.path(u"sounds/stereo.wav"_s));
        QCOMPARE(editor.window->log().window()->lines(), QStringList{u"Файл %1 Данные не в формате МОНО!"_s.arg(stereoPath)});
        saveScreenshot(editor.window.get(), u"soundfiles"_s);
        // A marked file is not added, and the user is told why.
        window->selectFile(u"stereo.wav"_s);
        window->findChild<QAction *>(u"AddSoundAction"_s)->trigger();
        QCOMPARE(editor.dialogs.messages,
                 QStringList{u"Файл stereo.wav нельзя добавить в маршрут:\nФайл %1 Данные не в формате МОНО!"_s.arg(stereoPath)});

        addSound(editor, u"Автовокзал.wav"_s, samples(100, 3));
        QCOMPARE(window->fileNames().size(), 2);
        window->findChild<QAction *>(u"RefreshAction"_s)->trigger();
        QCOMPARE(window->fileNames(), (QStringList{u"stereo.wav"_s, u"Автовокзал.wav"_s, u"Вокзал.wav"_s}));
        QCOMPARE(editor.session.sounds.count(), 3);

        editor.trigger("N17"); // a second time brings the same window forward
        QCOMPARE(editor.window->soundFilesWindow(), window);
    }

    void addWithoutAStopListIsRefused()
    {
        Editor editor;
        addSound(editor, u"a.wav"_s, samples(100, 1));
        editor.trigger("N17");
        SoundFilesWindow *window = editor.window->soundFilesWindow();
        window->selectFile(u"a.wav"_s);
        window->findChild<QAction *>(u"AddSoundAction"_s)->trigger();
        QCOMPARE(editor.dialogs.messages, QStringList{u"Список остановок не открыт!"_s});
    }

    void formatTextAndAMissingSoundEditor()
    {
        Editor editor;
        editor.trigger("N17");
        SoundFilesWindow *window = editor.window->soundFilesWindow();
        editor.dialogs.messages.clear();
        window->findChild<QAction *>(u"FormatAction"_s)->trigger();
        QCOMPARE(editor.dialogs.messages.size(), 1);
        QVERIFY(editor.dialogs.messages[0].startsWith(u"Звуковые файлы в каталоге SOUNDS должны иметь формат WAVE"_s));

        editor.session.settings.soundEditorPath = editor.path(u"no-such-editor"_s);
        window->findChild<QAction *>(u"SoundEditorAction"_s)->trigger();
        QVERIFY(editor.window->log().window()->lines().constLast().contains(u"Настройки (опции)"_s));
    }

    void importsRecordingsAndAsksBeforeReplacing()
    {
        Editor editor;
        addSound(editor, u"Вокзал.wav"_s, samples(100, 1));
        QTemporaryDir outside;
        const QString station = outside.filePath(u"ВОКЗАЛ.flac"_s);
        const QString market = outside.filePath(u"Рынок.wav"_s);
        const QString notSound = outside.filePath(u"Парк.wav"_s);
        QVERIFY(writeRecording(station, {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, 0.5, sine(440, 0.3)}));
        QVERIFY(writeRecording(market, {SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1, 1.25, sine(300, 0.05)}));
        QVERIFY(writeFile(notSound, "no sound in here"));
        editor.trigger("N17");
        SoundFilesWindow *window = editor.window->soundFilesWindow();
        QAction *import = window->findChild<QAction *>(u"ImportAction"_s);

        editor.dialogs.recordings.enqueue({market, station, notSound});
        editor.dialogs.answers.enqueue(QMessageBox::No);
        // The question comes over the progress dialog, which already names the file asked about.
        QStringList askedOver;
        editor.dialogs.whenAsked = [&](QWidget *parent) {
            QVERIFY(parent && parent->isVisible());
            askedOver << parent->objectName();
            for (const char *label : {"StageLabel", "SizeLabel"})
                askedOver << parent->findChild<QLabel *>(QLatin1String(label))->text();
        };
        import->trigger();
        QCOMPARE(editor.dialogs.questions, QStringList{u"Звуковой файл Вокзал.wav уже есть. Заменить его?"_s});
        QCOMPARE(askedOver, (QStringList{u"ProgressForm"_s, u"Файл 2 из 3"_s, u"ВОКЗАЛ.flac"_s}));
        editor.dialogs.whenAsked = nullptr;
        QCOMPARE(window->fileNames(), (QStringList{u"Вокзал.wav"_s, u"Рынок.wav"_s}));
        QCOMPARE(window->markedFileNames(), QStringList{});
        QCOMPARE(readSoundSamples(editor.path(u"sounds/Вокзал.wav"_s)).value(), samples(100, 1));
        QCOMPARE(editor.dialogs.messages, QStringList{u"Не импортировано файлов: 1. Причины в окне сообщений."_s});
        const QStringList lines = editor.window->log().window()->lines();
        QVERIFY2(lines.filter(u"Импортирован Рынок.wav: 1,25 с, пик -26,0 дБ, в файле -"_s).size() == 1,
                 qPrintable(lines.join(u'\n')));
        QVERIFY(lines.constLast().contains(u"Парк.wav не является звукозаписью"_s));
        // the last one imported is selected and drawn
        QCOMPARE(window->waveformStrip().levels().sampleCount, 20000);
        QCOMPARE(window->waveformStrip().levels().clippedCount, 0);

        editor.dialogs.recordings.enqueue({station});
        editor.dialogs.answers.enqueue(QMessageBox::Yes);
        import->trigger();
        QCOMPARE(window->fileNames(), (QStringList{u"Вокзал.wav"_s, u"Рынок.wav"_s}));
        QVERIFY(std::abs(readSoundSamples(editor.path(u"sounds/Вокзал.wav"_s)).value().size() - 8000) <= 1);
        QCOMPARE(window->waveformStrip().lines().size(), 1); // neither clipped nor quiet
        QVERIFY(window->waveformStrip().lines().constFirst().startsWith(u"0,50 с, пик -"_s));
        QVERIFY(std::abs(window->waveformStrip().levels().peakDb() + 1.0) < 0.5);
        QVERIFY(editor.dialogs.allAnswered());
        saveScreenshot(window->parentWidget(), u"soundfiles-import"_s);
    }

#ifdef Q_OS_UNIX
    void windows1251NamesAreRenamedWhenTheUserAgrees()
    {
        Editor editor;
        QVERIFY(QDir().mkpath(editor.path(u"sounds"_s)));
        const QByteArray raw = QFile::encodeName(editor.path(u"sounds/"_s)) + toCp1251(u"Вокзал.wav");
        FILE *file = std::fopen(raw.constData(), "wb");
        QVERIFY(file && std::fwrite("RIFF", 1, 4, file) == 4 && std::fclose(file) == 0);
        editor.dialogs.answers.enqueue(QMessageBox::No);
        editor.trigger("N17");
        SoundFilesWindow *window = editor.window->soundFilesWindow();
        QCOMPARE(window->fileNames(), QStringList{});
        QVERIFY(editor.dialogs.questions.constLast().contains(u"(1, например «Вокзал.wav»)"_s));

        editor.dialogs.answers.enqueue(QMessageBox::Yes);
        window->refresh();
        QCOMPARE(window->fileNames(), QStringList{u"Вокзал.wav"_s});
        QCOMPARE(window->markedFileNames(), QStringList{u"Вокзал.wav"_s}); // checked like any other
        QVERIFY(editor.dialogs.allAnswered());
    }
#endif

    void playsTheSelectedFileAndShowsItsLevel()
    {
        Editor editor;
        QByteArray clipped(16000, char(128));
        for (int i = 0; i < clipped.size(); ++i)
            clipped[i] = char(std::clamp(int(128 + 160 * std::sin(i * 0.05)), 0, 255));
        addSound(editor, u"громко.wav"_s, clipped);
        addSound(editor, u"тихо.wav"_s, QByteArray(8000, char(120)));
        editor.trigger("N17");
        SoundFilesWindow *window = editor.window->soundFilesWindow();
        auto *sink = new RecordingSink;
        window->player().setSink(std::unique_ptr<SoundSink>(sink));
        QAction *play = window->findChild<QAction *>(u"PlayAction"_s);

        window->selectFile(u"тихо.wav"_s);
        QCOMPARE(window->waveformStrip().lines(), (QStringList{u"0,50 с, пик -24,1 дБ"_s, u"Слишком тихо"_s}));
        window->selectFile(u"громко.wav"_s);
        const SoundLevels levels = window->waveformStrip().levels();
        QVERIFY(levels.clippedCount > 1000);
        QCOMPARE(window->waveformStrip().lines(),
                 (QStringList{u"1,00 с, пик 0,0 дБ"_s, u"Перегрузка: %1 отсч."_s.arg(levels.clippedCount)}));
        saveScreenshot(window->parentWidget(), u"soundfiles-wave"_s);

        play->trigger();
        QCOMPARE(sink->played, QList<QByteArray>{clipped});
        QCOMPARE(play->text(), u"Остановить"_s);
        play->trigger(); // a second press stops
        QCOMPARE(sink->stops, 1);
        QCOMPARE(play->text(), u"Прослушать"_s);
        QCOMPARE(sink->played.size(), 1);
    }
};

QTEST_MAIN(TestSoundFilesWindow)
#include "test_soundfileswindow.moc"
