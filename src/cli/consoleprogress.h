#pragma once

#include "common/transferprogress.h"

#include <QElapsedTimer>

namespace tirvela::cli {

// Shows a device transfer in the terminal: each stage as a line, the amount done as one status
// line rewritten in place (only when standard output is a terminal) and ended when the work is
// over, errors and messages on standard error.
// While it exists, Ctrl+C asks the transfer to stop; a second Ctrl+C ends the program at once.
class ConsoleProgress : public TransferProgress
{
public:
    ConsoleProgress();
    ~ConsoleProgress() override;
    ConsoleProgress(const ConsoleProgress &) = delete;
    ConsoleProgress &operator=(const ConsoleProgress &) = delete;

    void report(const ProgressReport &report) override;
    bool cancelRequested() const override;
    // Sleeps: Ctrl+C is seen once the time is up.
    bool cancelledWithin(int ms) override;

    // The last amount text the transfer gave (its summary once it has finished).
    QString sizeText() const { return mSize; }

private:
    void showStage(const QString &text);
    void showError(const QString &text);
    void showPosition(int position);
    void endStatusLine();

    const bool mTerminal;
    QString mCaption;
    QString mStage;
    QString mSize;
    QString mError;
    int mMaximum = 0;
    int mFirstPosition = -1;
    QElapsedTimer mSinceFirstPosition;
    bool mStatusLineShown = false;
};

} // namespace tirvela::cli
