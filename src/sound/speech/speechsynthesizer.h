#pragma once

#include "common/status.h"
#include "sound/speech/speechsettings.h"

#include <QString>

namespace tirvela {

class TransferProgress;

struct SpeechOutcome
{
    enum class Ending { Spoken, Cancelled, Failed };

    Ending ending = Ending::Failed;
    // When it failed: why, for the user (what to install when there is no synthesiser), and what
    // the program itself said, apart.
    Status status = Status::success();
};

// Whether the synthesiser program of the settings can be started; a failure says what to install
// (or to set), for the user.
Status checkSpeechSynthesizer(const SpeechSettings &settings);

// Speaks a text into a WAVE file with the synthesiser program (espeak-ng) run as a process of its
// own, so that its crash or hang cannot take the program with it: the text goes in on its
// standard input (a text starting with '-' is no option), and a run that takes longer than a
// minute, or that the user stops through `progress` (may be null), is killed.
SpeechOutcome synthesizeSpeech(const QString &text, const QString &wavePath, const SpeechSettings &settings,
                               TransferProgress *progress = nullptr);

} // namespace tirvela
