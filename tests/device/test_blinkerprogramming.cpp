// Programming the route-number board: the board memory image, its frames, and the worker thread
// against the emulated board, reporting into a progress display on the main thread.

#include "fonts/fonttable.h"
#include "common/crc16.h"
#include "device/boardmemory.h"
#include "device/progrthread.h"
#include "device/serialport.h"
#include "devsim/blinkerdevice.h"
#include "emulatorrun.h"
#include "recordingprogress.h"
#include "transferending.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QtTest>

using namespace tirvela;
using namespace tirvela::test;
using namespace Qt::StringLiterals;
using devsim::BlinkerDevice;

Q_DECLARE_METATYPE(tirvela::ProgrThread::BoardImages)
Q_DECLARE_METATYPE(tirvela::devsim::BlinkerFaults)

namespace {

constexpr int kFastPaceMs = 1;

BoardImage imageWithLength(int length)
{
    BoardImage image{};
    for (quint8 &byte : image)
        byte = quint8(QRandomGenerator::global()->bounded(256));
    image[0] = 0x12;
    image[1] = 0x34;
    image[2] = quint8(length);
    image[3] = quint8(length >> 8);
    return image;
}

quint32 littleEndian32(const BoardMemoryImage &memory, int offset)
{
    return quint32(memory[offset]) | quint32(memory[offset + 1]) << 8 | quint32(memory[offset + 2]) << 16
           | quint32(memory[offset + 3]) << 24;
}

QByteArray bytesOf(const BoardMemoryImage &memory, int offset, int count)
{
    return QByteArray(reinterpret_cast<const char *>(memory.data()) + offset, count);
}

// Runs the worker until it ends by itself (at most ten seconds).
bool runToEnd(BlinkerProgrammingRun &run)
{
    run.start();
    return QTest::qWaitFor([&] { return run.isFinished(); }, 10000);
}

} // namespace

class BlinkerProgrammingTest : public QObject
{
    Q_OBJECT

private slots:
    void memoryLayoutOfEmptyImage();
    void memoryRefusals_data();
    void memoryRefusals();
    void frames();
    void programsAllThreeBoards();
    void failures_data();
    void failures();
    void stopSendsNothingMore_data();
    void stopSendsNothingMore();
    void destroyingARunStopsItsWorker();

private:
    static const ProgrThread::BoardImages kZeroImages;
};

const ProgrThread::BoardImages BlinkerProgrammingTest::kZeroImages{};

void BlinkerProgrammingTest::memoryLayoutOfEmptyImage()
{
    BoardMemoryImage memory;
    QCOMPARE(buildBoardMemoryImage(BoardImage{}, memory), BoardMemoryStatus::Built);

    // The image holds its four header bytes only, so the fonts start at 68.
    const int fontNumbers[] = {1, 2, 4, 5, 6};
    const quint32 lengths[] = {1600, 2560, 400, 162, 1280};
    quint32 offset = 68;
    for (int entry = 0; entry < 5; ++entry) {
        QCOMPARE(littleEndian32(memory, 8 * entry), offset);
        QCOMPARE(littleEndian32(memory, 8 * entry + 4), lengths[entry]);
        const QByteArrayView glyphs = fontByNumber(fontNumbers[entry])->glyphData();
        QCOMPARE(bytesOf(memory, int(offset), int(lengths[entry])), glyphs.first(lengths[entry]).toByteArray());
        offset += lengths[entry];
    }
    QCOMPARE(offset, quint32(68 + 6002));
    QCOMPARE(bytesOf(memory, 40, 24), QByteArray(24, '\xff'));
    QCOMPARE(bytesOf(memory, 64, 4), QByteArray(4, '\0'));
    QCOMPARE(bytesOf(memory, 6070, 8190 - 6070), QByteArray(8190 - 6070, '\xff'));
    const quint16 crc = crc16Xmodem(0, QByteArrayView(reinterpret_cast<const char *>(memory.data()), 8190));
    QCOMPARE(memory[8190], quint8(crc >> 8));
    QCOMPARE(memory[8191], quint8(crc));

    // The largest image a board image can hold still leaves room for the fonts.
    const BoardImage largest = imageWithLength(BoardImageSize - 4);
    QCOMPARE(buildBoardMemoryImage(largest, memory), BoardMemoryStatus::Built);
    QCOMPARE(bytesOf(memory, 64, BoardImageSize), QByteArray(reinterpret_cast<const char *>(largest.data()), BoardImageSize));
    QCOMPARE(littleEndian32(memory, 0), quint32(64 + BoardImageSize));
}

void BlinkerProgrammingTest::memoryRefusals_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<BoardMemoryStatus>("status");

    QTest::newRow("all 0xFF") << 0xFFFF << QByteArray("\xff\xff") << BoardMemoryStatus::DoesNotFit;
    QTest::newRow("length beyond the board image") << BoardImageSize - 3 << QByteArray() << BoardMemoryStatus::DoesNotFit;
    QTest::newRow("text layout") << 600 << QByteArray("INTL") << BoardMemoryStatus::NotBinary;
}

