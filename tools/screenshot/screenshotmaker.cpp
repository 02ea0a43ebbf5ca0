// Drives the editor through a working session without a person and saves a picture of the screen
// (the sample project open, the stop list of one route with a stop expanded, a picture window of
// that route, the message log and the progress dialog after a programming run), then one picture
// of each window and dialog. Run through make-screenshot.sh, which prepares the program folder and
// the emulated announcer.

#include "editor/editorsession.h"
#include "editor/mainwindow.h"
#include "editor/messagewindow.h"
#include "editor/picturewindow.h"
#include "editor/progressdialog.h"
#include "editor/routenumberdialog.h"
#include "editor/routelistwindow.h"
#include "editor/stoplistwindow.h"
#include "editor/settingsdialog.h"
#include "editor/soundfileswindow.h"
#include "editor/toolswindow.h"
#include "editor/userdialogs.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QTextStream>
#include <QTimer>
#include <QTreeView>

#include <functional>

using namespace tirvela;

namespace {

constexpr int kRoute = 0;       // route 1
constexpr int kBoardRow = 0;    // its first board type
const StopPath kStop = {0, 3};  // "Центральный рынок" on the way out, with its control times
constexpr int kSettleMs = 1000; // time for the window manager and the X server to catch up

// Answers the one file question of the session; any other question is a fault of the script.
class SessionDialogs : public UserDialogs
{
public:
    explicit SessionDialogs(QString project) : mProject(std::move(project)) {}

    bool asked() const { return mAsked; }

    QString chooseFileToOpen(QWidget *, const QString &) override { return mProject; }
    QString chooseFileToSave(QWidget *, const QString &) override
    {
        unexpected(QStringLiteral("save dialog"));
        return {};
    }
    QString chooseProgram(QWidget *, const QString &) override
    {
        unexpected(QStringLiteral("program dialog"));
        return {};
    }
    QStringList chooseRecordings(QWidget *) override
    {
        unexpected(QStringLiteral("recordings dialog"));
        return {};
    }
    QString chooseFeed(QWidget *) override
    {
        unexpected(QStringLiteral("feed dialog"));
        return {};
    }
    QMessageBox::StandardButton ask(QWidget *, const QString &, const QString &text,
                                    QMessageBox::StandardButtons) override
    {
        unexpected(text);
        return QMessageBox::Cancel;
    }
    void tell(QWidget *, const QString &text) override { unexpected(text); }
    std::optional<QString> askText(QWidget *, const QString &, const QString &prompt, const QString &) override
    {
        unexpected(prompt);
        return std::nullopt;
    }

private:
    void unexpected(const QString &what)
    {
        QTextStream(stderr) << "screenshot_maker: unexpected question: " << what << Qt::endl;
        mAsked = true;
    }

    QString mProject;
    bool mAsked = false;
};

QMdiSubWindow *frameOf(QWidget *child)
{
    return qobject_cast<QMdiSubWindow *>(child->parentWidget());
}

// Opens the project, the stop list and the picture window, builds the flash image and writes it into
// the emulated announcer, as the README's first session does.
bool playSession(MainWindow &window)
{
    window.findChild<QAction *>(QStringLiteral("N21"))->trigger();
    RouteListWindow *routes = window.routeListWindow();
    if (!routes)
        return false;
    routes->selectCell(kRoute, 1);

    window.openStopList(kRoute);
    StopListWindow *stops = window.stopListWindow();
    if (!stops)
        return false;
    stops->select(kStop);
    stops->tree()->expandRecursively(stops->tree()->currentIndex());

    window.openPicture(kRoute, kBoardRow);
    window.findChild<QAction *>(QStringLiteral("SaveBinItem"))->trigger();
    window.findChild<QAction *>(QStringLiteral("ProgramMenuItem"))->trigger();
    return window.progressDialog().isVisible();
}

// Places the child windows so that none hides another's important part on a 1280x800 screen; the
// tools window goes where the editor puts it.
void arrange(MainWindow &window)
{
    frameOf(window.routeListWindow())->move(0, 0);
    for (QMdiSubWindow *frame : frameOf(window.routeListWindow())->mdiArea()->subWindowList()) {
        if (frame->widget()->findChild<PictureWindow *>())
            frame->move(0, 236);
    }
    frameOf(window.stopListWindow())->setGeometry(686, 250, 320, 400); // below the tools window
    window.showToolsWindow();
    window.progressDialog().move(240, 450);
}

// The picture of a window as it is on the screen, with its title bar; the whole screen for none.
QImage grabOnScreen(const QWidget *window)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!window)
        return screen->grabWindow(0).toImage();
    const QRect area = window->isWindow() ? window->frameGeometry()
                                          : QRect(window->mapToGlobal(QPoint(0, 0)), window->size());
    return screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
}

