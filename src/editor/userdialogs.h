#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <optional>

class QFileDialog;
class QWidget;

namespace tirvela {

// Every modal question the editor's commands ask, in one place, so that tests can answer them.
class UserDialogs
{
public:
    virtual ~UserDialogs() = default;

    // The project file or flash image to open; empty when cancelled. The dialog starts in
    // `startFolder` (the open project's), or where the last file was chosen when it is empty.
    virtual QString chooseFileToOpen(QWidget *parent, const QString &startFolder) = 0;
    // The project file to save as; empty when cancelled. Starts as chooseFileToOpen does.
    virtual QString chooseFileToSave(QWidget *parent, const QString &startFolder) = 0;
    // A program file, proposed first; empty when cancelled.
    virtual QString chooseProgram(QWidget *parent, const QString &proposed) = 0;
    // Recordings to import as SoundFiles, any number; empty when cancelled.
    virtual QStringList chooseRecordings(QWidget *parent) = 0;
    // A transit timetable feed: a ZIP archive, or a file of a feed folder; empty when cancelled.
    virtual QString chooseFeed(QWidget *parent) = 0;
    // A question with the given buttons; the button pressed (Cancel when the box was closed).
    virtual QMessageBox::StandardButton ask(QWidget *parent, const QString &title, const QString &text,
                                            QMessageBox::StandardButtons buttons) = 0;
    // A message with one OK button that stops a command.
    virtual void tell(QWidget *parent, const QString &text) = 0;
    // A one-line text, proposed first; nothing when cancelled.
    virtual std::optional<QString> askText(QWidget *parent, const QString &title, const QString &prompt,
                                           const QString &proposed) = 0;
    // The same, offering the names that start with what is typed.
    virtual std::optional<QString> askTextOffering(QWidget *parent, const QString &title, const QString &prompt,
                                                   const QString &proposed, const QStringList &offered)
    {
        Q_UNUSED(offered);
        return askText(parent, title, prompt, proposed);
    }
};

// The real dialogs of the desktop.
class WidgetDialogs : public UserDialogs
{
public:
    QString chooseFileToOpen(QWidget *parent, const QString &startFolder) override;
    QString chooseFileToSave(QWidget *parent, const QString &startFolder) override;
    QString chooseProgram(QWidget *parent, const QString &proposed) override;
    QStringList chooseRecordings(QWidget *parent) override;
    QString chooseFeed(QWidget *parent) override;
    QMessageBox::StandardButton ask(QWidget *parent, const QString &title, const QString &text,
                                    QMessageBox::StandardButtons buttons) override;
    void tell(QWidget *parent, const QString &text) override;
    std::optional<QString> askText(QWidget *parent, const QString &title, const QString &prompt,
                                   const QString &proposed) override;
    std::optional<QString> askTextOffering(QWidget *parent, const QString &title, const QString &prompt,
                                           const QString &proposed, const QStringList &offered) override;

private:
    QString runFileDialog(QFileDialog &dialog, const QString &startFolder);

    QString mLastFolder; // where the last project file was chosen
};

} // namespace tirvela
