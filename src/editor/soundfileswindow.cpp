#include "editor/soundfileswindow.h"

#include "editor/announcementplayer.h"
#include "editor/editorsession.h"
#include "editor/icons.h"
#include "editor/progressdialog.h"
#include "editor/userdialogs.h"
#include "editor/waveformstrip.h"
#include "common/cp1251.h"
#include "common/messagelog.h"
#include "sound/import/soundimport.h"
#include "sound/soundlibrary.h"
#include "sound/soundname.h"
#include "sound/soundsamples.h"
#include "sound/undecodablenames.h"
#include "sound/wavecheck.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QLocale>
#include <QProcess>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace tirvela {

namespace {

constexpr int kProblemRole = Qt::UserRole; // the check's message of a file with the error mark

QString decibelText(double decibels)
{
    return QLocale(QLocale::Russian).toString(decibels, 'f', 1);
}

// The name a recording gets in the sounds folder and the file it would replace there, if any.
QString clashingSoundFile(const QString &source, const QString &programFolder)
{
    const Result<QString> name = checkNewSoundName(QFileInfo(source).completeBaseName());
    return name.ok() ? soundFileNamedAlike(soundsFolderOf(programFolder), name.value()) : QString();
}

} // namespace

SoundFilesWindow::SoundFilesWindow(EditorSession &session, UserDialogs &dialogs, MessageLog &log, QWidget *parent)
    : QWidget(parent)
    , mSession(session)
    , mDialogs(dialogs)
    , mLog(log)
    , mList(new QListWidget(this))
    , mWave(new WaveformStrip(this))
    , mPlayer(new AnnouncementPlayer(this))
{
    setObjectName(QStringLiteral("WavesForm"));
    setWindowTitle(QStringLiteral("Звуковые файлы"));
    setAttribute(Qt::WA_DeleteOnClose);
    mList->setObjectName(QStringLiteral("ListView1"));
    mList->setSortingEnabled(true);
    connect(mList, &QListWidget::itemActivated, this, &SoundFilesWindow::addSelectedFile);
    connect(mList, &QListWidget::currentItemChanged, this, &SoundFilesWindow::showSelectedWave);
    connect(mPlayer, &AnnouncementPlayer::playingChanged, this, &SoundFilesWindow::showPlaying);

    auto *tools = new QToolBar(this);
    tools->setObjectName(QStringLiteral("ToolBar1"));
    tools->setIconSize(QSize(16, 16));
    const auto command = [&](const char *name, const char *icon, const QString &text, const QString &hint,
                             void (SoundFilesWindow::*slot)()) {
        QAction *action = tools->addAction(bundledIcon(icon), text);
        action->setObjectName(QString::fromLatin1(name));
        action->setToolTip(hint);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    command("AddSoundAction", "list-add", QStringLiteral("Добавить"), QStringLiteral("Добавить файл в маршрут"),
            &SoundFilesWindow::addSelectedFile);
    command("ImportAction", "document-open", QStringLiteral("Импорт…"),
            QStringLiteral("Импортировать звукозаписи в каталог SOUNDS"), &SoundFilesWindow::importRecordings);
    command("SpeakMissingAction", "audio-speakers", QStringLiteral("Озвучить недостающие…"),
            QStringLiteral("Озвучить синтезатором речи звуковые файлы проекта, которых нет в каталоге SOUNDS"),
            &SoundFilesWindow::speakMissingRequested);
    mPlayAction = command("PlayAction", "media-playback-start", QStringLiteral("Прослушать"),
                          QStringLiteral("Прослушать файл"), &SoundFilesWindow::playSelectedFile);
    command("RefreshAction", "view-refresh", QStringLiteral("Обновить"), QStringLiteral("Обновить список файлов"),
            &SoundFilesWindow::refresh);
    command("FormatAction", "dialog-information", QStringLiteral("Сведения о формате файлов"),
            QStringLiteral("Сведения о формате файлов"), &SoundFilesWindow::showFormatInformation);
    command("SoundEditorAction", "document-edit", QStringLiteral("Открыть редактор звуковых файлов"),
            QStringLiteral("Открыть редактор звуковых файлов"), &SoundFilesWindow::openSoundEditor);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tools);
    layout->addWidget(mList);
    layout->addWidget(mWave);
    resize(205, 382);
    mWave->showText(QStringLiteral("Файл не выбран"));
}

