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

Status refused(const QString &reason)
{
    return Status::failure({}, reason);
}

QString notRegularReason()
{
    return QStringLiteral("это не обычный файл (папка, устройство, канал или сокет)");
}

Result<qint64> checkSize(qint64 size, qint64 maxSize)
{
    if (maxSize >= 0 && size > maxSize)
        return refused(QStringLiteral("файл больше %1 (%2 байт)").arg(sizeText(maxSize)).arg(size));
    return size;
}

} // namespace

Result<qint64> openRegularFile(QFile &file, const QString &path, qint64 maxSize, FileBuffering buffering)
{
    const QIODevice::OpenMode mode =
        buffering == FileBuffering::Unbuffered ? QIODevice::ReadOnly | QIODevice::Unbuffered : QIODevice::ReadOnly;
#ifdef Q_OS_UNIX
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return refused(russianErrnoReason(errno));
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return refused(notRegularReason());
    }
    Result<qint64> result = checkSize(status.st_size, maxSize);
    if (!result.ok() || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0
        || !file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        if (result.ok())
            result = refused(russianErrnoReason(errno));
        ::close(fd);
    }
    return result;
#else
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return refused(notRegularReason());
    file.setFileName(path);
    if (!file.open(mode))
        return refused(file.errorString());
    Result<qint64> result = checkSize(file.size(), maxSize);
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
