#pragma once

#include "project/project.h"

#include <QUndoCommand>

#include <vector>

namespace tirvela {

class Document;

// An undo step that gives the display elements of one route on one board type a new list: adding,
// deleting, reordering an element or changing its font, text or position. The picture is drawn
// again and the document says which entry changed, so the picture window, the miniature and the
// tools window repaint. The steps of one drag share a drag number and merge into one.
class ChangeElementsCommand : public QUndoCommand
{
public:
    ChangeElementsCommand(Document &document, int route, int boardRow, std::vector<DisplayElement> elements,
                          const QString &text, int drag = 0);

    void redo() override;
    void undo() override;
    int id() const override;
    bool mergeWith(const QUndoCommand *other) override;

private:
    void apply(const std::vector<DisplayElement> &elements);

    Document &mDocument;
    int mRoute;
    int mBoardRow;
    std::vector<DisplayElement> mNew;
    std::vector<DisplayElement> mOld;
    int mDrag; // 0: not part of a drag
};

} // namespace tirvela
