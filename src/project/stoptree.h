#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

namespace tirvela {

// A node of a route's stop tree. Texts are Windows-1251 bytes.
struct StopNode
{
    QByteArray text;
    std::vector<StopNode> children;
};

// The stops of a route: directions, stops, the three groups of a stop, and their items.
struct StopTree
{
    std::vector<StopNode> roots;
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
