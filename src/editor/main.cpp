#include "editor/editorapplication.h"
#include "editor/editorsession.h"
#include "editor/mainwindow.h"
#include "editor/userdialogs.h"
#include "settings/programfolder.h"

#include <cstdio>

int main(int argc, char *argv[])
{
    using namespace tirvela;
    if (const QString reason = missingDisplayReason(); !reason.isEmpty()) {
        std::fprintf(stderr, "%s\n", reason.toLocal8Bit().constData());
        return 1;
    }
    EditorApplication app(argc, argv);
    EditorSession session;
    session.programFolder = programFolderFor(QCoreApplication::applicationFilePath());
    session.extendedMode = extendedModeRequested(QCoreApplication::arguments());
    session.settings = readEditorSettings(session.programFolder);
    WidgetDialogs dialogs;
    MainWindow window(session, dialogs);
    window.showMaximized();
    window.showToolsWindow();
    return app.exec();
}
