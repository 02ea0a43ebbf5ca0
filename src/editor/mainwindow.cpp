#include "editor/mainwindow.h"

#include "editor/announcementplayer.h"
#include "editor/childwindows.h"
#include "editor/deviceactions.h"
#include "document/currenttarget.h"
#include "document/document.h"
#include "editor/editorsession.h"
#include "editor/fileactions.h"
#include "editor/icons.h"
#include "editor/messagewindow.h"
#include "editor/picturewindow.h"
#include "editor/progressdialog.h"
#include "editor/routelistwindow.h"
#include "editor/routenumberdialog.h"
#include "editor/settingsdialog.h"
#include "editor/soundfileswindow.h"
#include "editor/speechactions.h"
#include "editor/stoplistwindow.h"
#include "editor/toolswindow.h"
#include "editor/userdialogs.h"
#include "editor/stoppropertiesgrid.h"
#include "editor/windowplacement.h"
#include "sound/soundlibrary.h"

#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTreeView>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>

namespace tirvela {

namespace {

QMargins frameMargins(const QWidget &window)
{
    const QRect inside = window.geometry();
    const QRect frame = window.frameGeometry();
    return {inside.left() - frame.left(), inside.top() - frame.top(), frame.right() - inside.right(),
            frame.bottom() - inside.bottom()};
}

} // namespace

MainWindow::MainWindow(EditorSession &session, UserDialogs &dialogs, QWidget *parent)
    : QMainWindow(parent)
    , mSession(session)
    , mDialogs(dialogs)
    , mDocument(new Document(this))
    , mLog(std::make_unique<EditorLog>(this))
    , mMdiArea(new QMdiArea(this))
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Тирвела V2.21"));
    mFileActions = std::make_unique<FileActions>(*mDocument, session, dialogs, *mLog, this);
    mSpeechActions = std::make_unique<SpeechActions>(*mDocument, session, dialogs, *mLog);
    mLog->setPlaceHandler([this](const LogPlace &place) { openPlace(place); });
    mMdiArea->setObjectName(QStringLiteral("ClientArea"));
    // A child window left outside a smaller main window can still be reached.
    mMdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mMdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mMdiArea);
    connect(mMdiArea, &QMdiArea::subWindowActivated, this, &MainWindow::childWindowActivated);

    resize(659, 404);
    if (const QScreen *screen = this->screen()) {
        const QRect desktop = screen->availableGeometry();
        move(desktop.left() + (desktop.width() - width()) / 2, y());
    }

    mToolsWindow = new ToolsWindow(*mDocument, mDialogs, this);
    mToolsWindow->stopGrid()->setSoundNames([this] {
        return QDir(soundsFolderOf(mSession.programFolder)).entryList({QStringLiteral("*.wav")}, QDir::Files);
    });
    mPlayer = new AnnouncementPlayer(this);
    createMenus();
    // The route number dialog is made once and kept: it remembers its "copy the stops" choice.
    mRouteNumberDialog = new RouteNumberDialog(this);
    showRouteListWindow();
    mProgressDialog = new ProgressDialog(dialogs, this);
    mDeviceActions =
        std::make_unique<DeviceActions>(*mDocument, session, dialogs, *mLog, *mProgressDialog, this);
    mSettingsDialog = new SettingsDialog(session.settings, session.programFolder, dialogs, this);
    connect(mDocument, &Document::captionChanged, this, &MainWindow::updateActionStates);
    updateActionStates();
}

MainWindow::~MainWindow()
{
    // The child windows go first, while the document and the tools window they report to are
    // still there; the route list's end must not reset the document then.
    if (mRouteList)
        disconnect(mRouteList, nullptr, this, nullptr);
    delete mMdiArea;
}

RouteListWindow *MainWindow::routeListWindow() const
{
    return mRouteList;
}

StopListWindow *MainWindow::stopListWindow() const
{
    return mStopList;
}

SoundFilesWindow *MainWindow::soundFilesWindow() const
{
    return mSoundFiles;
}

