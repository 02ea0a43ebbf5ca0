#include "settings/programfolder.h"

#include "settings/editorsettings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tirvela {

QString programFolderFor(const QString &executablePath)
{
    const QString ownFolder = programFolderOf(executablePath);
    if (QFileInfo(ownFolder).isWritable())
        return ownFolder;
    // One folder for the editor and the command-line tool, whatever each executable is called.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString userFolder = dataHome + QStringLiteral("/tirvela/");
    if (dataHome.isEmpty() || !QDir().mkpath(userFolder))
        return ownFolder;
    return userFolder;
}

} // namespace tirvela
