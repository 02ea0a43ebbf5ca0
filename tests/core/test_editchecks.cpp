#include "common/cp1251.h"
#include "project/editchecks.h"
#include "project/project.h"

#include <QTest>

using namespace tirvela;
using namespace Qt::StringLiterals;

class TestEditChecks : public QObject
{
    Q_OBJECT

private slots:
    void typedTexts_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");      // what an element text keeps
        QTest::addColumn<QString>("stopText");  // what a stop list text keeps
        QTest::addColumn<QString>("problem");
        QTest::newRow("plain") << u"Вокзал №2"_s << u"Вокзал №2"_s << u"Вокзал №2"_s << QString();
        QTest::newRow("controls dropped") << u"\tA\r\nB\x7f\x01"_s << u"AB"_s << u"AB"_s << QString();
        QTest::newRow("leading blanks") << u" \t Лесная "_s << u"  Лесная "_s << u"Лесная "_s << QString();
        QTest::newRow("no Windows-1251 code") << u"Вокзал ✓"_s << QString() << QString()
                                              << u"Символ «✓» нельзя сохранить: его нет в кодировке Windows-1251"_s;
        QTest::newRow("outside the basic plane named whole")
            << u"A😀"_s << QString() << QString() << u"Символ «😀» нельзя сохранить: его нет в кодировке Windows-1251"_s;
    }
    void typedTexts()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QFETCH(QString, stopText);
        QFETCH(QString, problem);
        const EnteredText element = enteredText(typed);
        const EnteredText stop = enteredStopListText(typed);
        QCOMPARE(element.status().message, problem);
        QCOMPARE(stop.status().message, problem);
        QCOMPARE(element.ok(), problem.isEmpty());
        QCOMPARE(stop.ok(), problem.isEmpty());
        if (problem.isEmpty()) {
            QCOMPARE(fromCp1251(element.value()), kept);
            QCOMPARE(fromCp1251(stop.value()), stopText);
        }
    }

    void elementValues()
    {
        QVERIFY(!checkElementPosition(-128, 127));
        QCOMPARE(*checkElementPosition(200, 0), u"Координаты 200:0 не сохранятся: каждая должна быть от -128 до 127"_s);
        QVERIFY(checkElementPosition(0, -129));
        QVERIFY(!checkElementText(QByteArray(MaxElementTextLength, 'W')));
        QCOMPARE(*checkElementText(QByteArray(MaxElementTextLength + 1, 'W')), u"Текст длиннее 29 символов не сохранится"_s);
        QVERIFY(checkElementText(QByteArray("A\0B", 3)));
    }

    void routeNumbers_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("problem");
        QTest::newRow("12") << QByteArray("12") << QString();
        QTest::newRow("9999") << QByteArray("9999") << QString();
        QTest::newRow("1a") << QByteArray("1a") << QString();
        const QString changes = u"Номер маршрута «%1» не сохранится: после сохранения он станет «%2»"_s;
        const QString noNumber = u"Номер маршрута «%1» не сохранится: это должно быть число больше 0"_s;
        QTest::newRow("upper case") << QByteArray("1A") << changes.arg(u"1A", u"1a");
        QTest::newRow("leading zeros") << QByteArray("0012") << changes.arg(u"0012", u"12");
        QTest::newRow("over 16 bits") << QByteArray("12345") << changes.arg(u"12345", u"2345");
        QTest::newRow("thirty digits") << QByteArray(30, '1') << noNumber.arg(QString(30, u'1'));
        QTest::newRow("empty") << QByteArray() << noNumber.arg(QString());
        QTest::newRow("zero") << QByteArray("0") << noNumber.arg(u"0");
        QTest::newRow("letter") << QByteArray("12\xE0") << noNumber.arg(u"12а");
    }
    void routeNumbers()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, problem);
        QCOMPARE(checkRouteNumberText(text).value_or(QString()), problem);
    }

    void routeNumberCopiesAgree()
    {
        Project project;
        project.routeCount = 2;
        for (Board &board : project.boards) {
            board.routes[0].routeNumberText = "5";
            board.routes[1].routeNumberText = "6";
        }
        project.boards[2].routes[2].routeNumberText = "past the route count";
        QVERIFY(!checkRouteNumberCopies(project));
        project.boards[2].routes[1].routeNumberText.clear();
        QCOMPARE(*checkRouteNumberCopies(project),
                 u"Маршрут 2: номер «» на табло 16x28x4 Раздельные отличается от номера «6» на табло 16x28x4, "
                 "а файл хранит один номер"_s);
    }
};

QTEST_GUILESS_MAIN(TestEditChecks)
#include "test_editchecks.moc"
