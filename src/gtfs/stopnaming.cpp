#include "gtfs/stopnaming.h"

#include "common/cp1251.h"

namespace tirvela {

namespace {

// Letters whose mark is part of the letter itself, so that no decomposition takes it off.
char32_t strokeBase(char32_t letter)
{
    switch (letter) {
    case U'ł': return U'l';
    case U'Ł': return U'L';
    case U'đ': return U'd';
    case U'Đ': return U'D';
    case U'ø': return U'o';
    case U'Ø': return U'O';
    case U'ħ': return U'h';
    case U'Ħ': return U'H';
    case U'ı': return U'i';
    case U'ŧ': return U't';
    case U'Ŧ': return U'T';
    default: return 0;
    }
}

// The base letter of a letter with diacritics, when Windows-1251 has it; 0 otherwise.
char32_t foldedLetter(char32_t letter)
{
    if (const char32_t base = strokeBase(letter))
        return base;
    const QString decomposed = QString::fromUcs4(&letter, 1).normalized(QString::NormalizationForm_D);
    const QList<uint> parts = decomposed.toUcs4();
    if (parts.size() < 2 || !QChar::isLetter(parts[0]))
        return 0;
    for (qsizetype at = 1; at < parts.size(); ++at) {
        if (!QChar::isMark(parts[at]))
            return 0;
    }
    const QString base = QString::fromUcs4(reinterpret_cast<const char32_t *>(parts.constData()), 1);
    return isCp1251Encodable(base) ? char32_t(parts[0]) : 0;
}

bool isForbiddenInFileName(QChar character)
{
    return character.unicode() < 0x20 || QStringView(u"<>:\"/\\|?*").contains(character);
}

} // namespace

StorableName storableStopName(const QString &feedName, const QList<NameReplacement> &replacements)
{
    QString replaced = feedName;
    for (const auto &[from, to] : replacements) {
        if (!from.isEmpty())
            replaced.replace(from, to);
    }
    StorableName result;
    for (const char32_t character : replaced.simplified().toUcs4()) {
        const QString shown = QString::fromUcs4(&character, 1);
        if (isCp1251Encodable(shown)) {
            result.name += shown;
        } else if (const char32_t base = foldedLetter(character)) {
            result.name += QString::fromUcs4(&base, 1);
            result.folded = true;
        } else {
            result.name += shown;
            if (!result.refused.contains(shown))
                result.refused += shown;
        }
    }
    return result;
}

QString stopSoundFileName(const QString &stopName)
{
    QString name = stopName;
    for (QChar &character : name) {
        if (isForbiddenInFileName(character))
            character = u'_';
    }
    while (name.endsWith(u'.') || name.endsWith(u' '))
        name.chop(1);
    return name + QStringLiteral(".wav");
}

} // namespace tirvela
