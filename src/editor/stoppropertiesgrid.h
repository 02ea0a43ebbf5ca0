#pragma once

#include "project/stoplistedits.h"

#include <QTableWidget>

#include <functional>

namespace tirvela {

class Document;
class UserDialogs;

// The tools window's stop properties: the name, sound file and control time of the node selected
// in the stop list editor, each changed by a double click as an undo step. With no node (the
// editor closed) every value is "-" and nothing can be changed.
class StopPropertiesGrid : public QTableWidget
{
    Q_OBJECT

public:
    StopPropertiesGrid(Document &document, UserDialogs &dialogs, QWidget *parent = nullptr);

    int route() const { return mRoute; }
    // Shows the properties of a node of the route's open stop list (none: an empty path).
    void showNode(int route, const StopPath &path);
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

    Document &mDocument;
    UserDialogs &mDialogs;
    int mRoute = 0;
    StopPath mNode;
    std::function<QStringList()> mSoundNames;
};

} // namespace tirvela
