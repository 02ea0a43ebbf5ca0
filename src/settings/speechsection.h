#pragma once

#include "sound/speech/speechsettings.h"

namespace tirvela {

class IniFile;

// Section SPEECH of editor.ini. A rate or pitch that is no whole number gives the default, one
// out of range the nearest end.
SpeechSettings readSpeechSettings(const IniFile &ini);

// Writes VOICE, RATE and PITCH, each only when the file has it already or it is not the default,
// so that the settings of a file without speech settings keep their bytes. PROGRAM is set by hand.
void writeSpeechSettings(IniFile &ini, const SpeechSettings &settings);

} // namespace tirvela
