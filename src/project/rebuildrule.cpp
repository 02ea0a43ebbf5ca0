#include "project/rebuildrule.h"

#include <QFileInfo>

namespace tirvela {

bool flashImageNeedsRebuild(const QString &projectFile, const QString &flashImage, bool projectModified)
{
    if (projectModified)
        return true;
    const QFileInfo image(flashImage);
    if (!image.isFile() || !image.isReadable() || image.size() == 0)
        return true;
    return QFileInfo(projectFile).lastModified() > image.lastModified();
}

QString flashImageNameOf(const QString &projectFile)
{
    const QString suffix = QFileInfo(projectFile).suffix();
    return (suffix.isEmpty() ? projectFile : projectFile.chopped(suffix.size() + 1)) + QStringLiteral(".bin");
}

} // namespace tirvela
