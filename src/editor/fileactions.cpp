#include "editor/fileactions.h"

#include "document/document.h"
#include "editor/editorsession.h"
#include "editor/userdialogs.h"
#include "common/messagelog.h"
#include "common/regularfile.h"
#include "project/rebuildrule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tirvela {

namespace {

const QString kConfirmTitle = QStringLiteral("Подтверждение");

QString replaceQuestion(const QString &fileName)
{
    return QStringLiteral("Файл %1 уже существует.\nЗаменить его?").arg(QDir::toNativeSeparators(fileName));
}

bool isReadableRegularFile(const QString &fileName)
{
    QFile file;
    return openRegularFile(file, fileName).ok();
}

} // namespace

FileActions::FileActions(Document &document, EditorSession &session, UserDialogs &dialogs, MessageLog &log,
                         QWidget *window)
    : mDocument(document)
    , mSession(session)
    , mDialogs(dialogs)
    , mLog(log)
    , mWindow(window)
{
}

bool FileActions::newProject()
{
    if (!maySaveChanges())
        return false;
    mDocument.resetToNew();
    return true;
}

bool FileActions::open()
{
    if (!maySaveChanges())
        return false;
    const QString fileName = mDialogs.chooseFileToOpen(mWindow, projectFolder());
    if (fileName.isEmpty())
        return false;
    const Status loaded = mDocument.load(fileName, mLog);
    if (!loaded.ok()) {
        mLog.logMessage(loaded.message);
        mDialogs.tell(mWindow, loaded.message);
        return false;
    }
    return true;
}

bool FileActions::save()
{
    if (mDocument.fileName().isEmpty())
        return saveAs();
    if (mDocument.fileNameIsDerived() && QFileInfo::exists(mDocument.fileName())) {
        const auto answer = mDialogs.ask(mWindow, kConfirmTitle, replaceQuestion(mDocument.fileName()),
                                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::No)
            return saveAs();
        if (answer != QMessageBox::Yes)
            return false;
    }
    return saveTo(mDocument.fileName());
}

bool FileActions::saveAs()
{
    const QString fileName = mDialogs.chooseFileToSave(mWindow, projectFolder());
    if (fileName.isEmpty())
        return false;
    const bool ownFile = mDocument.hasProjectFile() && QFileInfo(fileName) == QFileInfo(mDocument.fileName());
    if (QFileInfo::exists(fileName) && !ownFile
        && mDialogs.ask(mWindow, kConfirmTitle, replaceQuestion(fileName), QMessageBox::Yes | QMessageBox::No)
               != QMessageBox::Yes)
        return false;
    return saveTo(fileName);
}

bool FileActions::saveTo(const QString &fileName)
{
    mLog.logMessage({});
    listSounds(false);
    const Status result = mDocument.saveAs(fileName, mSession.sounds, mLog);
    if (result.ok())
        return true;
    mLog.logMessage(QStringLiteral("Файл не сохранен"));
    const QString reason = result.message.isEmpty() ? QStringLiteral("Причина указана в окне сообщений.")
                                                    : result.message;
    mDialogs.tell(mWindow, QStringLiteral("Файл %1 не сохранен.\n%2").arg(QDir::toNativeSeparators(fileName), reason));
    return false;
}

bool FileActions::buildFlashImage()
{
    if (mDocument.fileName().isEmpty()) {
        mDialogs.tell(mWindow, QStringLiteral("Сначала сохраните файл (Ctrl+S)!"));
        return false;
    }
    const bool built = buildImage(flashImageNameOf(mDocument.fileName()));
    mLog.logMessage(built ? QStringLiteral("Сохранение двоичного файла успешно завершено")
                          : QStringLiteral("Двоичный файл не сохранен!!!"));
    return built;
}

bool FileActions::buildImage(const QString &flashImage)
{
    const QString shown = QDir::toNativeSeparators(flashImage);
    const bool sourceImage = mDocument.isSourceImage(flashImage);
    if (sourceImage
        && mDialogs.ask(mWindow, kConfirmTitle,
                        QStringLiteral("Проект открыт из файла %1, и только в нём хранятся звуковые данные проекта.\n"
                                       "Заменить его новым двоичным файлом?")
                            .arg(shown),
                        QMessageBox::Yes | QMessageBox::No)
               != QMessageBox::Yes) {
        mLog.logMessage(QStringLiteral("Файл %1 не заменен").arg(shown));
        return false;
    }
    listSounds(true);
    const Status result = mDocument.buildFlashImage(flashImage, mSession.sounds, mLog);
    if (!result.ok() && sourceImage)
        mLog.logMessage(QStringLiteral("Файл %1, из которого открыт проект, оставлен как был").arg(shown));
    if (!result.message.isEmpty())
        mDialogs.tell(mWindow, result.message);
    return result.ok();
}

bool FileActions::maySaveChanges()
{
    if (!mDocument.isModified())
        return true;
    const QString text = QStringLiteral("Файл %1 был модифицирован\nСохранить?")
                             .arg(QDir::toNativeSeparators(mDocument.fileName()));
    switch (mDialogs.ask(mWindow, kConfirmTitle, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return save();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

QString FileActions::flashImageToProgram()
{
    const QString projectFile = mDocument.fileName();
    if (projectFile.isEmpty()) {
        mDialogs.tell(mWindow,
                      QStringLiteral("Прошивка невозможна, т.к. файл не сохранен.\nСохраните файл stm (нажав Ctrl+S)"));
        return {};
    }
    if (!isReadableRegularFile(projectFile)) {
        mDialogs.tell(mWindow, QStringLiteral("Произошла ошибка чтения файла %1!\nПроверьте его наличие и атрибуты")
                                   .arg(QDir::toNativeSeparators(projectFile)));
        return {};
    }
    const QString flashImage = flashImageNameOf(projectFile);
    if (!flashImageNeedsRebuild(projectFile, flashImage, mDocument.isModified()))
        return flashImage;
    if (!buildImage(flashImage)) {
        mLog.logMessage(QStringLiteral("Программирование невозможно! Двоичный файл не сохранен!!!"));
        return {};
    }
    return flashImage;
}

QString FileActions::projectFolder() const
{
    return mDocument.fileName().isEmpty() ? QString() : QFileInfo(mDocument.fileName()).absolutePath();
}

void FileActions::listSounds(bool needed)
{
    const SoundListing listing = mSession.listSoundsIfEmpty(mLog);
    if (listing.message.isEmpty())
        return;
    if (needed)
        mDialogs.tell(mWindow, listing.message);
    else
        mLog.logMessage(listing.message);
}

} // namespace tirvela
