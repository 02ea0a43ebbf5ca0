#include "editorfixture.h"
#include "../files/fixtures.h"

#include "app/messagewindow.h"
#include "app/settingsdialog.h"
#include "settings/programfolder.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

namespace {

// Runs the settings dialog from its menu command and lets `answer` work it while it is shown.
void runSettingsDialog(Editor &editor, const std::function<void(SettingsDialog &)> &answer)
{
    SettingsDialog &dialog = editor.window->settingsDialog();
    QTimer::singleShot(0, &dialog, [&] {
        QVERIFY(dialog.isVisible());
        answer(dialog);
        if (dialog.isVisible())
            dialog.reject();
    });
    editor.trigger("N22");
}

template<typename T>
T *control(QWidget &dialog, const char *name)
{
    T *widget = dialog.findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

QByteArray iniLine(const Editor &editor, const QByteArray &key)
{
    for (const QByteArray &line : readFile(editor.path(u"editor.ini"_s)).split('\n'))
        if (line.startsWith(key + '='))
            return line.mid(key.size() + 1).trimmed();
    return "(missing)";
}

} // namespace

class TestShellWindows : public QObject
{
    Q_OBJECT

private slots:
    void messageLogOpensAtItsFirstLineAndEmptiesWhenClosed()
    {
        Editor editor;
        EditorLog &log = editor.window->log();
        log.logMessage(u"A"_s);
        MessageWindow *window = log.window();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->objectName(), u"MessagesForm"_s);
        QCOMPARE(window->windowTitle(), u"Окно сообщений"_s);
        QCOMPARE(editor.window->dockWidgetArea(window), Qt::BottomDockWidgetArea);
        QCOMPARE(window->height(), 100);
        auto *memo = window->findChild<QPlainTextEdit *>(u"Memo1"_s);
        QVERIFY(memo && memo->isReadOnly());
        QCOMPARE(window->lines(), QStringList{u"A"_s});

        log.logMessage(u"Загрузка файла x.stm"_s);
        log.logMessage(u"B"_s);
        QCOMPARE(window->lines(), (QStringList{u"A"_s, u"Загрузка файла x.stm"_s, u"B"_s}));
        saveScreenshot(editor.window.get(), u"messagelog"_s);

        QVERIFY(window->close());
        QVERIFY(!window->isVisible());
        QVERIFY(window->lines().isEmpty());
        editor.trigger("N23"); // shows the log without adding a line
        QVERIFY(window->isVisible());
        QVERIFY(window->lines().isEmpty());
        log.logMessage(u"C"_s);
        QCOMPARE(window->lines(), QStringList{u"C"_s});
        QCOMPARE(log.window(), window);
    }

    void settingsRoundTrip()
    {
        Editor editor;
        runSettingsDialog(editor, [&](SettingsDialog &dialog) {
            auto *ports = control<QComboBox>(dialog, "ComboBox1");
            QCOMPARE(ports->count(), 12);
            QCOMPARE(ports->itemText(3), u"COM4:"_s);
            QCOMPARE(ports->currentText(), u"COM1:"_s);
            QCOMPARE(control<QLineEdit>(dialog, "EditUARTParam_1")->text(), u"baud=4800 parity=N data=8 stop=1"_s);
            ports->setCurrentIndex(ports->findText(u"\\\\.\\COM7"_s));
            control<QLineEdit>(dialog, "EditUARTParam_1")->clear();
            editor.dialogs.programs.enqueue(u"/usr/bin/audacity"_s);
            control<QToolButton>(dialog, "SpeedButton1")->click();
            QCOMPARE(control<QLineEdit>(dialog, "WaveEditor")->text(), u"/usr/bin/audacity"_s);
            saveScreenshot(&dialog, u"settings"_s);
            control<QPushButton>(dialog, "OkButton")->click();
        });
        QCOMPARE(iniLine(editor, "UART_IDX"), QByteArray("6"));
        QCOMPARE(iniLine(editor, "UART_STR"), QByteArray("\\\\.\\COM7"));
        QCOMPARE(iniLine(editor, "UART1"), QByteArray());
        QCOMPARE(iniLine(editor, "EDITOR"), QByteArray("/usr/bin/audacity"));
        QCOMPARE(editor.session.settings.portName, u"\\\\.\\COM7"_s);
        const EditorSettings reread = readEditorSettings(editor.session.programFolder);
        QCOMPARE(reread, editor.session.settings);
        QVERIFY(reread.workingMode.isEmpty()); // the key exists: empty, not the default

        // "X" then Отмена stores nothing; the next show starts from the stored settings.
        const QByteArray stored = readFile(editor.path(u"editor.ini"_s));
        runSettingsDialog(editor, [&](SettingsDialog &dialog) {
            QCOMPARE(control<QComboBox>(dialog, "ComboBox1")->currentText(), u"\\\\.\\COM7"_s);
            control<QToolButton>(dialog, "SpeedButton2")->click();
            QCOMPARE(control<QLineEdit>(dialog, "EditUARTParam_1")->text(), u"baud=4800 parity=N data=8 stop=1"_s);
            control<QPushButton>(dialog, "CancelButton")->click();
        });
        QCOMPARE(readFile(editor.path(u"editor.ini"_s)), stored);
        QVERIFY(editor.session.settings.workingMode.isEmpty());
    }

    void portIndexOutsideTheListShowsTheFirstPort()
    {
        Editor editor;
        editor.session.settings.portIndex = 40;
        runSettingsDialog(editor, [&](SettingsDialog &dialog) {
            QCOMPARE(control<QComboBox>(dialog, "ComboBox1")->currentIndex(), 0);
            control<QPushButton>(dialog, "OkButton")->click();
        });
        QCOMPARE(iniLine(editor, "UART_IDX"), QByteArray("0"));
        QCOMPARE(iniLine(editor, "UART_STR"), QByteArray("COM1:"));
    }

    void unwritableSettingsFileIsToldAndTheDialogCloses()
    {
        Editor editor;
        QVERIFY(QDir().mkpath(editor.path(u"editor.ini"_s))); // a folder where the file should be
        runSettingsDialog(editor, [&](SettingsDialog &dialog) {
            control<QPushButton>(dialog, "OkButton")->click();
            QVERIFY(!dialog.isVisible());
        });
        QCOMPARE(editor.dialogs.messages.size(), 1);
    }

    void installedCopyKeepsItsFilesInTheUserDataFolder()
    {
        QTemporaryDir home;
        qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
        // An executable whose folder cannot be written (here: one that is not there).
        QCOMPARE(programFolderFor(home.filePath(u"usr/bin/tirvela"_s)), home.path() + u"/tirvela/"_s);
        QVERIFY(QFileInfo(home.path() + u"/tirvela"_s).isDir());
        QVERIFY(QDir().mkpath(home.filePath(u"bin"_s)));
        QCOMPARE(programFolderFor(home.filePath(u"bin/tirvela"_s)), home.filePath(u"bin/"_s));
    }
};

QTEST_MAIN(TestShellWindows)
#include "test_shellwindows.moc"
