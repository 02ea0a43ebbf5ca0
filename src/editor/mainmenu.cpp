#include "editor/mainwindow.h"

#include "editor/deviceactions.h"
#include "document/currenttarget.h"
#include "document/document.h"
#include "editor/editorsession.h"
#include "editor/fileactions.h"
#include "editor/gtfsimportaction.h"
#include "editor/icons.h"
#include "editor/childwindows.h"
#include "editor/messagewindow.h"
#include "editor/mnemonics.h"
#include "editor/routelistwindow.h"
#include "editor/settingsdialog.h"
#include "editor/toolswindow.h"

#include <QMdiArea>
#include <QMenuBar>
#include <QUndoStack>

// The main menu of the main window: its entries, their names, shortcuts and icons, and what they run.

namespace tirvela {

QAction *MainWindow::addCommand(QMenu *menu, const char *name, const QString &caption, const char *icon)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    if (icon)
        action->setIcon(bundledIcon(icon));
    return action;
}

void MainWindow::createMenus()
{
    QMenu *files = menuBar()->addMenu(QStringLiteral("Файлы"));
    files->setObjectName(QStringLiteral("FilesMenuItem"));
    connect(addCommand(files, "N1", QStringLiteral("Новый"), "document-new"), &QAction::triggered, this, [this] {
        if (mFileActions->newProject())
            showRouteListWindow();
    });
    connect(addCommand(files, "N21", QStringLiteral("Открыть"), "document-open"), &QAction::triggered, this, [this] {
        if (mFileActions->open())
            showRouteListWindow();
    });
    connect(addCommand(files, "GtfsImportItem", QStringLiteral("Импорт из GTFS…")), &QAction::triggered, this, [this] {
        importGtfsRoute(*mDocument, mSession, mDialogs, *mLog, mRouteList ? mRouteList->selectedRoute() : -1, this);
    });
    files->addSeparator()->setObjectName(QStringLiteral("N14"));
    QAction *save = addCommand(files, "SaveStmItem", QStringLiteral("Сохранить"), "document-save");
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(save, &QAction::triggered, this, [this] { mFileActions->save(); });
    connect(addCommand(files, "SaveAsItem", QStringLiteral("Сохранить как"), "document-save-as"), &QAction::triggered,
            this, [this] { mFileActions->saveAs(); });
    files->addSeparator()->setObjectName(QStringLiteral("N4"));
    connect(addCommand(files, "N3", QStringLiteral("Выход")), &QAction::triggered, this, &MainWindow::close);

    QMenu *edit = menuBar()->addMenu(QStringLiteral("Правка"));
    edit->setObjectName(QStringLiteral("EditMenuItem"));
    QUndoStack *stack = mDocument->undoStack();
    QAction *undo = addCommand(edit, "UndoItem", QStringLiteral("Отменить"), "edit-undo");
    undo->setShortcut(QKeySequence::Undo);
    QAction *redo = addCommand(edit, "RedoItem", QStringLiteral("Повторить"), "edit-redo");
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    connect(undo, &QAction::triggered, stack, &QUndoStack::undo);
    connect(redo, &QAction::triggered, stack, &QUndoStack::redo);
    const auto stepCaption = [](const QString &verb, const QString &step) {
        return step.isEmpty() ? verb : verb + QStringLiteral(": ") + step;
    };
    const auto updateUndoActions = [=] {
        undo->setEnabled(stack->canUndo());
        undo->setText(stepCaption(QStringLiteral("Отменить"), stack->undoText()));
        redo->setEnabled(stack->canRedo());
        redo->setText(stepCaption(QStringLiteral("Повторить"), stack->redoText()));
    };
    connect(stack, &QUndoStack::indexChanged, this, updateUndoActions);
    connect(stack, &QUndoStack::cleanChanged, this, updateUndoActions);
    updateUndoActions();

    QMenu *operations = menuBar()->addMenu(QStringLiteral("Операции"));
    operations->setObjectName(QStringLiteral("N7"));
    connect(addCommand(operations, "EditRouteMenuItem", QStringLiteral("Редактировать список остановок"), "document-edit"),
            &QAction::triggered, this, [this] {
                if (mRouteList)
                    mRouteList->editStopList();
            });
    QAction *routeBlinker =
        addCommand(operations, "RouteBlinkerMenuItem", QStringLiteral("Номер маршрута на блинкерном табло"));
    QAction *programBlinker =
        addCommand(operations, "ProgramBlinkerMenuItem", QStringLiteral("Прошивка блинкерного табло"));
    routeBlinker->setVisible(mSession.extendedMode);
    programBlinker->setVisible(mSession.extendedMode);
    // The route the tools window shows.
    connect(routeBlinker, &QAction::triggered, this,
            [this] { mDeviceActions->sendRouteNumber(mDocument->currentTarget().route()); });
    connect(programBlinker, &QAction::triggered, this, [this] { mDeviceActions->programBlinker(); });
    connect(addCommand(operations, "SaveBinItem", QStringLiteral("Сформировать двоичный файл (для прошивки)")),
            &QAction::triggered, this, [this] { mFileActions->buildFlashImage(); });
    connect(addCommand(operations, "ProgramMenuItem", QStringLiteral("Программирование автоинформатора"),
                       "document-send"),
            &QAction::triggered, this, &MainWindow::programAnnouncer);
    connect(addCommand(operations, "N22", QStringLiteral("Настройки (опции)"), "preferences-system"),
            &QAction::triggered, this, [this] { mSettingsDialog->exec(); });

    QMenu *windows = menuBar()->addMenu(QStringLiteral("Окна"));
    windows->setObjectName(QStringLiteral("MenuWindows"));
    connect(addCommand(windows, "ProjectMenuItem", QStringLiteral("Проект")), &QAction::triggered, this,
            &MainWindow::showRouteListWindow);
    connect(addCommand(windows, "N7771", QStringLiteral("Инструменты")), &QAction::triggered, this, [this] {
        mToolsWindow->show();
        mToolsWindow->raise();
    });
    connect(addCommand(windows, "N17", QStringLiteral("Звуковые файлы")), &QAction::triggered, this,
            &MainWindow::showSoundFilesWindow);
    connect(addCommand(windows, "N23", QStringLiteral("Окно сообщений")), &QAction::triggered, this,
            [this] { mLog->logMessage({}); });
    addArrangeActions(windows);
    for (QAction *fixed : windows->actions())
        fixed->setData(-1);
    mWindowsMenu = windows;

    assignMnemonics(menuBar());
    // The undo and redo captions name their step and change with it; Ctrl+Z and Ctrl+Y stay.
    for (QMenu *menu : {files, operations, windows})
        assignMnemonics(menu);
}

// The usual commands that bring lost child windows back; the picture windows' entries follow.
void MainWindow::addArrangeActions(QMenu *windows)
{
    windows->addSeparator()->setObjectName(QStringLiteral("ArrangeSeparator"));
    connect(addCommand(windows, "CascadeItem", QStringLiteral("Каскадом")), &QAction::triggered, mMdiArea,
            &QMdiArea::cascadeSubWindows);
    connect(addCommand(windows, "TileItem", QStringLiteral("Мозаикой")), &QAction::triggered, mMdiArea,
            &QMdiArea::tileSubWindows);
    connect(addCommand(windows, "ArrangeIconsItem", QStringLiteral("Упорядочить значки")), &QAction::triggered,
            this, [this] { arrangeIcons(mMdiArea); });
    windows->addSeparator()->setObjectName(QStringLiteral("PicturesSeparator"));
}

} // namespace tirvela
