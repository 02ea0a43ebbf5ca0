#include "sound/soundtable.h"

#include "common/cp1251.h"

namespace tirvela {

void SoundTable::clear()
{
    mEntries.clear();
    mFirstByKey.clear();
}

void SoundTable::append(SoundEntry entry)
{
    if (!mFirstByKey.contains(entry.key))
        mFirstByKey.insert(entry.key, count());
    mEntries.push_back(std::move(entry));
}

int SoundTable::find(QByteArrayView itemText) const
{
    return mFirstByKey.value(cp1251ToUpper(itemText), -1);
}

} // namespace tirvela
