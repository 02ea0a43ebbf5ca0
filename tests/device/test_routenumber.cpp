// The route number frame and its sending to the emulated route-number board.

#include "common/cp1251.h"
#include "device/routenumber.h"
#include "device/serialport.h"
#include "devsim/blinkerdevice.h"
#include "emulatorrun.h"

#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace tirvela;
using namespace tirvela::test;
using devsim::BlinkerDevice;

namespace {

PortLocation boardPort(const QString &devicePath)
{
    return {QStringLiteral("COM1:"), devicePath};
}

} // namespace

class RouteNumberTest : public QObject
{
    Q_OBJECT

private slots:
    void frames_data();
    void frames();
    void framesReachTheBoard();
    void portTaken();
    void modeRefused();
    void lineThatTakesNothing();
};

void RouteNumberTest::frames_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("12") << QByteArray("12") << QByteArray::fromHex("ff0daf202032315fff");
    QTest::newRow("123") << QByteArray("123") << QByteArray::fromHex("ff0daf2033323172ff");
    QTest::newRow("empty") << QByteArray("") << QByteArray::fromHex("ff0daf202020203cff");
    QTest::newRow("one character") << QByteArray("7") << QByteArray::fromHex("ff0daf2020203753ff");
    QTest::newRow("fourth character dropped") << QByteArray("1234") << QByteArray::fromHex("ff0daf2033323172ff");
    QTest::newRow("Cyrillic letter") << toCp1251(u"12А") << QByteArray::fromHex("ff0daf20c03231ffff");
    QTest::newRow("checksum wraps") << QByteArray("\xfe\xfe\xfe") << QByteArray::fromHex("ff0daf20fefefed6ff");
}

void RouteNumberTest::frames()
{
    QFETCH(QByteArray, text);
    const RouteNumberFrame frame = routeNumberFrame(text);
    QTEST(QByteArray(reinterpret_cast<const char *>(frame.data()), qsizetype(frame.size())), "frame");
}

void RouteNumberTest::framesReachTheBoard()
{
    EmulatorRun run;
    QVERIFY(run.isOpen());
    BlinkerDevice board({}, run.log());
    run.start(board);
    for (const QByteArray &text : {QByteArray("12"), QByteArray("123"), QByteArray()}) {
        const Status sent = sendRouteNumber(text, boardPort(run.port()));
        QVERIFY2(sent.ok(), qPrintable(sent.message));
    }
    run.stop();

    QCOMPARE(board.routeNumbers().size(), 3);
    const QList<QByteArray> frames = {QByteArray::fromHex("ff0daf202032315fff"), QByteArray::fromHex("ff0daf2033323172ff"),
                                      QByteArray::fromHex("ff0daf202020203cff")};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(board.routeNumbers()[i].frame, frames[i]);
        QCOMPARE(board.routeNumbers()[i].lineSpeed, 4800);
    }
    QCOMPARE(board.routeNumbers()[1].text, QByteArray("123"));
    QCOMPARE(board.framesRejected(), 0);
}

void RouteNumberTest::portTaken()
{
    EmulatorRun run;
    SerialPort holder;
    QVERIFY(holder.open(run.port(), SerialPort::Access::ReadWrite));
    const Status sent = sendRouteNumber("12", boardPort(run.port()));
    QVERIFY(!sent.ok());
    QCOMPARE(sent.message, QStringLiteral("Ошибка открытия COM1: ! (порт занят другой программой)"));
}

void RouteNumberTest::modeRefused()
{
    EmulatorRun run;
    BlinkerDevice board({}, run.log());
    run.start(board);
    const Status sent = sendRouteNumber("12", boardPort(run.port()), u"baud=0");
    run.stop();
    QVERIFY(!sent.ok());
    QCOMPARE(sent.message, QStringLiteral("Невозможно установить параметры (4800,N,8,1)!"));
    QVERIFY(run.log().lines().isEmpty());
    SerialPort probe;
    QVERIFY2(probe.open(run.port(), SerialPort::Access::ReadWrite), "the port must be closed again");
}

void RouteNumberTest::lineThatTakesNothing()
{
    // Nobody reads the far end: once its queue is full, the driver takes no more bytes.
    EmulatorRun run;
    const int descriptor = ::open(run.port().toLocal8Bit().constData(), O_WRONLY | O_NOCTTY | O_NONBLOCK);
    QVERIFY(descriptor >= 0);
    // The kernel moves written bytes on in the background: the queue is full once it has stayed
    // full for a while.
    const QByteArray filler(4096, 'x');
    int rounds = 0;
    pollfd writable = {descriptor, POLLOUT, 0};
    while (::poll(&writable, 1, 200) > 0 && ++rounds < 1000) {
        if (::write(descriptor, filler.constData(), size_t(filler.size())) < 0)
            break;
    }
    ::close(descriptor);
    QVERIFY(rounds < 1000);

    const Status sent = sendRouteNumber("12", boardPort(run.port()));
    QVERIFY(!sent.ok());
    QCOMPARE(sent.message, QStringLiteral("Ошибка записи в COM1: !"));
}

QTEST_GUILESS_MAIN(RouteNumberTest)
#include "test_routenumber.moc"
