#include "common/outputfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace tirvela {

namespace {

bool sameFile(const QString &a, const QString &b)
{
#ifdef Q_OS_UNIX
    struct stat first;
    struct stat second;
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 && ::stat(QFile::encodeName(b).constData(), &second) == 0
        && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
#else
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical.compare(QFileInfo(b).canonicalFilePath(), Qt::CaseInsensitive) == 0;
#endif
}

} // namespace

Status checkOutputFile(const QString &path, const QStringList &inputs)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists())
        return Status::success();
    if (!info.isFile())
        return Status::failure(
            QStringLiteral("%1 не обычный файл (папка, устройство, канал или сокет), запись в него отменена").arg(shown));
    for (const QString &input : inputs) {
        if (sameFile(path, input))
            return Status::failure(QStringLiteral("%1 — это исходный файл %2, запись поверх него отменена")
                                       .arg(shown, QDir::toNativeSeparators(input)));
    }
    return Status::success();
}

} // namespace tirvela
