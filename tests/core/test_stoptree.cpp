#include "common/cp1251.h"
#include "project/stoptree.h"

#include <QRandomGenerator>
#include <QTest>

using namespace tirvela;

namespace {

StopNode node(const char16_t *text, std::vector<StopNode> children = {})
{
    return {toCp1251(text), std::move(children)};
}

StopNode stop(const char16_t *name, std::vector<StopNode> atStop, std::vector<StopNode> beforeStop,
              std::vector<StopNode> times)
{
    return node(name, {{stopGroupText(), std::move(atStop)},
                       {nextStopGroupText(), std::move(beforeStop)},
                       {controlTimeGroupText(), std::move(times)}});
}

StopTree twoDirectionRoute()
{
    StopTree tree;
    tree.root().appendChild({forwardDirectionText(),
                          {stop(u"Вокзал", {node(u"Вокзал.wav"), node(u"Гонг.WAV")}, {node(u"След_Рынок.wav")},
                                {node(u"07:05:00")}),
                           stop(u"Рынок №2", {node(u"Рынок.wav")}, {}, {}),
                           stop(u"", {}, {}, {})}});
    tree.root().appendChild({reverseDirectionText(),
                          {stop(u"Рынок №2", {}, {node(u"Вокзал.wav")}, {node(u"23:59:59"), node(u"00:00:00")})}});
    return tree;
}

} // namespace

class TestStopTree : public QObject
{
    Q_OBJECT

private slots:
    void writesOneLinePerNodeWithTabsAndCrLf()
    {
        StopTree tree;
        tree.root().appendChild({forwardDirectionText(), {stop(u"A", {}, {}, {})}});
        const QByteArray expected = "\xCF\xF0\xFF\xEC\xEE\xE5 \xED\xE0\xEF\xF0\xE0\xE2\xEB\xE5\xED\xE8\xE5\r\n"
                                    "\tA\r\n"
                                    "\t\t\xCE\xF1\xF2\xE0\xED\xEE\xE2\xEA\xE0\r\n"
                                    "\t\t\xD1\xEB\xE5\xE4\xF3\xFE\xF9\xE0\xFF \xEE\xF1\xF2\xE0\xED\xEE\xE2\xEA\xE0\r\n"
                                    "\t\t\xCA\xEE\xED\xF2\xF0\xEE\xEB\xFC\xED\xEE\xE5 \xE2\xF0\xE5\xEC\xFF\r\n";
        QCOMPARE(writeRouteStream(tree), expected);
        QVERIFY(writeRouteStream(StopTree{}).isEmpty());
    }

    void realisticRouteRoundTrips()
    {
        const StopTree tree = twoDirectionRoute();
        const QByteArray stream = writeRouteStream(tree);
        const RouteStreamReadResult read = readRouteStream(stream);
        QVERIFY(read.ok);
        QCOMPARE(read.tree.root().childCount(), 2);
        QCOMPARE(read.tree.root().child(0).childCount(), 3);
        QCOMPARE(read.tree.root().child(1).child(0).child(2).child(1).text, QByteArray("00:00:00"));
        QCOMPARE(read.tree.root().child(0).child(2).text, QByteArray()); // a stop with an empty name stays
        QCOMPARE(writeRouteStream(read.tree), stream);
    }

    // Each input is read and written again; the expected text is the written form.
    void readsLineEndsLevelsAndTextEnd_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QByteArray>("written");

