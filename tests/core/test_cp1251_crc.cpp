#include "common/cp1251.h"
#include "common/crc16.h"

#include <QTest>

using namespace tirvela;

class TestCp1251Crc : public QObject
{
    Q_OBJECT

private slots:
    void everyByteSurvivesARoundTrip()
    {
        QByteArray all(256, Qt::Uninitialized);
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        bool ok = false;
        QCOMPARE(toCp1251(fromCp1251(all), &ok), all);
        QVERIFY(ok);
    }

    void cyrillicEncodes()
    {
        QCOMPARE(toCp1251(u"Ёё Аяі№"), QByteArray("\xA8\xB8\x20\xC0\xFF\xB3\xB9"));
        QCOMPARE(fromCp1251("\xCE\xF1\xF2\xE0\xED\xEE\xE2\xEA\xE0"), QStringLiteral("Остановка"));
    }

    void unstorableCharactersAreReported()
    {
        bool ok = true;
        QCOMPARE(toCp1251(u"a\u4e2db", &ok), QByteArray("a?b"));
        QVERIFY(!ok);
        QVERIFY(!isCp1251Encodable(u"\u00e9"));
        QVERIFY(isCp1251Encodable(u"Остановка №5"));
    }

    void upperCaseCoversLatinAndCyrillic()
    {
        QCOMPARE(cp1251ToUpper(toCp1251(u"остановка.wav ёїabc")), toCp1251(u"ОСТАНОВКА.WAV ЁЇABC"));
    }

    void crcMatchesTheXmodemCheckValue()
    {
        QCOMPARE(crc16Xmodem(0, "123456789"), quint16(0x31C3));
        QCOMPARE(crc16Xmodem(0, {}), quint16(0));
        QCOMPARE(crc16Xmodem(0x3055, {}), quint16(0x3055));
    }
};

QTEST_GUILESS_MAIN(TestCp1251Crc)
#include "test_cp1251_crc.moc"
