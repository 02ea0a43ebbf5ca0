// Drives the editor through a working session without a person and saves a picture of the screen:
// the sample project open, the stop list of one route with a stop expanded, a picture window of
// that route, the message log and the progress dialog after a programming run. Run through
// make-screenshot.sh, which prepares the program folder and the emulated announcer.

#include "editor/editorsession.h"
#include "editor/mainwindow.h"
#include "editor/messagewindow.h"
#include "editor/picturewindow.h"
#include "editor/progressdialog.h"
#include "editor/routelistwindow.h"
#include "editor/stoplistwindow.h"
#include "editor/toolswindow.h"
#include "editor/userdialogs.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QTextStream>
#include <QTimer>
#include <QTreeView>

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

// Places every window so that none hides another's important part on a 1280x800 screen.
void arrange(MainWindow &window)
{
    frameOf(window.routeListWindow())->setGeometry(0, 0, 480, 230);
    for (QMdiSubWindow *frame : frameOf(window.routeListWindow())->mdiArea()->subWindowList()) {
        if (qobject_cast<PictureWindow *>(frame->widget()))
            frame->move(0, 236);
    }
    frameOf(window.stopListWindow())->setGeometry(686, 0, 280, 560);
    window.toolsWindow().setGeometry(976, 90, 300, 200);
    window.toolsWindow().show();
    window.progressDialog().move(240, 450);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 4) {
        err << "usage: screenshot_maker PROGRAM_DIR PROJECT OUTPUT.png" << Qt::endl;
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
    QTimer::singleShot(0, &window, [&] {
        if (!playSession(window)) {
            err << "screenshot_maker: the session did not reach the end of the programming run" << Qt::endl;
            app.exit(1);
            return;
        }
        // The message log, for the terminal of the script.
        for (const QString &line : window.log().window()->lines())
            err << line << Qt::endl;
        arrange(window);
        QTimer::singleShot(kSettleMs, &window, [&] {
            const QImage screen = window.screen()->grabWindow(0).toImage();
            if (!screen.save(arguments[3], "PNG"))
                err << "cannot write " << arguments[3] << Qt::endl;
            else
                status = dialogs.asked() ? 1 : 0;
            app.exit(status);
        });
    });
    app.exec();
    return status;
}
