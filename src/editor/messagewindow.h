#pragma once

#include "common/messagelog.h"

#include <QDockWidget>

class QMainWindow;
class QPlainTextEdit;

namespace tirvela {

// The message log window: read-only lines along the bottom of the main window. Closing it
// empties it; the next line shows it again.
class MessageWindow : public QDockWidget
{
    Q_OBJECT

public:
    explicit MessageWindow(QWidget *parent = nullptr);

    void appendLine(const QString &line);
    QStringList lines() const;

protected:
    void closeEvent(QCloseEvent *event) override;

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
    // The window, or nullptr before the first use.
    MessageWindow *window() const { return mWindow; }

private:
    QMainWindow *mMainWindow;
    MessageWindow *mWindow = nullptr;
};

} // namespace tirvela
