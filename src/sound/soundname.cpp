#include "sound/soundname.h"

#include "common/cp1251.h"

#include <QDir>
#include <QFile>

namespace tirvela {

namespace {

// File systems hold names of up to 255 bytes; the save writes a temporary file first, whose name
// is the file's name followed by seven more bytes (".XXXXXX").
constexpr qsizetype kLongestNameBytes = 255 - 7;

bool isForbiddenInFileName(char32_t character)
{
    return character < 0x20 || QStringView(u"<>:\"/\\|?*").contains(QChar(character));
}

QByteArray keyOf(const QString &name)
{
    return cp1251ToUpper(toCp1251(name));
}

} // namespace

Result<QString> checkNewSoundName(const QString &name)
{
    const QString checked = name.endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive) ? name : name + QStringLiteral(".wav");
    if (checked.size() == 4)
        return Status::failure(QStringLiteral("Имя звукового файла не задано"));
    for (const char32_t character : checked.toUcs4()) {
        const QString shown = QString::fromUcs4(&character, 1);
        if (isForbiddenInFileName(character)) {
            return Status::failure(
                QStringLiteral("Имя %1 содержит недопустимый в имени файла символ «%2»")
                    .arg(checked, character < 0x20 ? QStringLiteral("\\x%1").arg(quint32(character), 2, 16, QChar(u'0')) : shown));
        }
        if (!isCp1251Encodable(shown)) {
            return Status::failure(QStringLiteral("Имя %1 не записывается в кодировке Windows-1251: символ «%2» (U+%3)")
                                       .arg(checked, shown)
                                       .arg(quint32(character), 4, 16, QChar(u'0')));
        }
    }
    if (const qsizetype bytes = QFile::encodeName(checked).size(); bytes > kLongestNameBytes) {
        return Status::failure(QStringLiteral("Имя %1 слишком длинное: %2 байт, допустимо не более %3")
                                   .arg(checked)
                                   .arg(bytes)
                                   .arg(kLongestNameBytes));
    }
    return checked;
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
    // Every kind of entry: a link that leads nowhere, a FIFO or a folder of that name is there too.
    const QStringList names = QDir(soundsFolder).entryList(
        {QStringLiteral("*.wav")}, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &existing : names) {
        if (isCp1251Encodable(existing) && keyOf(existing) == key)
            return existing;
    }
    return {};
}

} // namespace tirvela
