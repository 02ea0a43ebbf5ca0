#include "project/announcement.h"

#include "common/cp1251.h"
#include "common/messagelog.h"
#include "sound/soundtable.h"
#include "project/stoplistedits.h"

namespace tirvela {

QList<QByteArray> announcementItems(const StopNode &stop)
{
    // The groups mean what they mean by position, whatever their text says.
    QList<QByteArray> items;
    for (int group = 0; group < 2 && group < stop.childCount(); ++group) {
        for (const StopNode &item : stop.child(group).children())
            items.append(item.text);
    }
    return items;
}

QList<QByteArray> announcementItems(const StopTree &tree, const QList<int> &nodePath)
{
    if (nodePath.size() < 2)
        return {};
    const StopNode *node = nodeAt(tree, {nodePath[0], nodePath[1]});
    return node ? announcementItems(*node) : QList<QByteArray>();
}

QStringList announcementFiles(const QList<QByteArray> &itemTexts, const SoundTable &sounds, MessageLog &log)
{
    QStringList files;
    for (const QByteArray &text : itemTexts) {
        const int entry = sounds.find(text);
        if (entry < 0)
            log.logMessage(QStringLiteral("Звуковой файл \"%1\" не найден в каталоге SOUNDS, он пропущен")
                               .arg(fromCp1251(text)));
        else
            files.append(sounds.at(entry).path());
    }
    return files;
}

} // namespace tirvela
