#pragma once

#include "project/stoplistedits.h"

#include <QWidget>

class QTreeView;

namespace tirvela {

class Document;
class StopListModel;
class UserDialogs;

// The stop list editor of one route: its directions, stops, groups and items as a tree, with
// Insert, Delete, Up, Down and Edit on the tool bar, in the context menu and on the keyboard.
// Every edit is an undo step on the document; closing the window stores the tree.
class StopListWindow : public QWidget
{
    Q_OBJECT

public:
    // Opens the route's tree; nullptr, after telling why, when its stored stop list does not read.
    static StopListWindow *open(Document &document, UserDialogs &dialogs, int route, QWidget *parent = nullptr);

    int route() const { return mRoute; }
    QTreeView *tree() const { return mView; }
    StopListModel *model() const { return mModel; }
    // The selected node's path; empty when nothing is selected.
    StopPath selectedPath() const;
    void select(const StopPath &path);
    // Makes the selected node the editor's current target.
    void makeSelectionCurrent();

    void insertNode();
    void deleteNode();
    void moveNode(int direction); // -1 up, +1 down
    void editNode();
    // Adds a sound file under the selected stop's sound group (the sound files window's "Добавить").
    void addSoundFile(const QString &fileName);
    // "Прослушать объявление": asks for the selected stop's announcement to be played, or for the
    // playing to stop when it is playing.
    void listen();
    // "Озвучить": asks for the selected stop (or its sound file) to be spoken.
    void speak();
    // Whether an announcement is playing: then any key stops it.
    void setListening(bool listening) { mListening = listening; }

signals:
    // Play these sound items in order; an empty list stops the playing.
    void listenRequested(const QList<QByteArray> &items);
    // Speak the stop or sound item at this path.
    void speakRequested(int route, const tirvela::StopPath &path);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    StopListWindow(Document &document, UserDialogs &dialogs, int route, StopTree &tree, QWidget *parent);
    void createActions();
    void updateCaption();
    void editText(const StopPath &path, const QString &typed);

    Document &mDocument;
    UserDialogs &mDialogs;
    int mRoute;
    StopListModel *mModel;
    QTreeView *mView;
    bool mListening = false;
};

} // namespace tirvela
