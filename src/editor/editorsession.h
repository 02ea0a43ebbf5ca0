#pragma once

#include "sound/soundlibrary.h"
#include "sound/soundtable.h"
#include "settings/editorsettings.h"

#include <QString>

namespace tirvela {

class MessageLog;

// What the editor reads once at start and keeps for the run: the program folder, the mode and
// the settings (which the settings dialog changes), and the list of sound files.
struct EditorSession
{
    QString programFolder; // ends in "/"
    bool extendedMode = false;
    EditorSettings settings;
    SoundTable sounds;

    // Lists the sounds folder unless the list has entries already; the outcome carries the message
    // to show when the folder is missing or holds no sound file.
    SoundListing listSoundsIfEmpty(MessageLog &log);
};

} // namespace tirvela