// One picture: its file name and what to show for it (the window to grab, none for the screen).
struct Shot
{
    const char *name;
    std::function<QWidget *()> show;
};

QList<Shot> shots(MainWindow &window)
{
    return {
        {"screenshot", [] { return nullptr; }},
        {"window-progress", [&window] { return &window.progressDialog(); }},
        {"window-routelist",
         [&window] {
             window.progressDialog().hide();
             return frameOf(window.routeListWindow());
         }},
        {"window-stoplist", [&window] { return frameOf(window.stopListWindow()); }},
        {"window-picture", [&window] { return frameOf(window.findChild<PictureWindow *>()); }},
        {"window-tools-stop",
         [&window] {
             window.toolsWindow().showStopProperties(kRoute, kStop);
             return &window.toolsWindow();
         }},
        {"window-tools-elements",
         [&window] {
             window.routeListWindow()->selectCell(kRoute, kBoardRow + 1);
             return &window.toolsWindow();
         }},
        {"window-messages", [&window] { return static_cast<QWidget *>(window.log().window()); }},
        {"window-soundfiles",
         [&window] {
             window.findChild<QAction *>(QStringLiteral("N17"))->trigger();
             window.soundFilesWindow()->selectFile(QStringLiteral("Вокзал.wav"));
             return frameOf(window.soundFilesWindow());
         }},
        {"window-settings",
         [&window] {
             window.soundFilesWindow()->parentWidget()->close();
             window.settingsDialog().show();
             return &window.settingsDialog();
         }},
        {"window-routenumber",
         [&window] {
             window.settingsDialog().hide();
             auto *dialog = window.findChild<RouteNumberDialog *>();
             dialog->prepare(QStringLiteral("Введите номер нового маршрута"), QStringLiteral("12"), true);
             dialog->show();
             return dialog;
         }},
    };
}

// Shows each window in turn and saves its picture into the folder once the screen has caught up.
void takeShots(QList<Shot> list, const QString &folder, const std::function<void(bool)> &done)
{
    if (list.isEmpty()) {
        done(true);
        return;
    }
    const Shot shot = list.takeFirst();
    QWidget *window = shot.show();
    QTimer::singleShot(kSettleMs, [=] {
        const QString file = QDir(folder).filePath(QLatin1String(shot.name) + QStringLiteral(".png"));
        if (!grabOnScreen(window).save(file, "PNG")) {
            QTextStream(stderr) << "cannot write " << file << Qt::endl;
            done(false);
            return;
        }
        takeShots(list, folder, done);
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 4) {
        err << "usage: screenshot_maker PROGRAM_DIR PROJECT OUTPUT_DIR" << Qt::endl;
        return 2;
    }
    app.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));

    EditorSession session;
    session.programFolder = arguments[1] + u'/';
    session.settings = readEditorSettings(session.programFolder);
    SessionDialogs dialogs(arguments[2]);
    MainWindow window(session, dialogs);
    window.showMaximized();

    int status = 1;
    QTimer::singleShot(kSettleMs, &window, [&] {
        if (!playSession(window)) {
            err << "screenshot_maker: the session did not reach the end of the programming run" << Qt::endl;
            app.exit(1);
            return;
        }
        // The message log, for the terminal of the script.
        for (const QString &line : window.log().window()->lines())
            err << line << Qt::endl;
        arrange(window);
        takeShots(shots(window), arguments[3], [&](bool saved) {
            status = saved && !dialogs.asked() ? 0 : 1;
            app.exit(status);
        });
    });
    app.exec();
    return status;
}
