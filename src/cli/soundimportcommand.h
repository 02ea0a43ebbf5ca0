#pragma once

#include <QStringList>

namespace tirvela::cli {

// tirvela-cli sound-import FILE...: turns recordings into SoundFiles of the sounds folder.
int runSoundImport(const QStringList &arguments, const QString &programFolder);

} // namespace tirvela::cli
