#include "editor/stoplistwindow.h"

#include "document/currenttarget.h"
#include "document/document.h"
#include "editor/childwindows.h"
#include "document/stopcommands.h"
#include "editor/stoplistmodel.h"
#include "document/stoptrees.h"
#include "editor/textinput.h"
#include "editor/toolbaraction.h"
#include "editor/userdialogs.h"
#include "common/cp1251.h"
#include "project/announcement.h"
#include "project/editchecks.h"

#include <QAction>
#include <QCloseEvent>
#include <QHeaderView>
#include <QToolBar>
#include <QTreeView>
#include <QUndoStack>
#include <QVBoxLayout>

namespace tirvela {

namespace {

QString quoted(const QByteArray &text)
{
    return QStringLiteral("«%1»").arg(fromCp1251(text));
}

} // namespace

StopListWindow *StopListWindow::open(Document &document, UserDialogs &dialogs, int route, QWidget *parent)
{
    const StopTrees::Opened opened = document.stopTrees().open(route);
    if (!opened.tree) {
        dialogs.tell(parent, QStringLiteral("Список остановок маршрута %1 не открыт: %2\nОн сохранится как есть.")
                                 .arg(fromCp1251(document.project().routeNumberText(route)), opened.error));
        return nullptr;
    }
    return new StopListWindow(document, dialogs, route, *opened.tree, parent);
}

StopListWindow::StopListWindow(Document &document, UserDialogs &dialogs, int route, StopTree &tree, QWidget *parent)
    : QWidget(parent)
    , mDocument(document)
    , mDialogs(dialogs)
    , mRoute(route)
    , mModel(new StopListModel(document.stopTrees(), route, tree,
                               [this](const StopPath &path, const QString &typed) { editText(path, typed); }, this))
    , mView(new QTreeView(this))
{
    setObjectName(QStringLiteral("RouteForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    mView->setObjectName(QStringLiteral("TreeView1"));
    mView->setModel(mModel);
    mView->header()->hide();
    mView->setEditTriggers(QAbstractItemView::EditKeyPressed);
    mView->setContextMenuPolicy(Qt::ActionsContextMenu);
    mView->expandToDepth(0);
    mView->installEventFilter(this);
    connect(mView->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        if (isActiveChildWindow(this))
            makeSelectionCurrent();
    });
    // The tree goes away when routes move under it; so does its editor.
    connect(&document.stopTrees(), &StopTrees::dropped, this, [this](int route) {
        if (route == mRoute) {
            QWidget *frame = parentWidget() ? parentWidget() : this; // the child window's frame
            frame->close();
        }
    });
    connect(&document, &Document::routesChanged, this, &StopListWindow::updateCaption);

    createActions();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(findChild<QToolBar *>());
    layout->addWidget(mView);
    updateCaption();
}

void StopListWindow::createActions()
{
    auto *tools = new QToolBar(this);
    tools->setObjectName(QStringLiteral("ToolBar1"));
    tools->setIconSize(QSize(16, 16));
    const auto command = [&](const char *name, const char *icon, const QString &caption, const QKeySequence &key,
                             auto slot) {
        QAction *action = addToolBarAction(this, tools, icon, caption, key);
        action->setObjectName(QString::fromLatin1(name));
        mView->addAction(action); // the tree's context menu
        connect(action, &QAction::triggered, this, slot);
    };
    command("InsertAction", "list-add", QStringLiteral("Добавить строку"),
            QKeySequence(Qt::CTRL | Qt::Key_N), &StopListWindow::insertNode);
    command("DeleteAction", "list-remove", QStringLiteral("Удалить строку"),
            QKeySequence(Qt::Key_Delete), &StopListWindow::deleteNode);
    command("UpAction", "go-up", QStringLiteral("Переместить вверх"),
            QKeySequence(Qt::CTRL | Qt::Key_Up), [this] { moveNode(-1); });
    command("DownAction", "go-down", QStringLiteral("Переместить вниз"),
            QKeySequence(Qt::CTRL | Qt::Key_Down), [this] { moveNode(+1); });
    command("EditAction", "document-edit", QStringLiteral("Редактировать"),
            QKeySequence(Qt::Key_F2), &StopListWindow::editNode);
    command("ListenAction", "media-playback-start", QStringLiteral("Прослушать объявление"),
            QKeySequence(Qt::CTRL | Qt::Key_P), &StopListWindow::listen);
    command("SpeakAction", "audio-speakers", QStringLiteral("Озвучить"), QKeySequence(Qt::CTRL | Qt::Key_R),
            &StopListWindow::speak);
}

StopPath StopListWindow::selectedPath() const
{
    const StopNode *node = mModel->nodeOf(mView->currentIndex());
    return mView->currentIndex().isValid() && node ? pathOf(*node) : StopPath();
}

void StopListWindow::select(const StopPath &path)
{
    mView->setCurrentIndex(mModel->indexOf(path));
}

void StopListWindow::makeSelectionCurrent()
{
    mDocument.currentTarget().showStop(mRoute, selectedPath());
}

void StopListWindow::insertNode()
{
    const StopNode *selected = mModel->nodeOf(mView->currentIndex());
    if (!mView->currentIndex().isValid() || !selected)
        return;
    const std::optional<StopInsertion> place = insertionFor(*selected);
    if (!place)
        return;
    const std::optional<QString> typed =
        place->controlTime
            ? mDialogs.askText(this, QStringLiteral("Контрольное время"), QStringLiteral("Значение в формате ЧЧ:ММ:СС"),
                               QStringLiteral("00:"))
            : mDialogs.askText(this, QStringLiteral("Новая остановка"), QStringLiteral("Введите название остановки"), {});
    if (!typed)
        return;
    const std::optional<QByteArray> text = place->controlTime ? acceptedControlTime(mDialogs, this, *typed)
                                                              : acceptedStopListText(mDialogs, this, *typed);
    if (!text)
        return;
    const QString caption = place->controlTime ? QStringLiteral("добавление контрольного времени %1").arg(fromCp1251(*text))
                                               : QStringLiteral("добавление остановки %1").arg(quoted(*text));
    StopNode node = place->controlTime ? StopNode(*text) : newStopNode(*text);
    mDocument.undoStack()->push(new InsertStopNodeCommand(mDocument, mRoute, *place, std::move(node), caption));
    StopPath added = place->parent;
    added.push_back(place->row);
    select(added);
}

void StopListWindow::deleteNode()
{
    const StopNode *selected = mModel->nodeOf(mView->currentIndex());
    if (!mView->currentIndex().isValid() || !selected || !isEditableStopNode(*selected))
        return;
    mDocument.undoStack()->push(new RemoveStopNodeCommand(mDocument, mRoute, pathOf(*selected),
                                                          QStringLiteral("удаление строки %1").arg(quoted(selected->text))));
}

void StopListWindow::moveNode(int direction)
{
    const StopNode *selected = mModel->nodeOf(mView->currentIndex());
    if (!mView->currentIndex().isValid() || !selected || !isEditableStopNode(*selected))
        return;
    StopPath path = pathOf(*selected);
    const int other = path.back() + direction;
    if (other < 0 || other >= selected->parent()->childCount())
        return;
    const QString caption = QStringLiteral("перемещение строки %1 %2")
                                .arg(quoted(selected->text), direction < 0 ? QStringLiteral("вверх") : QStringLiteral("вниз"));
    StopPath first = path;
    first.back() = qMin(path.back(), other);
    mDocument.undoStack()->push(new SwapStopNodesCommand(mDocument, mRoute, first, caption));
    path.back() = other;
    select(path);
}

void StopListWindow::editNode()
{
    const QModelIndex current = mView->currentIndex();
    if (current.isValid() && (mModel->flags(current) & Qt::ItemIsEditable))
        mView->edit(current);
}

void StopListWindow::editText(const StopPath &path, const QString &typed)
{
    const StopNode *node = nodeAt(*mDocument.stopTrees().treeOf(mRoute), path);
    if (!node)
        return;
    const std::optional<QByteArray> text = isControlTimeItem(*node) ? acceptedControlTime(mDialogs, this, typed)
                                                                    : acceptedStopListText(mDialogs, this, typed);
    if (!text || *text == node->text)
        return;
    mDocument.undoStack()->push(new SetStopNodeTextCommand(
        mDocument, mRoute, path, *text, QStringLiteral("изменение строки %1 на %2").arg(quoted(node->text), quoted(*text))));
}

void StopListWindow::listen()
{
    if (mListening) {
        emit listenRequested({});
        return;
    }
    const StopTree *tree = mDocument.stopTrees().treeOf(mRoute);
    const StopPath path = selectedPath();
    if (!tree || path.size() < 2)
        return;
    const QList<QByteArray> items = announcementItems(*tree, {path[0], path[1]});
    if (!items.isEmpty())
        emit listenRequested(items);
}

void StopListWindow::speak()
{
    const StopPath path = selectedPath();
    if (path.size() >= 2)
        emit speakRequested(mRoute, path);
    else
        mDialogs.tell(this, QStringLiteral("Выберите остановку или её звуковой файл."));
}

bool StopListWindow::eventFilter(QObject *watched, QEvent *event)
{
    // While an announcement plays, any key stops it (and does nothing else).
    if (mListening && event->type() == QEvent::KeyPress) {
        emit listenRequested({});
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void StopListWindow::addSoundFile(const QString &fileName)
{
    const StopNode *selected = mModel->nodeOf(mView->currentIndex());
    if (!mView->currentIndex().isValid() || !selected)
        return;
    if (selected->level() == DirectionLevel) {
        mDialogs.tell(this, QStringLiteral("Добавление звуков возможно только на уровне редактирования остановок!"));
        return;
    }
    const std::optional<StopInsertion> place = soundInsertionFor(*selected);
    std::optional<QByteArray> text = acceptedStopListText(mDialogs, this, fileName);
    if (!place || !text)
        return;
    mDocument.undoStack()->push(new InsertStopNodeCommand(mDocument, mRoute, *place, StopNode(*text),
                                                          QStringLiteral("добавление звукового файла %1").arg(fileName)));
    mView->expand(mView->currentIndex());
    mView->expand(mModel->indexOf(place->parent));
}

void StopListWindow::updateCaption()
{
    if (mRoute < mDocument.project().routeCount)
        setWindowTitle(QStringLiteral("Остановки маршрута ") + fromCp1251(mDocument.project().routeNumberText(mRoute)));
}

void StopListWindow::closeEvent(QCloseEvent *event)
{
    // The tree stays with the document, so its edits can still be undone; the project gets it now.
    mDocument.stopTrees().storeAll();
    event->accept();
}

} // namespace tirvela
