#pragma once

#include "project/routeedits.h"

#include <QUndoCommand>

namespace tirvela {

class Document;

// The undo steps of the route list. Each stores the open stop lists first, since routes move
// under them, and tells the document that the routes changed.

// A new route at the end, numbered, optionally with a copy of another route's stop list.
class AddRouteCommand : public QUndoCommand
{
public:
    AddRouteCommand(Document &document, const QByteArray &number, int copyStopsFrom);
    // A new route at the end with the stop list given in stored form (an imported route).
    AddRouteCommand(Document &document, const QByteArray &number, const QByteArray &stream, const QString &text);
    void redo() override;
    void undo() override;

private:
    Document &mDocument;
    QByteArray mNumber;
    int mCopyStopsFrom = -1;
    QByteArray mStream;
    int mRoute;
};

// Gives a route another stop list, in stored form (an imported one); its board pictures stay.
class ReplaceRouteStopsCommand : public QUndoCommand
{
public:
    ReplaceRouteStopsCommand(Document &document, int route, const QByteArray &stream, const QString &text);
    void redo() override { mOld = set(mNew); }
    void undo() override { set(mOld); }

private:
    // Returns the stop list the route had.
    QByteArray set(const QByteArray &stream);

    Document &mDocument;
    int mRoute;
    QByteArray mNew;
    QByteArray mOld;
};

class DeleteRouteCommand : public QUndoCommand
{
public:
    DeleteRouteCommand(Document &document, int route);
    void redo() override;
    void undo() override;

private:
    Document &mDocument;
    int mRoute;
    RouteSlot mSlot;
};

// Swaps a route with the next one: down for the first, up for the second.
class SwapRoutesCommand : public QUndoCommand
{
public:
    SwapRoutesCommand(Document &document, int first, const QString &text);
    void redo() override;
    void undo() override { redo(); }

private:
    Document &mDocument;
    int mFirst;
};

class RenumberRouteCommand : public QUndoCommand
{
public:
    RenumberRouteCommand(Document &document, int route, const QByteArray &number);
    void redo() override;
    void undo() override;

private:
    void set(const RouteNumberTexts &texts);

    Document &mDocument;
    int mRoute;
    RouteNumberTexts mNew;
    RouteNumberTexts mOld;
};

} // namespace tirvela
