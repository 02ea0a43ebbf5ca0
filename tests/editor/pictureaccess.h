#pragma once

#include "editorfixture.h"

#include "editor/picturewindow.h"

#include <QPoint>

#include <vector>

namespace tirvela::fixture {

// The display elements of a route on a board type, as the document holds them.
inline const std::vector<DisplayElement> &elementsOf(const Editor &editor, int route, int boardRow)
{
    return editor.document().project().boards[size_t(boardRow)].routes[size_t(route)].elements;
}

// The shown picture window of a route on a board type, or nullptr.
inline PictureWindow *pictureOf(const Editor &editor, int route, int boardRow)
{
    for (PictureWindow *picture : editor.window->findChildren<PictureWindow *>()) {
        if (picture->route() == route && picture->boardRow() == boardRow && picture->isVisible())
            return picture;
    }
    return nullptr;
}

// A point inside the LED at a column and row of a picture window.
inline QPoint ledCentre(const PictureWindow &picture, int column, int row)
{
    return {column * picture.ledSize() + 2, row * picture.ledSize() + 2};
}

} // namespace tirvela::fixture
