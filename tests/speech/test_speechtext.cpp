#include "sound/speech/numberwords.h"
#include "sound/speech/pronunciationlist.h"
#include "sound/speech/soundspeaker.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tirvela;
using namespace Qt::StringLiterals;

namespace {

PronunciationList listOf(const QString &text)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"list.txt"_s);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
        qFatal("cannot write the list");
    file.close();
    PronunciationList list;
    list.load(path);
    return list;
}

} // namespace

// What the synthesiser is given for a name: numbers as Russian words, the pronunciation list.
class TestSpeechText : public QObject
{
    Q_OBJECT

private slots:
    void numbersAreReadAsWords_data()
    {
        QTest::addColumn<quint64>("number");
        QTest::addColumn<QString>("words");
        QTest::newRow("0") << 0ULL << u"ноль"_s;
        QTest::newRow("7") << 7ULL << u"семь"_s;
        QTest::newRow("11") << 11ULL << u"одиннадцать"_s;
        QTest::newRow("19") << 19ULL << u"девятнадцать"_s;
        QTest::newRow("20") << 20ULL << u"двадцать"_s;
        QTest::newRow("42") << 42ULL << u"сорок два"_s;
        QTest::newRow("100") << 100ULL << u"сто"_s;
        QTest::newRow("215") << 215ULL << u"двести пятнадцать"_s;
        QTest::newRow("999") << 999ULL << u"девятьсот девяносто девять"_s;
        QTest::newRow("1000") << 1000ULL << u"одна тысяча"_s;
        QTest::newRow("2021") << 2021ULL << u"две тысячи двадцать один"_s;
        QTest::newRow("5000") << 5000ULL << u"пять тысяч"_s;
        QTest::newRow("11000") << 11000ULL << u"одиннадцать тысяч"_s;
        QTest::newRow("21000") << 21000ULL << u"двадцать одна тысяча"_s;
        QTest::newRow("22000") << 22000ULL << u"двадцать две тысячи"_s;
        QTest::newRow("112000") << 112000ULL << u"сто двенадцать тысяч"_s;
        QTest::newRow("1000001") << 1000001ULL << u"один миллион один"_s;
        QTest::newRow("3500000") << 3500000ULL << u"три миллиона пятьсот тысяч"_s;
        QTest::newRow("2000000000") << 2000000000ULL << u"два миллиарда"_s;
        QTest::newRow("largest") << 999999999999ULL
                                 << u"девятьсот девяносто девять миллиардов девятьсот девяносто девять миллионов "
                                    "девятьсот девяносто девять тысяч девятьсот девяносто девять"_s;
        QTest::newRow("beyond: digits") << 1000000000000ULL
                                        << u"один ноль ноль ноль ноль ноль ноль ноль ноль ноль ноль ноль ноль"_s;
    }

    void numbersAreReadAsWords()
    {
        QFETCH(quint64, number);
        QFETCH(QString, words);
        QCOMPARE(numberInWords(number), words);
    }

