#include "document/routecommands.h"

#include "document/document.h"
#include "document/stoptrees.h"
#include "common/cp1251.h"

namespace tirvela {

namespace {

QString routeName(const Document &document, int route)
{
    return fromCp1251(document.project().routeNumberText(route));
}

// The open stop lists go into the project before routes move under them.
Project &projectForRouteEdit(Document &document)
{
    document.stopTrees().storeAndDropAll();
    return document.projectForEdit();
}

} // namespace

AddRouteCommand::AddRouteCommand(Document &document, const QByteArray &number, int copyStopsFrom)
    : QUndoCommand(QStringLiteral("добавление маршрута %1").arg(fromCp1251(number)))
    , mDocument(document)
    , mNumber(number)
    , mCopyStopsFrom(copyStopsFrom)
    , mRoute(document.project().routeCount)
{
}

AddRouteCommand::AddRouteCommand(Document &document, const QByteArray &number, const QByteArray &stream,
                                 const QString &text)
    : QUndoCommand(text)
    , mDocument(document)
    , mNumber(number)
    , mStream(stream)
    , mRoute(document.project().routeCount)
{
}

void AddRouteCommand::redo()
{
    Project &project = projectForRouteEdit(mDocument);
    const QByteArray stream = mCopyStopsFrom >= 0 ? project.routeStreams[size_t(mCopyStopsFrom)] : mStream;
    insertRoute(project, mRoute, newRouteSlot(mNumber, stream));
    mDocument.notifyRouteInserted(mRoute);
    mDocument.notifyRoutesChanged();
}

void AddRouteCommand::undo()
{
    removeRoute(projectForRouteEdit(mDocument), mRoute);
    mDocument.notifyRouteRemoved(mRoute);
    mDocument.notifyRoutesChanged();
}

ReplaceRouteStopsCommand::ReplaceRouteStopsCommand(Document &document, int route, const QByteArray &stream,
                                                   const QString &text)
    : QUndoCommand(text)
    , mDocument(document)
    , mRoute(route)
    , mNew(stream)
{
}

QByteArray ReplaceRouteStopsCommand::set(const QByteArray &stream)
{
    // The open stop list of the route is stored first, so that undo gives back what was edited.
    const std::optional<QByteArray> previous = setRouteStream(projectForRouteEdit(mDocument), mRoute, stream);
    mDocument.notifyRoutesChanged();
    return previous.value_or(QByteArray());
}

DeleteRouteCommand::DeleteRouteCommand(Document &document, int route)
    : QUndoCommand(QStringLiteral("удаление маршрута %1").arg(routeName(document, route)))
    , mDocument(document)
    , mRoute(route)
{
}

void DeleteRouteCommand::redo()
{
    if (std::optional<RouteSlot> slot = removeRoute(projectForRouteEdit(mDocument), mRoute))
        mSlot = std::move(*slot);
    mDocument.notifyRouteRemoved(mRoute);
    mDocument.notifyRoutesChanged();
}

void DeleteRouteCommand::undo()
{
    insertRoute(projectForRouteEdit(mDocument), mRoute, mSlot);
    mDocument.notifyRouteInserted(mRoute);
    mDocument.notifyRoutesChanged();
}

SwapRoutesCommand::SwapRoutesCommand(Document &document, int first, const QString &text)
    : QUndoCommand(text)
    , mDocument(document)
    , mFirst(first)
{
}

void SwapRoutesCommand::redo()
{
    swapRoutes(projectForRouteEdit(mDocument), mFirst, mFirst + 1);
    mDocument.notifyRoutesSwapped(mFirst, mFirst + 1);
    mDocument.notifyRoutesChanged();
}

RenumberRouteCommand::RenumberRouteCommand(Document &document, int route, const QByteArray &number)
    : QUndoCommand(QStringLiteral("изменение номера маршрута %1 на %2")
                       .arg(routeName(document, route), fromCp1251(number)))
    , mDocument(document)
    , mRoute(route)
    , mNew(sameRouteNumberTexts(number))
{
    for (int row = 0; row < BoardTypeCount; ++row)
        mOld[size_t(row)] = document.project().boards[size_t(row)].routes[size_t(route)].routeNumberText;
}

void RenumberRouteCommand::redo()
{
    set(mNew);
}

void RenumberRouteCommand::undo()
{
    set(mOld);
}

void RenumberRouteCommand::set(const RouteNumberTexts &texts)
{
    // A number changes no stop list: the open ones stay.
    setRouteNumberTexts(mDocument.projectForEdit(), mRoute, texts);
    mDocument.notifyRoutesChanged();
}

} // namespace tirvela
