#pragma once

#include "common/status.h"

#include <QString>

namespace tirvela {

// Checks a name for a new SoundFile: a plain file name (no folder, no character that a Windows
// file name cannot hold) that Windows-1251 can store, since the stop lists refer to it so.
// Gives the name with ".wav" added when it had no such ending; a failure's message says what is
// wrong, naming the character.
Result<QString> checkNewSoundName(const QString &name);

// The name of a SoundFile that says a text (a stop's name): the text with every character a file
// name cannot hold ("д/с") made '_', and ".wav".
QString soundNameFor(const QString &text);

// The name of the entry in the sounds folder that a SoundFile called `name` would replace: the
// "*.wav" entry of any kind (file, link, folder, FIFO, ...) whose name equals it without regard to
// letter case (what the sound table compares), or an empty text.
QString soundFileNamedAlike(const QString &soundsFolder, const QString &name);

} // namespace tirvela
