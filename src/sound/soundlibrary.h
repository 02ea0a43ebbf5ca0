#pragma once

#include "sound/soundtable.h"

#include <QString>
#include <QStringList>

namespace tirvela {

class MessageLog;

struct SoundListing
{
    enum class Outcome {
        Listed,          // the table holds what was found
        FolderCreated,   // there was no sounds folder; an empty one was made
        FolderNotMade,   // there was no sounds folder and none was made
        NoSoundFiles,    // the folder holds no WAVE file, or cannot be listed
    };
    Outcome outcome = Outcome::Listed;
    QString message; // for every outcome but Listed: the message to show the user
    QString reason;  // when the folder could not be listed or made: why, in the system's words
};

enum class MissingSoundsFolder {
    Create, // the editor: a program folder without one gets an empty sounds folder
    Report, // the command-line tool, which only reads: nothing is made
};

// The sounds folder of a program folder, ending in '/': its sub-folder named "sounds" in any
// letter case (a SOUNDS folder copied from Windows is used); when several are there, "sounds"
// itself, else the first by name, and the others are added to `ignored`. When there is none,
// the "sounds" folder to make.
QString soundsFolderOf(const QString &programFolder, QStringList *ignored = nullptr);

// Empties the table and fills it with the "*.wav" files (any letter case) of the sounds folder,
// sorted by name. A file whose name Windows-1251 cannot hold, and a sounds folder that is not
// used, are named in the log. No file is checked here. A missing sounds folder is only ever made
// inside a program folder that exists, never the path to it.
SoundListing listSoundsFolder(SoundTable &table, const QString &programFolder, MessageLog &log,
                              MissingSoundsFolder missing = MissingSoundsFolder::Create);

} // namespace tirvela
