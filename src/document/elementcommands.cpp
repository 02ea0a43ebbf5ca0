#include "document/elementcommands.h"

#include "document/document.h"
#include "project/boardcontent.h"

namespace tirvela {

namespace {

constexpr int kDragCommandId = 1;

} // namespace

ChangeElementsCommand::ChangeElementsCommand(Document &document, int route, int boardRow,
                                             std::vector<DisplayElement> elements, const QString &text, int drag)
    : QUndoCommand(text)
    , mDocument(document)
    , mRoute(route)
    , mBoardRow(boardRow)
    , mNew(std::move(elements))
    , mOld(document.project().boards[size_t(boardRow)].routes[size_t(route)].elements)
    , mDrag(drag)
{
}

void ChangeElementsCommand::redo()
{
    apply(mNew);
}

void ChangeElementsCommand::undo()
{
    apply(mOld);
}

int ChangeElementsCommand::id() const
{
    return mDrag ? kDragCommandId : -1;
}

bool ChangeElementsCommand::mergeWith(const QUndoCommand *other)
{
    const auto *next = static_cast<const ChangeElementsCommand *>(other);
    if (next->mDrag != mDrag || next->mRoute != mRoute || next->mBoardRow != mBoardRow)
        return false;
    mNew = next->mNew;
    return true;
}

void ChangeElementsCommand::apply(const std::vector<DisplayElement> &elements)
{
    BoardRouteEntry &entry = mDocument.projectForEdit().boards[size_t(mBoardRow)].routes[size_t(mRoute)];
    entry.elements = elements;
    redrawRoutePicture(entry);
    mDocument.notifyBoardEntryChanged(mBoardRow, mRoute);
}

} // namespace tirvela
