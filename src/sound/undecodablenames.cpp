#include "sound/undecodablenames.h"

#include "common/cp1251.h"
#include "common/messagelog.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tirvela {

QByteArrayList undecodableWaveNames(const QString &folder)
{
    QByteArrayList names;
#ifdef Q_OS_UNIX
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!name.toLower().endsWith(".wav"))
            continue;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = utf8(name);
        if (utf8.hasError())
            names.append(name);
    }
    ::closedir(dir);
#else
    Q_UNUSED(folder)
#endif
    return names;
}

#ifdef Q_OS_UNIX
namespace {

// Renames without replacing: a hard link fails when the new name exists. Where the file system
// has no hard links, the name is looked up first.
bool renameWithoutReplacing(const QByteArray &from, const QByteArray &to, int &error)
{
    if (::link(from.constData(), to.constData()) == 0)
        return ::unlink(from.constData()) == 0 || (error = errno, false);
    error = errno;
    if (error == EEXIST)
        return false;
    struct stat existing;
    if (::lstat(to.constData(), &existing) == 0) {
        error = EEXIST;
        return false;
    }
    return std::rename(from.constData(), to.constData()) == 0 || (error = errno, false);
}

} // namespace
#endif

int renameUndecodableWaveNames(const QString &folder, MessageLog &log)
{
    int renamed = 0;
#ifdef Q_OS_UNIX
    const QString shownFolder = QDir::toNativeSeparators(QDir(folder).absolutePath()) + QDir::separator();
    const QByteArray folderBytes = QFile::encodeName(QDir(folder).absolutePath()) + '/';
    for (const QByteArray &name : undecodableWaveNames(folder)) {
        const QString readable = fromCp1251(name);
        int error = 0;
        if (renameWithoutReplacing(folderBytes + name, folderBytes + QFile::encodeName(readable), error)) {
            log.logMessage(QStringLiteral("Файл %1%2 переименован: имя было в кодировке Windows-1251").arg(shownFolder, readable));
            ++renamed;
        } else {
            log.logMessage(QStringLiteral("Файл с именем «%1» в кодировке Windows-1251 не переименован: %2")
                               .arg(readable, error == EEXIST ? QStringLiteral("файл с таким именем уже есть")
                                                              : QString::fromLocal8Bit(std::strerror(error))));
        }
    }
#else
    Q_UNUSED(folder)
    Q_UNUSED(log)
#endif
    return renamed;
}

} // namespace tirvela
