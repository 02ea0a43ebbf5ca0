#pragma once

#include <QString>

#include <utility>
#include <variant>

namespace tirvela {

// How an operation that can fail ended: on failure, the message the user is shown and, apart
// from it, the system's reason where there is one (for a log or a trace; often empty).
struct Status
{
    QString message;
    QString reason;

    bool ok() const { return !mFailed; }

    static Status success() { return {}; }
    static Status failure(QString message, QString reason = {})
    {
        Status status;
        status.message = std::move(message);
        status.reason = std::move(reason);
        status.mFailed = true;
        return status;
    }

private:
    bool mFailed = false;
};

// A value, or the Status of why there is none.
template<typename T>
class Result
{
public:
    Result(T value) : mContent(std::move(value)) {}
    Result(Status failure) : mContent(std::move(failure)) {}

    bool ok() const { return std::holds_alternative<T>(mContent); }
    // Only when ok().
    const T &value() const { return std::get<T>(mContent); }
    T &value() { return std::get<T>(mContent); }
    Status status() const { return ok() ? Status::success() : std::get<Status>(mContent); }

private:
    std::variant<T, Status> mContent;
};

} // namespace tirvela
