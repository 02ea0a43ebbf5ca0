#include "cli/projectinput.h"

#include "cli/cliio.h"
#include "common/messagelog.h"
#include "project/boardcontent.h"
#include "project/project.h"
#include "project/projectreader.h"
#include "sound/soundlibrary.h"

namespace tirvela::cli {

// The project is large; it lives on the heap.
std::unique_ptr<Project> readProject(const QString &fileName, MissingProject missing)
{
    auto project = std::make_unique<Project>();
    newProject(*project);
    const ProjectReadResult read = readProjectFile(*project, fileName);
    if (read.outcome == ProjectReadResult::Outcome::NotFound && missing == MissingProject::StartsEmpty) {
        newProject(*project);
        project->routeCount = 0;
        return project;
    }
    if (!read.ok()) {
        err() << read.status.message << '\n';
        return nullptr;
    }
    // On standard error: dump writes its JSON to standard output.
    for (const QString &note : read.notes)
        err() << note << '\n';
    return project;
}

bool listSounds(SoundTable &sounds, const QString &programFolder, MessageLog &log)
{
    const SoundListing listing = listSoundsFolder(sounds, programFolder, log, MissingSoundsFolder::Report);
    if (listing.outcome == SoundListing::Outcome::Listed)
        return true;
    log.logMessage(listing.message);
    if (!listing.reason.isEmpty())
        log.logMessage(QStringLiteral("Причина: ") + listing.reason);
    return false;
}

} // namespace tirvela::cli
