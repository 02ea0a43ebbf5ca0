#pragma once

#include "common/status.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace tirvela {

// An INI file held as its lines, so that writing a key replaces its value in place and keeps
// every other line as it was, byte for byte. Section and key names match without regard to
// letter case. Values are the stored Windows-1251 bytes without escapes; blanks around names and
// values are not part of them, nor is one pair of matching quotes (" or ') around a value.
class IniFile
{
public:
    // Reads the file; a missing file reads as empty. Fails (the reason the platform's error; the
    // caller words the message) only when an existing file cannot be read. Only a regular file of
    // at most 1 MiB is read: a settings file holds a few lines, and anything else would hang or
    // flood the program.
    Status load(const QString &path);

    // The value of the key in the first section of that name.
    // Takes the lines of INI text (CR LF, LF or CR line ends); toBytes() gives them back unchanged.
    void parse(QByteArrayView bytes);
    QByteArray toBytes() const;

    std::optional<QByteArray> value(QByteArrayView section, QByteArrayView key) const;

    // Replaces the key's value in place, or adds the key at the end of its section
    // (adding the section at the end of the file when it is missing). Returns false and changes
    // nothing when the text cannot be stored in an INI line: a line break or NUL anywhere,
    // an empty name, blanks around a name, "=" in the key or "]" in the section name.
    bool setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value);

    // Writes the file atomically (the old file stays as it was when writing fails); a failure's
    // reason is the platform's error text, and the caller words the message.
    Status save(const QString &path) const;

private:
    struct Line
    {
        QByteArray text;
        QByteArray end; // "\r\n", "\n", "\r", or empty for a last line without a line end
    };

    struct Place
    {
        qsizetype section = -1;     // the section line
        qsizetype key = -1;         // the key line
        qsizetype lastContent = -1; // the section's last line that is not blank
    };

    Place find(QByteArrayView section, QByteArrayView key) const;
    QByteArray newLineEnd() const;
    void insertLine(qsizetype at, const QByteArray &text);

    QList<Line> mLines;
};

} // namespace tirvela
