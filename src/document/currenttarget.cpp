#include "document/currenttarget.h"

#include "document/document.h"
#include "document/stoptrees.h"
#include "common/cp1251.h"

#include <algorithm>

namespace tirvela {

CurrentTarget::CurrentTarget(Document &document)
    : QObject(&document)
    , mDocument(document)
{
    connect(&document, &Document::projectReplaced, this, [this] { showElements(0, 0); });
    connect(&document, &Document::routeInserted, this, &CurrentTarget::followRouteInserted);
    connect(&document, &Document::routeRemoved, this, &CurrentTarget::followRouteRemoved);
    connect(&document, &Document::routesSwapped, this, &CurrentTarget::followRoutesSwapped);
    connect(&document, &Document::routesChanged, this, &CurrentTarget::changed); // a number in the line
    connect(&document, &Document::boardEntryChanged, this, &CurrentTarget::followElements);

    StopTrees &trees = document.stopTrees();
    const auto pending = [this](int route, StopPath place) {
        if (mKind == Kind::Stop && route == mRoute)
            mPending = std::move(place);
    };
    connect(&trees, &StopTrees::aboutToInsert, this, [pending](int route, StopPath parent, int row) {
        parent.push_back(row);
        pending(route, parent);
    });
    connect(&trees, &StopTrees::aboutToRemove, this, pending);
    connect(&trees, &StopTrees::aboutToSwap, this, pending);
    connect(&trees, &StopTrees::inserted, this, &CurrentTarget::followInserted);
    connect(&trees, &StopTrees::removed, this, &CurrentTarget::followRemoved);
    connect(&trees, &StopTrees::swapped, this, &CurrentTarget::followSwapped);
    connect(&trees, &StopTrees::textChanged, this, [this](int route) {
        if (mKind == Kind::Stop && route == mRoute)
            emit changed();
    });
    connect(&trees, &StopTrees::dropped, this, &CurrentTarget::followTreeDropped);
}

void CurrentTarget::showElements(int route, int boardRow)
{
    if (route < 0 || route >= mDocument.project().routeCount) {
        showNothing();
        return;
    }
    const bool sameList = mKind == Kind::Elements && route == mRoute && boardRow == mBoardRow;
    mKind = Kind::Elements;
    mRoute = route;
    mBoardRow = boardRow;
    mElement = clampedElement(sameList ? mElement : 0);
    mStopPath.clear();
    emit changed();
}

void CurrentTarget::setElement(int element)
{
    if (mKind != Kind::Elements || clampedElement(element) == mElement)
        return;
    mElement = clampedElement(element);
    emit changed();
}

void CurrentTarget::showStop(int route, const StopPath &path)
{
    mKind = Kind::Stop;
    mRoute = route;
    mStopPath = path;
    mElement = -1;
    emit changed();
}

void CurrentTarget::showNothing()
{
    mKind = Kind::Nothing;
    mElement = -1;
    mStopPath.clear();
    emit changed();
}

int CurrentTarget::clampedElement(int element) const
{
    const int count = int(mDocument.project().boards[size_t(mBoardRow)].routes[size_t(mRoute)].elements.size());
    return count == 0 ? -1 : std::clamp(element, 0, count - 1);
}

void CurrentTarget::followRouteInserted(int route)
{
    if (mKind != Kind::Nothing && mRoute >= route) {
        ++mRoute;
        emit changed();
    }
}

void CurrentTarget::followRouteRemoved(int route)
{
    if (mKind == Kind::Nothing)
        return;
    const int count = mDocument.project().routeCount;
    if (mRoute > route) {
        --mRoute;
        emit changed();
    } else if (mRoute == route) {
        // The route list keeps its row: the next route, or the new last one.
        showElements(std::min(route, count - 1), mBoardRow);
    }
}

void CurrentTarget::followRoutesSwapped(int first, int second)
{
    if (mKind != Kind::Nothing && (mRoute == first || mRoute == second)) {
        mRoute = mRoute == first ? second : first;
        emit changed();
    }
}

void CurrentTarget::followElements(int boardRow, int route)
{
    if (mKind == Kind::Elements && boardRow == mBoardRow && route == mRoute) {
        mElement = clampedElement(mElement);
        emit changed();
    }
}

bool CurrentTarget::stopPathBelow(const StopPath &parent, int *row) const
{
    if (mStopPath.size() <= parent.size() || !std::equal(parent.begin(), parent.end(), mStopPath.begin()))
        return false;
    *row = mStopPath[parent.size()];
    return true;
}

// The stop list changes below: the stop path moves with its node, as the tree view's selection does.

std::optional<CurrentTarget::PendingChange> CurrentTarget::takePending(int route)
{
    if (mKind != Kind::Stop || route != mRoute || mPending.empty())
        return std::nullopt;
    PendingChange change;
    change.parent = std::exchange(mPending, {});
    change.row = change.parent.back();
    change.parent.pop_back();
    if (!stopPathBelow(change.parent, &change.at))
        change.at = -1;
    return change;
}

void CurrentTarget::followInserted(int route)
{
    const std::optional<PendingChange> change = takePending(route);
    if (!change)
        return;
    if (change->at >= change->row)
        ++mStopPath[change->parent.size()];
    emit changed();
}

void CurrentTarget::followRemoved(int route)
{
    const std::optional<PendingChange> change = takePending(route);
    if (!change)
        return;
    if (change->at == change->row)
        mStopPath = change->parent; // the node went: its parent stays
    else if (change->at > change->row)
        --mStopPath[change->parent.size()];
    emit changed();
}

void CurrentTarget::followSwapped(int route)
{
    const std::optional<PendingChange> change = takePending(route);
    if (!change)
        return;
    if (change->at == change->row || change->at == change->row + 1)
        mStopPath[change->parent.size()] = change->at == change->row ? change->row + 1 : change->row;
    emit changed();
}

void CurrentTarget::followTreeDropped(int route)
{
    if (mKind == Kind::Stop && route == mRoute) {
        mStopPath.clear();
        emit changed();
    }
}

QString CurrentTarget::description() const
{
    if (mKind == Kind::Nothing)
        return QStringLiteral("Ничего не выбрано");
    QString line = QStringLiteral("Маршрут ") + fromCp1251(mDocument.project().routeNumberText(mRoute));
    if (mKind == Kind::Elements)
        return line + QStringLiteral(" · ") + QString::fromUtf8(kBoardTypes[size_t(mBoardRow)].caption);
    const StopTree *tree = mDocument.stopTrees().treeOf(mRoute);
    const StopNode *node = tree ? nodeAt(*tree, mStopPath) : nullptr;
    if (!node)
        return line + QStringLiteral(" · остановка не выбрана");
    // The direction or stop, then the group the node is in.
    for (size_t level = DirectionLevel; level < std::min<size_t>(mStopPath.size(), GroupLevel + 1); ++level) {
        if (level == DirectionLevel && mStopPath.size() > 1)
            continue;
        line += QStringLiteral(" · ")
              + fromCp1251(nodeAt(*tree, StopPath(mStopPath.begin(), mStopPath.begin() + level + 1))->text);
    }
    return line;
}

} // namespace tirvela
