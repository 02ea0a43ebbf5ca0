#include "editorfixture.h"
#include "../files/fixtures.h"

#include "app/messagewindow.h"
#include "app/soundfileswindow.h"

#include <QAction>
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
        QVERIFY(QDir().mkpath(editor.path(u"sounds"_s)));
        QVERIFY(writeFile(editor.path(u"sounds/Вокзал.wav"_s), waveFile(samples(100, 1))));
        WaveFormat stereo;
        stereo.channels = 2;
        QVERIFY(writeFile(editor.path(u"sounds/stereo.wav"_s), waveFile(samples(100, 2), stereo)));
        editor.trigger("N17");
        SoundFilesWindow *window = editor.window->soundFilesWindow();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->objectName(), u"WavesForm"_s);
        QCOMPARE(window->fileNames(), (QStringList{u"stereo.wav"_s, u"Вокзал.wav"_s}));
        QCOMPARE(window->markedFileNames(), QStringList{u"stereo.wav"_s});
        const QString stereoPath = QDir::toNativeSeparators(editor.path(u"sounds/stereo.wav"_s));
        QCOMPARE(editor.window->log().window()->lines(), QStringList{u"Файл %1 Данные не в формате МОНО!"_s.arg(stereoPath)});
        saveScreenshot(editor.window.get(), u"soundfiles"_s);

        QVERIFY(writeFile(editor.path(u"sounds/Автовокзал.wav"_s), waveFile(samples(100, 3))));
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
        QVERIFY(QDir().mkpath(editor.path(u"sounds"_s)));
        QVERIFY(writeFile(editor.path(u"sounds/a.wav"_s), waveFile(samples(100, 1))));
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
};

QTEST_MAIN(TestSoundFilesWindow)
#include "test_soundfileswindow.moc"
