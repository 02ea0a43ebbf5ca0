// What a technician meets in the field: the USB adapter pulled in the middle of a transfer, a device
// that answers slowly, a burst of noise on the line, the port held by another program. Each run
// must end by itself with its message, give the port back, and leave the program able to program
// the device again.

#include "device/announcerprogrammer.h"
#include "device/serialport.h"
#include "devsim/announcerdevice.h"
#include "emulatorrun.h"
#include "recordingprogress.h"
#include "transferending.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

using namespace tirvela;
using namespace tirvela::test;
using namespace Qt::StringLiterals;
using devsim::AnnouncerDevice;
using devsim::AnnouncerFaults;

Q_DECLARE_METATYPE(devsim::AnnouncerFaults)

namespace {

// The device's own waits take three seconds; every run here must be over well within this.
constexpr qint64 kBoundMs = 12000;

QByteArray imageBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(i * 13 + i / 512);
    return bytes;
}

struct Outcome
{
    QString ending; // as endingOf() words it
    QStringList messages;
    qint64 elapsedMs = 0;
    bool portFree = false;
    QByteArray memory;
};

// Programs `image` into an emulated Announcer with the given faults; `holdPort` keeps the port
// open from another "program" for the whole run.
Outcome programDevice(const QString &image, const AnnouncerFaults &faults, bool holdPort = false)
{
    Outcome outcome;
    EmulatorRun run;
    AnnouncerDevice device(faults, run.log());
    run.start(device);
    SerialPort holder;
    if (holdPort && !holder.open(run.port(), SerialPort::Access::ReadWrite))
        return outcome;

    RecordingProgress progress;
    QElapsedTimer clock;
    clock.start();
    const AnnouncerLink link{{QStringLiteral("COM1:"), run.port()}, kWorkingMode, kProgrammingMode};
    outcome.ending = endingOf(programAnnouncer(image, link, progress));
    outcome.elapsedMs = clock.elapsed();
    outcome.messages = progress.messages;
    holder.close();
    SerialPort probe;
    outcome.portFree = probe.open(run.port(), SerialPort::Access::ReadWrite);
    probe.close();
    run.stop();
    outcome.memory = device.memory();
    return outcome;
}

} // namespace

class DeviceFaultsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(mFolder.isValid());
        mImage = mFolder.filePath(QStringLiteral("route.bin"));
        QFile file(mImage);
        QVERIFY(file.open(QIODevice::WriteOnly));
        mBytes = imageBytes(3 * 512 + 100);
        QCOMPARE(file.write(mBytes), mBytes.size());
    }

    void faultEndsTheRunAndTheNextRunSucceeds_data()
    {
        QTest::addColumn<AnnouncerFaults>("faults");
        QTest::addColumn<bool>("holdPort");
        QTest::addColumn<QString>("message");

        AnnouncerFaults pulled;
        pulled.closeAtBlock = 2;
        QTest::newRow("adapter pulled during a block")
            << pulled << false << QStringLiteral("Ничего не получено (устройство отключено: Input/output error)");

        AnnouncerFaults tooSlow;
        tooSlow.answerDelayMs = 800;
        QTest::newRow("answers later than the device may") << tooSlow << false << QStringLiteral("Ничего не получено");

        AnnouncerFaults burst;
        burst.burstAtBlock = 1;
        QTest::newRow("burst of noise") << burst << false << QStringLiteral("Запись не прошла!");

        QTest::newRow("port held by another program")
            << AnnouncerFaults{} << true << QStringLiteral("Ошибка! Невозможно получить доступ к порту (порт занят другой программой)");
    }

    void faultEndsTheRunAndTheNextRunSucceeds()
    {
        QFETCH(AnnouncerFaults, faults);
        QFETCH(bool, holdPort);
        QFETCH(QString, message);

        const Outcome failed = programDevice(mImage, faults, holdPort);
        QCOMPARE(failed.ending, u"failed"_s);
        QCOMPARE(failed.messages, QStringList{message});
        QVERIFY2(failed.elapsedMs < kBoundMs, qPrintable(QString::number(failed.elapsedMs)));
        if (faults.closeAtBlock < 0)
            QVERIFY(failed.portFree);

        const Outcome again = programDevice(mImage, {});
        QCOMPARE(again.ending, u"completed"_s);
        QCOMPARE(again.memory, mBytes + QByteArray(4 * 512 - mBytes.size(), '\0'));
    }

    // Answers that come late but within the read time-out only slow the transfer down.
    void slowDeviceIsProgrammed()
    {
        AnnouncerFaults slow;
        slow.answerDelayMs = 250;
        const Outcome outcome = programDevice(mImage, slow);
        QCOMPARE(outcome.ending, u"completed"_s);
        QVERIFY(outcome.messages.isEmpty());
        QCOMPARE(outcome.memory, mBytes + QByteArray(4 * 512 - mBytes.size(), '\0'));
        QVERIFY(outcome.portFree);
        QVERIFY2(outcome.elapsedMs < kBoundMs, qPrintable(QString::number(outcome.elapsedMs)));
    }

private:
    QTemporaryDir mFolder;
    QString mImage;
    QByteArray mBytes;
};

QTEST_GUILESS_MAIN(DeviceFaultsTest)
#include "test_devicefaults.moc"
