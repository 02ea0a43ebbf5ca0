#include "document/stopcommands.h"

#include "document/document.h"
#include "document/stoptrees.h"

namespace tirvela {

namespace {

// The route's tree, read again from its stored stop list when it was dropped meanwhile.
StopTrees &openTrees(Document &document, int route)
{
    document.stopTrees().open(route);
    return document.stopTrees();
}

} // namespace

InsertStopNodeCommand::InsertStopNodeCommand(Document &document, int route, const StopInsertion &place, StopNode node,
                                             const QString &text)
    : QUndoCommand(text)
    , mDocument(document)
    , mRoute(route)
    , mPlace(place)
    , mNode(std::move(node))
{
}

void InsertStopNodeCommand::redo()
{
    mInserted = openTrees(mDocument, mRoute).insert(mRoute, mPlace.parent, mPlace.row, std::make_unique<StopNode>(mNode));
    setObsolete(!mInserted);
}

void InsertStopNodeCommand::undo()
{
    if (!mInserted)
        return;
    StopPath path = mPlace.parent;
    path.push_back(mPlace.row);
    openTrees(mDocument, mRoute).remove(mRoute, path);
}

RemoveStopNodeCommand::RemoveStopNodeCommand(Document &document, int route, const StopPath &path, const QString &text)
    : QUndoCommand(text)
    , mDocument(document)
    , mRoute(route)
    , mPath(path)
{
}

void RemoveStopNodeCommand::redo()
{
    mNode = openTrees(mDocument, mRoute).remove(mRoute, mPath);
    setObsolete(!mNode);
}

void RemoveStopNodeCommand::undo()
{
    if (!mNode)
        return;
    StopPath parent = mPath;
    const int row = parent.back();
    parent.pop_back();
    openTrees(mDocument, mRoute).insert(mRoute, parent, row, std::move(mNode));
}

SwapStopNodesCommand::SwapStopNodesCommand(Document &document, int route, const StopPath &path, const QString &text)
    : QUndoCommand(text)
    , mDocument(document)
    , mRoute(route)
    , mPath(path)
{
}

void SwapStopNodesCommand::redo()
{
    setObsolete(!openTrees(mDocument, mRoute).swapWithNext(mRoute, mPath));
}

SetStopNodeTextCommand::SetStopNodeTextCommand(Document &document, int route, const StopPath &path,
                                               const QByteArray &text, const QString &caption)
    : QUndoCommand(caption)
    , mDocument(document)
    , mRoute(route)
    , mPath(path)
    , mText(text)
{
}

void SetStopNodeTextCommand::redo()
{
    const std::optional<QByteArray> previous = openTrees(mDocument, mRoute).setText(mRoute, mPath, mText);
    setObsolete(!previous);
    if (previous)
        mPrevious = *previous;
}

void SetStopNodeTextCommand::undo()
{
    openTrees(mDocument, mRoute).restoreText(mRoute, mPath, mPrevious);
}

SetControlTimeCommand::SetControlTimeCommand(Document &document, int route, const StopPath &selected,
                                             const QByteArray &time, const QString &caption)
    : QUndoCommand(caption)
    , mDocument(document)
    , mRoute(route)
    , mSelected(selected)
    , mTime(time)
{
}

void SetControlTimeCommand::redo()
{
    mEdit = openTrees(mDocument, mRoute).setControlTime(mRoute, mSelected, mTime);
    setObsolete(!mEdit);
}

void SetControlTimeCommand::undo()
{
    if (!mEdit)
        return;
    if (mEdit->previousText)
        openTrees(mDocument, mRoute).restoreText(mRoute, mEdit->item, *mEdit->previousText);
    else
        openTrees(mDocument, mRoute).remove(mRoute, mEdit->item);
}

} // namespace tirvela
