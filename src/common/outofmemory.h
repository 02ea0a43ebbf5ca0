#pragma once

#include <QString>

#include <new>
#include <optional>

namespace tirvela {

// Runs one command's work so that an allocation failing inside it ends that work, not the
// program: the result of `work`, or nothing when memory ran out (then tell the user
// outOfMemoryMessage()). The work must leave no shared state half changed when it stops midway.
template <typename Work>
auto runUnlessOutOfMemory(Work &&work) -> std::optional<decltype(work())>
{
    try {
        return work();
    } catch (const std::bad_alloc &) {
        return std::nullopt;
    }
}

inline QString outOfMemoryMessage()
{
    return QStringLiteral("Недостаточно памяти для выполнения команды, она прервана");
}

} // namespace tirvela
