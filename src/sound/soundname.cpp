#include "sound/soundname.h"

#include "common/cp1251.h"

#include <QDir>

namespace tirvela {

namespace {

bool isForbiddenInFileName(char32_t character)
{
    return character < 0x20 || QStringView(u"<>:\"/\\|?*").contains(QChar(character));
}

QByteArray keyOf(const QString &name)
{
    return cp1251ToUpper(toCp1251(name));
}

} // namespace

SoundNameCheck checkNewSoundName(const QString &name)
{
    SoundNameCheck check;
    check.name = name.endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive) ? name : name + QStringLiteral(".wav");
    if (check.name.size() == 4) {
        check.message = QStringLiteral("Имя звукового файла не задано");
        return check;
    }
    for (const char32_t character : check.name.toUcs4()) {
        const QString shown = QString::fromUcs4(&character, 1);
        if (isForbiddenInFileName(character)) {
            check.message = QStringLiteral("Имя %1 содержит недопустимый в имени файла символ «%2»")
                                .arg(check.name, character < 0x20 ? QStringLiteral("\\x%1").arg(quint32(character), 2, 16, QChar(u'0')) : shown);
            return check;
        }
        if (!isCp1251Encodable(shown)) {
            check.message = QStringLiteral("Имя %1 не записывается в кодировке Windows-1251: символ «%2» (U+%3)")
                                .arg(check.name, shown).arg(quint32(character), 4, 16, QChar(u'0'));
            return check;
        }
    }
    check.ok = true;
    return check;
}

QString soundNameFor(const QString &text)
{
    QString name;
    for (const char32_t character : text.simplified().toUcs4())
        name += isForbiddenInFileName(character) ? QStringLiteral("_") : QString::fromUcs4(&character, 1);
    return name + QStringLiteral(".wav");
}

QString soundFileNamedAlike(const QString &soundsFolder, const QString &name)
{
    const QByteArray key = keyOf(name);
    const QStringList names = QDir(soundsFolder).entryList({QStringLiteral("*.wav")}, QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString &existing : names) {
        if (isCp1251Encodable(existing) && keyOf(existing) == key)
            return existing;
    }
    return {};
}

} // namespace tirvela
