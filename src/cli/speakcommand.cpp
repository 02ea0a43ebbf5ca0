#include "cli/speakcommand.h"

#include "cli/cliio.h"
#include "cli/clilog.h"
#include "cli/commands.h"
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
#include <optional>

namespace tirvela::cli {

namespace {

// The speaker of the program folder's settings and pronunciation list; nullptr, with the reason
// on standard error, when there is no synthesiser to run.
std::unique_ptr<SoundSpeaker> makeSpeaker(const QString &programFolder)
{
    QString problem;
    const EditorSettings settings = readEditorSettings(programFolder, &problem);
    if (!problem.isEmpty())
        err() << problem << '\n';
    const QString missing = speechSynthesizerProblem(settings.speech);
    if (!missing.isEmpty()) {
        err() << missing << Qt::endl;
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

} // namespace

int runSpeak(const QStringList &arguments, const QString &programFolder)
{
    QStringList rest = arguments;
    std::optional<QString> name;
    const bool usable = takeOptionValue(rest, QStringLiteral("--name"), name);
    const bool replace = rest.removeAll(QStringLiteral("--force")) > 0;
    if (!usable || rest.size() != 1 || rest[0].startsWith(u'-') || name == u"")
        return usageError("speak TEXT [--name NAME.wav] [--force]");
    const QString text = rest[0];

    const std::unique_ptr<SoundSpeaker> speaker = makeSpeaker(programFolder);
    if (!speaker)
        return Failure;
    ConsoleProgress progress;
    const SoundImportResult result = speaker->speak(text, name.value_or(text), replace, &progress);
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
    err() << result.message << Qt::endl;
    return Failure;
}

int runSpeakMissing(const QStringList &arguments, const QString &programFolder)
{
    if (arguments.size() != 1 || arguments[0].startsWith(u'-'))
        return usageError("speak-missing PROJECT.stm");
    const std::unique_ptr<Project> project = readProject(arguments[0]);
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
            err() << result.message << Qt::endl;
            continue;
        }
        printSpoken(result, speaker->spokenText(text));
        ++made;
    }
    out() << "Озвучено файлов: " << made << " из " << missing.names.size() << Qt::endl;
    return made == missing.names.size() && missing.problems.isEmpty() ? Success : Failure;
}

} // namespace tirvela::cli
