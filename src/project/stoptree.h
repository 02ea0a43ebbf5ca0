#pragma once

#include <QByteArray>
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
QByteArray writeRouteStream(const StopTree &tree);

struct RouteStreamReadResult
{
    bool ok = true;
    StopTree tree;       // empty when !ok
    QString error;       // user message naming the level and the line's text
    int errorLine = 0;   // 1-based line number of the offending line
};

// Reads the stored text form back (TAB or blank per level; CR LF, lone CR or lone LF; NUL ends the text).
RouteStreamReadResult readRouteStream(QByteArrayView stream);

} // namespace tirvela
