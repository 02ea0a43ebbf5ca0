#pragma once

#include <QIcon>

namespace tirvela {

// One of the icons bundled with the editor (icons/NAME-16.png and icons/NAME-32.png).
QIcon bundledIcon(const char *name);

} // namespace tirvela
