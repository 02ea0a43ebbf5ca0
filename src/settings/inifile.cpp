#include "inifile.h"

#include "common/cp1251.h"
#include "common/regularfile.h"
#include "common/savefile.h"

#include <QFile>
#include <QSaveFile>

namespace tirvela {

namespace {

constexpr qint64 kMaxFileSize = 1 << 20;

bool sameName(QByteArrayView a, QByteArrayView b)
{
    return a.size() == b.size() && cp1251ToUpper(a) == cp1251ToUpper(b);
}

// The name of a section line ("[name]"), or nothing for other lines.
std::optional<QByteArrayView> sectionName(QByteArrayView line)
{
    const QByteArrayView text = line.trimmed();
    if (!text.startsWith('['))
        return std::nullopt;
    const qsizetype close = text.indexOf(']');
    return text.sliced(1, (close < 0 ? text.size() : close) - 1).trimmed();
}

// Where the "=" of a key line is, or -1 for section lines, comments and other lines.
qsizetype equalsSignOf(QByteArrayView line)
{
    const QByteArrayView text = line.trimmed();
    if (text.startsWith('[') || text.startsWith(';'))
        return -1;
    return line.indexOf('=');
}

bool holdsLineBreakOrNul(QByteArrayView text)
{
    return text.contains('\r') || text.contains('\n') || text.contains('\0');
}

bool isStorableName(QByteArrayView name)
{
    return !name.isEmpty() && name.trimmed().size() == name.size() && !holdsLineBreakOrNul(name);
}

} // namespace

Status IniFile::load(const QString &path)
{
    mLines.clear();
    if (!QFile::exists(path))
        return Status::success();
    QFile file;
    if (const Result<qint64> opened = openRegularFile(file, path, kMaxFileSize); !opened.ok())
        return opened.status();
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Status::failure({}, file.errorString());

    parse(bytes);
    return Status::success();
}

void IniFile::parse(QByteArrayView bytes)
{
    mLines.clear();
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype stop = start;
        while (stop < bytes.size() && bytes[stop] != '\r' && bytes[stop] != '\n')
            ++stop;
        qsizetype endLength = 0;
        if (stop < bytes.size())
            endLength = (bytes[stop] == '\r' && stop + 1 < bytes.size() && bytes[stop + 1] == '\n') ? 2 : 1;
        mLines.append({bytes.sliced(start, stop - start).toByteArray(), bytes.sliced(stop, endLength).toByteArray()});
        start = stop + endLength;
    }
}

QByteArray IniFile::toBytes() const
{
    QByteArray bytes;
    for (const Line &line : mLines)
        bytes += line.text + line.end;
    return bytes;
}

IniFile::Place IniFile::find(QByteArrayView section, QByteArrayView key) const
{
    Place place;
    for (qsizetype i = 0; i < mLines.size(); ++i) {
        const QByteArray &text = mLines[i].text;
        if (const auto name = sectionName(text)) {
            if (place.section >= 0)
                break; // only the first section of a name counts
            if (sameName(*name, section))
                place.section = place.lastContent = i;
            continue;
        }
        if (place.section < 0)
            continue;
        if (!text.trimmed().isEmpty())
            place.lastContent = i;
        const qsizetype equals = equalsSignOf(text);
        if (place.key < 0 && equals >= 0 && sameName(QByteArrayView(text).first(equals).trimmed(), key))
            place.key = i;
    }
    return place;
}

std::optional<QByteArray> IniFile::value(QByteArrayView section, QByteArrayView key) const
{
    const Place place = find(section, key);
    if (place.key < 0)
        return std::nullopt;
    const QByteArray &text = mLines[place.key].text;
    QByteArray value = text.sliced(text.indexOf('=') + 1).trimmed();
    // A value written in quotes by hand reads without them, as the Windows profile functions read it.
    if (value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\''))
        value = value.sliced(1, value.size() - 2);
    return value;
}

bool IniFile::setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    if (!isStorableName(section) || section.contains(']') || !isStorableName(key) || key.contains('=')
        || holdsLineBreakOrNul(value))
        return false;

    const QByteArray keyLine = key.toByteArray() + '=' + value.toByteArray();
    const Place place = find(section, key);
    if (place.key >= 0) {
        QByteArray &text = mLines[place.key].text;
        text = text.first(text.indexOf('=') + 1) + value.toByteArray();
    } else if (place.section >= 0) {
        insertLine(place.lastContent + 1, keyLine);
    } else {
        insertLine(mLines.size(), '[' + section.toByteArray() + ']');
        insertLine(mLines.size(), keyLine);
    }
    return true;
}

QByteArray IniFile::newLineEnd() const
{
    for (const Line &line : mLines) {
        if (!line.end.isEmpty())
            return line.end;
    }
    return QByteArrayLiteral("\r\n");
}

void IniFile::insertLine(qsizetype at, const QByteArray &text)
{
    const QByteArray end = newLineEnd();
    if (at > 0 && mLines[at - 1].end.isEmpty())
        mLines[at - 1].end = end; // the old last line gets the line end it lacked
    mLines.insert(at, {text, end});
}

Status IniFile::save(const QString &path) const
{
    const QByteArray bytes = toBytes();

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !writeFully(file, bytes) || !commitFully(file))
        return Status::failure({}, file.errorString());
    return Status::success();
}

} // namespace tirvela
