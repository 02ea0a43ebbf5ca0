#pragma once

#include <QJsonObject>

namespace tirvela {

class Project;

// The project as plain data, for scripts and diffs: the route count; per route its number text
// and its stop tree (directions, stops, groups, items); per board type and route the display
// elements with font, X, Y and text. Texts are decoded from Windows-1251. A route stream that
// does not read as a stop tree is given as its text with the reading error.
QJsonObject projectToJson(const Project &project);

} // namespace tirvela
