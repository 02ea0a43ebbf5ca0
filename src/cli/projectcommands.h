#pragma once

#include <QStringList>

namespace tirvela::cli {

// The project file commands; each takes the arguments after its name and returns an exit code.
int runBuild(const QStringList &arguments);  // build PROJECT.stm [-o OUT.bin] [--program-dir DIR]
int runSave(const QStringList &arguments);   // save IN OUT.stm
int runDump(const QStringList &arguments);   // dump FILE
int runSounds(const QStringList &arguments); // sounds [--program-dir DIR]

} // namespace tirvela::cli