void MainWindow::showRouteListWindow()
{
    if (!mRouteList) {
        mRouteList = new RouteListWindow(*mDocument, mDialogs, *mRouteNumberDialog,
                                         [this] { return mFileActions->maySaveChanges(); });
        QMdiSubWindow *frame = mMdiArea->addSubWindow(mRouteList);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->setWindowIcon(bundledIcon("document-edit"));
        frame->resize(qMax(500, frame->sizeHint().width()), 320);
        connect(mRouteList, &RouteListWindow::stopListRequested, this, &MainWindow::openStopList);
        connect(mRouteList, &RouteListWindow::pictureRequested, this, &MainWindow::openPicture);
        connect(mRouteList, &QObject::destroyed, this, [this] {
            // Closing the route list ends the editing of the project: what is left is dropped.
            mRouteList = nullptr; // a widget says it is destroyed before its guards are cleared
            mDocument->currentTarget().showNothing();
            updateActionStates();
            // Once the window is gone for good: its parts still listen to the document now.
            QMetaObject::invokeMethod(this, [this] {
                mDocument->resetToNew();
                mDocument->currentTarget().showNothing();
            }, Qt::QueuedConnection);
        });
        frame->show();
        mDocument->currentTarget().showElements(0, 0);
    }
    mMdiArea->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(mRouteList->parentWidget()));
    updateActionStates();
}

void MainWindow::showSoundFilesWindow()
{
    if (!mSoundFiles) {
        mSoundFiles = new SoundFilesWindow(mSession, mDialogs, *mLog);
        QMdiSubWindow *frame = mMdiArea->addSubWindow(mSoundFiles, Qt::Tool | Qt::WindowStaysOnTopHint);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->setWindowIcon(bundledIcon("media-playback-start"));
        frame->setGeometry(514, 163, 205, 382);
        connect(mSoundFiles, &SoundFilesWindow::addRequested, this, &MainWindow::addSoundToStopList);
        connect(mSoundFiles, &SoundFilesWindow::speakMissingRequested, this, &MainWindow::speakMissingSounds);
        frame->show();
        // Listed now: wide enough for the longest name.
        fitIntoWorkspace(frame, {qMax(mSoundFiles->width(), mSoundFiles->sizeHint().width()), mSoundFiles->height()});
    }
    mMdiArea->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(mSoundFiles->parentWidget()));
}

void MainWindow::addSoundToStopList(const QString &fileName)
{
    if (!mStopList)
        mDialogs.tell(this, QStringLiteral("Список остановок не открыт!"));
    else if (!fileName.isEmpty())
        mStopList->addSoundFile(fileName);
}

void MainWindow::speakMissingSounds()
{
    const QString lastMade = mSpeechActions->speakMissing(mSoundFiles);
    if (!lastMade.isEmpty())
        showNewSound(lastMade);
}

void MainWindow::speakStopNode(int route, const StopPath &path)
{
    const QString made = mSpeechActions->speakStopNode(route, path, mStopList);
    if (!made.isEmpty())
        showNewSound(made);
}

void MainWindow::showNewSound(const QString &fileName)
{
    if (mSoundFiles) {
        mSoundFiles->refresh();
        mSoundFiles->selectFile(fileName);
    } else {
        mSession.sounds.clear();
    }
}

void MainWindow::openStopList(int route)
{
    if (mStopList)
        mStopList->parentWidget()->close();
    mStopList = StopListWindow::open(*mDocument, mDialogs, route);
    if (!mStopList)
        return;
    QMdiSubWindow *frame = mMdiArea->addSubWindow(mStopList);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->setWindowIcon(bundledIcon("document-edit"));
    frame->resize(320, 420);
    connect(mStopList, &StopListWindow::listenRequested, this, &MainWindow::playAnnouncement);
    connect(mStopList, &StopListWindow::speakRequested, this, &MainWindow::speakStopNode);
    connect(mPlayer, &AnnouncementPlayer::playingChanged, mStopList, &StopListWindow::setListening);
    // With the editor closed its stop properties show nothing and change nothing.
    connect(mStopList, &QObject::destroyed, mDocument, [this, route] {
        CurrentTarget &target = mDocument->currentTarget();
        if (target.kind() == CurrentTarget::Kind::Stop && target.route() == route)
            target.showStop(route, {});
    });
    frame->show();
    mMdiArea->setActiveSubWindow(frame);
    mStopList->makeSelectionCurrent();
}

void MainWindow::openPlace(const LogPlace &place)
{
    if (place.route < 0 || place.route >= mDocument->project().routeCount)
        return;
    openStopList(place.route);
    if (!mStopList)
        return;
    mStopList->select(place.path);
    mStopList->tree()->scrollTo(mStopList->tree()->currentIndex());
    mStopList->tree()->setFocus();
}

void MainWindow::playAnnouncement(const QList<QByteArray> &items)
{
    if (items.isEmpty() || mPlayer->isPlaying()) {
        mPlayer->stop();
        return;
    }
    mSession.listSoundsIfEmpty(*mLog);
    mPlayer->play(items, mSession.sounds, *mLog);
}

