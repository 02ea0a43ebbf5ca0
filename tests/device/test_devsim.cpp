// The emulated devices on their own: how they cut and check what they receive, so that the
// end-to-end tests can trust what they report.

#include "common/crc16.h"
#include "devsim/announcerdevice.h"
#include "devsim/blinkerdevice.h"
#include "devsim/blinkerframes.h"
#include "emulatorrun.h"

#include <QtTest>

using namespace tirvela;
using namespace tirvela::devsim;

namespace {

QByteArray programmingFrame(int boardId, int chunk, char fill)
{
    QByteArray frame("\xffPR2\x00", 5);
    frame += char(boardId);
    frame += char(chunk);
    frame += char(0x50 + 0x52 + 0x32 + boardId + chunk);
    frame += '\xff';
    const QByteArray data(64, fill);
    const quint16 crc = crc16Xmodem(0, data);
    return frame + data + char(crc >> 8) + char(crc);
}

QByteArray announcerBlock(quint32 address, const QByteArray &data)
{
    quint16 crc = 0x3055;
    for (int shift = 0; shift < 32; shift += 8)
        crc = crc16XmodemUpdate(crc, quint8(address >> shift));
    crc = crc16Xmodem(crc, data);
    return data + char(crc >> 8) + char(crc);
}

const QByteArray kRoute12 = QByteArray::fromHex("ff0daf202032315fff");

} // namespace

class DevsimTest : public QObject
{
    Q_OBJECT

private slots:
    void framesWhateverTheSplit_data();
    void framesWhateverTheSplit();
    void boardRejectsDamagedFrames();
    void announcerChecksBlocks();
    void announcerCommandLines();
};

void DevsimTest::framesWhateverTheSplit_data()
{
    QTest::addColumn<int>("piece");
    QTest::newRow("byte by byte") << 1;
    QTest::newRow("odd pieces") << 7;
    QTest::newRow("all at once") << 100000;
}

void DevsimTest::framesWhateverTheSplit()
{
    QFETCH(int, piece);
    // Noise, a frame whose end mark is wrong (only noise), 0xFF bytes, then good frames back to back
    // and an unfinished frame at the end.
    QByteArray badEnd = kRoute12;
    badEnd[8] = '\0';
    const QByteArray stream = QByteArray("abc") + badEnd + "\xff\xff" + kRoute12 + programmingFrame(2, 5, '\xff')
                              + kRoute12 + programmingFrame(1, 0, 'x').first(40);

    BlinkerFrameParser parser;
    QList<BlinkerFrame> frames;
    for (qsizetype at = 0; at < stream.size(); at += piece)
        frames += parser.feed(QByteArrayView(stream).sliced(at, qMin<qsizetype>(piece, stream.size() - at)));

    QList<BlinkerFrame::Kind> kinds;
    QByteArray noise;
    for (const BlinkerFrame &frame : frames) {
        if (frame.kind == BlinkerFrame::Unrecognised)
            noise += frame.bytes;
        else
            kinds.append(frame.kind);
    }
    QCOMPARE(kinds, (QList<BlinkerFrame::Kind>{BlinkerFrame::RouteNumber, BlinkerFrame::Programming,
                                               BlinkerFrame::RouteNumber}));
    QCOMPARE(noise, QByteArray("abc") + badEnd + "\xff\xff");

    const ProgrammingContent content = readProgrammingFrame(programmingFrame(2, 5, '\xff'));
    QVERIFY(content.headerOk && content.dataOk);
    QCOMPARE(content.boardId, 2);
    QCOMPARE(content.chunk, 5);
}

void DevsimTest::boardRejectsDamagedFrames()
{
    test::RecordingLog log;
    BlinkerDevice board({}, log);
    QByteArray badSum = kRoute12;
    badSum[7] = '\x60';
    QByteArray badHeader = programmingFrame(1, 3, 'a');
    badHeader[7] = char(badHeader[7] + 1);
    QByteArray badData = programmingFrame(1, 4, 'a');
    badData[20] = 'b';
    board.receive(badSum + badHeader + badData + kRoute12, 4800);

    QCOMPARE(board.framesRejected(), 3);
    QCOMPARE(board.routeNumbers().size(), 1);
    QCOMPARE(board.routeNumbers()[0].text, QByteArray("12"));
    QVERIFY(board.boards().empty());

    // All 128 chunks make an image; its CRC is checked.
    QByteArray frames;
    for (int chunk = 0; chunk < 128; ++chunk)
        frames += programmingFrame(4, chunk, '\xff');
    board.receive(frames, 4800);
    QCOMPARE(board.boards().at(4).completions, 1);
    QVERIFY(!board.boards().at(4).crcOk); // 0xFFFF is not the CRC of 8190 bytes of 0xFF
}

void DevsimTest::announcerChecksBlocks()
{
    test::RecordingLog log;
    AnnouncerDevice device({}, log);
    const QByteArray data(512, 'd');
    QCOMPARE(device.receive("write 400\r", 115200).reply, QByteArray("R"));
    QCOMPARE(device.receive(announcerBlock(0x400, data), 115200).reply, QByteArray("W"));
    QCOMPARE(device.memory(), QByteArray(0x400, '\xff') + data);

    // A CRC made for another address does not store the block.
    QCOMPARE(device.receive("write 0\r", 115200).reply, QByteArray("R"));
    QCOMPARE(device.receive(announcerBlock(0x200, data), 115200).reply, QByteArray("E"));
    QCOMPARE(device.blocksStored(), 1);

    // The memory has an end.
    const QByteArray far = "write " + QByteArray::number(AnnouncerDevice::kMemoryLimit, 16) + '\r';
    QCOMPARE(device.receive(far, 115200).reply, QByteArray("R"));
    QCOMPARE(device.receive(announcerBlock(quint32(AnnouncerDevice::kMemoryLimit), data), 115200).reply, QByteArray("E"));
    QCOMPARE(device.memory().size(), 0x600);
}

void DevsimTest::announcerCommandLines()
{
    test::RecordingLog log;
    AnnouncerDevice device({}, log);
    const QByteArray stream = QByteArray("\x1breset\r") + "write\r" + "write 0x10\r" + "write 123456789\r"
                              + QByteArray(100, 'z') + '\r' + "\x1bsetup\r" + "write 1A\r";
    const Reaction reaction = device.receive(stream, 4800);
    QCOMPARE(reaction.reply, QByteArray("R"));
    QStringList texts;
    for (const AnnouncerDevice::Command &command : device.commands())
        texts.append(QString::fromLatin1(command.text.first(qMin<qsizetype>(command.text.size(), 12))));
    QCOMPARE(texts, (QStringList{QStringLiteral("reset"), QStringLiteral("write"), QStringLiteral("write 0x10"),
                                 QStringLiteral("write 123456"), QStringLiteral("zzzzzzzzzzzz"), QStringLiteral("setup"),
                                 QStringLiteral("write 1A")}));
}

QTEST_GUILESS_MAIN(DevsimTest)
#include "test_devsim.moc"
