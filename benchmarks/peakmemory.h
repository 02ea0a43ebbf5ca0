#pragma once

#include <QFile>

// The peak resident memory of the benchmark process (Linux), and a way to restart it.
namespace tirvela::bench {

// The peak resident memory (kB) since the last reset, from /proc/self/status; -1 where there is none.
inline long peakMemoryKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// Lets the next peak reading start from the memory in use now (Linux: "5" to clear_refs).
inline bool resetPeakMemory()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

} // namespace tirvela::bench
