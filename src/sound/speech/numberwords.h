#pragma once

#include <QString>
#include <QtGlobal>

namespace tirvela {

// A whole number as Russian words, the way it is read aloud in the nominative
// ("2021" → "две тысячи двадцать один"), up to 999 999 999 999.
QString numberInWords(quint64 number);

// The text with every run of digits written as words: a number as numberInWords reads it; a run
// that starts with 0 (a code, "007") or is too long for a number, digit by digit. A word is put
// apart from letters it was glued to ("25км" → "двадцать пять км").
QString spellNumbers(const QString &text);

} // namespace tirvela
