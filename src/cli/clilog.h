#pragma once

#include "common/messagelog.h"
#include "cli/cliio.h"

namespace tirvela::cli {

// The message log of the command-line tool: every line goes to standard output at once.
class CliLog : public MessageLog
{
public:
    void logMessage(const QString &line) override
    {
        out() << line << '\n';
        out().flush();
    }
};

} // namespace tirvela::cli
