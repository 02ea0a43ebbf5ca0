#pragma once

#include <QList>
#include <QString>

#include <utility>

namespace tirvela {

// A replacement the user gives for a text of stop names that Windows-1251 cannot store.
using NameReplacement = std::pair<QString, QString>;

struct StorableName
{
    QString name;      // what goes into the stop list; Windows-1251 can store it unless `refused` is set
    bool folded = false; // a letter with a diacritic lost its mark
    QString refused;   // the characters that could be neither stored nor folded, each once
};

// A feed's stop name made storable: blanks and line breaks made single blanks, the user's
// replacements made, then each letter that Windows-1251 lacks but whose base letter it has
// folded to that letter (ș to s, ă to a, ł to l); any other such character is refused.
StorableName storableStopName(const QString &feedName, const QList<NameReplacement> &replacements = {});

// The sound file a stop announces itself with: its name with ".wav", each character that a file
// name cannot hold made "_" and trailing dots and blanks (which Windows drops) left out.
QString stopSoundFileName(const QString &stopName);

} // namespace tirvela
