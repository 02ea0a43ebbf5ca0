#pragma once

#include <QWidget>

class QAction;
class QListWidget;
class QListWidgetItem;

namespace tirvela {

class AnnouncementPlayer;
class MessageLog;
class UserDialogs;
class WaveformStrip;
struct EditorSession;

// The sound files window: the WAVE files of the sounds folder, those that fail the check marked;
// adds the selected file to the stop list being edited, imports recordings into the folder, shows
// the selected file's wave and plays it, tells the required format and starts the sound editor
// on a file.
class SoundFilesWindow : public QWidget
{
    Q_OBJECT

public:
    SoundFilesWindow(EditorSession &session, UserDialogs &dialogs, MessageLog &log, QWidget *parent = nullptr);

    // Lists the sounds folder again and checks every file; offers to rename files whose names
    // are Windows-1251 bytes first.
    void refresh();
    // The file names the list shows, in order, and which of them carry the error mark.
    QStringList fileNames() const;
    QStringList markedFileNames() const;
    void selectFile(const QString &fileName);
    QSize sizeHint() const override;

    void addSelectedFile();
    // Asks for recordings and turns each into a SoundFile, asking before one replaces another.
    void importRecordings();
    // Plays the selected file, or stops it when it is playing.
    void playSelectedFile();
    void showFormatInformation();
    void openSoundEditor();

    AnnouncementPlayer &player() const { return *mPlayer; }
    WaveformStrip &waveformStrip() const { return *mWave; }

signals:
    // The user wants the file added to the stop list being edited; an empty name when no file
    // that can be added is selected.
    void addRequested(const QString &fileName);
    // "Озвучить недостающие…": the sound files the project lacks are to be spoken.
    void speakMissingRequested();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void offerReadableNames();
    void showSelectedWave();
    void showPlaying(bool playing);

    EditorSession &mSession;
    UserDialogs &mDialogs;
    MessageLog &mLog;
    QListWidget *mList;
    WaveformStrip *mWave;
    AnnouncementPlayer *mPlayer;
    QAction *mPlayAction = nullptr;
};

} // namespace tirvela
