#pragma once

#include <QString>
#include <QStringList>

namespace tirvela::cli {

// tirvela-cli speak TEXT [--name NAME.wav] [--force]: speaks a text into a SoundFile.
int runSpeak(const QStringList &arguments, const QString &programFolder);

// tirvela-cli speak-missing PROJECT.stm: speaks every SoundFile the project names that the sounds
// folder lacks, the common phrases included, and sums up what was made.
int runSpeakMissing(const QStringList &arguments, const QString &programFolder);

} // namespace tirvela::cli
