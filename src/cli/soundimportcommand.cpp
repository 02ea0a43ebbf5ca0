#include "cli/soundimportcommand.h"

#include "cli/cliio.h"
#include "cli/consoleprogress.h"
#include "sound/import/soundimport.h"

#include <QDir>

namespace tirvela::cli {

namespace {

QString decibelText(double decibels)
{
    return QString::number(decibels, 'f', 1);
}

int runSoundImport(const CommandCall &call)
{
    const QStringList sources = call.arguments();
    SoundImportOptions options;
    options.name = call.value(QStringLiteral("name")).value_or(QString());
    options.keepLevel = call.isSet(QStringLiteral("keep-level"));
    options.trim = call.isSet(QStringLiteral("trim"));
    options.replace = call.isSet(QStringLiteral("force"));
    const QString levelText = call.value(QStringLiteral("level")).value_or(QString());
    bool usable = true;
    if (!levelText.isEmpty())
        options.peakDb = levelText.toDouble(&usable);
    if (!usable || (options.keepLevel && !levelText.isEmpty()) || (!options.name.isEmpty() && sources.size() > 1))
        return UsageError;
    ConsoleProgress progress;
    progress.report({.caption = QStringLiteral("Импорт")});
    int exitCode = Success;
    for (const QString &source : sources) {
        const SoundImportResult result = importSound(source, call.programFolder(), options, &progress);
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
            err() << result.status.message << Qt::endl;
            exitCode = Failure;
            break;
        }
    }
    return exitCode;
}

} // namespace

Command soundImportCommand()
{
    return {
        .name = QStringLiteral("sound-import"),
        .summary = QStringLiteral("превратить записи (WAVE, FLAC, Ogg Vorbis, Opus, MP3) в звуковые файлы"),
        .description = QStringLiteral(
            "Превращает записи в звуковые файлы папки sounds/ папки программы: моно, 16 кГц, 8 бит, пик на "
            "уровне --level. Имя файла — имя записи с расширением .wav или --name. Отвергаются имя, которого "
            "нет в кодировке Windows-1251, имя уже существующего звукового файла (в любом регистре букв) без "
            "--force, тихие записи и записи длиннее, чем помещается в двоичный файл (около 17 минут).\n"
            "Печатает строку на каждый файл: имя, длительность, пик до и после; отказы идут на стандартный "
            "вывод ошибок, остальные файлы всё равно импортируются. Код 1, если какой-то файл отвергнут или "
            "Ctrl+C прервал импорт (неполного файла не остаётся)."),
        .arguments = {{QStringLiteral("FILE"), QStringLiteral("запись для импорта"),
                       CommandArgument::Count::OneOrMore}},
        .options = {{{QStringLiteral("name")}, QStringLiteral("NAME"),
                     QStringLiteral("имя звукового файла (только при одной записи)")},
                    {{QStringLiteral("level")}, QStringLiteral("DB"),
                     QStringLiteral("пик в дБ от полной шкалы, по умолчанию -1")},
                    {{QStringLiteral("keep-level")}, QString(),
                     QStringLiteral("оставить уровень записи как есть (не вместе с --level)")},
                    {{QStringLiteral("trim")}, QString(), QStringLiteral("обрезать тишину в начале и в конце")},
                    {{QStringLiteral("force")}, QString(),
                     QStringLiteral("заменить звуковой файл с тем же именем")}},
        .usesProgramFolder = true,
        .run = runSoundImport,
    };
}

} // namespace tirvela::cli
