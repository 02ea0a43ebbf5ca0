#include "settings/editorsettings.h"
#include "settings/inifile.h"
#include "common/cp1251.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace tirvela;
using namespace Qt::StringLiterals;

namespace {

const QByteArray kDefaultUart = "UART_IDX=0\r\n"
                                "UART_STR=COM1:\r\n"
                                "UART1=baud=4800 parity=N data=8 stop=1\r\n"
                                "UART2=baud=115200 parity=N data=8 stop=1\r\n";

// Whether a write succeeded; the message of one that did not goes to the test's output.
bool succeeded(const Status &status)
{
    if (!status.ok())
        qWarning("%s", qPrintable(status.message));
    return status.ok();
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> mDir; // a fresh program folder for every test
    QString mFolder;                     // its path, ending in "/"

    QString iniPath() const { return mFolder + QStringLiteral("editor.ini"); }

    void writeIni(const QByteArray &bytes)
    {
        QFile file(iniPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    QByteArray readIni() const
    {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    EditorSettings settingsWithEditor(const QString &editorPath) const
    {
        EditorSettings settings = defaultEditorSettings(mFolder);
        settings.soundEditorPath = editorPath;
        return settings;
    }

private slots:
    void init()
    {
        mDir = std::make_unique<QTemporaryDir>();
        QVERIFY(mDir->isValid());
        mFolder = mDir->path() + u'/';
    }

    void defaultsWhenTheFileIsMissing()
    {
        const EditorSettings settings = readEditorSettings(mFolder);
        QCOMPARE(settings.portIndex, 0);
        QCOMPARE(settings.portName, QStringLiteral("COM1:"));
        QCOMPARE(settings.workingMode, QStringLiteral("baud=4800 parity=N data=8 stop=1"));
        QCOMPARE(settings.programmingMode, QStringLiteral("baud=115200 parity=N data=8 stop=1"));
        QCOMPARE(settings.soundEditorPath,
                 QDir::toNativeSeparators(mFolder + QStringLiteral("Nero Wave Editor/WaveEdit.exe")));
        QVERIFY(!QFile::exists(iniPath()));
    }

    void readsWhatTheFileHolds_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("portIndex");
        QTest::addColumn<QString>("portName");

        QTest::newRow("only UART_STR") << QByteArray("[UART]\r\nUART_STR=\\\\.\\COM7\r\n") << 0
                                       << QStringLiteral("\\\\.\\COM7");
        QTest::newRow("names in any case") << QByteArray("[uart]\r\nuart_idx=3\r\nUart_Str=COM4:\r\n") << 3
                                           << QStringLiteral("COM4:");
        QTest::newRow("blanks around names and values")
            << QByteArray("  [ UART ]  \n  UART_IDX  =  2 \n UART_STR = COM2: \t\n") << 2 << QStringLiteral("COM2:");
        QTest::newRow("cr line ends") << QByteArray("[UART]\rUART_IDX=5\rUART_STR=COM3:") << 5 << QStringLiteral("COM3:");
        QTest::newRow("index not a number") << QByteArray("[UART]\nUART_IDX=two\n") << 0 << QStringLiteral("COM1:");
        QTest::newRow("index with trailing letters") << QByteArray("[UART]\nUART_IDX=12abc\n") << 0
                                                     << QStringLiteral("COM1:");
        QTest::newRow("index outside the list stays") << QByteArray("[UART]\nUART_IDX=-1\n") << -1
                                                      << QStringLiteral("COM1:");
        QTest::newRow("index too large") << QByteArray("[UART]\nUART_IDX=99999999999\n") << 0 << QStringLiteral("COM1:");
        QTest::newRow("key of another section") << QByteArray("[WAVE]\nUART_STR=COM9:\n[UART]\nUART_IDX=1\n") << 1
                                                << QStringLiteral("COM1:");
        QTest::newRow("key before any section") << QByteArray("UART_STR=COM9:\n[UART]\n") << 0 << QStringLiteral("COM1:");
        QTest::newRow("first of two sections") << QByteArray("[UART]\nUART_STR=COM2:\n[UART]\nUART_STR=COM3:\n") << 0
                                               << QStringLiteral("COM2:");
        QTest::newRow("comment line") << QByteArray("[UART]\n;UART_STR=COM9:\nUART_STR=COM2:\n") << 0
                                      << QStringLiteral("COM2:");
        QTest::newRow("empty value") << QByteArray("[UART]\nUART_STR=\n") << 0 << QString();
        QTest::newRow("value with equals signs")
            << QByteArray("[UART]\nUART_STR=a=b\n") << 0 << QStringLiteral("a=b");
        QTest::newRow("double quotes") << QByteArray("[UART]\nUART_STR= \"COM 2:\" \n") << 0 << QStringLiteral("COM 2:");
        QTest::newRow("single quotes") << QByteArray("[UART]\nUART_STR='COM2:'\n") << 0 << QStringLiteral("COM2:");
        QTest::newRow("quotes around nothing") << QByteArray("[UART]\nUART_STR=\"\"\n") << 0 << QString();
        QTest::newRow("only one pair goes") << QByteArray("[UART]\nUART_STR=\"\"COM2:\"\"\n") << 0
                                            << QStringLiteral("\"COM2:\"");
        QTest::newRow("quotes that do not match stay") << QByteArray("[UART]\nUART_STR=\"COM2:'\n") << 0
                                                       << QStringLiteral("\"COM2:'");
        QTest::newRow("a lone quote stays") << QByteArray("[UART]\nUART_STR=\"\n") << 0 << QStringLiteral("\"");
        QTest::newRow("inner quotes stay") << QByteArray("[UART]\nUART_STR=a \"b\" c\n") << 0
                                           << QStringLiteral("a \"b\" c");
    }

    void readsWhatTheFileHolds()
    {
        QFETCH(QByteArray, ini);
        QFETCH(int, portIndex);
        QFETCH(QString, portName);
        writeIni(ini);
        EditorSettings expected = defaultEditorSettings(mFolder);
        expected.portIndex = portIndex;
        expected.portName = portName;
        QCOMPARE(readEditorSettings(mFolder), expected);
    }

    void editorPathIsDecodedFromWindows1251()
    {
        writeIni("[wave]\r\neditor=C:\\\xD0\xE5\xE4\xE0\xEA\xF2\xEE\xF0\\edit.exe\r\n");
        QCOMPARE(readEditorSettings(mFolder).soundEditorPath, QStringLiteral("C:\\Редактор\\edit.exe"));
    }

    void writingCreatesTheFile()
    {
        EditorSettings settings = settingsWithEditor(QStringLiteral("C:\\Editor\\Nero Wave Editor\\WaveEdit.exe"));
        QVERIFY(succeeded(writeEditorSettings(mFolder, settings)));
        QCOMPARE(readIni(), "[UART]\r\n" + kDefaultUart + "[WAVE]\r\nEDITOR=C:\\Editor\\Nero Wave Editor\\WaveEdit.exe\r\n");
    }

    void writingKeepsEveryOtherLine()
    {
        writeIni("; settings\n"
                 "\n"
                 "[Other]\n"
                 "UART_STR=keep me\n"
                 "[uart]\n"
                 "  Uart_Str = COM2:  \n"
                 "BAUD=9600\n"
                 "uart1=old\n"
                 "\n"
                 "[Wave]\n"
                 "EDITOR=old.exe\n"
                 "; end\n");
        EditorSettings settings = settingsWithEditor(QStringLiteral("C:\\Программы\\edit.exe"));
        settings.portIndex = 5;
        settings.portName = QStringLiteral("\\\\.\\COM7");
        QVERIFY(succeeded(writeEditorSettings(mFolder, settings)));
        QCOMPARE(readIni(), "; settings\n"
                            "\n"
                            "[Other]\n"
                            "UART_STR=keep me\n"
                            "[uart]\n"
                            "  Uart_Str =\\\\.\\COM7\n"
                            "BAUD=9600\n"
                            "uart1=baud=4800 parity=N data=8 stop=1\n"
                            "UART_IDX=5\n"
                            "UART2=baud=115200 parity=N data=8 stop=1\n"
                            "\n"
                            "[Wave]\n"
                            "EDITOR=C:\\" + toCp1251(u"Программы") + "\\edit.exe\n"
                            "; end\n");
        QCOMPARE(readEditorSettings(mFolder), settings);
    }

    void writingAddsMissingSectionsAtTheEnd()
    {
        writeIni("[UART]\rUART_IDX=1\r[Other]\rX=1");
        QVERIFY(succeeded(writeEditorSettings(mFolder, settingsWithEditor(QStringLiteral("e.exe")))));
        QCOMPARE(readIni(), "[UART]\rUART_IDX=0\rUART_STR=COM1:\rUART1=baud=4800 parity=N data=8 stop=1\r"
                            "UART2=baud=115200 parity=N data=8 stop=1\r[Other]\rX=1\r[WAVE]\rEDITOR=e.exe\r");
    }

    void speechSettingsAreRead_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("voice");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("pitch");
        QTest::newRow("none") << QByteArray() << QStringLiteral("espeak-ng") << QStringLiteral("ru") << 175 << 50;
        QTest::newRow("all") << QByteArray("[speech]\nProgram=/opt/e/espeak-ng\nVOICE=uk\nRATE=200\nPITCH=30\n")
                             << QStringLiteral("/opt/e/espeak-ng") << QStringLiteral("uk") << 200 << 30;
        QTest::newRow("out of range") << QByteArray("[SPEECH]\nRATE=5000\nPITCH=-4\n") << QStringLiteral("espeak-ng")
                                      << QStringLiteral("ru") << 450 << 0;
        QTest::newRow("no numbers, empty texts") << QByteArray("[SPEECH]\nPROGRAM=\nVOICE=\nRATE=fast\nPITCH=\n")
                                                 << QStringLiteral("espeak-ng") << QStringLiteral("ru") << 175 << 50;
    }

    void speechSettingsAreRead()
    {
        QFETCH(QByteArray, section);
        QFETCH(QString, program);
        QFETCH(QString, voice);
        QFETCH(int, rate);
        QFETCH(int, pitch);
        writeIni("[UART]\nUART_IDX=1\n" + section);
        const SpeechSettings speech = readEditorSettings(mFolder).speech;
        QCOMPARE(speech.program, program);
        QCOMPARE(speech.voice, voice);
        QCOMPARE(speech.rate, rate);
        QCOMPARE(speech.pitch, pitch);
    }

    void speechSettingsAreWrittenOnlyWhenTheyMatter()
    {
        // A file from before there were speech settings keeps its bytes while they are the defaults.
        const QByteArray older = "[UART]\r\n" + kDefaultUart + "[WAVE]\r\nEDITOR=e.exe\r\n";
        writeIni(older);
        EditorSettings settings = settingsWithEditor(QStringLiteral("e.exe"));
        QVERIFY(succeeded(writeEditorSettings(mFolder, settings)));
        QCOMPARE(readIni(), older);

        settings.speech.voice = QStringLiteral("bg");
        QVERIFY(succeeded(writeEditorSettings(mFolder, settings)));
        QCOMPARE(readIni(), older + "[SPEECH]\r\nVOICE=bg\r\n");

        // Once there, a key follows the settings back to the default; PROGRAM is left as set by hand.
        writeIni(older + "[SPEECH]\r\nPROGRAM=/opt/espeak-ng\r\nVOICE=bg\r\n");
        settings.speech = SpeechSettings{};
        settings.speech.rate = 120;
        QVERIFY(succeeded(writeEditorSettings(mFolder, settings)));
        QCOMPARE(readIni(), older + "[SPEECH]\r\nPROGRAM=/opt/espeak-ng\r\nVOICE=ru\r\nRATE=120\r\n");
        settings.speech.program = QStringLiteral("/opt/espeak-ng");
        QCOMPARE(readEditorSettings(mFolder), settings);
    }

    void unstorableValueIsRefused_data()
    {
        QTest::addColumn<QString>("editorPath");
        QTest::newRow("not in Windows-1251") << QStringLiteral("C:\\\u4e2d\\edit.exe");
        QTest::newRow("line break") << QStringLiteral("C:\\edit.exe\r\n[UART]");
    }

    void unstorableValueIsRefused()
    {
        QFETCH(QString, editorPath);
        const QByteArray before = "[UART]\r\nUART_IDX=2\r\n";
        writeIni(before);
        const Status refused = writeEditorSettings(mFolder, settingsWithEditor(editorPath));
        QVERIFY(!refused.ok());
        QVERIFY2(refused.message.contains(QStringLiteral("EDITOR")), qPrintable(refused.message));
        QCOMPARE(readIni(), before);
    }

    void failedWriteReportsThePlatformError()
    {
        // The program folder lies under a plain file, so nothing can be created in it.
        const QString fileAsFolder = mDir->filePath(QStringLiteral("plain"));
        QFile plain(fileAsFolder);
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const Status underFile = writeEditorSettings(fileAsFolder + u'/', defaultEditorSettings(mFolder));
        QVERIFY(!underFile.ok());
        QVERIFY2(underFile.message.contains(QDir::toNativeSeparators(fileAsFolder)), qPrintable(underFile.message));
        // The platform's reason is in the message and kept apart as well.
        QVERIFY(!underFile.reason.isEmpty());
        QVERIFY2(underFile.message.endsWith(u": "_s + underFile.reason), qPrintable(underFile.message));

        // editor.ini is a folder: it can be neither read nor replaced.
        QVERIFY(QDir(mFolder).mkdir(QStringLiteral("editor.ini")));
        const Status unreadable = writeEditorSettings(mFolder, defaultEditorSettings(mFolder));
        QVERIFY(!unreadable.ok());
        QVERIFY(!unreadable.message.isEmpty());
        Status read;
        QCOMPARE(readEditorSettings(mFolder, &read), defaultEditorSettings(mFolder));
        QVERIFY(!read.ok());
        QCOMPARE(read.message, u"Файл настроек %1 не прочитан: %2; взяты настройки по умолчанию"_s
                                   .arg(QDir::toNativeSeparators(iniPath()), read.reason));
        IniFile ini;
        const Status saved = ini.save(iniPath());
        QVERIFY(!saved.ok());
        QVERIFY(!saved.reason.isEmpty());
        QVERIFY(QFileInfo(iniPath()).isDir());
    }

#ifdef Q_OS_UNIX
    // A write that fails half way (here: the process may not write files that large) leaves the
    // old file as it was. Works even for a user whom folder permissions do not stop.
    void failedWriteLeavesTheOldFile()
    {
        const QByteArray before = "[UART]\r\nUART_IDX=2\r\n";
        writeIni(before);
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 64;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const Status written = writeEditorSettings(mFolder, defaultEditorSettings(mFolder));
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!written.ok());
        QVERIFY2(written.message.contains(QDir::toNativeSeparators(iniPath())), qPrintable(written.message));
        QCOMPARE(readIni(), before);
        QCOMPARE(QDir(mFolder).entryList(QDir::Files), QStringList{QStringLiteral("editor.ini")});
    }
#endif

    void iniFileRefusesTextsThatBreakItsLines_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("line feed in value") << QByteArray("S") << QByteArray("K") << QByteArray("a\nb");
        QTest::newRow("carriage return in value") << QByteArray("S") << QByteArray("K") << QByteArray("a\r");
        QTest::newRow("nul in value") << QByteArray("S") << QByteArray("K") << QByteArray("a\0b", 3);
        QTest::newRow("equals in key") << QByteArray("S") << QByteArray("K=1") << QByteArray("v");
        QTest::newRow("bracket in section") << QByteArray("S]") << QByteArray("K") << QByteArray("v");
        QTest::newRow("empty key") << QByteArray("S") << QByteArray() << QByteArray("v");
        QTest::newRow("blank around key") << QByteArray("S") << QByteArray(" K") << QByteArray("v");
    }

