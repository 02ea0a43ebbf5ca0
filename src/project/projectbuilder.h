#pragma once

#include "common/status.h"

#include <QString>

namespace tirvela {

class MessageLog;
class Project;
class SoundTable;

enum class BuildMode {
    ProjectFile = 0, // the .stm: no sound is looked up or opened, FragmentRecords are zeros
    FlashImage = 1,  // the .bin: every sound item is checked and its SoundFile's data stored once
};

// What a failed flash image build leaves at its target.
enum class FailedBuild {
    EmptyImage, // an empty file, so that no older image passes for the one the build did not make
    KeepFile,   // the file as it was: it holds what nothing else does (the image a project was read from)
};

// Writes the project file or the flash image of a project: the header records, the board block,
// the route streams, then the stop tables of the common phrases and of every route with the
// sound data. The board images are built from the board content; the project is not changed.
// The target is replaced in one step: a project file that cannot be written in full leaves the
// previous file as it was; a flash image build that finds a problem leaves an empty file, never a
// partial one. An old flash image that is not to be kept loses its name as soon as the new one is
// opened (see OldFileRemoval): a build cut off midway leaves no file at all. A project whose board
// content would not survive the save (it does not fit a board image, an element's position or text
// does not fit its bytes, or a route number text ends the route table early) is refused.
// The sound data are copied from the SoundFiles one at a time, never held all at once.
// So is a project with a route stream longer than the reader accepts, before anything is built.
// A target that exists and is not a regular file is refused before anything is written; the
// caller checks that it is not the file the project was read from (checkOutputFile).
// A failure's message is set only when the file itself could not be written (the platform's
// error text, for a message box); everything else the build finds is reported in the log.
Status buildProjectFile(const Project &project, const SoundTable &sounds, const QString &fileName, MessageLog &log,
                        BuildMode mode, FailedBuild failed = FailedBuild::EmptyImage);

// Leaves an empty flash image at `fileName`, so that no older image passes for the one
// a failed build (or a project that could not be read) did not make. Fails with the platform's
// error text when the file cannot be written.
Status emptyFlashImage(const QString &fileName);

// How messages name a route: "Маршрут 3", with its number text when it has one ("Маршрут 3 («12»)").
QString routeCaption(const Project &project, int route);

} // namespace tirvela
