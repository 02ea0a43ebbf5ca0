#include "stoptree.h"

#include "common/cp1251.h"

#include <algorithm>
#include <climits>

namespace tirvela {

namespace {

bool isLevelChar(char c)
{
    return c == '\t' || c == ' ';
}

// The line's text as an error message shows it: decoded, and shortened when long.
QString quotedLineText(QByteArrayView text)
{
    constexpr qsizetype kShown = 60;
    QString shown = fromCp1251(text.first(std::min(text.size(), kShown)));
    if (text.size() > kShown)
        shown += u'…';
    return shown;
}

} // namespace

QByteArray forwardDirectionText()
{
    return toCp1251(u"Прямое направление");
}

QByteArray reverseDirectionText()
{
    return toCp1251(u"Обратное направление");
}

QByteArray stopGroupText()
{
    return toCp1251(u"Остановка");
}

QByteArray nextStopGroupText()
{
    return toCp1251(u"Следующая остановка");
}

QByteArray controlTimeGroupText()
{
    return toCp1251(u"Контрольное время");
}

QByteArray storableNodeText(QByteArrayView text)
{
    QByteArray stored = text.toByteArray();
    std::replace_if(stored.begin(), stored.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; }, ' ');
    const auto first = std::find_if_not(stored.cbegin(), stored.cend(), isLevelChar);
    return stored.sliced(first - stored.cbegin());
}

QByteArray writeRouteStream(const StopTree &tree)
{
    // Pre-order walk with an explicit stack: the position reached in each level's sibling list.
    struct Frame
    {
        const std::vector<StopNode> *siblings;
        std::size_t next;
    };
    QByteArray stream;
    std::vector<Frame> stack{{&tree.roots, 0}};
    while (!stack.empty()) {
        Frame &frame = stack.back();
        if (frame.next == frame.siblings->size()) {
            stack.pop_back();
            continue;
        }
        const StopNode &node = (*frame.siblings)[frame.next++];
        stream.append(qsizetype(stack.size() - 1), '\t');
        stream += storableNodeText(node.text);
        stream += "\r\n";
        if (!node.children.empty())
            stack.push_back({&node.children, 0});
    }
    return stream;
}

RouteStreamReadResult readRouteStream(QByteArrayView stream)
{
    RouteStreamReadResult result;
    const qsizetype nul = stream.indexOf('\0');
    if (nul >= 0)
        stream = stream.first(nul);

    // The node at each level on the way from a root to the node read last. Nodes are only ever
    // appended to the last node's ancestors, so these pointers stay valid while they are kept.
    std::vector<StopNode *> path;
    qsizetype lineNumber = 0;
    qsizetype pos = 0;
    while (pos < stream.size()) {
        qsizetype end = pos;
        while (end < stream.size() && stream[end] != '\r' && stream[end] != '\n')
            ++end;
        const QByteArrayView line = stream.sliced(pos, end - pos);
        pos = end;
        if (pos < stream.size())
            pos += (stream[pos] == '\r' && pos + 1 < stream.size() && stream[pos + 1] == '\n') ? 2 : 1;
        ++lineNumber;

        const qsizetype level = std::find_if_not(line.begin(), line.end(), isLevelChar) - line.begin();
        const QByteArrayView text = line.sliced(level);
        const qsizetype placedLevel = path.empty() ? 0 : level;
        if (placedLevel > qsizetype(path.size()) || placedLevel > MaxStopTreeLevel) {
            result = {};
            result.ok = false;
            result.errorLine = int(std::min<qsizetype>(lineNumber, INT_MAX));
            result.error = QStringLiteral("Неверный уровень %1 в строке %2: «%3»")
                               .arg(level)
                               .arg(lineNumber)
                               .arg(quotedLineText(text));
            return result;
        }
        std::vector<StopNode> &siblings = placedLevel == 0 ? result.tree.roots : path[placedLevel - 1]->children;
        siblings.push_back({text.toByteArray(), {}});
        path.resize(placedLevel);
        path.push_back(&siblings.back());
    }
    return result;
}

} // namespace tirvela
