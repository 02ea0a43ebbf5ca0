#include "project/announcement.h"

#include "common/cp1251.h"
#include "common/messagelog.h"
#include "project/soundtable.h"
#include "project/stoptree.h"

namespace tirvela {

QList<QByteArray> announcementItems(const StopNode &stop)
{
    // The groups mean what they mean by position, whatever their text says.
    QList<QByteArray> items;
    for (size_t group = 0; group < 2 && group < stop.children.size(); ++group) {
        for (const StopNode &item : stop.children[group].children)
            items.append(item.text);
    }
    return items;
}

QList<QByteArray> announcementItems(const StopTree &tree, const QList<int> &nodePath)
{
    if (nodePath.size() < 2)
        return {};
    const std::vector<StopNode> *level = &tree.roots;
    const StopNode *node = nullptr;
    for (int depth = 0; depth < 2; ++depth) {
        const int index = nodePath[depth];
        if (index < 0 || size_t(index) >= level->size())
            return {};
        node = &(*level)[size_t(index)];
        level = &node->children;
    }
    return announcementItems(*node);
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
