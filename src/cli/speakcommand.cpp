#include "cli/speakcommand.h"

#include "cli/cliio.h"
#include "cli/clilog.h"
#include "cli/consoleprogress.h"
#include "cli/projectinput.h"
#include "project/project.h"
#include "sound/soundtable.h"
#include "settings/editorsettings.h"
#include "project/missingsounds.h"
#include "sound/speech/soundspeaker.h"
#include "sound/speech/speechsynthesizer.h"

#include <QCoreApplication>

#include <memory>

namespace tirvela::cli {

namespace {

// The speaker of the program folder's settings and pronunciation list; nullptr, with the reason
// on standard error, when there is no synthesiser to run.
std::unique_ptr<SoundSpeaker> makeSpeaker(const QString &programFolder)
{
    Status read;
    const EditorSettings settings = readEditorSettings(programFolder, &read);
    if (!read.ok())
        err() << read.message << '\n';
    if (const Status synthesizer = checkSpeechSynthesizer(settings.speech); !synthesizer.ok()) {
        err() << synthesizer.message << Qt::endl;
        return nullptr;
    }
    PronunciationList pronunciation;
    const PronunciationList::LoadResult loaded =
        pronunciation.load(PronunciationList::pathFor(programFolder, QCoreApplication::applicationDirPath()));
    for (const QString &line : loaded.problems)
        err() << line << '\n';
    return std::make_unique<SoundSpeaker>(programFolder, settings.speech, std::move(pronunciation));
}

void printSpoken(const SoundImportResult &result, const QString &spoken)
{
    out() << result.fileName << '\t' << QString::number(result.seconds(), 'f', 3) << " с\t" << spoken << Qt::endl;
}

int runSpeak(const CommandCall &call)
{
    const QString text = call.arguments().constFirst();
    const std::optional<QString> name = call.value(QStringLiteral("name"));
    if (name == u"")
        return UsageError;
    const std::unique_ptr<SoundSpeaker> speaker = makeSpeaker(call.programFolder());
    if (!speaker)
        return Failure;
    ConsoleProgress progress;
    const SoundImportResult result =
        speaker->speak(text, name.value_or(text), call.isSet(QStringLiteral("force")), &progress);
    switch (result.outcome) {
    case SoundImportResult::Outcome::Imported:
        printSpoken(result, speaker->spokenText(text));
        return Success;
    case SoundImportResult::Outcome::Cancelled:
        err() << "Озвучивание прервано" << Qt::endl;
        return Failure;
    case SoundImportResult::Outcome::Failed:
        break;
    }
    err() << result.status.message << Qt::endl;
    return Failure;
}

int runSpeakMissing(const CommandCall &call)
{
    const QString programFolder = call.programFolder();
    const std::unique_ptr<Project> project = readProject(call.arguments().constFirst());
    if (!project)
        return Failure;
    CliLog log;
    SoundTable sounds;
    if (!listSounds(sounds, programFolder, log))
        return Failure;
    const MissingSounds missing = findMissingSounds(*project, sounds);
    for (const QString &problem : missing.problems)
        err() << problem << '\n';
    if (missing.names.isEmpty()) {
        out() << "Все звуковые файлы проекта есть" << Qt::endl;
        return missing.problems.isEmpty() ? Success : Failure;
    }
    const std::unique_ptr<SoundSpeaker> speaker = makeSpeaker(programFolder);
    if (!speaker)
        return Failure;

    ConsoleProgress progress;
    int made = 0;
    for (const QString &name : missing.names) {
        const QString text = SoundSpeaker::textOfSoundName(name);
        const SoundImportResult result = speaker->speak(text, name, false, &progress);
        if (result.outcome == SoundImportResult::Outcome::Cancelled) {
            err() << "Озвучивание прервано" << Qt::endl;
            break;
        }
        if (result.outcome == SoundImportResult::Outcome::Failed) {
            err() << result.status.message << Qt::endl;
            continue;
        }
        printSpoken(result, speaker->spokenText(text));
        ++made;
    }
    out() << "Озвучено файлов: " << made << " из " << missing.names.size() << Qt::endl;
    return made == missing.names.size() && missing.problems.isEmpty() ? Success : Failure;
}

} // namespace

Command speakCommand()
{
    return {
        .name = QStringLiteral("speak"),
        .summary = QStringLiteral("озвучить текст синтезатором речи в звуковой файл"),
        .description = QStringLiteral(
            "Произносит текст синтезатором речи espeak-ng (голос, скорость и высота — из editor.ini) после "
            "списка произношения произношение.txt (числа читаются словами) и записывает звуковой файл папки "
            "sounds/ так же, как sound-import: моно, 16 кГц, 8 бит, пик -1 дБ. Имя файла — --name или сам "
            "текст с расширением .wav; существующий файл заменяется только с --force.\n"
            "Печатает имя, длительность и произнесённый текст. Код 1, если файл не записан или espeak-ng не "
            "установлен (сообщение говорит, что установить)."),
        .arguments = {{QStringLiteral("TEXT"), QStringLiteral("что произнести")}},
        .options = {{{QStringLiteral("name")}, QStringLiteral("NAME.wav"), QStringLiteral("имя звукового файла")},
                    {{QStringLiteral("force")}, QString(),
                     QStringLiteral("заменить звуковой файл с тем же именем")}},
        .usesProgramFolder = true,
        .run = runSpeak,
    };
}

Command speakMissingCommand()
{
    return {
        .name = QStringLiteral("speak-missing"),
        .summary = QStringLiteral("озвучить звуковые файлы проекта, которых нет в папке sounds/"),
        .description = QStringLiteral(
            "Озвучивает, как speak, каждый звуковой файл, который называют остановки проекта и общие фразы "
            "(«Остановка», «Конечная» …), но которого нет в папке sounds/, — по его имени без .wav. "
            "Существующие файлы не трогает.\n"
            "Печатает строку на каждый записанный файл (имя, длительность, произнесённый текст), ошибки — на "
            "стандартный вывод ошибок, в конце итог «Озвучено файлов: N из M». Код 1, если какой-то файл не "
            "записан, проект не прочитан или espeak-ng не установлен."),
        .arguments = {{QStringLiteral("PROJECT.stm"), QStringLiteral("файл проекта или двоичный файл")}},
        .usesProgramFolder = true,
        .run = runSpeakMissing,
    };
}

} // namespace tirvela::cli
