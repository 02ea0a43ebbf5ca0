#pragma once

#include "project/project.h"

#include <QByteArrayView>

namespace tirvela {

struct FontEntry;

// Draws a text into a board picture (only ever setting pixels) and returns its drawn width.
// Pixels from column 136 on are ignored; columns 128-135 widen the text without being drawn.
int renderDisplayText(BoardPicture &picture, const FontEntry &font, int x, int y, QByteArrayView text);

// Draws one element with its font, setting its width and height; an unknown font draws nothing.
void renderDisplayElement(BoardPicture &picture, DisplayElement &element);

// Clears a route's picture and draws its elements anew.
void redrawRoutePicture(BoardRouteEntry &entry);

// Empties every board slot of every board type: pictures, route number texts, element lists.
void clearBoardContent(Project &project);

// A new project: one route numbered "1", no stops, no board content; the board images stay.
void newProject(Project &project);

} // namespace tirvela
