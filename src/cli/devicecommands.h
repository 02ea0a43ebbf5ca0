#pragma once

#include <QString>
#include <QStringList>

namespace tirvela::cli {

// tirvela-cli program FILE.bin: writes a flash image into the Announcer.
int runProgramAnnouncer(const QStringList &arguments, const QString &programFolder);
// tirvela-cli blinker-route TEXT: shows a route number on the route-number board.
int runBlinkerRoute(const QStringList &arguments, const QString &programFolder);
// tirvela-cli blinker-program PROJECT.stm: programs the route-number board with a project's board content.
int runBlinkerProgram(const QStringList &arguments, const QString &programFolder);

} // namespace tirvela::cli