void MainWindow::openPicture(int route, int boardRow)
{
    for (QMdiSubWindow *frame : mMdiArea->subWindowList()) {
        const auto *picture = frame->widget()->findChild<PictureWindow *>();
        if (picture && picture->route() == route && picture->boardRow() == boardRow) {
            mMdiArea->setActiveSubWindow(frame);
            return;
        }
    }
    auto *picture = new PictureWindow(*mDocument, mDialogs, route, boardRow);
    // A zoomed picture larger than the workspace scrolls inside its window.
    auto *scroller = new QScrollArea;
    scroller->setObjectName(QStringLiteral("PictureScrollArea"));
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidget(picture);
    scroller->setWindowTitle(picture->windowTitle());
    scroller->setFocusProxy(picture);
    QMdiSubWindow *frame = mMdiArea->addSubWindow(scroller);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->setWindowIcon(bundledIcon("document-edit"));
    // Its entry in "Окна" brings it forward and goes with it.
    QAction *entry = mWindowsMenu->addAction(picture->windowTitle());
    entry->setData(boardRow * 65536 + route);
    connect(entry, &QAction::triggered, frame, [this, frame] { mMdiArea->setActiveSubWindow(frame); });
    connect(picture, &QObject::destroyed, entry, &QObject::deleteLater);
    frame->show();
    fitIntoWorkspace(frame, picture->size());
    mMdiArea->setActiveSubWindow(frame);
    picture->makeSelectionCurrent();
}

void MainWindow::childWindowActivated(QMdiSubWindow *frame)
{
    QWidget *window = frame ? frame->widget() : nullptr;
    if (auto *routes = qobject_cast<RouteListWindow *>(window))
        routes->makeSelectionCurrent();
    else if (auto *stops = qobject_cast<StopListWindow *>(window))
        stops->makeSelectionCurrent();
    else if (auto *picture = window ? window->findChild<PictureWindow *>() : nullptr)
        picture->makeSelectionCurrent(); // it lies in a scroll area of its child window
}

void MainWindow::updateActionStates()
{
    const bool open = mRouteList;
    const bool saved = open && mDocument->hasProjectFile();
    for (const char *name : {"SaveStmItem", "SaveAsItem", "GtfsImportItem", "EditRouteMenuItem", "ProjectMenuItem"})
        findChild<QAction *>(QLatin1String(name))->setEnabled(open);
    for (const char *name : {"SaveBinItem", "ProgramMenuItem"})
        findChild<QAction *>(QLatin1String(name))->setEnabled(saved);
}

void MainWindow::programAnnouncer()
{
    const QString flashImage = mFileActions->flashImageToProgram();
    if (!flashImage.isEmpty())
        mDeviceActions->programAnnouncer(flashImage);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (mRouteList && !mRouteList->parentWidget()->close()) {
        event->ignore();
        return;
    }
    // Only a place the user chose is kept: the usual one follows the workspace.
    if (mToolsWindow->geometry().topLeft() != mToolsWindowPlace)
        rememberPosition(mSession.programFolder, mToolsWindow->objectName(), mToolsWindow->geometry().topLeft());
    QMainWindow::closeEvent(event);
}

void MainWindow::showToolsWindow()
{
    // Where the user left it, else inside the workspace's right edge, where the child windows
    // (which open from the left) are least often. Placed by its inside: its frame is unknown
    // until the window manager has framed it, so the frame is taken to be a title bar.
    mToolsWindow->show();
    const std::optional<QPoint> remembered = rememberedPosition(mSession.programFolder, mToolsWindow->objectName());
    QPoint at;
    if (remembered && QGuiApplication::screenAt(*remembered)) {
        at = *remembered;
    } else {
        const QWidget *workspace = mMdiArea->viewport();
        const QPoint topRight = workspace->mapToGlobal(QPoint(workspace->width(), 0));
        QMargins frame = frameMargins(*mToolsWindow);
        if (frame.isNull())
            frame.setTop(style()->pixelMetric(QStyle::PM_TitleBarHeight));
        at = QPoint(topRight.x() - frame.right() - mToolsWindow->width(), topRight.y() + frame.top());
    }
    mToolsWindow->setGeometry(QRect(at, mToolsWindow->size()));
    mToolsWindowPlace = mToolsWindow->geometry().topLeft();
}

} // namespace tirvela
