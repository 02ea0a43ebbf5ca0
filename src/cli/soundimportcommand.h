#pragma once

#include "cli/command.h"

namespace tirvela::cli {

// sound-import FILE...: turns recordings into SoundFiles of the sounds folder.
Command soundImportCommand();

} // namespace tirvela::cli
