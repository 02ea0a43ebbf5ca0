#pragma once

#include <QString>

namespace tirvela {

// Where long operations report progress and problems, one line each: a window in the editor,
// standard output in the command-line tool, a list in the tests.
class MessageLog
{
public:
    virtual ~MessageLog() = default;
    virtual void logMessage(const QString &line) = 0;
};

} // namespace tirvela
