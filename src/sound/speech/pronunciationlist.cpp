#include "sound/speech/pronunciationlist.h"

#include "common/regularfile.h"
#include "sound/speech/numberwords.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <algorithm>

namespace tirvela {

namespace {

constexpr qint64 kMaxListSize = 1 << 20;

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber();
}

// A written form matches at `at` when it does not cut a word: where it begins or ends with a
// letter or digit, the text must not go on with one there.
bool matchesAt(const QString &text, qsizetype at, const QString &written)
{
    if (QStringView(text).sliced(at).startsWith(written, Qt::CaseInsensitive) == false)
        return false;
    const qsizetype end = at + written.size();
    if (isWordCharacter(written.front()) && at > 0 && isWordCharacter(text[at - 1]))
        return false;
    return !(isWordCharacter(written.back()) && end < text.size() && isWordCharacter(text[end]));
}

} // namespace

QString PronunciationList::fileName()
{
    return QStringLiteral("произношение.txt");
}

QString PronunciationList::pathFor(const QString &programFolder, const QString &executableFolder)
{
    const QString own = QDir(programFolder).filePath(fileName());
    if (QFileInfo::exists(own))
        return own;
    const QString installed = QDir(executableFolder).filePath(QStringLiteral("../share/tirvela/") + fileName());
    return QFileInfo::exists(installed) ? QDir::cleanPath(installed) : own;
}

PronunciationList::LoadResult PronunciationList::load(const QString &path)
{
    LoadResult result;
    mEntries.clear();
    if (!QFileInfo::exists(path))
        return result;
    result.found = true;
    const QString shownPath = QDir::toNativeSeparators(path);
    QFile file;
    const Result<qint64> opened = openRegularFile(file, path, kMaxListSize);
    if (!opened.ok()) {
        result.problems << QStringLiteral("Список произношения %1 не прочитан: %2").arg(shownPath, opened.status().reason);
        return result;
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(file.readAll());
    if (decoder.hasError()) {
        result.problems << QStringLiteral("Список произношения %1 не в кодировке UTF-8 и не прочитан").arg(shownPath);
        return result;
    }
    std::vector<Entry> entries;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        const QString written = line.left(std::max<qsizetype>(equals, 0)).trimmed();
        if (written.isEmpty()) {
            result.problems << QStringLiteral("Список произношения %1, строка %2 пропущена: нужно «написано = произносится»")
                                   .arg(shownPath).arg(i + 1);
            continue;
        }
        entries.push_back({written, line.sliced(equals + 1).trimmed()});
    }
    setEntries(std::move(entries));
    return result;
}

void PronunciationList::setEntries(std::vector<Entry> entries)
{
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry &a, const Entry &b) { return a.written.size() > b.written.size(); });
    mEntries = std::move(entries);
}

QString PronunciationList::spoken(const QString &text) const
{
    QString result;
    qsizetype at = 0;
    while (at < text.size()) {
        const auto match = std::find_if(mEntries.cbegin(), mEntries.cend(),
                                        [&](const Entry &entry) { return matchesAt(text, at, entry.written); });
        if (match == mEntries.cend()) {
            result += text[at++];
            continue;
        }
        // "ул.Ленина" is read "улица Ленина", not "улицаЛенина".
        if (!result.isEmpty() && isWordCharacter(result.back()) && !match->spoken.isEmpty())
            result += u' ';
        result += match->spoken;
        at += match->written.size();
        if (at < text.size() && isWordCharacter(text[at]) && !match->spoken.isEmpty())
            result += u' ';
    }
    return spellNumbers(result);
}

} // namespace tirvela
