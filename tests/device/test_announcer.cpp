// Programming the Announcer end to end, against the emulated device on a pseudo-terminal: what
// reaches the device, and every way the transfer can end. The device's own waits make each run
// take three seconds or more.

#include "device/announcerprogrammer.h"
#include "device/devicetrace.h"
#include "device/serialport.h"
#include "devsim/announcerdevice.h"
#include "emulatorrun.h"
#include "recordingprogress.h"
#include "transferending.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace tirvela;
using namespace tirvela::test;
using namespace Qt::StringLiterals;
using devsim::AnnouncerDevice;
using devsim::AnnouncerFaults;

Q_DECLARE_METATYPE(devsim::AnnouncerFaults)

namespace {


QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, '\0');
    for (char &byte : bytes)
        byte = char(QRandomGenerator::global()->bounded(256));
    return bytes;
}

QStringList commandTexts(const AnnouncerDevice &device)
{
    QStringList texts;
    for (const AnnouncerDevice::Command &command : device.commands())
        texts.append(QString::fromLatin1(command.text) + u'@' + QString::number(command.lineSpeed));
    return texts;
}

bool portIsFree(const QString &port)
{
    SerialPort probe;
    return probe.open(port, SerialPort::Access::ReadWrite);
}

} // namespace

class AnnouncerTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void transfer_data();
    void transfer();
    void failures_data();
    void failures();
    void portTaken();
    void imageRefusedBeforeThePortOpens_data();
    void imageRefusedBeforeThePortOpens();
    void unansweredAddressRepeatsUntilCancelled();
    void traceHoldsTheExchangesInOrder_data();
    void traceHoldsTheExchangesInOrder();
    void replyLatencyShowsInTheTime();

private:
    QString writeImage(const QByteArray &bytes);
    AnnouncerLink link(const QString &port) const;

    QTemporaryDir mFolder;
};

void AnnouncerTest::init()
{
    QVERIFY(mFolder.isValid());
}

