#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <optional>

namespace tirvela {

// A time of day packed as BCD: hours in bits 16-23, minutes in bits 8-15, seconds in bits 0-7,
// bits 24-31 zero. 07:05:30 is 0x00070530.
using ControlTimeValue = quint32;

// Reads "H:M" or "H:M:S" (one or two digits each, hours 0-23, minutes and seconds 0-59, blanks
// around the text allowed); nothing for any other text.
std::optional<ControlTimeValue> readControlTime(QStringView text);

// As readControlTime, but any other text gives 00:00:00 (what a stored stop list means by it).
ControlTimeValue timeTextToControlTime(QStringView text);
ControlTimeValue timeTextToControlTime(QByteArrayView text); // Windows-1251

// The hours, minutes and seconds bytes as two upper-case hexadecimal digits each, joined by ":".
QString controlTimeToText(ControlTimeValue value);

// A typed time as the stop list keeps it: "7:5" gives "07:05:00", a text that is no time "00:00:00".
QString normaliseControlTime(QStringView text);
QByteArray normaliseControlTime(QByteArrayView text); // Windows-1251

} // namespace tirvela
