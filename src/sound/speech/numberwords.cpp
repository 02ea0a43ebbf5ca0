#include "sound/speech/numberwords.h"

#include <QStringList>

#include <array>

namespace tirvela {

namespace {

constexpr quint64 kLargestNumber = 999'999'999'999ULL;

constexpr std::array<const char16_t *, 20> kUnits = {
    u"ноль", u"один", u"два", u"три", u"четыре", u"пять", u"шесть", u"семь", u"восемь", u"девять",
    u"десять", u"одиннадцать", u"двенадцать", u"тринадцать", u"четырнадцать", u"пятнадцать",
    u"шестнадцать", u"семнадцать", u"восемнадцать", u"девятнадцать"};
constexpr std::array<const char16_t *, 10> kTens = {
    u"", u"", u"двадцать", u"тридцать", u"сорок", u"пятьдесят", u"шестьдесят", u"семьдесят", u"восемьдесят",
    u"девяносто"};
constexpr std::array<const char16_t *, 10> kHundreds = {
    u"", u"сто", u"двести", u"триста", u"четыреста", u"пятьсот", u"шестьсот", u"семьсот", u"восемьсот",
    u"девятьсот"};

// A power of a thousand with the three forms its name takes after a number: 1, 2–4, 5–20.
struct Scale
{
    quint64 size;
    std::array<const char16_t *, 3> forms;
    bool feminine; // "одна тысяча", "две тысячи"
};

constexpr std::array<Scale, 3> kScales = {{
    {1'000'000'000ULL, {u"миллиард", u"миллиарда", u"миллиардов"}, false},
    {1'000'000ULL, {u"миллион", u"миллиона", u"миллионов"}, false},
    {1'000ULL, {u"тысяча", u"тысячи", u"тысяч"}, true},
}};

int formAfter(int number)
{
    const int lastTwo = number % 100;
    const int last = number % 10;
    if (lastTwo >= 11 && lastTwo <= 19)
        return 2;
    if (last == 1)
        return 0;
    return last >= 2 && last <= 4 ? 1 : 2;
}

// 1 to 999 as words.
void appendHundreds(QStringList &words, int number, bool feminine)
{
    if (number >= 100)
        words << QString::fromUtf16(kHundreds[size_t(number / 100)]);
    const int rest = number % 100;
    if (rest >= 20) {
        words << QString::fromUtf16(kTens[size_t(rest / 10)]);
        if (rest % 10)
            words << QString::fromUtf16(kUnits[size_t(rest % 10)]);
    } else if (rest > 0) {
        words << QString::fromUtf16(kUnits[size_t(rest)]);
    }
    if (feminine && rest % 10 <= 2 && rest / 10 != 1 && rest % 10 > 0)
        words.last() = rest % 10 == 1 ? QStringLiteral("одна") : QStringLiteral("две");
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

QString digitByDigit(QStringView digits)
{
    QStringList words;
    for (const QChar digit : digits)
        words << QString::fromUtf16(kUnits[size_t(digit.unicode() - u'0')]);
    return words.join(u' ');
}

} // namespace

QString numberInWords(quint64 number)
{
    if (number == 0)
        return QString::fromUtf16(kUnits[0]);
    if (number > kLargestNumber)
        return digitByDigit(QString::number(number));
    QStringList words;
    for (const Scale &scale : kScales) {
        const int count = int(number / scale.size);
        if (count == 0)
            continue;
        appendHundreds(words, count, scale.feminine);
        words << QString::fromUtf16(scale.forms[size_t(formAfter(count))]);
        number %= scale.size;
    }
    if (number > 0)
        appendHundreds(words, int(number), false);
    return words.join(u' ');
}

QString spellNumbers(const QString &text)
{
    QString spoken;
    qsizetype at = 0;
    while (at < text.size()) {
        if (!isDigit(text[at])) {
            spoken += text[at++];
            continue;
        }
        qsizetype end = at;
        while (end < text.size() && isDigit(text[end]))
            ++end;
        const QStringView digits = QStringView(text).sliced(at, end - at);
        const bool asNumber = digits.size() <= 12 && (digits.size() == 1 || digits[0] != u'0');
        if (!spoken.isEmpty() && spoken.back().isLetter())
            spoken += u' ';
        spoken += asNumber ? numberInWords(digits.toULongLong()) : digitByDigit(digits);
        if (end < text.size() && text[end].isLetter())
            spoken += u' ';
        at = end;
    }
    return spoken;
}

} // namespace tirvela