QString AnnouncerTest::writeImage(const QByteArray &bytes)
{
    const QString path = mFolder.filePath(QStringLiteral("route.bin"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

AnnouncerLink AnnouncerTest::link(const QString &port) const
{
    return {{QStringLiteral("COM1:"), port}, kWorkingMode, kProgrammingMode};
}

void AnnouncerTest::transfer_data()
{
    QTest::addColumn<int>("fileSize");
    QTest::addColumn<int>("paddedSize");
    QTest::addColumn<QStringList>("commands");

    QTest::newRow("three blocks, the last one padded")
        << 1300 << 1536
        << QStringList{u"reset@115200"_s, u"setup@4800"_s, u"write 0@115200"_s, u"write 200@115200"_s, u"write 400@115200"_s,
                       u"reset@115200"_s};
}

void AnnouncerTest::transfer()
{
    QFETCH(int, fileSize);
    QFETCH(int, paddedSize);
    const QByteArray image = randomBytes(fileSize);
    const QString path = writeImage(image);
    QVERIFY(!path.isEmpty());

    EmulatorRun run;
    QVERIFY(run.isOpen());
    AnnouncerDevice device({}, run.log());
    run.start(device);
    RecordingProgress progress;
    QElapsedTimer clock;
    clock.start();
    const Result<TransferEnd> result = programAnnouncer(path, link(run.port()), progress);
    const qint64 elapsed = clock.elapsed();
    run.stop();

    QCOMPARE(endingOf(result), u"completed"_s);
    QTEST(commandTexts(device), "commands");
    QCOMPARE(device.memory(), image + QByteArray(paddedSize - fileSize, '\0'));
    // 2000 ms after the reset, 500 ms after the setup, 500 ms before the last reset.
    QVERIFY2(elapsed >= 3000 && elapsed < 8000, qPrintable(QString::number(elapsed)));

    QCOMPARE(progress.caption, QStringLiteral("Запись в устройство"));
    QCOMPARE(progress.stages, (QStringList{u"Подготовка, открытие порта"_s, u"Запись"_s,
                                           u"Процесс завершен"_s}));
    QCOMPARE(progress.size, QStringLiteral("Размер файла: ") + QString::number(paddedSize));
    QCOMPARE(progress.maximum, paddedSize);
    QCOMPARE(progress.positions.last(), paddedSize);
    QCOMPARE(progress.button, QStringLiteral("OK"));
    QVERIFY(progress.shown);
    QVERIFY(progress.messages.isEmpty());
    QVERIFY(progress.error.isEmpty());
    QVERIFY(portIsFree(run.port()));
}

void AnnouncerTest::failures_data()
{
    QTest::addColumn<AnnouncerFaults>("faults");
    QTest::addColumn<QString>("workingMode");
    QTest::addColumn<QString>("programmingMode");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("blocksStored");
    QTest::addColumn<QStringList>("lastCommands");
    QTest::addColumn<bool>("lineDropped");

    const QString modeFailed = QStringLiteral("Ошибка! Невозможно установить параметры порта");
    AnnouncerFaults faults;
    QTest::newRow("programming mode unreadable")
        << faults << kWorkingMode << QStringLiteral("baud=fast") << modeFailed << 0 << QStringList() << false;
    QTest::newRow("working mode unreadable") << faults << QStringLiteral("baud=4800 parity=X") << kProgrammingMode
                                             << modeFailed << 0 << QStringList{u"reset@115200"_s} << false;

    faults = {};
    faults.closeAfterSetup = true;
    QTest::newRow("line dropped before the transfer")
        << faults << kWorkingMode << kProgrammingMode << QStringLiteral("Ошибка!") + kProgrammingMode << 0
        << QStringList{u"reset@115200"_s, u"setup@4800"_s} << true;

    const QStringList secondBlock{u"write 0@115200"_s, u"write 200@115200"_s};
    faults = {};
    faults.errorAtBlock = 1;
    QTest::newRow("device reports a write error")
        << faults << kWorkingMode << kProgrammingMode << QStringLiteral("При записи произошла ошибка!") << 1
        << secondBlock << false;
    faults = {};
    faults.silentAtBlock = 1;
    QTest::newRow("no answer to a block") << faults << kWorkingMode << kProgrammingMode
                                          << QStringLiteral("Ничего не получено") << 1 << secondBlock << false;
    faults = {};
    faults.garbageAtBlock = 1;
    QTest::newRow("answer not starting with W") << faults << kWorkingMode << kProgrammingMode
                                                << QStringLiteral("Запись не прошла!") << 1 << secondBlock << false;
    faults = {};
    faults.closeAtBlock = 1;
    QTest::newRow("line dropped during a block")
        << faults << kWorkingMode << kProgrammingMode
        << QStringLiteral("Ничего не получено (устройство отключено: Input/output error)") << 1 << secondBlock << true;
}

void AnnouncerTest::failures()
{
    QFETCH(AnnouncerFaults, faults);
    QFETCH(QString, workingMode);
    QFETCH(QString, programmingMode);
    QFETCH(QString, message);
    QFETCH(QStringList, lastCommands);
    QFETCH(bool, lineDropped);
    const QString path = writeImage(randomBytes(2000));

    EmulatorRun run;
    QVERIFY(run.isOpen());
    AnnouncerDevice device(faults, run.log());
    run.start(device);
    RecordingProgress progress;
    QElapsedTimer clock;
    clock.start();
    const Result<TransferEnd> result = programAnnouncer(path, {{QStringLiteral("COM1:"), run.port()}, workingMode, programmingMode}, progress);
    QVERIFY2(clock.elapsed() < 8000, "the transfer must end by itself");
    run.stop();

    QCOMPARE(endingOf(result), u"failed"_s);
    QCOMPARE(result.status().message, message);
    QCOMPARE(progress.messages, QStringList{message});
    QVERIFY(progress.everShown);
    QVERIFY(!progress.shown);
    QTEST(device.blocksStored(), "blocksStored");
    const QStringList commands = commandTexts(device);
    QCOMPARE(commands.mid(commands.size() - lastCommands.size()), lastCommands);
    // A transfer that fails sends nothing more: no closing reset.
    QCOMPARE(commands.count(QStringLiteral("reset@115200")), lastCommands.isEmpty() ? 0 : 1);
    if (!lineDropped)
        QVERIFY(portIsFree(run.port()));
}

void AnnouncerTest::portTaken()
{
    EmulatorRun run;
    AnnouncerDevice device({}, run.log());
    run.start(device);
    SerialPort holder;
    QVERIFY(holder.open(run.port(), SerialPort::Access::ReadWrite));

    RecordingProgress progress;
    const Result<TransferEnd> result = programAnnouncer(writeImage("data"), link(run.port()), progress);
    run.stop();
    QCOMPARE(endingOf(result), u"failed"_s);
    QCOMPARE(progress.messages, QStringList{u"Ошибка! Невозможно получить доступ к порту (порт занят другой программой)"_s});
    QVERIFY(!progress.shown);
    QVERIFY(device.commands().isEmpty());
}

void AnnouncerTest::imageRefusedBeforeThePortOpens_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // written to the file unless it is "missing" or "folder"
    QTest::addColumn<QString>("message");

    QByteArray header(64, '\0');
    header.replace(0, 4, "KV21");
    header[5] = char(0x00); // sound data size 0x00020000, more than the file holds
    header[7] = char(0x02);
    header[12] = char(40);
    QByteArray wholeHeader = header;
    wholeHeader[7] = '\0';
    QTest::newRow("missing") << u"missing.bin"_s << QByteArray() << u"Невозможно открыть файл "_s;
    QTest::newRow("folder") << u"folder.bin"_s << QByteArray() << u"Невозможно открыть файл "_s;
    QTest::newRow("empty, as a failed build leaves it")
        << u"route.bin"_s << QByteArray() << u"не записывается в устройство: файл пуст"_s;
    QTest::newRow("cut short of its header's sizes")
        << u"route.bin"_s << header << u"не записывается в устройство: файл короче, чем указано в его заголовке"_s;
    QTest::newRow("table offset past the end") << u"route.bin"_s << (wholeHeader.left(32) + QByteArray(8, 'x'))
                                               << u"файл короче, чем указано в его заголовке"_s;
}

void AnnouncerTest::imageRefusedBeforeThePortOpens()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const QString path = mFolder.filePath(name);
    if (name == u"folder.bin")
        QVERIFY(QDir().mkdir(path));
    else if (name != u"missing.bin")
        QCOMPARE(writeImage(bytes), path);

    EmulatorRun run;
    AnnouncerDevice device({}, run.log());
    run.start(device);
    RecordingProgress progress;
    const Result<TransferEnd> result = programAnnouncer(path, link(run.port()), progress);
    run.stop();
    QCOMPARE(endingOf(result), u"failed"_s);
    QVERIFY2(result.status().message.contains(message), qPrintable(result.status().message));
    QVERIFY(result.status().message.contains(name));
    QCOMPARE(progress.messages, QStringList{result.status().message});
    QVERIFY(!progress.everShown);
    QVERIFY(device.commands().isEmpty());
    QVERIFY(portIsFree(run.port()));
}

void AnnouncerTest::unansweredAddressRepeatsUntilCancelled()
{
    AnnouncerFaults faults;
    faults.neverReady = true;
    EmulatorRun run;
    AnnouncerDevice device(faults, run.log());
    run.start(device);
    RecordingProgress progress;
    int refreshes = 0;
    // The third look once the blocks are being written (the waits before look all the time).
    progress.cancelWhen = [&] { return progress.stages.contains(u"Запись"_s) && ++refreshes == 3; };
    QElapsedTimer clock;
    clock.start();
    const Result<TransferEnd> result = programAnnouncer(writeImage(randomBytes(600)), link(run.port()), progress);
    const qint64 elapsed = clock.elapsed();
    run.stop();

    QCOMPARE(endingOf(result), u"cancelled"_s);
    QVERIFY(progress.messages.isEmpty());
    QCOMPARE(progress.errors, QStringList{u"Устройство не отвечает"_s});
    QCOMPARE(progress.size, QStringLiteral("Записано: 0"));
    QVERIFY(progress.eventRounds >= 2);
    // Every read time-out brings the same write command again, and a cancel sends no closing reset.
    const QStringList commands = commandTexts(device);
    const qsizetype attempts = commands.count(QStringLiteral("write 0@115200"));
    QCOMPARE(commands.size(), attempts + 2);
    QVERIFY2(attempts >= 3 && attempts <= (elapsed - 3000) / 500 + 1,
             qPrintable(QStringLiteral("%1 attempts in %2 ms").arg(attempts).arg(elapsed)));
    QVERIFY(portIsFree(run.port()));
}

void AnnouncerTest::traceHoldsTheExchangesInOrder_data()
{
    QTest::addColumn<AnnouncerFaults>("faults");
    QTest::addColumn<QStringList>("expected"); // texts of trace lines, each found after the one before

    const QString setUp = uR"(= режим "baud=115200 parity=N data=8 stop=1": 115200 бод, 8N1)"_s;
    const QStringList start{u"программирование автоинформатора: "_s, u"= открыт "_s, setUp,
                            uR"(> 7 байт: "\x1breset\x0d")"_s,
                            uR"(= режим "baud=4800 parity=N data=8 stop=1": 4800 бод, 8N1)"_s,
                            uR"(> 7 байт: "\x1bsetup\x0d")"_s, u"= очереди очищены"_s, setUp,
                            uR"(> 8 байт: "write 0\x0d")"_s, uR"(< 1 байт: "R")"_s, u"# блок 0x0, CRC 0x"_s,
                            u"> 514 байт: "_s};
    QTest::newRow("two blocks") << AnnouncerFaults{}
                                << start + QStringList{uR"(< 1 байт: "W")"_s, uR"(> 10 байт: "write 200\x0d")"_s,
                                                       uR"(< 1 байт: "R")"_s, u"# блок 0x200, CRC 0x"_s,
                                                       u"> 514 байт: "_s, uR"(< 1 байт: "W")"_s,
                                                       uR"(> 7 байт: "\x1breset\x0d")"_s, u"= закрыт"_s,
                                                       u"# готово, размер 1024 байт"_s};
    AnnouncerFaults silent;
    silent.silentAtBlock = 0;
    QTest::newRow("no answer") << silent
                               << start + QStringList{u"- тайм-аут 500 мс, получено 0 байт"_s,
                                                      u"# ошибка: Ничего не получено"_s, u"= закрыт"_s};
}

void AnnouncerTest::traceHoldsTheExchangesInOrder()
{
    QFETCH(AnnouncerFaults, faults);
    QFETCH(QStringList, expected);
    EmulatorRun run;
    AnnouncerDevice device(faults, run.log());
    run.start(device);
    DeviceTrace trace;
    const QString tracePath = mFolder.filePath(u"trace.txt"_s);
    const Status opened = trace.open(tracePath, DeviceTrace::Mode::Replace);
    QVERIFY2(opened.ok(), qPrintable(opened.message));
    RecordingProgress progress;
    programAnnouncer(writeImage(randomBytes(1000)), link(run.port()), progress, &trace);
    run.stop();

    QFile file(tracePath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    static const QRegularExpression stamp(u"^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d "_s);
    qsizetype at = 0;
    for (const QString &line : lines) {
        QVERIFY2(stamp.match(line).hasMatch(), qPrintable(line));
        if (at < expected.size() && line.contains(expected[at]))
            ++at;
    }
    QVERIFY2(at == expected.size(), qPrintable(u"missing, in order: "_s + expected.value(at) + u"\n"_s + lines.join(u'\n')));
}

void AnnouncerTest::replyLatencyShowsInTheTime()
{
    // Eight replies (four blocks), each held 40 ms as an adapter without low latency holds them.
    qint64 elapsed[2] = {};
    for (int latency : {0, 40}) {
        EmulatorRun run;
        AnnouncerDevice device({}, run.log());
        run.start(device, latency);
        RecordingProgress progress;
        QElapsedTimer clock;
        clock.start();
        const Result<TransferEnd> result = programAnnouncer(writeImage(randomBytes(2048)), link(run.port()), progress);
        elapsed[latency ? 1 : 0] = clock.elapsed();
        run.stop(); // before the device goes
        QCOMPARE(endingOf(result), u"completed"_s);
    }
    // A hold that falls inside one of the programmer's own fixed waits hides there, and a loaded
    // machine can slow the run without latency: half of the eight holds is sure to show.
    QVERIFY2(elapsed[1] - elapsed[0] >= 4 * 40, qPrintable(u"%1 ms against %2 ms"_s.arg(elapsed[1]).arg(elapsed[0])));
}

QTEST_GUILESS_MAIN(AnnouncerTest)
#include "test_announcer.moc"
