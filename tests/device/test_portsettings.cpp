// Mode strings and port names: how the settings of editor.ini turn into a port and its line.

#include "settings/editorsettings.h"
#include "device/linemode.h"
#include "device/portnames.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace tirvela;

class PortSettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void modeStrings_data();
    void modeStrings();
    void modeStringKeepsRecordOnFailure();
    void portLocations_data();
    void portLocations();
    void blinkerPortNames();
};

void PortSettingsTest::modeStrings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");

    QTest::newRow("working mode") << "baud=4800 parity=N data=8 stop=1" << true << 4800 << int(QSerialPort::NoParity)
                                  << 8 << int(QSerialPort::OneStop);
    QTest::newRow("programming mode") << "baud=115200 parity=N data=8 stop=1" << true << 115200
                                      << int(QSerialPort::NoParity) << 8 << int(QSerialPort::OneStop);
    QTest::newRow("other letters and bits") << "BAUD=9600 Parity=e data=7 stop=2" << true << 9600
                                            << int(QSerialPort::EvenParity) << 7 << int(QSerialPort::TwoStop);
    QTest::newRow("odd, mark, space: last wins") << "baud=1200 parity=O parity=M parity=s data=5 stop=1.5" << true
                                                 << 1200 << int(QSerialPort::SpaceParity) << 5
                                                 << int(QSerialPort::OneAndHalfStop);
    QTest::newRow("keys left out keep the record") << "  baud=19200  " << true << 19200
                                                   << int(QSerialPort::NoParity) << 8 << int(QSerialPort::OneStop);
    QTest::newRow("switches turned off") << "baud=4800 to=off xon=off odsr=off octs=off dtr=off rts=off idsr=off"
                                         << true << 4800 << int(QSerialPort::NoParity) << 8 << int(QSerialPort::OneStop);
    QTest::newRow("handshake on") << "baud=4800 rts=on" << false << 0 << 0 << 0 << 0;
    QTest::newRow("speed not a number") << "baud=fast" << false << 0 << 0 << 0 << 0;
    QTest::newRow("speed zero") << "baud=0" << false << 0 << 0 << 0 << 0;
    QTest::newRow("unknown parity") << "baud=4800 parity=X" << false << 0 << 0 << 0 << 0;
    QTest::newRow("nine data bits") << "baud=4800 data=9" << false << 0 << 0 << 0 << 0;
    QTest::newRow("three stop bits") << "baud=4800 stop=3" << false << 0 << 0 << 0 << 0;
    QTest::newRow("unknown key") << "baud=4800 speed=fast" << false << 0 << 0 << 0 << 0;
    QTest::newRow("no equals sign") << "4800,n,8,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("empty value") << "baud=" << false << 0 << 0 << 0 << 0;
}

void PortSettingsTest::modeStrings()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    LineMode mode;
    QCOMPARE(readModeString(text, mode), ok);
    if (!ok)
        return;
    QTEST(int(mode.baud), "baud");
    QTEST(int(mode.parity), "parity");
    QTEST(int(mode.dataBits), "dataBits");
    QTEST(int(mode.stopBits), "stopBits");
}

void PortSettingsTest::modeStringKeepsRecordOnFailure()
{
    LineMode mode;
    QVERIFY(readModeString(u"baud=4800 parity=E", mode));
    const LineMode before = mode;
    QVERIFY(!readModeString(u"baud=9600 parity=Q", mode));
    QCOMPARE(mode, before);
    // The record carries over: a later string that names only the speed keeps the parity.
    QVERIFY(readModeString(u"baud=9600", mode));
    QCOMPARE(mode.parity, QSerialPort::EvenParity);
}

void PortSettingsTest::portLocations_data()
{
    QTest::addColumn<QByteArray>("ports"); // the [PORTS] section, or nothing for no editor.ini
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("devicePath");

    QTest::newRow("COM1:") << QByteArray() << "COM1:" << "/dev/ttyS0";
    QTest::newRow("plain COM4") << QByteArray() << "COM4" << "/dev/ttyS3";
    QTest::newRow("device namespace") << QByteArray() << "\\\\.\\COM12" << "/dev/ttyS11";
    QTest::newRow("lower case") << QByteArray() << "com2:" << "/dev/ttyS1";
    QTest::newRow("device path as it is") << QByteArray() << "/dev/ttyUSB0" << "/dev/ttyUSB0";
    QTest::newRow("COM0 is no COM port") << QByteArray() << "COM0:" << "COM0:";
    QTest::newRow("mapped by its plain name") << QByteArray("COM1=/dev/ttyUSB0\r\n") << "COM1:" << "/dev/ttyUSB0";
    QTest::newRow("mapped by the name as given")
        << QByteArray("COM1=/dev/ttyUSB0\r\n\\\\.\\COM5=/dev/ttyACM0\r\n") << "\\\\.\\COM5" << "/dev/ttyACM0";
    QTest::newRow("other ports keep the default") << QByteArray("COM1=/dev/ttyUSB0\r\n") << "COM3:" << "/dev/ttyS2";
    QTest::newRow("empty value is no mapping") << QByteArray("COM1=\r\n") << "COM1:" << "/dev/ttyS0";
}

void PortSettingsTest::portLocations()
{
#ifdef Q_OS_WIN
    QSKIP("Windows opens the names as they stand");
#endif
    QFETCH(QByteArray, ports);
    QFETCH(QString, name);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString programFolder = folder.path() + u'/';
    if (!ports.isNull()) {
        QFile ini(editorIniPath(programFolder));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[UART]\r\nUART_STR=COM1:\r\n[Ports]\r\n" + ports);
    }
    const PortLocation location = locatePort(name, programFolder);
    QCOMPARE(location.name, name);
    QTEST(location.devicePath, "devicePath");
}

void PortSettingsTest::blinkerPortNames()
{
    QCOMPARE(blinkerPortName(0), QStringLiteral("COM1:"));
    QCOMPARE(blinkerPortName(9), QStringLiteral("COM10:"));
    EditorSettings settings = defaultEditorSettings(QStringLiteral("/nowhere/"));
    settings.portIndex = 9;
    settings.portName = QStringLiteral("\\\\.\\COM10");
    const PortLocation port = blinkerPort(settings, QStringLiteral("/nowhere/"));
    QCOMPARE(port.name, QStringLiteral("COM10:"));
#ifndef Q_OS_WIN
    QCOMPARE(port.devicePath, QStringLiteral("/dev/ttyS9"));
#endif
}

QTEST_GUILESS_MAIN(PortSettingsTest)
#include "test_portsettings.moc"
