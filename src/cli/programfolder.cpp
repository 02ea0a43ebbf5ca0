#include "cli/programfolder.h"

#include "settings/programfolder.h"

#include <QCoreApplication>
#include <QDir>

namespace tirvela::cli {

namespace {

QString withTrailingSlash(const QString &folder)
{
    const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
    return clean.endsWith(u'/') ? clean : clean + u'/';
}

} // namespace

ProgramFolderOption takeProgramFolder(QStringList &arguments)
{
    ProgramFolderOption option;
    const qsizetype at = arguments.indexOf(QStringLiteral("--program-dir"));
    if (at < 0) {
        option.folder = programFolderFor(QCoreApplication::applicationFilePath());
        return option;
    }
    if (at + 1 >= arguments.size()) {
        option.ok = false;
        option.error = QStringLiteral("--program-dir needs a folder");
        return option;
    }
    option.folder = withTrailingSlash(arguments[at + 1]);
    arguments.remove(at, 2);
    return option;
}

} // namespace tirvela::cli
