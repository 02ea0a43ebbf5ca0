#pragma once

#include <QString>

#include <memory>

namespace tirvela {
class MessageLog;
class Project;
class SoundTable;
}

namespace tirvela::cli {

enum class MissingProject { Fails, StartsEmpty };

// Reads a project file or flash image; on failure says why on standard error and gives nullptr.
// Notes of a read (board data files not found) go to standard error too. A file that does not
// exist fails, or gives a new project without routes when it is to be made.
std::unique_ptr<Project> readProject(const QString &fileName, MissingProject missing = MissingProject::Fails);

// Lists the sounds folder without making one; a problem goes to the log with its reason.
bool listSounds(SoundTable &sounds, const QString &programFolder, MessageLog &log);

} // namespace tirvela::cli
