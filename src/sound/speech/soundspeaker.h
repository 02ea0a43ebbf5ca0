#pragma once

#include "sound/import/soundimport.h"
#include "sound/speech/speechsettings.h"
#include "sound/speech/pronunciationlist.h"

#include <QString>
#include <QTemporaryDir>

namespace tirvela {

class TransferProgress;

// Makes SoundFiles by speech: a text, read after the pronunciation list, is spoken by the
// synthesiser into a temporary WAVE file, which goes through the same import as a recording
// (16 kHz mono 8-bit, peak at -1 dB of full scale, dither, safe replace) into the sounds folder.
class SoundSpeaker
{
public:
    SoundSpeaker(const QString &programFolder, const SpeechSettings &settings, PronunciationList pronunciation);

    // What a SoundFile's name says: the name without ".wav", '_' read as a blank.
    static QString textOfSoundName(const QString &fileName);

    QString spokenText(const QString &text) const { return mPronunciation.spoken(text); }

    // Speaks `text` into the SoundFile `name`; an existing one (letter case aside) is replaced
    // only with `replace`, as the import does. `progress` (may be null) can stop the synthesiser.
    SoundImportResult speak(const QString &text, const QString &name, bool replace, TransferProgress *progress = nullptr);

private:
    QString mProgramFolder;
    SpeechSettings mSettings;
    PronunciationList mPronunciation;
    QTemporaryDir mScratch;
};

} // namespace tirvela