void BlinkerProgrammingTest::memoryRefusals()
{
    QFETCH(int, length);
    QFETCH(QByteArray, head);
    BoardImage image = imageWithLength(length);
    std::copy(head.begin(), head.end(), image.begin());
    BoardMemoryImage memory;
    QTEST(buildBoardMemoryImage(image, memory), "status");
}

void BlinkerProgrammingTest::frames()
{
    BoardMemoryImage memory;
    QCOMPARE(buildBoardMemoryImage(imageWithLength(700), memory), BoardMemoryStatus::Built);
    ProgrammingFrame frame;

    buildProgrammingFrame(1, 0, memory, frame);
    const QByteArray bytes(reinterpret_cast<const char *>(frame.data()), kProgrammingFrameSize);
    QCOMPARE(bytes.first(9), QByteArray::fromHex("ff505232000100d5ff"));
    QCOMPARE(bytes.sliced(9, 64), bytesOf(memory, 0, 64));
    const quint16 crc = crc16Xmodem(0, bytes.sliced(9, 64));
    QCOMPARE(quint8(bytes[73]), quint8(crc >> 8));
    QCOMPARE(quint8(bytes[74]), quint8(crc));

    // The chunk number and the id count in the checksum; the last frame carries the image CRC.
    buildProgrammingFrame(4, 127, memory, frame);
    QCOMPARE(frame[6], quint8(127));
    QCOMPARE(frame[7], quint8(0x50 + 0x52 + 0x32 + 4 + 127));
    QCOMPARE(frame[71], memory[8190]);
    QCOMPARE(frame[72], memory[8191]);
}

void BlinkerProgrammingTest::programsAllThreeBoards()
{
    const ProgrThread::BoardImages images = {BoardImage{}, imageWithLength(600), imageWithLength(1200)};
    EmulatorRun run;
    QVERIFY(run.isOpen());
    BlinkerDevice board({}, run.log());
    run.start(board);
    RecordingProgress progress;
    BlinkerProgrammingRun worker(images, {u"COM1:"_s, run.port()}, progress, {kBlinkerLineMode.toString(), kFastPaceMs});
    QVERIFY(runToEnd(worker));
    run.stop();

    QCOMPARE(endingOf(worker.result()), u"completed"_s);
    QCOMPARE(board.framesRejected(), 0);
    QCOMPARE(board.boards().size(), size_t(3));
    for (int k = 0; k < BoardTypeCount; ++k) {
        const BlinkerDevice::BoardMemory &received = board.boards().at(kBoardTypes[k].id);
        BoardMemoryImage expected;
        QCOMPARE(buildBoardMemoryImage(images[k], expected), BoardMemoryStatus::Built);
        QCOMPARE(received.completions, 1);
        QVERIFY(received.crcOk);
        QCOMPARE(received.image, bytesOf(expected, 0, kBoardMemorySize));
    }
    QCOMPARE(board.programmingSpeeds(), QList<int>(3 * kFramesPerBoard, 4800));

    QVERIFY2(progress.callsOnOwnThread, "the worker must report through the thread that shows the progress");
    QCOMPARE(progress.caption, u"Прошивка блинкерного табло"_s);
    QCOMPARE(progress.stages, (QStringList{u"Подготовка, открытие порта"_s, u"Табло 1 из 3 · 16x28x4"_s,
                                           u"Табло 2 из 3 · 20x28x4"_s, u"Табло 3 из 3 · 16x28x4 Раздельные"_s,
                                           u"Прошивка блинкерного табло завершена"_s}));
    QCOMPARE(progress.size, u"Размер данных: 8192"_s);
    QCOMPARE(progress.maximum, 3 * kBoardMemorySize);
    QCOMPARE(progress.button, u"ОК"_s);
    QVERIFY(progress.error.isEmpty());
    // One bar for the run: it counts the image bytes of all three board types and is full
    // exactly with the last frame.
    QCOMPARE(progress.positions.size(), 3 * kFramesPerBoard);
    for (int frame = 0; frame < 3 * kFramesPerBoard; ++frame)
        QCOMPARE(progress.positions[frame], (frame + 1) * kFrameDataSize);
    QCOMPARE(progress.positions.constLast(), progress.maximum);
}

void BlinkerProgrammingTest::failures_data()
{
    QTest::addColumn<ProgrThread::BoardImages>("images");
    QTest::addColumn<QString>("lineMode");
    QTest::addColumn<devsim::BlinkerFaults>("faults");
    QTest::addColumn<bool>("portTaken");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QList<int>>("boardsReceived");

    const QString mode = kBlinkerLineMode.toString();
    QTest::newRow("port taken") << kZeroImages << mode << devsim::BlinkerFaults() << true
                                << u"Ошибка при открытии COM1: ! (порт занят другой программой)"_s << QList<int>();
    QTest::newRow("mode refused") << kZeroImages << u"baud=0"_s << devsim::BlinkerFaults() << false
                                  << u"Невозможно установить параметры (4800,N,8,1)!"_s << QList<int>();

    ProgrThread::BoardImages images{};
    std::copy_n("INTL", 4, images[1].begin());
    QTest::newRow("second image in the text layout") << images << mode << devsim::BlinkerFaults() << false
                                                     << u"Сохраните файл (в двоичном формате)"_s << QList<int>{1};
    images = {};
    images[0].fill(0xFF);
    QTest::newRow("first image does not fit") << images << mode << devsim::BlinkerFaults() << false
                                              << u"Данные не умещаются в памяти (8192)"_s << QList<int>();
    devsim::BlinkerFaults dropped;
    dropped.closeAtFrame = 5;
    QTest::newRow("line dropped") << kZeroImages << mode << dropped << false
                                  << u"Передано не полностью: 16x28x4, 20x28x4, 16x28x4 Раздельные"_s << QList<int>();
}