        const QByteArray canonical = "D\r\n\tS\r\n\t\tG\r\n\t\t\tI\r\n\tT\r\nR\r\n";
        QTest::newRow("crlf") << canonical << canonical;
        QTest::newRow("lf only") << QByteArray("D\n\tS\n\t\tG\n\t\t\tI\n\tT\nR\n") << canonical;
        QTest::newRow("cr only") << QByteArray("D\r\tS\r\t\tG\r\t\t\tI\r\tT\rR\r") << canonical;
        QTest::newRow("last line without end") << QByteArray("D\r\n\tS\r\n\t\tG\r\n\t\t\tI\r\n\tT\r\nR") << canonical;
        QTest::newRow("blanks as levels") << QByteArray("D\r\n S\r\n \tG\r\n   I\r\n T\r\nR\r\n") << canonical;
        QTest::newRow("back two levels") << QByteArray("D\r\n\tS\r\n\t\tG\r\n\t\t\tI\r\nR\r\n")
                                         << QByteArray("D\r\n\tS\r\n\t\tG\r\n\t\t\tI\r\nR\r\n");
        QTest::newRow("nul ends the text") << QByteArray("D\r\n\tS\0\r\n\t\t\t\tjunk", 17)
                                           << QByteArray("D\r\n\tS\r\n");
        QTest::newRow("nul after line end") << QByteArray("D\r\n\0R\r\n", 7) << QByteArray("D\r\n");
        QTest::newRow("first line indented") << QByteArray("\t\tD\r\n\tS\r\n") << QByteArray("D\r\n\tS\r\n");
        QTest::newRow("lf cr is two line ends") << QByteArray("D\n\rR") << QByteArray("D\r\n\r\nR\r\n");
        QTest::newRow("empty lines are empty nodes") << QByteArray("\r\n\t\r\n\r\n")
                                                     << QByteArray("\r\n\t\r\n\r\n");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("only nul") << QByteArray("\0D", 2) << QByteArray();
        QTest::newRow("cyrillic bytes kept") << QByteArray("\xCF\r\n\t\xC0\xFF\x98\r\n")
                                             << QByteArray("\xCF\r\n\t\xC0\xFF\x98\r\n");
    }

    void readsLineEndsLevelsAndTextEnd()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QByteArray, written);
        const RouteStreamReadResult read = readRouteStream(stream);
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(writeRouteStream(read.tree), written);
    }

    void levelJumpFailsTheWholeReading_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("line");

        QTest::newRow("child of a child") << QByteArray("D\r\n\tS\r\n\t\t\tI\r\n")
                                          << QStringLiteral("Неверный уровень 3 в строке 3: «I»") << 3;
        QTest::newRow("after indented first line")
            << QByteArray("\t\tD\r\n\t\tS\r\n") << QStringLiteral("Неверный уровень 2 в строке 2: «S»") << 2;
        QTest::newRow("blanks count too") << QByteArray("D\n \t S\n") << QStringLiteral("Неверный уровень 3 в строке 2: «S»")
                                          << 2;
        QTest::newRow("text decoded") << QByteArray("D\r\n\tS\r\nR\r\n\t\t\xD0\xFB\xED\xEE\xEA\r\n")
                                      << QStringLiteral("Неверный уровень 2 в строке 4: «Рынок»") << 4;
        QTest::newRow("empty text") << QByteArray("D\r\r\t\t") << QStringLiteral("Неверный уровень 2 в строке 3: «»") << 3;
        QTest::newRow("ten thousand tabs") << QByteArray("D\r\n") + QByteArray(10000, '\t') + "X"
                                           << QStringLiteral("Неверный уровень 10000 в строке 2: «X»") << 2;
        QTest::newRow("long text shortened")
            << QByteArray("D\n\t\t") + QByteArray(100, 'x')
            << QStringLiteral("Неверный уровень 2 в строке 2: «%1…»").arg(QString(60, u'x')) << 2;

        QByteArray staircase;
        for (int level = 0; level <= MaxStopTreeLevel + 1; ++level)
            staircase += QByteArray(level, '\t') + "N\r\n";
        QTest::newRow("beyond the deepest level")
            << staircase << QStringLiteral("Неверный уровень %1 в строке %2: «N»").arg(MaxStopTreeLevel + 1).arg(MaxStopTreeLevel + 2)
            << MaxStopTreeLevel + 2;
    }

    void levelJumpFailsTheWholeReading()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QString, error);
        QFETCH(int, line);
        const RouteStreamReadResult read = readRouteStream(stream);
        QVERIFY(!read.ok);
        QVERIFY(read.tree.isEmpty());
        QCOMPARE(read.error, error);
        QCOMPARE(read.errorLine, line);
    }

    void deepestLevelIsAccepted()
    {
        QByteArray staircase;
        for (int level = 0; level <= MaxStopTreeLevel; ++level)
            staircase += QByteArray(level, '\t') + "N\r\n";
        const RouteStreamReadResult read = readRouteStream(staircase);
        QVERIFY(read.ok);
        QCOMPARE(writeRouteStream(read.tree), staircase);
    }

    // Texts that the lines could not carry are written so that the tree keeps its shape.
    void textsThatWouldBreakTheLinesAreMadeStorable()
    {
        StopTree tree;
        tree.root().appendChild({forwardDirectionText(),
                              {{toCp1251(u" \tЛесная"), {}}, {QByteArray("two\r\nlines\0!", 12), {}}, {"\t\t", {}}}});
        const QByteArray stream = writeRouteStream(tree);
        QCOMPARE(stream, forwardDirectionText() + "\r\n\t" + toCp1251(u"Лесная") + "\r\n\ttwo  lines !\r\n\t\r\n");
        const RouteStreamReadResult read = readRouteStream(stream);
        QVERIFY(read.ok);
        QCOMPARE(read.tree.root().child(0).childCount(), 3);
        QCOMPARE(storableNodeText("A  b "), QByteArray("A  b "));
    }

    void longStreamsReadWithoutDeepRecursion()
    {
        QByteArray stream;
        for (int i = 0; i < 200000; ++i)
            stream += "D\r\n\tS\r\n\t\tG\r\n\t\t\tI\r\n";
        const RouteStreamReadResult read = readRouteStream(stream);
        QVERIFY(read.ok);
        QCOMPARE(read.tree.root().childCount(), 200000);
        QCOMPARE(writeRouteStream(read.tree), stream);
    }

    // Any bytes read without harm, and what is read is written so that it reads back the same.
    void arbitraryBytesReadSafely()
    {
        // Odd rounds leave out the NUL, which would end most streams early.
        const char alphabet[] = {'\t', ' ', '\r', '\n', 'a', '\xC0', '\0'};
        QRandomGenerator random(1251);
        for (int round = 0; round < 2000; ++round) {
            QByteArray stream(random.bounded(1, 200), Qt::Uninitialized);
            for (char &byte : stream)
                byte = alphabet[random.bounded(int(sizeof alphabet) - (round % 2))];
            const RouteStreamReadResult read = readRouteStream(stream);
            if (!read.ok) {
                QVERIFY(read.tree.isEmpty());
                QVERIFY(read.errorLine > 0);
                continue;
            }
            const QByteArray written = writeRouteStream(read.tree);
            const RouteStreamReadResult again = readRouteStream(written);
            QVERIFY(again.ok);
            QCOMPARE(writeRouteStream(again.tree), written);
        }
    }

    void directionAndGroupTextsAreWindows1251()
    {
        QCOMPARE(fromCp1251(forwardDirectionText()), QStringLiteral("Прямое направление"));
        QCOMPARE(fromCp1251(reverseDirectionText()), QStringLiteral("Обратное направление"));
        QCOMPARE(fromCp1251(stopGroupText()), QStringLiteral("Остановка"));
        QCOMPARE(fromCp1251(nextStopGroupText()), QStringLiteral("Следующая остановка"));
        QCOMPARE(fromCp1251(controlTimeGroupText()), QStringLiteral("Контрольное время"));
    }
};

QTEST_GUILESS_MAIN(TestStopTree)
#include "test_stoptree.moc"
