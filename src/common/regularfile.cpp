#include "common/regularfile.h"

#include "common/systemreason.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tirvela {

namespace {

FileOpenResult refused(FileOpenResult::Status status, const QString &reason)
{
    FileOpenResult result;
    result.status = status;
    result.reason = reason;
    return result;
}

QString notRegularReason()
{
    return QStringLiteral("это не обычный файл (папка, устройство, канал или сокет)");
}

FileOpenResult checkSize(qint64 size, qint64 maxSize)
{
    if (maxSize >= 0 && size > maxSize)
        return refused(FileOpenResult::Status::TooLarge,
                       QStringLiteral("файл больше %1 (%2 байт)").arg(sizeText(maxSize)).arg(size));
    FileOpenResult result;
    result.size = size;
    return result;
}

} // namespace

FileOpenResult openRegularFile(QFile &file, const QString &path, qint64 maxSize)
{
#ifdef Q_OS_UNIX
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return refused(FileOpenResult::Status::Failed, russianErrnoReason(errno));
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return refused(FileOpenResult::Status::NotRegular, notRegularReason());
    }
    FileOpenResult result = checkSize(status.st_size, maxSize);
    if (!result.ok() || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0
        || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (result.ok())
            result = refused(FileOpenResult::Status::Failed, russianErrnoReason(errno));
        ::close(fd);
    }
    return result;
#else
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return refused(FileOpenResult::Status::NotRegular, notRegularReason());
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return refused(FileOpenResult::Status::Failed, file.errorString());
    FileOpenResult result = checkSize(file.size(), maxSize);
    if (!result.ok())
        file.close();
    return result;
#endif
}

QString sizeText(qint64 bytes)
{
    constexpr qint64 kKilo = 1024;
    if (bytes >= kKilo * kKilo * kKilo && bytes % (kKilo * kKilo * kKilo) == 0)
        return QStringLiteral("%1 ГБ").arg(bytes / (kKilo * kKilo * kKilo));
    if (bytes >= kKilo * kKilo && bytes % (kKilo * kKilo) == 0)
        return QStringLiteral("%1 МБ").arg(bytes / (kKilo * kKilo));
    return QStringLiteral("%1 байт").arg(bytes);
}

} // namespace tirvela
