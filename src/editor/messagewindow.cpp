#include "editor/messagewindow.h"

#include <QCloseEvent>
#include <QLayout>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QScrollBar>

namespace tirvela {

MessageWindow::MessageWindow(QWidget *parent)
    : QDockWidget(QStringLiteral("Окно сообщений"), parent)
    , mMemo(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("MessagesForm"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
    mMemo->setObjectName(QStringLiteral("Memo1"));
    mMemo->setReadOnly(true);
    mMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    setWidget(mMemo);
}

void MessageWindow::appendLine(const QString &line)
{
    mMemo->appendPlainText(line);
    mMemo->verticalScrollBar()->setValue(mMemo->verticalScrollBar()->maximum());
}

QStringList MessageWindow::lines() const
{
    if (mMemo->document()->isEmpty())
        return {};
    return mMemo->toPlainText().split(u'\n');
}

void MessageWindow::closeEvent(QCloseEvent *event)
{
    mMemo->clear();
    QDockWidget::closeEvent(event);
}

EditorLog::EditorLog(QMainWindow *mainWindow)
    : mMainWindow(mainWindow)
{
}

void EditorLog::logMessage(const QString &line)
{
    if (!mWindow) {
        mWindow = new MessageWindow(mMainWindow);
        mMainWindow->addDockWidget(Qt::BottomDockWidgetArea, mWindow);
        mWindow->show();
        mMainWindow->resizeDocks({mWindow}, {100}, Qt::Vertical);
        // Applied now, not at the next paint, so that the window has its height when it shows.
        mMainWindow->layout()->activate();
    } else {
        mWindow->show();
    }
    if (!line.isEmpty())
        mWindow->appendLine(line);
}

} // namespace tirvela
