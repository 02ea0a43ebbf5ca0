#pragma once

#include <QString>

#include <vector>

namespace tirvela {

// The place in the project that a log line is about: a node of a route's stop list, and the
// words that name it for the reader.
struct LogPlace
{
    int route = -1;        // index of the route; -1 for what belongs to no route (the common phrases)
    std::vector<int> path; // the node's row on each level of the stop list, from the direction down
    QString text;          // "маршрут 12, прямое направление, остановка «Вокзал», группа «Остановка»"
};

// Where long operations report progress and problems, one line each: a window in the editor,
// standard output in the command-line tool, a list in the tests.
class MessageLog
{
public:
    virtual ~MessageLog() = default;
    virtual void logMessage(const QString &line) = 0;
    // A line about a place in the project, then the place on a line of its own.
    virtual void logMessageAt(const QString &line, const LogPlace &place)
    {
        logMessage(line);
        logMessage(place.text);
    }
};

} // namespace tirvela