    void numbersInATextAreSpelled_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("no digits") << u"Вокзал"_s << u"Вокзал"_s;
        QTest::newRow("number in words") << u"Школа 25"_s << u"Школа двадцать пять"_s;
        QTest::newRow("two numbers") << u"Дом 3, корпус 2"_s << u"Дом три, корпус два"_s;
        QTest::newRow("glued to letters") << u"5км"_s << u"пять км"_s;
        QTest::newRow("after letters") << u"Б12"_s << u"Б двенадцать"_s;
        QTest::newRow("leading zero: digit by digit") << u"Код 007"_s << u"Код ноль ноль семь"_s;
        QTest::newRow("hyphen stays") << u"1-й"_s << u"один-й"_s;
        QTest::newRow("empty") << QString() << QString();
    }

    void numbersInATextAreSpelled()
    {
        QFETCH(QString, text);
        QFETCH(QString, spoken);
        QCOMPARE(spellNumbers(text), spoken);
    }

    void theListReplacesWholeWords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("abbreviation") << u"ул. Ленина"_s << u"улица Ленина"_s;
        QTest::newRow("any letter case") << u"УЛ. Ленина"_s << u"улица Ленина"_s;
        QTest::newRow("glued to the next word") << u"ул.Ленина"_s << u"улица Ленина"_s;
        QTest::newRow("not inside a word") << u"Пул. Ленина"_s << u"Пул. Ленина"_s;
        QTest::newRow("letters go on after it") << u"мкрн"_s << u"мкрн"_s;
        QTest::newRow("the longest wins") << u"пр-т Мира"_s << u"проспект Мира"_s;
        QTest::newRow("slash") << u"д/с Ромашка"_s << u"детский сад Ромашка"_s;
        QTest::newRow("ordinal before the numbers") << u"1-й мкр"_s << u"первый микрорайон"_s;
        QTest::newRow("numbers after the list") << u"мкр 12"_s << u"микрорайон двенадцать"_s;
        QTest::newRow("what was put in is not read again") << u"ул"_s << u"ул. Ул"_s;
    }

    void theListReplacesWholeWords()
    {
        QFETCH(QString, text);
        QFETCH(QString, spoken);
        const PronunciationList list = listOf(u"# comment\n"
                                              "ул. = улица\r\n"
                                              "ул = ул. Ул\n"
                                              "\n"
                                              "мкр = микрорайон\n"
                                              "пр = проезд\n"
                                              "пр-т = проспект\n"
                                              "д/с = детский сад\n"
                                              "1-й = первый\n"_s);
        QCOMPARE(list.spoken(text), spoken);
    }

    void badLinesAreNamedAndSkipped()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"list.txt"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(u"ул. = улица\nбез знака\n = пусто\nпл. =\n"_s.toUtf8());
        file.close();
        PronunciationList list;
        const PronunciationList::LoadResult loaded = list.load(path);
        QVERIFY(loaded.found);
        QCOMPARE(loaded.problems.size(), 2);
        QVERIFY(loaded.problems[0].contains(u"строка 2"_s));
        QVERIFY(loaded.problems[1].contains(u"строка 3"_s));
        QCOMPARE(list.entries().size(), size_t(2));
        QCOMPARE(list.spoken(u"пл. Мира"_s), u" Мира"_s);
    }

    void unreadableListsLeaveNamesAsWritten_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("isFolder");
        QTest::addColumn<QString>("problem");
        QTest::newRow("not UTF-8") << QByteArray("\xf3\xeb. = \xf3\xeb\xe8\xf6\xe0\n") << false << u"UTF-8"_s;
        QTest::newRow("a folder") << QByteArray() << true << u"не прочитан"_s;
    }

    void unreadableListsLeaveNamesAsWritten()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, isFolder);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"list.txt"_s);
        if (isFolder) {
            QVERIFY(QDir().mkpath(path));
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        PronunciationList list;
        const PronunciationList::LoadResult loaded = list.load(path);
        QCOMPARE(loaded.problems.size(), 1);
        QVERIFY2(loaded.problems[0].contains(problem), qPrintable(loaded.problems[0]));
        QCOMPARE(list.spoken(u"ул. 1"_s), u"ул. один"_s);
        QVERIFY(!list.load(dir.filePath(u"none.txt"_s)).found);
    }

    void theShippedListReadsTheCommonAbbreviations_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("мкр.") << u"мкр. Северный"_s << u"микрорайон Северный"_s;
        QTest::newRow("ул.") << u"ул. Мира"_s << u"улица Мира"_s;
        QTest::newRow("пл.") << u"пл. Победы"_s << u"площадь Победы"_s;
        QTest::newRow("пр.") << u"пр. Ленина"_s << u"проспект Ленина"_s;
        QTest::newRow("д/с") << u"Д/С Ромашка"_s << u"детский сад Ромашка"_s;
        QTest::newRow("numbers") << u"Школа № 112"_s << u"Школа № сто двенадцать"_s;
        QTest::newRow("ordinal") << u"3-я Линия"_s << u"третья Линия"_s;
    }

    void theShippedListReadsTheCommonAbbreviations()
    {
        QFETCH(QString, text);
        QFETCH(QString, spoken);
        PronunciationList list;
        const PronunciationList::LoadResult loaded = list.load(QStringLiteral(TIRVELA_PRONUNCIATION_LIST));
        QVERIFY(loaded.found);
        QVERIFY2(loaded.problems.isEmpty(), qPrintable(loaded.problems.join(u'\n')));
        QCOMPARE(list.spoken(text), spoken);
    }

    void theListIsFoundInTheProgramFolderOrBesideAnInstalledProgram()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath(u"usr/bin"_s)) && QDir().mkpath(dir.filePath(u"usr/share/tirvela"_s)));
        QVERIFY(QDir().mkpath(dir.filePath(u"home"_s)));
        const QString installed = dir.filePath(u"usr/share/tirvela/"_s + PronunciationList::fileName());
        const QString own = dir.filePath(u"home/"_s + PronunciationList::fileName());
        const QString bin = dir.filePath(u"usr/bin"_s);
        QCOMPARE(PronunciationList::pathFor(dir.filePath(u"home"_s), bin), own);
        QFile(installed).open(QIODevice::WriteOnly);
        QCOMPARE(PronunciationList::pathFor(dir.filePath(u"home"_s), bin), installed);
        QFile(own).open(QIODevice::WriteOnly);
        QCOMPARE(PronunciationList::pathFor(dir.filePath(u"home"_s), bin), own);
    }

    void soundNamesAreSpokenWithoutTheirExtension_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << u"Вокзал.wav"_s << u"Вокзал"_s;
        QTest::newRow("upper case") << u"ВОКЗАЛ.WAV"_s << u"ВОКЗАЛ"_s;
        QTest::newRow("underscores") << u"ул_Ленина_ 5.wav"_s << u"ул Ленина 5"_s;
        QTest::newRow("no extension") << u"Вокзал"_s << u"Вокзал"_s;
    }

    void soundNamesAreSpokenWithoutTheirExtension()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, text);
        QCOMPARE(SoundSpeaker::textOfSoundName(fileName), text);
    }
};

QTEST_GUILESS_MAIN(TestSpeechText)
#include "test_speechtext.moc"
