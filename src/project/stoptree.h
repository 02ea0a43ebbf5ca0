#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
#include <vector>

namespace tirvela {

// A node of a route's stop tree. Texts are Windows-1251 bytes. Each node lives on the heap and
// knows its parent, so a node keeps its address while its siblings come and go: an item model can
// hold it, and a node taken out of the tree is the same node when it is put back.
class StopNode
{
public:
    StopNode() = default;
    StopNode(QByteArray text, std::vector<StopNode> children = {});
    // A copy is deep and has no parent; a move takes the children along.
    StopNode(const StopNode &other);
    StopNode &operator=(const StopNode &other);
    StopNode(StopNode &&other) noexcept;
    StopNode &operator=(StopNode &&other) noexcept;
    ~StopNode() = default;

    QByteArray text;

    StopNode *parent() const { return mParent; }
    // The row among the parent's children; -1 without a parent.
    int row() const;
    // Directions are level 0, stops 1, groups 2, items 3; the tree's unnamed root is level -1.
    int level() const;

    int childCount() const { return int(mChildren.size()); }
    StopNode &child(int row) { return *mChildren[size_t(row)]; }
    const StopNode &child(int row) const { return *mChildren[size_t(row)]; }
    // The children as nodes, for range-for.
    class ChildRange
    {
    public:
        using Owned = std::vector<std::unique_ptr<StopNode>>::const_iterator;
        struct Iterator
        {
            Owned at;
            const StopNode &operator*() const { return **at; }
            Iterator &operator++()
            {
                ++at;
                return *this;
            }
            bool operator==(const Iterator &other) const = default;
        };
        ChildRange(Owned begin, Owned end) : mBegin{begin}, mEnd{end} {}
        Iterator begin() const { return mBegin; }
        Iterator end() const { return mEnd; }

    private:
        Iterator mBegin;
        Iterator mEnd;
    };
    ChildRange children() const { return {mChildren.begin(), mChildren.end()}; }

    StopNode &appendChild(StopNode node);
    // Puts a node in at `row` (0 to the child count) and returns it.
    StopNode &insertChild(int row, std::unique_ptr<StopNode> node);
    // Takes the child at `row` out; it keeps its children and has no parent.
    std::unique_ptr<StopNode> takeChild(int row);
    void swapChildren(int first, int second);

    // Same texts and the same children, all the way down.
    bool operator==(const StopNode &other) const;

private:
    void adoptChildren();

    StopNode *mParent = nullptr;
    std::vector<std::unique_ptr<StopNode>> mChildren;
};

// The stops of a route: directions, stops, the three groups of a stop, and their items. The
// directions are the children of an unnamed root node.
class StopTree
{
public:
    StopTree() = default;
    explicit StopTree(std::vector<StopNode> directions) : mRoot({}, std::move(directions)) {}

    StopNode &root() { return mRoot; }
    const StopNode &root() const { return mRoot; }
    bool isEmpty() const { return mRoot.childCount() == 0; }

    bool operator==(const StopTree &other) const { return mRoot == other.mRoot; }

private:
    StopNode mRoot;
};

// Text of the direction and group nodes, Windows-1251.
QByteArray forwardDirectionText();  // "Прямое направление"
QByteArray reverseDirectionText();  // "Обратное направление"
QByteArray stopGroupText();         // "Остановка"
QByteArray nextStopGroupText();     // "Следующая остановка"
QByteArray controlTimeGroupText();  // "Контрольное время"

// The stored text form: one line per node in pre-order, as many TABs as the level, the text, CR LF.
// Each text is written as storableNodeText() gives it, so that the lines read back to the same tree.
// An empty tree writes nothing.
QByteArray writeRouteStream(const StopTree &tree);

// A node text as the stored form can carry it: CR, LF and NUL become blanks, and leading TABs and
// blanks (which would read back as levels) are dropped. Other texts are returned as they are.
QByteArray storableNodeText(QByteArrayView text);

// The deepest level the reader accepts. Stop trees have four levels (0-3); a little room is left
// for hand-edited streams, while every walk over a tree stays shallow.
constexpr int MaxStopTreeLevel = 63;

struct RouteStreamReadResult
{
    bool ok = true;
    StopTree tree;       // empty when !ok
    QString error;       // user message naming the level and the line's text
    int errorLine = 0;   // 1-based line number of the offending line
};

// Reads the stored text form back. Lines end at CR LF, a lone CR or a lone LF; a NUL byte ends the
// text; a last line without a line end counts. Each leading TAB or blank of a line is one level.
// The first line is a top-level node whatever its level; a later line may be a sibling of the line
// before, its child, or a sibling of one of its ancestors. A deeper jump, or a level beyond
// MaxStopTreeLevel, fails the whole reading. An empty line is a top-level node with an empty text
// (and a line of TABs only an empty node at that level), so that every written tree reads back.
RouteStreamReadResult readRouteStream(QByteArrayView stream);

} // namespace tirvela
