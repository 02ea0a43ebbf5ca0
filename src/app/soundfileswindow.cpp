#include "app/soundfileswindow.h"

#include "app/editorsession.h"
#include "app/icons.h"
#include "app/userdialogs.h"
#include "common/messagelog.h"
#include "project/soundlibrary.h"
#include "project/wavecheck.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QProcess>
#include <QToolBar>
#include <QVBoxLayout>

namespace tirvela {

namespace {

constexpr int kMarkedRole = Qt::UserRole;

} // namespace

SoundFilesWindow::SoundFilesWindow(EditorSession &session, UserDialogs &dialogs, MessageLog &log, QWidget *parent)
    : QWidget(parent)
    , mSession(session)
    , mDialogs(dialogs)
    , mLog(log)
    , mList(new QListWidget(this))
{
    setObjectName(QStringLiteral("WavesForm"));
    setWindowTitle(QStringLiteral("Звуковые файлы"));
    setAttribute(Qt::WA_DeleteOnClose);
    mList->setObjectName(QStringLiteral("ListView1"));
    mList->setSortingEnabled(true);
    connect(mList, &QListWidget::itemActivated, this, &SoundFilesWindow::addSelectedFile);

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
    resize(205, 382);
}

void SoundFilesWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (mList->count() == 0)
        refresh();
}

void SoundFilesWindow::refresh()
{
    mList->setUpdatesEnabled(false);
    mList->clear();
    const SoundListing listing = listSoundsFolder(mSession.sounds, mSession.programFolder, mLog);
    const QIcon errorMark = bundledIcon("dialog-error");
    for (int i = 0; i < mSession.sounds.count(); ++i) {
        const SoundEntry &entry = mSession.sounds.at(i);
        auto *item = new QListWidgetItem(entry.fileName, mList);
        const WaveCheckResult check = checkWaveFile(entry.path());
        if (!check.ok) {
            mLog.logMessage(check.message);
            item->setIcon(errorMark);
            item->setData(kMarkedRole, true);
        }
    }
    mList->setUpdatesEnabled(true);
    if (!listing.message.isEmpty())
        mDialogs.tell(this, listing.message);
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
        if (mList->item(row)->data(kMarkedRole).toBool())
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
    const bool usable = item && item->isSelected() && !item->data(kMarkedRole).toBool();
    emit addRequested(usable ? item->text() : QString());
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
