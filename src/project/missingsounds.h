#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace tirvela {

class Project;
class SoundTable;

struct MissingSounds
{
    QStringList names;    // SoundFiles to make, each once (letter case aside), in the order first named
    QStringList problems; // stop lists that do not read, items that name no "*.wav" file
};

// The SoundFiles the project's stops announce, and the common phrases every flash image carries,
// that the sounds folder (as listed in `sounds`) does not hold.
MissingSounds findMissingSounds(const Project &project, const SoundTable &sounds);

} // namespace tirvela
