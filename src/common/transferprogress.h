#pragma once

#include <QString>
#include <QThread>

namespace tirvela {

// Where a long operation (a device transfer, a sound import) shows how it goes: the progress
// dialog in the editor, a status line in the command-line tool, a recorder in the tests.
// The bar's minimum is always 0.
class TransferProgress
{
public:
    virtual ~TransferProgress() = default;

    virtual void setCaption(const QString &text) = 0;
    virtual void setStage(const QString &text) = 0;
    virtual void setSize(const QString &text) = 0;
    virtual void setError(const QString &text) = 0;
    virtual void setButtonText(const QString &text) = 0;
    virtual void setRange(int maximum) = 0;
    virtual void setPosition(int position) = 0;

    // Shows the progress without blocking the caller.
    virtual void show() = 0;
    virtual void hide() = 0;
    // True once the user asked to stop (closed the dialog, pressed Ctrl+C).
    virtual bool cancelRequested() const = 0;
    // Lets the user interface handle what is pending; a transfer calls it at most once a second.
    virtual void processEvents() = 0;
    // Waits while a device gets ready; a window keeps handling its events meanwhile and may end
    // the wait early when the user cancels.
    virtual void pause(int ms) { QThread::msleep(quint64(ms)); }
    // A message the user must acknowledge (a message box with one OK button).
    virtual void showMessage(const QString &text) = 0;
};

// How a device flow ended, with the message the user was given when it failed.
struct TransferResult
{
    enum Outcome { Completed, Cancelled, Failed };

    Outcome outcome = Failed;
    QString message;

    static TransferResult completed() { return {Completed, {}}; }
    static TransferResult cancelled() { return {Cancelled, {}}; }
    static TransferResult failed(const QString &message) { return {Failed, message}; }
};

} // namespace tirvela
