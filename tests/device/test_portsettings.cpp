// Mode strings and port names: how the settings of editor.ini turn into a port and its line.

#include "settings/editorsettings.h"
#include "device/linemode.h"
#include "device/portnames.h"
#include "settings/inifile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace tirvela;
using namespace Qt::StringLiterals;

class PortSettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void modeStrings_data();
    void modeStrings();
    void modeStringKeepsRecordOnFailure();
    void portLocations_data();
    void portLocations();
    void mappingKeys();
    void mappedPortOfTheProgramFolder();
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
    QTest::newRow("speed 1: minutes per command") << "baud=1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("speed no port runs at") << "baud=4801" << false << 0 << 0 << 0 << 0;
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
    QTest::addColumn<bool>("windows");
    QTest::addColumn<QByteArray>("ports"); // the lines of section PORTS
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("devicePath");

    QTest::newRow("COM1:") << false << QByteArray() << "COM1:" << "/dev/ttyS0";
    QTest::newRow("plain COM4") << false << QByteArray() << "COM4" << "/dev/ttyS3";
    QTest::newRow("device namespace") << false << QByteArray() << "\\\\.\\COM12" << "/dev/ttyS11";
    QTest::newRow("lower case") << false << QByteArray() << "com2:" << "/dev/ttyS1";
    QTest::newRow("device path as it is") << false << QByteArray() << "/dev/ttyUSB0" << "/dev/ttyUSB0";
    QTest::newRow("COM0 is no COM port") << false << QByteArray() << "COM0:" << "COM0:";
    QTest::newRow("mapped by its plain name") << false << QByteArray("COM1=/dev/ttyUSB0\r\n") << "COM1:" << "/dev/ttyUSB0";
    QTest::newRow("mapped by the name as given")
        << false << QByteArray("COM1=/dev/ttyUSB0\r\n\\\\.\\COM5=/dev/ttyACM0\r\n") << "\\\\.\\COM5" << "/dev/ttyACM0";
    QTest::newRow("other ports keep the default") << false << QByteArray("COM1=/dev/ttyUSB0\r\n") << "COM3:" << "/dev/ttyS2";
    QTest::newRow("empty value is no mapping") << false << QByteArray("COM1=\r\n") << "COM1:" << "/dev/ttyS0";
    QTest::newRow("quoted by hand") << false << QByteArray("COM2=\"/dev/serial/by-id/usb-A B\"\r\n") << "COM2:"
                                    << "/dev/serial/by-id/usb-A B";

    QTest::newRow("Windows COM1:") << true << QByteArray() << "COM1:" << "COM1";
    QTest::newRow("Windows COM4:") << true << QByteArray() << "COM4:" << "COM4";
    QTest::newRow("Windows \\\\.\\COM5") << true << QByteArray() << "\\\\.\\COM5" << "COM5";
    QTest::newRow("Windows \\\\.\\COM10") << true << QByteArray() << "\\\\.\\COM10" << "COM10";
    QTest::newRow("Windows plain COM12") << true << QByteArray() << "COM12" << "COM12";
    QTest::newRow("Windows other names as they stand") << true << QByteArray() << "\\\\.\\CNCA0" << "\\\\.\\CNCA0";
    QTest::newRow("Windows ignores PORTS") << true << QByteArray("COM1=/dev/ttyUSB0\r\n") << "COM1:" << "COM1";
}

void PortSettingsTest::portLocations()
{
    QFETCH(bool, windows);
    QFETCH(QByteArray, ports);
    QFETCH(QString, name);
    IniFile ini;
    ini.parse("[UART]\r\nUART_STR=COM1:\r\n[Ports]\r\n" + ports);
    const PortLocation location =
        locatePort(name, portMappingsOf(ini), windows ? PortPlatform::Windows : PortPlatform::Unix);
    QCOMPARE(location.name, name);
    QTEST(location.devicePath, "devicePath");
}

void PortSettingsTest::mappingKeys()
{
    IniFile ini;
    ini.parse("[PORTS]\r\n\\\\.\\COM6=/dev/ttyUSB1\r\n");
    const PortLookup ports = portMappingsOf(ini);
    QCOMPARE(portMappingKey(u"COM1:"_s, ports), QByteArray("COM1"));
    QCOMPARE(portMappingKey(u"\\\\.\\COM5"_s, ports), QByteArray("COM5"));
    QCOMPARE(portMappingKey(u"\\\\.\\COM6"_s, ports), QByteArray("\\\\.\\COM6")); // the key the lookup finds first
    QCOMPARE(portMappingKey(u"/dev/ttyUSB0"_s, ports), QByteArray());
}

void PortSettingsTest::mappedPortOfTheProgramFolder()
{
#ifdef Q_OS_WIN
    QSKIP("Windows has no section PORTS");
#endif
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString programFolder = folder.path() + u'/';
    QCOMPARE(locatePort(u"COM3:"_s, readPortMappings(programFolder)).devicePath, u"/dev/ttyS2"_s); // no editor.ini
    QFile ini(editorIniPath(programFolder));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[PORTS]\r\nCOM3=/dev/ttyACM0\r\n");
    ini.close();
    QCOMPARE(locatePort(u"COM3:"_s, readPortMappings(programFolder)).devicePath, u"/dev/ttyACM0"_s);
}

void PortSettingsTest::blinkerPortNames()
{
    QCOMPARE(blinkerPortName(0), QStringLiteral("COM1:"));
    QCOMPARE(blinkerPortName(9), QStringLiteral("COM10:"));
    const PortLocation port = blinkerPort(9, readPortMappings(QStringLiteral("/nowhere/")));
    QCOMPARE(port.name, QStringLiteral("COM10:"));
#ifndef Q_OS_WIN
    QCOMPARE(port.devicePath, QStringLiteral("/dev/ttyS9"));
#endif
}

QTEST_GUILESS_MAIN(PortSettingsTest)
#include "test_portsettings.moc"
