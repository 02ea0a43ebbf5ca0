#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tirvela {

// An INI file held as its lines, so that writing a key replaces its value in place and keeps
// every other line as it was. Section and key names match without regard to letter case.
// Values are the stored Windows-1251 bytes.
class IniFile
{
public:
    // Reads the file; a missing file reads as empty. Returns false (with the platform's error)
    // only when an existing file cannot be read.
    bool load(const QString &path, QString *error = nullptr);

    std::optional<QByteArray> value(QByteArrayView section, QByteArrayView key) const;
    // Replaces the key's value in place, or adds the key at the end of its section
    // (adding the section at the end of the file when it is missing).
    void setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value);

    // Writes the file atomically; false with the platform's error text on failure.
    bool save(const QString &path, QString *error = nullptr) const;

private:
    QList<QByteArray> mLines; // without line ends
    QByteArray mLineEnd = "\r\n";
};

} // namespace tirvela
