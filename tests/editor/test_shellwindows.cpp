#include "editorfixture.h"
#include "../files/fixtures.h"

#include "editor/messagewindow.h"
#include "editor/settingsdialog.h"
#include "device/portnames.h"
#include "settings/programfolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
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

    void deviceOfAPortIsChosenFromTheDevicesFound()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows opens the port names as they stand");
#endif
        Editor editor;
        writeFile(editor.path(u"editor.ini"_s), "; mine\r\n[UART]\r\nUART_IDX=2\r\nUART_STR=COM3:\r\n"
                                                 "[PORTS]\r\nCOM3=/dev/serial/by-id/usb-gone-if00\r\nX=1\r\n");
        editor.session.settings = readEditorSettings(editor.session.programFolder);
        QList<SerialDeviceInfo> devices{
            {u"/dev/ttyUSB0"_s, u"FT232R USB UART"_s, u"FTDI"_s, u"A50285BI"_s,
             u"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"_s},
            {u"/dev/ttyACM0"_s, {}, {}, {}, {}}};
        editor.window->settingsDialog().setDeviceLister([&] { return devices; });

        runSettingsDialog(editor, [&](SettingsDialog &dialog) {
            auto *device = control<QComboBox>(dialog, "DeviceBox");
            auto *state = control<QLabel>(dialog, "DeviceStateLabel");
            // COM3 is mapped to an adapter that is not plugged in.
            QCOMPARE(device->count(), 4);
            QCOMPARE(device->itemText(0), u"Обычное: /dev/ttyS2"_s);
            QCOMPARE(device->itemText(1), u"/dev/ttyUSB0: FT232R USB UART, FTDI, № A50285BI"_s);
            QCOMPARE(device->itemText(2), u"/dev/ttyACM0"_s);
            QCOMPARE(device->currentText(), u"/dev/serial/by-id/usb-gone-if00 (не подключено)"_s);
            QCOMPARE(state->text(), u"Устройство /dev/serial/by-id/usb-gone-if00 не подключено"_s);

            // Another entry shows its own device; the adapter is chosen for \\.\COM5.
            auto *ports = control<QComboBox>(dialog, "ComboBox1");
            ports->setCurrentIndex(4);
            QCOMPARE(device->currentIndex(), 0);
            QCOMPARE(state->text(), u"Открывается /dev/ttyS4"_s);
            device->setCurrentIndex(1);
            emit device->activated(1);
            QCOMPARE(state->text(),
                     u"Открывается /dev/ttyUSB0\nпо ссылке /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"_s);

            // "Обновить" lists again: the adapter is gone, and the entry says so.
            devices.removeFirst();
            control<QPushButton>(dialog, "RefreshButton")->click();
            QCOMPARE(device->count(), 3);
            QVERIFY(state->text().endsWith(u" не подключено"_s));
            devices = {{u"/dev/ttyUSB1"_s, u"FT232R USB UART"_s, u"FTDI"_s, u"A50285BI"_s,
                        u"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"_s}};
            control<QPushButton>(dialog, "RefreshButton")->click();
            QCOMPARE(device->currentIndex(), 1);
            QVERIFY2(state->text().startsWith(u"Открывается /dev/ttyUSB1\nпо ссылке"_s), qPrintable(state->text()));

            auto *trace = control<QCheckBox>(dialog, "DeviceTraceBox");
            QVERIFY(!trace->isChecked());
            trace->setChecked(true);
            saveScreenshot(&dialog, u"settings-device"_s);
            control<QPushButton>(dialog, "OkButton")->click();
        });
        const QByteArray ini = readFile(editor.path(u"editor.ini"_s));
        QCOMPARE(ini, QByteArray("; mine\r\n[UART]\r\nUART_IDX=4\r\nUART_STR=\\\\.\\COM5\r\n"
                                 "UART1=baud=4800 parity=N data=8 stop=1\r\nUART2=baud=115200 parity=N data=8 stop=1\r\n"
                                 "[PORTS]\r\nCOM3=/dev/serial/by-id/usb-gone-if00\r\nX=1\r\n"
                                 "COM5=/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0\r\n"
                                 "[WAVE]\r\nEDITOR=") + QDir::toNativeSeparators(editor.session.settings.soundEditorPath).toUtf8() + "\r\n");
        // Both the Announcer (the entry's text) and the board ("COM5:") open the adapter.
        const PortLookup ports = readPortMappings(editor.session.programFolder);
        QCOMPARE(locatePort(editor.session.settings.portName, ports).devicePath,
                 u"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"_s);
        QCOMPARE(blinkerPort(editor.session.settings.portIndex, ports).devicePath,
                 u"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"_s);
        // The trace is on for this run and is not written.
        QVERIFY(editor.session.settings.traceDevices);
        QVERIFY(!readEditorSettings(editor.session.programFolder).traceDevices);

        // Going back to the usual device writes an empty mapping, which maps nothing.
        runSettingsDialog(editor, [&](SettingsDialog &dialog) {
            QVERIFY(control<QCheckBox>(dialog, "DeviceTraceBox")->isChecked());
            auto *device = control<QComboBox>(dialog, "DeviceBox");
            device->setCurrentIndex(0);
            emit device->activated(0);
            control<QPushButton>(dialog, "OkButton")->click();
        });
        QVERIFY(readFile(editor.path(u"editor.ini"_s)).contains("\r\nCOM5=\r\n"));
        QCOMPARE(locatePort(editor.session.settings.portName, readPortMappings(editor.session.programFolder)).devicePath,
                 u"/dev/ttyS4"_s);
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
