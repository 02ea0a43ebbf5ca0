#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

#include <vector>

namespace tirvela {

// One SoundFile of the sounds folder.
struct SoundEntry
{
    QString fileName; // as found on disk: to open the file and to show it
    QByteArray key;   // the name in upper-case Windows-1251, what sound items are matched against
    QString folder;   // the sounds folder, ending in '/'

    QString path() const { return folder + fileName; }
};

// The SoundFiles found by the last listing of the sounds folder. Entries keep their index
// until the table is cleared; sound items find them without regard to letter case.
class SoundTable
{
public:
    void clear();
    void append(SoundEntry entry);

    int count() const { return int(mEntries.size()); }
    bool isEmpty() const { return mEntries.empty(); }
    const SoundEntry &at(int index) const { return mEntries[size_t(index)]; }

    // The first entry whose key equals the item text in upper case (Windows-1251), or -1.
    int find(QByteArrayView itemText) const;

private:
    std::vector<SoundEntry> mEntries;
    QHash<QByteArray, int> mFirstByKey;
};

} // namespace tirvela
