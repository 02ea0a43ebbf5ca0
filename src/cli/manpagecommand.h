#pragma once

#include "cli/command.h"

namespace tirvela::cli {

// man-page: prints the manual page of tirvela-cli in roff, made from the descriptions the help shows.
Command manPageCommand();

} // namespace tirvela::cli
