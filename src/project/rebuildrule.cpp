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

namespace {

QString withExtension(const QString &fileName, const QString &extension)
{
    const QString suffix = QFileInfo(fileName).suffix();
    return (suffix.isEmpty() ? fileName : fileName.chopped(suffix.size() + 1)) + extension;
}

} // namespace

QString flashImageNameOf(const QString &projectFile)
{
    return withExtension(projectFile, QStringLiteral(".bin"));
}

QString projectFileNameOf(const QString &fileName)
{
    return withExtension(fileName, QStringLiteral(".stm"));
}

} // namespace tirvela
