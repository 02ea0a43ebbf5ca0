#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>

namespace tirvela::bench {

// Runs a program to its end, its output dropped and its errors shown, and gives its wall time in
// seconds, or a negative number when it failed.
inline double runTimed(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return -1;
    return timer.nsecsElapsed() / 1e9;
}

} // namespace tirvela::bench
