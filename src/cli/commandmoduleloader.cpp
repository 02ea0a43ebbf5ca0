#include "cli/commandmodule.h"

#include "cli/cliio.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace tirvela::cli {

namespace {

int moduleNotLoaded(const QString &reason)
{
    err() << QStringLiteral("Не удалось загрузить команды tirvela-cli: ") << reason << Qt::endl;
    return Failure;
}

} // namespace

int runInCommandModule(const QStringList &arguments)
{
    const QString file =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/" TIRVELA_CLI_COMMANDS_MODULE));
    // Told apart, as the loader's own message names a file it tried last, not this one.
    if (!QFileInfo::exists(file))
        return moduleNotLoaded(QStringLiteral("нет файла ") + QDir::toNativeSeparators(file));
    QLibrary module(file);
    const auto run = reinterpret_cast<CommandModuleRun>(module.resolve(CommandModuleEntry));
    if (!run)
        return moduleNotLoaded(module.errorString());
    return run(arguments);
}

} // namespace tirvela::cli
