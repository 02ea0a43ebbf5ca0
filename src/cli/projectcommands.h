#pragma once

#include <QString>
#include <QStringList>

namespace tirvela::cli {

// The project file commands; each takes the arguments after its name (and, where it needs it,
// the program folder) and returns an exit code.
int runBuild(const QStringList &arguments, const QString &programFolder);  // build PROJECT.stm [-o OUT.bin]
int runSave(const QStringList &arguments);                                // save IN OUT.stm
int runDump(const QStringList &arguments);                                // dump FILE
int runSounds(const QStringList &arguments, const QString &programFolder); // sounds

} // namespace tirvela::cli
