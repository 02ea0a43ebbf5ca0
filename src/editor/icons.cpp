#include "editor/icons.h"

namespace tirvela {

QIcon bundledIcon(const char *name)
{
    QIcon icon;
    for (const int size : {16, 32})
        icon.addFile(QStringLiteral(":/icons/%1-%2.png").arg(QLatin1String(name)).arg(size), QSize(size, size));
    return icon;
}

} // namespace tirvela
