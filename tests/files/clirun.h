#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <csignal>
#include <sys/resource.h>

// Runs tirvela-cli (TIRVELA_CLI) as a user runs it, optionally under resource limits.
namespace tirvela::fixture {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

struct CliLimits
{
    rlim_t addressSpace = 0; // bytes of virtual memory, 0 for no limit
    rlim_t fileSize = 0;     // largest file the process may write, 0 for no limit (as a full disk does)
};

struct CliRun
{
    bool finished = false; // false: still running at the time-out, then killed
    int exitCode = -1;     // -1 also when the program crashed or aborted
    QString out;
    QString err;
};

inline CliRun runCli(const QStringList &arguments, const QString &workingDir, CliLimits limits = {},
                     int timeoutMs = 60000, const QString &program = QStringLiteral(TIRVELA_CLI))
{
    QProcess process;
    process.setWorkingDirectory(workingDir);
    process.setChildProcessModifier([limits] {
        if (limits.addressSpace) {
            const rlimit limit{limits.addressSpace, limits.addressSpace};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        if (limits.fileSize) {
            // Writes past the limit then fail with EFBIG instead of ending the process.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{limits.fileSize, limits.fileSize};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
    });
    process.start(program, arguments);
    CliRun run;
    run.finished = process.waitForFinished(timeoutMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    }
    if (process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace tirvela::fixture
