#include "cli/soundimportcommand.h"

#include "cli/cliio.h"
#include "cli/commands.h"
#include "cli/consoleprogress.h"
#include "sound/import/soundimport.h"

#include <QDir>

#include <algorithm>

namespace tirvela::cli {

namespace {

constexpr const char *kUsage =
    "sound-import FILE... [--name NAME] [--level DB | --keep-level] [--trim] [--force]";

bool takeFlag(QStringList &arguments, const QString &option)
{
    return arguments.removeAll(option) > 0;
}

QString decibelText(double decibels)
{
    return QString::number(decibels, 'f', 1);
}

} // namespace

int runSoundImport(const QStringList &arguments, const QString &programFolder)
{
    QStringList rest = arguments;
    SoundImportOptions options;
    std::optional<QString> name;
    std::optional<QString> level;
    bool usable = takeOptionValue(rest, QStringLiteral("--name"), name)
                  && takeOptionValue(rest, QStringLiteral("--level"), level);
    options.name = name.value_or(QString());
    const QString levelText = level.value_or(QString());
    options.keepLevel = takeFlag(rest, QStringLiteral("--keep-level"));
    options.trim = takeFlag(rest, QStringLiteral("--trim"));
    options.replace = takeFlag(rest, QStringLiteral("--force"));
    if (!levelText.isEmpty())
        options.peakDb = levelText.toDouble(&usable);
    const bool optionLeft = std::any_of(rest.cbegin(), rest.cend(), [](const QString &a) { return a.startsWith(u'-'); });
    if (!usable || rest.isEmpty() || optionLeft || (options.keepLevel && !levelText.isEmpty())
        || (!options.name.isEmpty() && rest.size() > 1)) {
        return usageError(kUsage);
    }

    ConsoleProgress progress;
    progress.setCaption(QStringLiteral("Импорт"));
    int exitCode = Success;
    for (const QString &source : std::as_const(rest)) {
        const SoundImportResult result = importSound(source, programFolder, options, &progress);
        switch (result.outcome) {
        case SoundImportResult::Outcome::Imported:
            out() << result.fileName << '\t' << QString::number(result.seconds(), 'f', 3) << " с\tпик "
                  << decibelText(result.sourcePeakDb) << " -> " << decibelText(result.peakDb) << " дБ"
                  << clippingNote(result) << Qt::endl;
            break;
        case SoundImportResult::Outcome::Cancelled:
            err() << "Импорт прерван: " << QDir::toNativeSeparators(source) << Qt::endl;
            return Failure;
        case SoundImportResult::Outcome::Failed:
            err() << result.message << Qt::endl;
            exitCode = Failure;
            break;
        }
    }
    return exitCode;
}

} // namespace tirvela::cli
