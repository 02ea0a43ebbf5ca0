#pragma once

#include "document/document.h"
#include "editor/editorsession.h"
#include "editor/mainwindow.h"
#include "scripteddialogs.h"

#include <QAction>
#include <QDir>
#include <QTemporaryDir>
#include <QUndoCommand>
#include <QUndoStack>

#include <memory>

namespace tirvela::fixture {

// A main window over a program folder of its own, with scripted dialogs.
struct Editor
{
    QTemporaryDir folder;
    EditorSession session;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;

    explicit Editor(bool extendedMode = false)
    {
        session.programFolder = folder.path() + u'/';
        session.extendedMode = extendedMode;
        session.settings = readEditorSettings(session.programFolder);
        window = std::make_unique<MainWindow>(session, dialogs);
        window->show();
    }

    QString path(const QString &name) const { return folder.filePath(name); }
    Document &document() const { return window->document(); }
    QAction *action(const char *name) const { return window->findChild<QAction *>(QLatin1String(name)); }
    void trigger(const char *name) const { action(name)->trigger(); }
};

// An edit as the editors make them: the route number of one route on every board type.
class RenumberRoute : public QUndoCommand
{
public:
    RenumberRoute(Document &document, int route, const QByteArray &number)
        : QUndoCommand(QStringLiteral("изменение номера маршрута %1").arg(QString::fromLatin1(number)))
        , mDocument(document)
        , mRoute(route)
        , mNumber(number)
        , mOldNumber(document.project().routeNumberText(route))
    {
    }
    void redo() override { set(mNumber); }
    void undo() override { set(mOldNumber); }

private:
    void set(const QByteArray &number)
    {
        for (Board &board : mDocument.projectForEdit().boards)
            board.routes[size_t(mRoute)].routeNumberText = number;
        mDocument.notifyRoutesChanged();
    }

    Document &mDocument;
    int mRoute;
    QByteArray mNumber;
    QByteArray mOldNumber;
};

inline void edit(Document &document, const QByteArray &number = "12")
{
    document.undoStack()->push(new RenumberRoute(document, 0, number));
}

// Saves a grab of a window to $TIRVELA_SCREENSHOTS/NAME.png when that folder is set, to look at.
inline void saveScreenshot(QWidget *widget, const QString &name)
{
    const QString folder = qEnvironmentVariable("TIRVELA_SCREENSHOTS");
    if (!folder.isEmpty())
        widget->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

} // namespace tirvela::fixture
