#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tirvela {

// Converts between Qt strings and the single-byte Windows-1251 texts that every stored file holds.
// Every byte decodes to one character and back again, so stored bytes survive a round trip
// (the one unassigned code, 0x98, stands for U+0098).

// Encodes text for storage. When a character has no Windows-1251 code, *ok is set to false and
// the character is stored as '?'; callers that must not lose text refuse it instead.
QByteArray toCp1251(QStringView text, bool *ok = nullptr);

// True when every character of the text has a Windows-1251 code.
bool isCp1251Encodable(QStringView text);

QString fromCp1251(QByteArrayView bytes);

// Upper-cases Windows-1251 text the way the sound table compares names: Latin and Cyrillic letters.
QByteArray cp1251ToUpper(QByteArrayView bytes);

} // namespace tirvela
