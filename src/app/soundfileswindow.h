#pragma once

#include <QWidget>

class QListWidget;
class QListWidgetItem;

namespace tirvela {

class MessageLog;
class UserDialogs;
struct EditorSession;

// The sound files window: the WAVE files of the sounds folder, those that fail the check marked;
// adds the selected file to the stop list being edited, tells the required format and starts the
// sound editor on a file.
class SoundFilesWindow : public QWidget
{
    Q_OBJECT

public:
    SoundFilesWindow(EditorSession &session, UserDialogs &dialogs, MessageLog &log, QWidget *parent = nullptr);

    // Lists the sounds folder again and checks every file.
    void refresh();
    // The file names the list shows, in order, and which of them carry the error mark.
    QStringList fileNames() const;
    QStringList markedFileNames() const;
    void selectFile(const QString &fileName);

    void addSelectedFile();
    void showFormatInformation();
    void openSoundEditor();

signals:
    // The user wants the file added to the stop list being edited; an empty name when no file
    // that can be added is selected.
    void addRequested(const QString &fileName);

protected:
    void showEvent(QShowEvent *event) override;

private:
    EditorSession &mSession;
    UserDialogs &mDialogs;
    MessageLog &mLog;
    QListWidget *mList;
};

} // namespace tirvela
