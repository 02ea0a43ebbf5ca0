#pragma once

#include "common/messagelog.h"

#include <QDockWidget>

#include <functional>

class QMainWindow;
class QPlainTextEdit;

namespace tirvela {

// The message log window: read-only lines along the bottom of the main window. Closing it
// empties it; the next line shows it again. A double click on a line about a place in the
// project asks to go there.
class MessageWindow : public QDockWidget
{
    Q_OBJECT

public:
    explicit MessageWindow(QWidget *parent = nullptr);

    void appendLine(const QString &line);
    // A line about a place and the line that names the place; both lead there.
    void appendPlacedLines(const QString &line, const LogPlace &place);
    QStringList lines() const;

signals:
    void placeActivated(const tirvela::LogPlace &place);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPlainTextEdit *mMemo;
};

// The editor's message log: the window is made at the first use, docked 100 pixels high, and shown
// at every use. An empty line only shows the window.
class EditorLog : public MessageLog
{
public:
    explicit EditorLog(QMainWindow *mainWindow);

    void logMessage(const QString &line) override;
    void logMessageAt(const QString &line, const LogPlace &place) override;
    // What a double click on a line about a place does.
    void setPlaceHandler(std::function<void(const LogPlace &)> handler) { mPlaceHandler = std::move(handler); }
    // The window, or nullptr before the first use.
    MessageWindow *window() const { return mWindow; }

private:
    // Makes the window at the first use and shows it.
    MessageWindow &shownWindow();

    QMainWindow *mMainWindow;
    MessageWindow *mWindow = nullptr;
    std::function<void(const LogPlace &)> mPlaceHandler;
};

} // namespace tirvela