    void iniFileRefusesTextsThatBreakItsLines()
    {
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        writeIni("[S]\nK=old\n");
        IniFile ini;
        QVERIFY(ini.load(iniPath()).ok());
        QVERIFY(!ini.setValue(section, key, value));
        QVERIFY(ini.save(iniPath()).ok());
        QCOMPARE(readIni(), QByteArray("[S]\nK=old\n"));
    }

    void programFolderAndIniPath()
    {
        QCOMPARE(programFolderOf(QStringLiteral("/opt/tirvela/bin/tirvela")), QStringLiteral("/opt/tirvela/bin/"));
        QCOMPARE(programFolderOf(QStringLiteral("/tirvela")), QStringLiteral("/"));
        QCOMPARE(programFolderOf(QStringLiteral("bin/tirvela")), QDir::currentPath() + QStringLiteral("/bin/"));
        QCOMPARE(editorIniPath(QStringLiteral("/opt/tirvela/bin/")), QStringLiteral("/opt/tirvela/bin/editor.ini"));
    }

    void extendedMode_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("extended");
        const QString program = QStringLiteral("tirvela");
        const QString option = QStringLiteral("-extended");
        QTest::newRow("none") << QStringList{program} << false;
        QTest::newRow("alone") << QStringList{program, option} << true;
        QTest::newRow("among others") << QStringList{program, QStringLiteral("a.stm"), option, QStringLiteral("-x")}
                                      << true;
        QTest::newRow("upper case") << QStringList{program, QStringLiteral("-EXTENDED")} << false;
        QTest::newRow("two dashes") << QStringList{program, QStringLiteral("--extended")} << false;
        QTest::newRow("with more text") << QStringList{program, QStringLiteral("-extended=1")} << false;
        QTest::newRow("program name ignored") << QStringList{option, QStringLiteral("a.stm")} << false;
        QTest::newRow("empty") << QStringList{} << false;
    }

    void extendedMode()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, extended);
        QCOMPARE(extendedModeRequested(arguments), extended);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
