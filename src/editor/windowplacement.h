#pragma once

#include <QPoint>
#include <QString>

#include <optional>

namespace tirvela {

// Where the user put a window, kept between runs in the program folder ("windows.ini"; positions
// only, the settings of the devices stay in editor.ini).
std::optional<QPoint> rememberedPosition(const QString &programFolder, const QString &window);
void rememberPosition(const QString &programFolder, const QString &window, const QPoint &position);

} // namespace tirvela
