#include "common/oldfileremoval.h"

#include <QFile>

#include <system_error>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tirvela {

void OldFileRemoval::start(const QString &path)
{
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(path);
    struct stat status;
    if (::lstat(name.constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return;
    try {
        mThread = std::thread([name] { ::unlink(name.constData()); });
    } catch (const std::system_error &) {
        // The rename replaces the file, only later.
    }
#else
    Q_UNUSED(path);
#endif
}

void OldFileRemoval::wait()
{
    if (mThread.joinable())
        mThread.join();
}

} // namespace tirvela
