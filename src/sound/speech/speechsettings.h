#pragma once

#include <QString>

#include <array>

namespace tirvela {

// How missing sound files are spoken: the speech synthesiser program and its voice.
struct SpeechSettings
{
    static constexpr int kSlowestRate = 80;   // words a minute
    static constexpr int kFastestRate = 450;
    static constexpr int kDefaultRate = 175;
    static constexpr int kDefaultPitch = 50;  // 0 to 99

    QString program = QStringLiteral("espeak-ng"); // [SPEECH] PROGRAM: a name looked up in PATH, or a path
    QString voice = QStringLiteral("ru");          // [SPEECH] VOICE
    int rate = kDefaultRate;                       // [SPEECH] RATE
    int pitch = kDefaultPitch;                     // [SPEECH] PITCH

    bool operator==(const SpeechSettings &) const = default;
};

// A voice of the synthesiser for a language whose letters Windows-1251 holds.
struct SpeechVoice
{
    const char *name;     // the synthesiser's voice name
    const char16_t *caption;
};

inline constexpr std::array<SpeechVoice, 6> kSpeechVoices = {{
    {"ru", u"Русский"},
    {"uk", u"Украинский"},
    {"be", u"Белорусский"},
    {"bg", u"Болгарский"},
    {"sr", u"Сербский"},
    {"mk", u"Македонский"},
}};

} // namespace tirvela
