#include "controltime.h"

#include "common/cp1251.h"

#include <QList>

#include <algorithm>

namespace tirvela {

namespace {

// The value of a field of one or two decimal digits no greater than max, or -1.
int timeField(QStringView text, int max)
{
    if (text.isEmpty() || text.size() > 2)
        return -1;
    int value = 0;
    for (QChar ch : text) {
        if (ch < u'0' || ch > u'9')
            return -1;
        value = value * 10 + (ch.unicode() - u'0');
    }
    return value <= max ? value : -1;
}

// Seconds with a fraction ("30.5", "30,5") count as their whole seconds; the fraction must be
// digits, so that "30.x" stays no time.
QStringView wholeSeconds(QStringView text)
{
    qsizetype point = text.indexOf(u'.');
    if (point < 0)
        point = text.indexOf(u',');
    if (point < 0)
        return text;
    const QStringView fraction = text.mid(point + 1);
    const bool digits = !fraction.isEmpty()
                        && std::all_of(fraction.begin(), fraction.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    return digits ? text.left(point) : text;
}

quint32 bcd(int value)
{
    return quint32((value / 10) << 4 | value % 10);
}

} // namespace

std::optional<ControlTimeValue> readControlTime(QStringView text)
{
    const QList<QStringView> parts = text.trimmed().split(u':');
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    const int hours = timeField(parts[0], 23);
    const int minutes = timeField(parts[1], 59);
    const int seconds = parts.size() == 3 ? timeField(wholeSeconds(parts[2]), 59) : 0;
    if (hours < 0 || minutes < 0 || seconds < 0)
        return std::nullopt;
    return bcd(hours) << 16 | bcd(minutes) << 8 | bcd(seconds);
}

ControlTimeValue timeTextToControlTime(QStringView text)
{
    return readControlTime(text).value_or(0);
}

ControlTimeValue timeTextToControlTime(QByteArrayView text)
{
    return timeTextToControlTime(fromCp1251(text));
}

QString controlTimeToText(ControlTimeValue value)
{
    const auto byteText = [value](int shift) {
        return QStringLiteral("%1").arg((value >> shift) & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
    };
    return byteText(16) + u':' + byteText(8) + u':' + byteText(0);
}

QString normaliseControlTime(QStringView text)
{
    return controlTimeToText(timeTextToControlTime(text));
}

QByteArray normaliseControlTime(QByteArrayView text)
{
    return normaliseControlTime(fromCp1251(text)).toLatin1();
}

} // namespace tirvela
