#pragma once

#include "project/stoplistedits.h"

#include <QUndoCommand>

#include <memory>

namespace tirvela {

class Document;

// The undo steps of the stop lists. They find their node by its path, so they work on the route's
// tree whether or not its editor is open, and whether or not the tree was stored and read again
// in between (a route move and its undo). A step that the tree refuses changes nothing and is
// marked obsolete, so the stack keeps no step for it; an undo takes out only what its redo put in.

// Puts a new node (a stop with its groups, an item) in at a place.
class InsertStopNodeCommand : public QUndoCommand
{
public:
    InsertStopNodeCommand(Document &document, int route, const StopInsertion &place, StopNode node,
                          const QString &text);
    void redo() override;
    void undo() override;

private:
    Document &mDocument;
    int mRoute;
    StopInsertion mPlace;
    StopNode mNode;
    bool mInserted = false;
};

class RemoveStopNodeCommand : public QUndoCommand
{
public:
    RemoveStopNodeCommand(Document &document, int route, const StopPath &path, const QString &text);
    void redo() override;
    void undo() override;

private:
    Document &mDocument;
    int mRoute;
    StopPath mPath;
    std::unique_ptr<StopNode> mNode;
};

// Swaps a node with its next sibling: the same step both ways.
class SwapStopNodesCommand : public QUndoCommand
{
public:
    SwapStopNodesCommand(Document &document, int route, const StopPath &path, const QString &text);
    void redo() override;
    void undo() override { redo(); }

private:
    Document &mDocument;
    int mRoute;
    StopPath mPath;
};

class SetStopNodeTextCommand : public QUndoCommand
{
public:
    SetStopNodeTextCommand(Document &document, int route, const StopPath &path, const QByteArray &text,
                           const QString &caption);
    void redo() override;
    void undo() override;

private:
    Document &mDocument;
    int mRoute;
    StopPath mPath;
    QByteArray mText;
    QByteArray mPrevious;
};

// Sets the control time of the selected node's stop; undo gives its item the text it had, or
// takes out the item it made.
class SetControlTimeCommand : public QUndoCommand
{
public:
    SetControlTimeCommand(Document &document, int route, const StopPath &selected, const QByteArray &time,
                          const QString &caption);
    void redo() override;
    void undo() override;

private:
    Document &mDocument;
    int mRoute;
    StopPath mSelected;
    QByteArray mTime;
    std::optional<ControlTimeEdit> mEdit;
};

} // namespace tirvela
