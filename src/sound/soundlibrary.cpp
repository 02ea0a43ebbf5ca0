#include "sound/soundlibrary.h"

#include "common/messagelog.h"
#include "common/cp1251.h"
#include "common/systemreason.h"
#include "sound/undecodablenames.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <dirent.h>
#endif

namespace tirvela {

namespace {

// Why a folder that exists cannot be listed, or an empty text when it can.
QString listingProblem(const QString &folder)
{
#ifdef Q_OS_UNIX
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return russianErrnoReason(errno);
    ::closedir(dir);
    return {};
#else
    return QDir(folder).isReadable() ? QString() : QStringLiteral("нет доступа");
#endif
}

} // namespace

QString soundsFolderOf(const QString &programFolder, QStringList *ignored)
{
    QString base = programFolder;
    if (!base.isEmpty() && !base.endsWith(u'/'))
        base += u'/';
    const QString usual = QStringLiteral("sounds");
    // Name filters match without regard to letter case.
    const QStringList found = QDir(base.isEmpty() ? QStringLiteral(".") : base)
                                  .entryList({usual}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    const QString chosen = found.contains(usual) ? usual : found.value(0, usual);
    if (ignored) {
        for (const QString &name : found) {
            if (name != chosen)
                ignored->append(base + name);
        }
    }
    return base + chosen + u'/';
}

SoundListing listSoundsFolder(SoundTable &table, const QString &programFolder, MessageLog &log,
                              MissingSoundsFolder missing)
{
    table.clear();
    QStringList ignored;
    const QString folder = soundsFolderOf(programFolder, &ignored);
    for (const QString &other : ignored)
        log.logMessage(QStringLiteral("Каталог %1 не используется: звуковые файлы берутся из %2")
                           .arg(QDir::toNativeSeparators(other), QDir::toNativeSeparators(folder)));
    const QDir dir(folder);
    const QStringList names = dir.entryList({QStringLiteral("*.wav")},
                                            QDir::Files | QDir::Hidden,
                                            QDir::Name);
    for (const QByteArray &name : undecodableWaveNames(folder))
        log.logMessage(QStringLiteral("Имя файла %1 не в кодировке UTF-8 (похоже на Windows-1251: «%2»), файл пропущен; переименуйте его")
                           .arg(QDir::toNativeSeparators(folder) + QString::fromLatin1(name.toPercentEncoding("/")), fromCp1251(name)));
    SoundListing listing;
    if (names.isEmpty()) {
        if (dir.exists()) {
            listing.outcome = SoundListing::Outcome::NoSoundFiles;
            listing.message = QStringLiteral("На найдены звуковые файлы *.wav");
            listing.reason = listingProblem(folder);
        } else if (missing == MissingSoundsFolder::Create && QDir().mkdir(folder)) {
            listing.outcome = SoundListing::Outcome::FolderCreated;
            listing.message = QStringLiteral("Каталог со звуковыми файлами SOUNDS не найден, создан автоматически");
        } else {
            listing.outcome = SoundListing::Outcome::FolderNotMade;
            listing.message = (missing == MissingSoundsFolder::Create
                                   ? QStringLiteral("Каталог со звуковыми файлами SOUNDS не найден и не может быть создан: ")
                                   : QStringLiteral("Каталог со звуковыми файлами SOUNDS не найден: "))
                              + QDir::toNativeSeparators(folder);
            if (missing == MissingSoundsFolder::Create && !QDir(programFolder).exists())
                listing.reason = QStringLiteral("нет папки программы %1").arg(QDir::toNativeSeparators(programFolder));
        }
        return listing;
    }
    for (const QString &name : names) {
        bool encodable = false;
        const QByteArray stored = toCp1251(name, &encodable);
        if (!encodable) {
            log.logMessage(QStringLiteral("Имя файла %1 не записывается в кодировке Windows-1251, файл пропущен")
                               .arg(QDir::toNativeSeparators(folder + name)));
            continue;
        }
        table.append({name, cp1251ToUpper(stored), folder});
    }
    return listing;
}

} // namespace tirvela
