#include "editor/speechactions.h"

#include "common/cp1251.h"
#include "common/messagelog.h"
#include "document/document.h"
#include "document/stopcommands.h"
#include "document/stoptrees.h"
#include "editor/editorsession.h"
#include "editor/progressdialog.h"
#include "editor/userdialogs.h"
#include "project/missingsounds.h"
#include "sound/soundlibrary.h"
#include "sound/soundname.h"
#include "sound/speech/soundspeaker.h"
#include "sound/speech/speechsynthesizer.h"

#include <QCoreApplication>
#include <QLocale>
#include <QUndoStack>

namespace tirvela {

namespace {

const QString kTitle = QStringLiteral("Озвучивание");

bool namesSound(const StopNode &stop, const QString &name)
{
    const QByteArray key = cp1251ToUpper(toCp1251(name));
    if (stop.childCount() == 0)
        return false;
    for (const StopNode &item : stop.child(0).children()) {
        if (cp1251ToUpper(item.text) == key)
            return true;
    }
    return false;
}

} // namespace

SpeechActions::SpeechActions(Document &document, EditorSession &session, UserDialogs &dialogs, MessageLog &log)
    : mDocument(document), mSession(session), mDialogs(dialogs), mLog(log)
{
}

std::unique_ptr<SoundSpeaker> SpeechActions::makeSpeaker(QWidget *parent)
{
    const SpeechSettings &settings = mSession.settings.speech;
    if (const Status synthesizer = checkSpeechSynthesizer(settings); !synthesizer.ok()) {
        mLog.logMessage(synthesizer.message);
        mDialogs.tell(parent, synthesizer.message);
        return nullptr;
    }
    PronunciationList pronunciation;
    const PronunciationList::LoadResult loaded = pronunciation.load(
        PronunciationList::pathFor(mSession.programFolder, QCoreApplication::applicationDirPath()));
    for (const QString &line : loaded.problems)
        mLog.logMessage(line);
    return std::make_unique<SoundSpeaker>(mSession.programFolder, settings, std::move(pronunciation));
}

void SpeechActions::logSpoken(const QString &fileName, double seconds, const QString &spoken)
{
    mLog.logMessage(QStringLiteral("Озвучен %1: %2 с, «%3»")
                        .arg(fileName, QLocale(QLocale::Russian).toString(seconds, 'f', 2), spoken));
}

QString SpeechActions::speakMissing(QWidget *parent)
{
    mDocument.stopTrees().storeAll();
    const SoundListing listing = listSoundsFolder(mSession.sounds, mSession.programFolder, mLog);
    if (listing.outcome == SoundListing::Outcome::FolderNotMade) {
        mDialogs.tell(parent, listing.message);
        return {};
    }
    const MissingSounds missing = findMissingSounds(mDocument.project(), mSession.sounds);
    for (const QString &problem : missing.problems)
        mLog.logMessage(problem);
    if (missing.names.isEmpty()) {
        mDialogs.tell(parent, QStringLiteral("Все звуковые файлы проекта есть, озвучивать нечего."));
        return {};
    }
    const std::unique_ptr<SoundSpeaker> speaker = makeSpeaker(parent);
    if (!speaker)
        return {};
    const QString question = QStringLiteral("В каталоге SOUNDS нет звуковых файлов проекта: %1 (например «%2»). "
                                            "Озвучить их синтезатором речи?")
                                 .arg(missing.names.size()).arg(missing.names.constFirst());
    if (mDialogs.ask(parent, kTitle, question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return {};

    ProgressDialog progress(mDialogs, parent);
    progress.report({.phase = ProgressReport::Phase::Working,
                     .caption = QStringLiteral("Озвучивание недостающих файлов"),
                     .button = QStringLiteral("Отмена"),
                     .maximum = int(missing.names.size())});
    QString lastMade;
    int made = 0;
    for (qsizetype i = 0; i < missing.names.size(); ++i) {
        const QString &name = missing.names[i];
        progress.report({.stage = QStringLiteral("Файл %1 из %2").arg(i + 1).arg(missing.names.size()),
                         .size = name,
                         .position = int(i)});
        if (progress.cancelledWithin(0)) {
            mLog.logMessage(QStringLiteral("Озвучивание прервано"));
            break;
        }
        const QString text = SoundSpeaker::textOfSoundName(name);
        const SoundImportResult result = speaker->speak(text, name, false, &progress);
        if (result.outcome == SoundImportResult::Outcome::Cancelled) {
            mLog.logMessage(QStringLiteral("Озвучивание прервано"));
            break;
        }
        if (result.outcome == SoundImportResult::Outcome::Failed) {
            mLog.logMessage(result.status.message);
            continue;
        }
        logSpoken(result.fileName, result.seconds(), speaker->spokenText(text));
        lastMade = result.fileName;
        ++made;
    }
    progress.hide();
    mLog.logMessage(QStringLiteral("Озвучено файлов: %1 из %2").arg(made).arg(missing.names.size()));
    return lastMade;
}

QString SpeechActions::speakStopNode(int route, const StopPath &path, QWidget *parent)
{
    const StopTree *tree = mDocument.stopTrees().treeOf(route);
    const StopNode *node = tree ? nodeAt(*tree, path) : nullptr;
    const StopNode *stop = stopOf(node);
    if (!stop) {
        mDialogs.tell(parent, QStringLiteral("Выберите остановку или её звуковой файл."));
        return {};
    }
    const bool soundItem = isSoundItem(*node);
    const QString text = soundItem ? SoundSpeaker::textOfSoundName(fromCp1251(node->text)) : fromCp1251(stop->text);
    const QString name = soundItem ? fromCp1251(node->text) : soundNameFor(text);
    if (!name.endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive)) {
        mDialogs.tell(parent, QStringLiteral("«%1» не имя звукового файла *.wav.").arg(name));
        return {};
    }
    const QString existing = soundFileNamedAlike(soundsFolderOf(mSession.programFolder), name);
    if (!existing.isEmpty()
        && mDialogs.ask(parent, kTitle, QStringLiteral("Звуковой файл %1 уже есть. Заменить его?").arg(existing),
                        QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return {};
    const std::unique_ptr<SoundSpeaker> speaker = makeSpeaker(parent);
    if (!speaker)
        return {};

    const SoundImportResult result = speaker->speak(text, name, !existing.isEmpty());
    if (result.outcome != SoundImportResult::Outcome::Imported) {
        mLog.logMessage(result.status.message);
        mDialogs.tell(parent, result.status.message);
        return {};
    }
    logSpoken(result.fileName, result.seconds(), speaker->spokenText(text));
    if (!soundItem && !namesSound(*stop, result.fileName)) {
        const std::optional<StopInsertion> place = soundInsertionFor(*stop);
        if (place)
            mDocument.undoStack()->push(new InsertStopNodeCommand(
                mDocument, route, *place, StopNode(toCp1251(result.fileName)),
                QStringLiteral("добавление звукового файла %1").arg(result.fileName)));
    }
    return result.fileName;
}

} // namespace tirvela
