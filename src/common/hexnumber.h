#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <optional>

namespace tirvela {

// The value of a text of 1 to 8 hexadecimal digits, either letter case; nothing for any other text.
constexpr std::optional<quint32> parseHex(QByteArrayView digits)
{
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    quint32 value = 0;
    for (char c : digits) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value << 4 | quint32(digit);
    }
    return value;
}

} // namespace tirvela
