#pragma once

#include "device/transferend.h"

#include <QString>

namespace tirvela::test {

// How a transfer ended, as a word a failed comparison shows: "completed", "cancelled" or "failed".
inline QString endingOf(const Result<TransferEnd> &result)
{
    if (!result.ok())
        return QStringLiteral("failed");
    return result.value() == TransferEnd::Completed ? QStringLiteral("completed") : QStringLiteral("cancelled");
}

} // namespace tirvela::test
