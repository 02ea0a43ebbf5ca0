#include "project/controltime.h"
#include "project/editchecks.h"
#include "common/cp1251.h"

#include <QTest>

using namespace tirvela;

class TestControlTime : public QObject
{
    Q_OBJECT

private slots:
    void typedTimesArePackedAsBcd_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<quint32>("value");
        QTest::addColumn<QString>("shown");

        QTest::newRow("hours and minutes") << QStringLiteral("7:5") << 0x00070500u << QStringLiteral("07:05:00");
        QTest::newRow("with seconds") << QStringLiteral("7:05:30") << 0x00070530u << QStringLiteral("07:05:30");
        QTest::newRow("fraction of a second") << QStringLiteral("07:05:30.5") << 0x00070530u << QStringLiteral("07:05:30");
        QTest::newRow("fraction after a comma") << QStringLiteral("07:05:30,5") << 0x00070530u << QStringLiteral("07:05:30");
        QTest::newRow("fraction that is no number") << QStringLiteral("07:05:30.x") << 0u << QStringLiteral("00:00:00");
        QTest::newRow("last second") << QStringLiteral("23:59:59") << 0x00235959u << QStringLiteral("23:59:59");
        QTest::newRow("midnight") << QStringLiteral("0:0") << 0u << QStringLiteral("00:00:00");
        QTest::newRow("blanks around") << QStringLiteral(" 7:5 ") << 0x00070500u << QStringLiteral("07:05:00");
        QTest::newRow("hour 25") << QStringLiteral("25:00") << 0u << QStringLiteral("00:00:00");
        QTest::newRow("hour 24") << QStringLiteral("24:00") << 0u << QStringLiteral("00:00:00");
        QTest::newRow("minute 60") << QStringLiteral("12:60") << 0u << QStringLiteral("00:00:00");
        QTest::newRow("second 60") << QStringLiteral("12:00:60") << 0u << QStringLiteral("00:00:00");
        QTest::newRow("letters") << QStringLiteral("ab:cd") << 0u << QStringLiteral("00:00:00");
        QTest::newRow("empty") << QString() << 0u << QStringLiteral("00:00:00");
        QTest::newRow("hours only") << QStringLiteral("7") << 0u << QStringLiteral("00:00:00");
        QTest::newRow("missing minutes") << QStringLiteral("7:") << 0u << QStringLiteral("00:00:00");
        QTest::newRow("four fields") << QStringLiteral("1:2:3:4") << 0u << QStringLiteral("00:00:00");
        QTest::newRow("three digits") << QStringLiteral("007:05") << 0u << QStringLiteral("00:00:00");
        QTest::newRow("sign") << QStringLiteral("+7:05") << 0u << QStringLiteral("00:00:00");
        QTest::newRow("blank inside") << QStringLiteral("7: 05") << 0u << QStringLiteral("00:00:00");
        QTest::newRow("other digits") << QStringLiteral("\u0667:05") << 0u << QStringLiteral("00:00:00");
    }

    void typedTimesArePackedAsBcd()
    {
        QFETCH(QString, typed);
        QFETCH(quint32, value);
        QFETCH(QString, shown);
        QCOMPARE(timeTextToControlTime(typed), value);
        QCOMPARE(timeTextToControlTime(toCp1251(typed)), value);
        QCOMPARE(controlTimeToText(value), shown);
        QCOMPARE(normaliseControlTime(typed), shown);
        QCOMPARE(normaliseControlTime(QByteArrayView(toCp1251(typed))), shown.toLatin1());

        // Typed, a text that is no time is refused instead of becoming midnight.
        const bool isTime = value != 0 || typed == u"0:0"; // the one time of the table that packs to 0
        QCOMPARE(readControlTime(typed).has_value(), isTime);
        const EnteredText entered = enteredControlTime(typed);
        QCOMPARE(entered.ok(), isTime);
        if (isTime)
            QCOMPARE(entered.value(), shown.toLatin1());
        else
            QVERIFY2(entered.status().message.contains(QStringLiteral("ЧЧ:ММ или ЧЧ:ММ:СС")),
                     qPrintable(entered.status().message));
    }

    void textShowsTheBytesAsHexadecimal()
    {
        QCOMPARE(controlTimeToText(0x00AB0C0F), QStringLiteral("AB:0C:0F"));
        QCOMPARE(controlTimeToText(0xFF070530), QStringLiteral("07:05:30"));
    }
};

QTEST_GUILESS_MAIN(TestControlTime)
#include "test_controltime.moc"