QSize SoundFilesWindow::sizeHint() const
{
    // The longest name whole beside the vertical scroll bar.
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, mList);
    const int width = mList->sizeHintForColumn(0) + 2 * mList->frameWidth() + scrollBar;
    return {qMax(width, QWidget::sizeHint().width()), QWidget::sizeHint().height()};
}

void SoundFilesWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (mList->count() == 0)
        refresh();
}

void SoundFilesWindow::refresh()
{
    mPlayer->stop();
    offerReadableNames();
    mList->setUpdatesEnabled(false);
    mList->clear();
    const SoundListing listing = listSoundsFolder(mSession.sounds, mSession.programFolder, mLog);
    const QIcon errorMark = bundledIcon("dialog-error");
    for (int i = 0; i < mSession.sounds.count(); ++i) {
        const SoundEntry &entry = mSession.sounds.at(i);
        auto *item = new QListWidgetItem(entry.fileName, mList);
        const WaveCheckResult check = checkWaveFile(entry.path());
        if (!check.ok()) {
            const QString problem = check.status().message;
            mLog.logMessage(problem);
            item->setIcon(errorMark);
            item->setData(kProblemRole, problem);
        }
    }
    mList->setUpdatesEnabled(true);
    if (!listing.message.isEmpty())
        mDialogs.tell(this, listing.message);
}

