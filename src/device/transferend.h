#pragma once

#include "common/status.h"

namespace tirvela {

// How a device transfer ended when it did not fail; a failure is the Status of its Result, with
// the message the user was given.
enum class TransferEnd { Completed, Cancelled };

inline bool wasCancelled(const Result<TransferEnd> &result)
{
    return result.ok() && result.value() == TransferEnd::Cancelled;
}

} // namespace tirvela
