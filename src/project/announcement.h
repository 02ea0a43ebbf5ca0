#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace tirvela {

class MessageLog;
class SoundTable;
class StopNode;
class StopTree;

// The item texts (SoundFile names, Windows-1251) a stop announces, in the device's order: the
// items of its first group ("Остановка"), then those of its second ("Следующая остановка").
QList<QByteArray> announcementItems(const StopNode &stop);

// The same for the stop a node path leads to: child indices from a direction node down to a
// stop or any node under it (a group or an item announces its whole stop). Empty for a direction
// node or a path that leads nowhere.
QList<QByteArray> announcementItems(const StopTree &tree, const QList<int> &nodePath);

// The files of the sounds folder to play for the item texts, in order. An item that names no
// SoundFile of the table is named in the log and skipped.
QStringList announcementFiles(const QList<QByteArray> &itemTexts, const SoundTable &sounds, MessageLog &log);

} // namespace tirvela