// Files named in Windows-1251 bytes (from an archive made on Windows) cannot be listed as they
// are; renamed to what their bytes spell, the stop lists that name them find them.
void SoundFilesWindow::offerReadableNames()
{
    const QString folder = soundsFolderOf(mSession.programFolder);
    const QByteArrayList names = undecodableWaveNames(folder);
    if (names.isEmpty())
        return;
    const QString question = QStringLiteral(
        "Имена звуковых файлов (%1, например «%2») записаны в кодировке Windows-1251, и в списке их нет. "
        "Переименовать их, чтобы ими можно было пользоваться?").arg(names.size()).arg(fromCp1251(names.constFirst()));
    if (mDialogs.ask(this, windowTitle(), question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
        renameUndecodableWaveNames(folder, mLog);
}

QStringList SoundFilesWindow::fileNames() const
{
    QStringList names;
    for (int row = 0; row < mList->count(); ++row)
        names << mList->item(row)->text();
    return names;
}

QStringList SoundFilesWindow::markedFileNames() const
{
    QStringList names;
    for (int row = 0; row < mList->count(); ++row) {
        if (!mList->item(row)->data(kProblemRole).toString().isEmpty())
            names << mList->item(row)->text();
    }
    return names;
}

void SoundFilesWindow::selectFile(const QString &fileName)
{
    const QList<QListWidgetItem *> found = mList->findItems(fileName, Qt::MatchExactly);
    mList->setCurrentItem(found.isEmpty() ? nullptr : found.constFirst());
}

void SoundFilesWindow::addSelectedFile()
{
    const QListWidgetItem *item = mList->currentItem();
    const bool selected = item && item->isSelected();
    const QString problem = selected ? item->data(kProblemRole).toString() : QString();
    if (!problem.isEmpty()) {
        mDialogs.tell(this, QStringLiteral("Файл %1 нельзя добавить в маршрут:\n%2").arg(item->text(), problem));
        return;
    }
    emit addRequested(selected ? item->text() : QString());
}

void SoundFilesWindow::importRecordings()
{
    const QStringList sources = mDialogs.chooseRecordings(this);
    if (sources.isEmpty())
        return;
    mPlayer->stop();
    ProgressDialog progress(mDialogs, this);
    progress.report({.caption = QStringLiteral("Импорт звуковых файлов"), .button = QStringLiteral("Отмена")});
    QString lastImported;
    int failures = 0;
    for (int i = 0; i < sources.size(); ++i) {
        const QString &source = sources[i];
        progress.report({.phase = ProgressReport::Phase::Working,
                         .stage = QStringLiteral("Файл %1 из %2").arg(i + 1).arg(sources.size()),
                         .size = QFileInfo(source).fileName()});
        SoundImportOptions options;
        const QString clash = clashingSoundFile(source, mSession.programFolder);
        if (!clash.isEmpty()) {
            // Asked over the progress dialog, which stays on top of everything else.
            const QMessageBox::StandardButton answer = mDialogs.ask(
                &progress, windowTitle(), QStringLiteral("Звуковой файл %1 уже есть. Заменить его?").arg(clash),
                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            if (answer == QMessageBox::Cancel)
                break;
            if (answer == QMessageBox::No)
                continue;
            options.replace = true;
        }
        const SoundImportResult result = importSound(source, mSession.programFolder, options, &progress);
        if (result.outcome == SoundImportResult::Outcome::Cancelled) {
            mLog.logMessage(QStringLiteral("Импорт прерван: %1").arg(QDir::toNativeSeparators(source)));
            break;
        }
        if (result.outcome == SoundImportResult::Outcome::Failed) {
            mLog.logMessage(result.status.message);
            ++failures;
            continue;
        }
        lastImported = result.fileName;
        mLog.logMessage(QStringLiteral("Импортирован %1: %2 с, пик %3 дБ, в файле %4 дБ%5")
                            .arg(result.fileName, QLocale(QLocale::Russian).toString(result.seconds(), 'f', 2),
                                 decibelText(result.sourcePeakDb), decibelText(result.peakDb), clippingNote(result)));
    }
    progress.hide();
    refresh();
    if (!lastImported.isEmpty())
        selectFile(lastImported);
    if (failures > 0)
        mDialogs.tell(this, QStringLiteral("Не импортировано файлов: %1. Причины в окне сообщений.").arg(failures));
}

void SoundFilesWindow::playSelectedFile()
{
    if (mPlayer->isPlaying()) {
        mPlayer->stop();
        return;
    }
    const QListWidgetItem *item = mList->currentItem();
    if (item && item->isSelected())
        mPlayer->playFiles({soundsFolderOf(mSession.programFolder) + item->text()}, mLog);
}

void SoundFilesWindow::showSelectedWave()
{
    const QListWidgetItem *item = mList->currentItem();
    if (!item) {
        mWave->showText(QStringLiteral("Файл не выбран"));
        return;
    }
    const Result<QByteArray> sound = readSoundSamples(soundsFolderOf(mSession.programFolder) + item->text());
    if (sound.ok())
        mWave->showSamples(sound.value());
    else
        mWave->showText(sound.status().message);
}

void SoundFilesWindow::showPlaying(bool playing)
{
    mPlayAction->setIcon(bundledIcon(playing ? "media-playback-stop" : "media-playback-start"));
    mPlayAction->setText(playing ? QStringLiteral("Остановить") : QStringLiteral("Прослушать"));
}

void SoundFilesWindow::showFormatInformation()
{
    mDialogs.tell(this, QStringLiteral(
        "Звуковые файлы в каталоге SOUNDS должны иметь формат WAVE, расширение *.wav, частота дискретизации "
        "16КГц, моно, 8 бит, амплитуда сигнала должна быть достаточно большой, чтобы достичь максимального "
        "качества звука и одинаковой громкости всех фрагментов. Однако уровень сигнала не должен выходить за "
        "границы, т.к. это приведет к искажению звука\nРедактировать звуковые файлы удобно с помощью программы "
        "Nero Wave Editor"));
}

void SoundFilesWindow::openSoundEditor()
{
    const QString program = mSession.settings.soundEditorPath;
    const QString folder = soundsFolderOf(mSession.programFolder);
    const QFileInfo programFile(program);
    if (!programFile.isFile() || !programFile.isExecutable()) {
        mLog.logMessage(QStringLiteral("Редактор звуковых файлов %1 не найден. Укажите его в окне \"Настройки (опции)\".")
                            .arg(QDir::toNativeSeparators(program)));
        return;
    }
    const QListWidgetItem *item = mList->currentItem();
    // The path goes as one argument: file names hold blanks.
    const QStringList arguments = item ? QStringList{QDir::toNativeSeparators(folder + item->text())} : QStringList{};
    if (!QProcess::startDetached(program, arguments, folder))
        mLog.logMessage(QStringLiteral("Не удалось запустить редактор звуковых файлов %1")
                            .arg(QDir::toNativeSeparators(program)));
}

} // namespace tirvela
