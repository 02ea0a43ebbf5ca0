#pragma once

#include "cli/command.h"

namespace tirvela::cli {

// gtfs FEED: lists the routes of a transit timetable feed (a ZIP archive or a folder).
// gtfs FEED --route R [...] [--into PROJECT.stm]: shows what one route becomes and, with --into,
// adds it to the project.
Command gtfsCommand();

} // namespace tirvela::cli
