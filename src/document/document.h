#pragma once

#include "project/project.h"
#include "project/projectbuilder.h"

#include <QObject>
#include <QString>

#include <memory>

class QUndoStack;

namespace tirvela {

class CurrentTarget;
class MessageLog;
class SoundTable;
class StopTrees;

// The open project, its file name and its editing history. Windows read the project from here and
// change it only through undo commands pushed on the stack; they repaint from the signals.
class Document : public QObject
{
    Q_OBJECT

public:
    explicit Document(QObject *parent = nullptr);
    ~Document() override;

    const Project &project() const { return *mProject; }
    QUndoStack *undoStack() const { return mUndoStack; }
    // The stop lists being edited; saving and building store them first.
    StopTrees &stopTrees() const { return *mStopTrees; }
    // What the editor acts on now: what the tools window shows and its commands change.
    CurrentTarget &currentTarget() const { return *mCurrentTarget; }

    // Full path of the project file that Save writes; empty for an unnamed project.
    QString fileName() const { return mFileName; }
    // The file name was made from a flash image or another file that was opened: the project file
    // of that name may exist and hold something else.
    bool fileNameIsDerived() const { return mFileNameIsDerived; }
    // The file name names a project file that was opened or written by this document.
    bool hasProjectFile() const { return !mFileName.isEmpty() && !mFileNameIsDerived; }
    bool isModified() const;
    // The file name or "БЕЗЫМЯННЫЙ", followed by "*" while modified.
    QString caption() const;

    // A new project: one route numbered "1", no history.
    void resetToNew();

    // Reads a project file or flash image. A file that cannot be read changes nothing here: the
    // project, its name and its history stay as they were. A file whose name does not end in
    // ".stm" gives the project the name of the project file beside it. An older project takes its
    // board pictures from the board data files beside it; the log names each one that is missing.
    // A failure's message says why the file was refused.
    Status load(const QString &fileName, MessageLog &log);

    // Writes the project file; on success it becomes the document's file and the saved state.
    Status saveAs(const QString &fileName, const SoundTable &sounds, MessageLog &log);
    // Writes the flash image of the project. A failed build over the flash image the project was
    // read from leaves that file as it was; a successful one makes it an image like any other.
    Status buildFlashImage(const QString &fileName, const SoundTable &sounds, MessageLog &log);
    // `fileName` is the flash image the project was read from, not yet replaced by a build, and
    // holds something: it may be the only copy of the project's sound data.
    bool isSourceImage(const QString &fileName) const;

    // For undo commands: the project to change; afterwards they send the signal that fits.
    Project &projectForEdit() { return *mProject; }
    void notifyRoutesChanged() { emit routesChanged(); }
    void notifyRouteInserted(int route) { emit routeInserted(route); }
    void notifyRouteRemoved(int route) { emit routeRemoved(route); }
    void notifyRoutesSwapped(int first, int second) { emit routesSwapped(first, second); }
    void notifyBoardEntryChanged(int boardRow, int route) { emit boardEntryChanged(boardRow, route); }
    void notifyStopTreeChanged(int route) { emit stopTreeChanged(route); }

signals:
    // New or Open replaced the whole project: every window shows it anew.
    void projectReplaced();
    void routesChanged();
    // Sent before routesChanged by the route steps, so that windows of one route follow it.
    void routeInserted(int route);
    void routeRemoved(int route);
    void routesSwapped(int first, int second);
    void boardEntryChanged(int boardRow, int route);
    void stopTreeChanged(int route);
    // The file name or the modified state changed.
    void captionChanged();

private:
    void setFileName(const QString &fileName, bool derived);

    std::unique_ptr<Project> mProject;
    QUndoStack *mUndoStack;
    StopTrees *mStopTrees;
    CurrentTarget *mCurrentTarget;
    QString mFileName;
    bool mFileNameIsDerived = false;
    QString mSourceImage; // the flash image (or other non-project file) the project was read from

};

} // namespace tirvela
