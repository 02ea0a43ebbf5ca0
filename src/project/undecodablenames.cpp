#include "project/undecodablenames.h"

#include <QFile>
#include <QStringDecoder>

#ifdef Q_OS_UNIX
#include <dirent.h>
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

} // namespace tirvela
