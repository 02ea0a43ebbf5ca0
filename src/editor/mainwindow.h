#pragma once

#include "project/stoplistedits.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QMdiArea;
class QMdiSubWindow;

namespace tirvela {

struct LogPlace;
class AnnouncementPlayer;
class DeviceActions;
class Document;
class EditorLog;
class FileActions;
class ProgressDialog;
class RouteListWindow;
class RouteNumberDialog;
class SettingsDialog;
class SoundFilesWindow;
class SpeechActions;
class StopListWindow;
class ToolsWindow;
class UserDialogs;
struct EditorSession;

// The main window: the frame of every other window, the main menu and the document.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow(EditorSession &session, UserDialogs &dialogs, QWidget *parent = nullptr);
    ~MainWindow() override;

    Document &document() const { return *mDocument; }
    EditorLog &log() const { return *mLog; }
    FileActions &fileActions() const { return *mFileActions; }
    DeviceActions &deviceActions() const { return *mDeviceActions; }
    // The route list window, or nullptr while it is closed.
    RouteListWindow *routeListWindow() const;
    // The sound files window, or nullptr while it is closed.
    SoundFilesWindow *soundFilesWindow() const;
    // The stop list editor, or nullptr while none is open.
    StopListWindow *stopListWindow() const;

    // Closes the open stop list editor (it stores its tree) and opens the route's.
    void openStopList(int route);
    // Opens the stop list editor of the place's route with its node selected (a double click on a
    // line of the message log).
    void openPlace(const LogPlace &place);
    // Brings the route's picture window on a board type forward, opening it when there is none.
    void openPicture(int route, int boardRow);
    ToolsWindow &toolsWindow() const { return *mToolsWindow; }
    // Shows the tools window where the user left it last time (its inside, without the frame),
    // else inside the workspace's right edge; call once the main window has its size.
    void showToolsWindow();
    // Plays the stop announcements of the stop list editor.
    AnnouncementPlayer &announcementPlayer() const { return *mPlayer; }
    SettingsDialog &settingsDialog() const { return *mSettingsDialog; }
    ProgressDialog &progressDialog() const { return *mProgressDialog; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createMenus();
    void addArrangeActions(QMenu *windows);
    QAction *addCommand(QMenu *menu, const char *name, const QString &caption, const char *icon = nullptr);
    void showRouteListWindow();
    void showSoundFilesWindow();
    // What the user selected in the activated window becomes what the editor acts on.
    void childWindowActivated(QMdiSubWindow *frame);
    void addSoundToStopList(const QString &fileName);
    void speakMissingSounds();
    void speakStopNode(int route, const StopPath &path);
    // A sound file was made: the sound files window (or the next use of the sound table) shows it.
    void showNewSound(const QString &fileName);
    // Plays the sound items in order, or stops the playing (a second press, an empty list).
    void playAnnouncement(const QList<QByteArray> &items);
    void updateActionStates();
    void programAnnouncer();

    EditorSession &mSession;
    UserDialogs &mDialogs;
    Document *mDocument;
    std::unique_ptr<EditorLog> mLog;
    std::unique_ptr<FileActions> mFileActions;
    std::unique_ptr<DeviceActions> mDeviceActions;
    std::unique_ptr<SpeechActions> mSpeechActions;
    QMdiArea *mMdiArea;
    QPointer<RouteListWindow> mRouteList;
    QPointer<SoundFilesWindow> mSoundFiles;
    QPointer<StopListWindow> mStopList;
    RouteNumberDialog *mRouteNumberDialog;
    ToolsWindow *mToolsWindow;
    QPoint mToolsWindowPlace; // where showToolsWindow() put it
    AnnouncementPlayer *mPlayer;
    QMenu *mWindowsMenu = nullptr;
    ProgressDialog *mProgressDialog;
    SettingsDialog *mSettingsDialog;
};

} // namespace tirvela
