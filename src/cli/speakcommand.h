#pragma once

#include "cli/command.h"

namespace tirvela::cli {

// speak TEXT: speaks a text into a SoundFile.
Command speakCommand();

// speak-missing PROJECT.stm: speaks every SoundFile the project names that the sounds folder lacks,
// the common phrases included, and sums up what was made.
Command speakMissingCommand();

} // namespace tirvela::cli
