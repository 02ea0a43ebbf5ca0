#include "settings/speechsection.h"

#include "common/cp1251.h"
#include "settings/inifile.h"

#include <algorithm>

namespace tirvela {

namespace {

constexpr QByteArrayView kSection = "SPEECH";
constexpr QByteArrayView kProgramKey = "PROGRAM";
constexpr QByteArrayView kVoiceKey = "VOICE";
constexpr QByteArrayView kRateKey = "RATE";
constexpr QByteArrayView kPitchKey = "PITCH";

int numberOf(const std::optional<QByteArray> &value, int fallback, int lowest, int highest)
{
    bool ok = false;
    const int number = value ? value->trimmed().toInt(&ok, 10) : 0;
    return ok ? std::clamp(number, lowest, highest) : fallback;
}

void writeUnlessDefault(IniFile &ini, QByteArrayView key, const QByteArray &value, const QByteArray &fallback)
{
    if (value != fallback || ini.value(kSection, key))
        ini.setValue(kSection, key, value);
}

} // namespace

SpeechSettings readSpeechSettings(const IniFile &ini)
{
    SpeechSettings settings;
    if (const auto program = ini.value(kSection, kProgramKey); program && !program->isEmpty())
        settings.program = fromCp1251(*program);
    if (const auto voice = ini.value(kSection, kVoiceKey); voice && !voice->isEmpty())
        settings.voice = fromCp1251(*voice);
    settings.rate = numberOf(ini.value(kSection, kRateKey), SpeechSettings::kDefaultRate, SpeechSettings::kSlowestRate,
                             SpeechSettings::kFastestRate);
    settings.pitch = numberOf(ini.value(kSection, kPitchKey), SpeechSettings::kDefaultPitch, 0, 99);
    return settings;
}

void writeSpeechSettings(IniFile &ini, const SpeechSettings &settings)
{
    const SpeechSettings defaults;
    writeUnlessDefault(ini, kVoiceKey, toCp1251(settings.voice), toCp1251(defaults.voice));
    writeUnlessDefault(ini, kRateKey, QByteArray::number(settings.rate), QByteArray::number(defaults.rate));
    writeUnlessDefault(ini, kPitchKey, QByteArray::number(settings.pitch), QByteArray::number(defaults.pitch));
}

} // namespace tirvela
