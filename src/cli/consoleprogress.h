#pragma once

#include "common/transferprogress.h"

#include <QElapsedTimer>

namespace tirvela::cli {

// Shows a device transfer in the terminal: each stage as a line, the amount done as one status
// line rewritten in place (only when standard output is a terminal), messages on standard error.
// While it exists, Ctrl+C asks the transfer to stop; a second Ctrl+C ends the program at once.
class ConsoleProgress : public TransferProgress
{
public:
    ConsoleProgress();
    ~ConsoleProgress() override;
    ConsoleProgress(const ConsoleProgress &) = delete;
    ConsoleProgress &operator=(const ConsoleProgress &) = delete;

    void setCaption(const QString &text) override;
    void setStage(const QString &text) override;
    void setSize(const QString &text) override;
    void setError(const QString &text) override;
    void setButtonText(const QString &) override {}
    void setRange(int maximum) override;
    void setPosition(int position) override;
    void show() override {}
    void hide() override {}
    bool cancelRequested() const override;
    void processEvents() override {}
    void showMessage(const QString &text) override;

    // The last amount text the transfer gave (its summary once it has finished).
    QString sizeText() const { return mSize; }

private:
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
