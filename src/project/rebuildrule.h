#pragma once

#include <QString>

namespace tirvela {

// Whether the flash image must be built again before it is sent to the Announcer: the project has
// unsaved changes, the image is missing, empty or not a readable file, or the project file was
// written after it.
bool flashImageNeedsRebuild(const QString &projectFile, const QString &flashImage, bool projectModified);

// The flash image of a project file: its name with the extension replaced by ".bin".
QString flashImageNameOf(const QString &projectFile);
// The project file beside a flash image (or any file): its name with the extension replaced by ".stm".
QString projectFileNameOf(const QString &fileName);

} // namespace tirvela
