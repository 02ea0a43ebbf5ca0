#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace tirvela {

// How names are read aloud: pairs "written = spoken" from the pronunciation list, applied to whole
// words without regard to letter case ("ул." → "улица"), then every number read as words.
class PronunciationList
{
public:
    struct Entry
    {
        QString written;
        QString spoken;
    };

    struct LoadResult
    {
        bool found = false;      // false: there is no list; names are spoken as written
        QStringList problems;    // one line each: the file that could not be read, or a line that was skipped
    };

    // The name of the list in the program folder.
    static QString fileName();

    // Where the list is read from: the program folder's own, else the one installed beside the
    // program (../share/tirvela/ from the folder of the executable).
    static QString pathFor(const QString &programFolder, const QString &executableFolder);

    // Reads a UTF-8 list, one "written = spoken" a line; blank lines and lines that start with
    // '#' are skipped, and so is a line without '=' or with nothing before it (named in the problems).
    LoadResult load(const QString &path);
    void setEntries(std::vector<Entry> entries);
    const std::vector<Entry> &entries() const { return mEntries; }

    // What the synthesiser is given for a text. The longest written form that matches at a place
    // wins; what has been put in is not looked at again.
    QString spoken(const QString &text) const;

private:
    std::vector<Entry> mEntries; // the longest written forms first
};

} // namespace tirvela
