#pragma once

#include "project/stoplistedits.h"

#include <QTableWidget>

#include <functional>

namespace tirvela {

class CurrentTarget;
class Document;
class UserDialogs;

// The tools window's stop properties: the name, sound file and control time of the stop node that
// is the current target (selected in the stop list editor), each changed by a double click as an
// undo step. With no node (the editor closed) every value is "-" and nothing can be changed.
class StopPropertiesGrid : public QTableWidget
{
    Q_OBJECT

public:
    StopPropertiesGrid(Document &document, UserDialogs &dialogs, QWidget *parent = nullptr);

    void refresh();
    // What a double click on the value of a row does: 0 name, 1 sound file, 2 control time.
    void activate(int row);
    // The names of the sounds folder's files: offered while a sound file is typed, and a name
    // that is not among them is marked.
    void setSoundNames(std::function<QStringList()> names) { mSoundNames = std::move(names); }

private:
    const StopNode *node() const;
    void editName(const StopNode &stop);
    void editSoundFile(const StopNode &item);
    void editControlTime();
    std::optional<QByteArray> askStopText(const QString &title, const QString &prompt, const QString &proposed);

    int route() const;
    const StopPath &path() const;

    Document &mDocument;
    const CurrentTarget &mTarget;
    UserDialogs &mDialogs;
    std::function<QStringList()> mSoundNames;
};

} // namespace tirvela