void BlinkerProgrammingTest::failures()
{
    QFETCH(ProgrThread::BoardImages, images);
    QFETCH(QString, lineMode);
    QFETCH(devsim::BlinkerFaults, faults);
    QFETCH(bool, portTaken);
    QFETCH(QString, error);
    QFETCH(QList<int>, boardsReceived);

    EmulatorRun run;
    BlinkerDevice board(faults, run.log());
    run.start(board);
    SerialPort holder;
    if (portTaken)
        QVERIFY(holder.open(run.port(), SerialPort::Access::ReadWrite));
    RecordingProgress progress;
    BlinkerProgrammingRun worker(images, {u"COM1:"_s, run.port()}, progress, {lineMode, kFastPaceMs});
    QVERIFY(runToEnd(worker));
    run.stop();

    QCOMPARE(endingOf(worker.result()), u"failed"_s);
    QCOMPARE(worker.result().status().message, error);
    QCOMPARE(progress.error, error);
    QCOMPARE(progress.button, u"ОК"_s);
    QList<int> complete;
    for (const auto &[id, memory] : board.boards()) {
        if (memory.completions > 0)
            complete.append(id);
    }
    QCOMPARE(complete, boardsReceived);
    holder.close();
    if (faults.closeAtFrame < 0)
        QVERIFY2(SerialPort().open(run.port(), SerialPort::Access::ReadWrite), "the port must be closed again");
}

void BlinkerProgrammingTest::stopSendsNothingMore_data()
{
    QTest::addColumn<int>("stopAtFrame");
    QTest::addColumn<int>("paceMs");
    QTest::newRow("second frame, at the board's pace") << 2 << 350;
    QTest::newRow("in the last board type") << 2 * kFramesPerBoard + 3 << 5;
}

void BlinkerProgrammingTest::stopSendsNothingMore()
{
    QFETCH(int, stopAtFrame);
    QFETCH(int, paceMs);
    EmulatorRun run;
    BlinkerDevice board({}, run.log());
    run.start(board);
    RecordingProgress progress;
    BlinkerProgrammingRun worker(kZeroImages, {u"COM1:"_s, run.port()}, progress, {kBlinkerLineMode.toString(), paceMs});
    QElapsedTimer sinceStop;
    progress.onPosition = [&](int) {
        if (progress.positions.size() == stopAtFrame) {
            worker.stop();
            sinceStop.start();
        }
    };
    worker.start();
    QVERIFY(QTest::qWaitFor([&] { return worker.isFinished(); }, 20000));
    QVERIFY2(sinceStop.elapsed() < 200, "a stop must cut the pause short");
    run.stop();

    QCOMPARE(endingOf(worker.result()), u"cancelled"_s);
    QCOMPARE(progress.stages.constLast(), u"Прервано"_s);
    QCOMPARE(progress.button, u"ОК"_s);
    // Every frame the board got was reported before the run ended, and none came after the stop.
    QVERIFY(progress.positions.size() >= stopAtFrame);
    QCOMPARE(board.programmingSpeeds().size(), progress.positions.size());
    if (paceMs >= 350) {
        QCOMPARE(progress.positions, (QList<int>{64, 128}));
        // Reports arrive queued, so their spacing shows the board's pace only roughly.
        const qint64 pace = progress.positionTimes[1] - progress.positionTimes[0];
        QVERIFY2(pace >= 250 && pace < 1000, qPrintable(QString::number(pace)));
    }
    QCOMPARE(board.boards().count(kBoardTypes[2].id) ? board.boards().at(kBoardTypes[2].id).completions : 0, 0);
}

void BlinkerProgrammingTest::destroyingARunStopsItsWorker()
{
    EmulatorRun run;
    BlinkerDevice board({}, run.log());
    run.start(board);
    RecordingProgress progress;
    QElapsedTimer clock;
    {
        BlinkerProgrammingRun worker(kZeroImages, {u"COM1:"_s, run.port()}, progress);
        worker.start();
        QVERIFY(QTest::qWaitFor([&] { return !progress.positions.isEmpty(); }, 5000));
        clock.start();
    }
    QVERIFY2(clock.elapsed() < 500, "the worker must end at once, without the user interface's help");
    run.stop();
    QVERIFY(board.programmingSpeeds().size() <= 2);
}

QTEST_GUILESS_MAIN(BlinkerProgrammingTest)
#include "test_blinkerprogramming.moc"
