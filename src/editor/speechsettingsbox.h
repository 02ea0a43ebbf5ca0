#pragma once

#include "sound/speech/speechsettings.h"

#include <QGroupBox>

class QComboBox;
class QSpinBox;

namespace tirvela {

// The speech part of the settings dialog: the synthesiser's voice, speech rate and pitch.
class SpeechSettingsBox : public QGroupBox
{
    Q_OBJECT

public:
    explicit SpeechSettingsBox(QWidget *parent = nullptr);

    void showSettings(const SpeechSettings &settings);
    // The settings as the controls hold them; the program is kept from `base`.
    SpeechSettings settings(const SpeechSettings &base) const;

private:
    QComboBox *mVoice;
    QSpinBox *mRate;
    QSpinBox *mPitch;
};

} // namespace tirvela
