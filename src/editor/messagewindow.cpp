#include "editor/messagewindow.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QLayout>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

namespace tirvela {

namespace {

// The place a line of the log is about, kept with the line.
class PlaceData : public QTextBlockUserData
{
public:
    explicit PlaceData(LogPlace place) : place(std::move(place)) {}
    const LogPlace place;
};

} // namespace

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
    mMemo->viewport()->installEventFilter(this);
    setWidget(mMemo);
}

void MessageWindow::appendLine(const QString &line)
{
    mMemo->appendPlainText(line);
    mMemo->verticalScrollBar()->setValue(mMemo->verticalScrollBar()->maximum());
}

void MessageWindow::appendPlacedLines(const QString &line, const LogPlace &place)
{
    QTextDocument *document = mMemo->document();
    const int first = document->isEmpty() ? 0 : document->blockCount();
    appendLine(line);
    appendLine(place.text);
    for (QTextBlock block = document->findBlockByNumber(first); block.isValid(); block = block.next())
        block.setUserData(new PlaceData(place));
}

bool MessageWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != mMemo->viewport() || event->type() != QEvent::MouseButtonDblClick)
        return QDockWidget::eventFilter(watched, event);
    const QPoint position = static_cast<QMouseEvent *>(event)->position().toPoint();
    const auto *data = static_cast<const PlaceData *>(mMemo->cursorForPosition(position).block().userData());
    if (!data)
        return false;
    emit placeActivated(data->place);
    return true;
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
    MessageWindow &window = shownWindow();
    if (!line.isEmpty())
        window.appendLine(line);
}

void EditorLog::logMessageAt(const QString &line, const LogPlace &place)
{
    shownWindow().appendPlacedLines(line, place);
}

MessageWindow &EditorLog::shownWindow()
{
    if (!mWindow) {
        mWindow = new MessageWindow(mMainWindow);
        mMainWindow->addDockWidget(Qt::BottomDockWidgetArea, mWindow);
        mWindow->show();
        mMainWindow->resizeDocks({mWindow}, {100}, Qt::Vertical);
        // Applied now, not at the next paint, so that the window has its height when it shows.
        mMainWindow->layout()->activate();
        QObject::connect(mWindow, &MessageWindow::placeActivated, mWindow, [this](const LogPlace &place) {
            if (mPlaceHandler)
                mPlaceHandler(place);
        });
    } else {
        mWindow->show();
    }
    return *mWindow;
}

} // namespace tirvela
