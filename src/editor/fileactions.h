#pragma once

#include <QString>

class QWidget;

namespace tirvela {

class Document;
class MessageLog;
class UserDialogs;
struct EditorSession;

// The project actions of the main menu: new, open, save, save as, the flash image build and the
// preparation of a programming run. Each asks what it needs, runs the document's operation and
// reports through the message log or a message box.
class FileActions
{
public:
    FileActions(Document &document, EditorSession &session, UserDialogs &dialogs, MessageLog &log,
                QWidget *window);

    // Each returns false when nothing was done (cancelled, refused or failed).
    bool newProject();
    bool open();
    bool save();
    bool saveAs();
    bool buildFlashImage();

    // With unsaved changes, asks whether to save them: Yes saves (or runs Save as), No drops them.
    // Returns false when the user cancelled or the save did not happen.
    bool maySaveChanges();

    // Makes sure the flash image of the saved project is current, building it when the project
    // changed since; returns its name, or an empty text when there is nothing to send.
    QString flashImageToProgram();

private:
    bool saveTo(const QString &fileName);
    // Lists the sounds folder unless that was done; a missing or empty folder is told in a message
    // box when the command needs the sounds, in the log when it does not.
    void listSounds(bool needed);
    // Builds the flash image; false when it was not built (the log or a message box says why).
    // Over the flash image the project was read from, it asks first.
    bool buildImage(const QString &flashImage);
    // The folder of the open project's file; empty for an unnamed project.
    QString projectFolder() const;

    Document &mDocument;
    EditorSession &mSession;
    UserDialogs &mDialogs;
    MessageLog &mLog;
    QWidget *mWindow;
};

} // namespace tirvela
