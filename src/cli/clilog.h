#pragma once

#include "common/messagelog.h"
#include "cli/cliio.h"

#include <QStringList>

namespace tirvela::cli {

// The message log of the command-line tool: every line goes to standard output at once; the
// place in the project that a line is about follows it on standard error.
class CliLog : public MessageLog
{
public:
    void logMessage(const QString &line) override
    {
        out() << line << '\n';
        out().flush();
    }

    void logMessageAt(const QString &line, const LogPlace &place) override
    {
        logMessage(line);
        err() << place.text << '\n';
        err().flush();
    }
};

// Lines held back while another part of a command has its say first, to be told after it.
class HeldLog : public MessageLog
{
public:
    void logMessage(const QString &line) override { mLines.append(line); }

    void tellInto(MessageLog &log) const
    {
        for (const QString &line : mLines)
            log.logMessage(line);
    }

private:
    QStringList mLines;
};

} // namespace tirvela::cli
