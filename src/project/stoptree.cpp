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

StopNode::StopNode(QByteArray text, std::vector<StopNode> children) : text(std::move(text))
{
    mChildren.reserve(children.size());
    for (StopNode &child : children)
        mChildren.push_back(std::make_unique<StopNode>(std::move(child)));
    adoptChildren();
}

StopNode::StopNode(const StopNode &other) : text(other.text)
{
    mChildren.reserve(other.mChildren.size());
    for (const std::unique_ptr<StopNode> &child : other.mChildren)
        mChildren.push_back(std::make_unique<StopNode>(*child));
    adoptChildren();
}

StopNode &StopNode::operator=(const StopNode &other)
{
    if (this != &other) {
        StopNode copy(other);
        text = std::move(copy.text);
        mChildren = std::move(copy.mChildren);
        adoptChildren();
    }
    return *this;
}

StopNode::StopNode(StopNode &&other) noexcept : text(std::move(other.text)), mChildren(std::move(other.mChildren))
{
    adoptChildren();
}

StopNode &StopNode::operator=(StopNode &&other) noexcept
{
    if (this != &other) {
        text = std::move(other.text);
        mChildren = std::move(other.mChildren);
        adoptChildren();
    }
    return *this;
}

void StopNode::adoptChildren()
{
    for (const std::unique_ptr<StopNode> &child : mChildren)
        child->mParent = this;
}

int StopNode::row() const
{
    if (!mParent)
        return -1;
    const auto &siblings = mParent->mChildren;
    const auto at = std::find_if(siblings.begin(), siblings.end(),
                                 [this](const std::unique_ptr<StopNode> &sibling) { return sibling.get() == this; });
    return int(at - siblings.begin());
}

int StopNode::level() const
{
    int level = -1;
    for (const StopNode *node = mParent; node; node = node->mParent)
        ++level;
    return level;
}

StopNode &StopNode::appendChild(StopNode node)
{
    return insertChild(childCount(), std::make_unique<StopNode>(std::move(node)));
}

StopNode &StopNode::insertChild(int row, std::unique_ptr<StopNode> node)
{
    node->mParent = this;
    return **mChildren.insert(mChildren.begin() + row, std::move(node));
}

std::unique_ptr<StopNode> StopNode::takeChild(int row)
{
    std::unique_ptr<StopNode> node = std::move(mChildren[size_t(row)]);
    mChildren.erase(mChildren.begin() + row);
    node->mParent = nullptr;
    return node;
}

void StopNode::swapChildren(int first, int second)
{
    std::swap(mChildren[size_t(first)], mChildren[size_t(second)]);
}

bool StopNode::operator==(const StopNode &other) const
{
    return text == other.text
           && std::equal(mChildren.begin(), mChildren.end(), other.mChildren.begin(), other.mChildren.end(),
                         [](const auto &a, const auto &b) { return *a == *b; });
}

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
        const StopNode *parent;
        int next;
    };
    QByteArray stream;
    std::vector<Frame> stack{{&tree.root(), 0}};
    while (!stack.empty()) {
        Frame &frame = stack.back();
        if (frame.next == frame.parent->childCount()) {
            stack.pop_back();
            continue;
        }
        const StopNode &node = frame.parent->child(frame.next++);
        stream.append(qsizetype(stack.size() - 1), '\t');
        stream += storableNodeText(node.text);
        stream += "\r\n";
        if (node.childCount() > 0)
            stack.push_back({&node, 0});
    }
    return stream;
}

RouteStreamReadResult readRouteStream(QByteArrayView stream)
{
    RouteStreamReadResult result;
    const qsizetype nul = stream.indexOf('\0');
    if (nul >= 0)
        stream = stream.first(nul);

    // The node at each level on the way from a direction to the node read last.
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
        StopNode &parent = placedLevel == 0 ? result.tree.root() : *path[size_t(placedLevel) - 1];
        StopNode &node = parent.appendChild(StopNode(text.toByteArray()));
        path.resize(size_t(placedLevel));
        path.push_back(&node);
    }
    return result;
}

} // namespace tirvela
