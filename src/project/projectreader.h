#pragma once

#include "common/status.h"

#include <QString>
#include <QStringList>

namespace tirvela {

class Project;

// The longest route stream a project file may hold: several times what the stop list of a route
// can use (127 stops, each with its sounds and 255 control times). The reader refuses a longer
// one before reading it; the writer refuses to save one.
constexpr qint64 MaxRouteStreamSize = 4 << 20;

struct ProjectReadResult
{
    enum class Outcome {
        Loaded,
        NotFound,   // no file of that name; the caller decides whether that is worth a word
        Unreadable, // the file exists but cannot be read
        Damaged,    // the file does not follow the layout
    };
    Outcome outcome = Outcome::Loaded;
    // For every outcome but Loaded: one line for the user; when unreadable, the system's reason apart.
    Status status = Status::success();
    QStringList notes = {}; // when loaded: lines for the message log (board data files not found or not read)

    bool ok() const { return outcome == Outcome::Loaded; }
};

// Loads a project file or a flash image (they share the layout) into the project: the route
// count, the route streams and the board images, and rebuilds the board content from the images.
// The current layout ("KV21") carries the images; the older one ("KV20") takes them from the
// board data files in `boardDataFolder` (empty: the folder of the file itself, so that the result
// does not depend on where the program was started); a data file that is not there leaves its
// board type without pictures, and the notes say so. The whole project part of
// the file is checked before anything is taken over: a file that does not follow the layout is
// refused with "Файл <name> повреждён: <what>", and the project stays exactly as it was. What
// follows the route streams (stop tables, sound data) is not read. Only a regular file is read.
ProjectReadResult readProjectFile(Project &project, const QString &fileName, const QString &boardDataFolder = {});

} // namespace tirvela
