#pragma once

#include "common/transferprogress.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QThread>

#include <functional>

namespace tirvela::test {

// Keeps what a transfer showed, and whether every call came on the thread that created it.
class RecordingProgress : public TransferProgress
{
public:
    RecordingProgress() { mClock.start(); }

    void setCaption(const QString &text) override { note(); caption = text; }
    void setStage(const QString &text) override { note(); stages.append(text); }
    void setSize(const QString &text) override { note(); size = text; }
    void setError(const QString &text) override
    {
        note();
        if (error != text)
            errors.append(text);
        error = text;
    }
    void setButtonText(const QString &text) override { note(); button = text; }
    void setRange(int value) override { note(); maximum = value; }
    void setPosition(int value) override
    {
        note();
        positions.append(value);
        positionTimes.append(mClock.elapsed());
        if (onPosition)
            onPosition(value);
    }
    void show() override { note(); shown = true; everShown = true; }
    void hide() override { note(); shown = false; }
    bool cancelRequested() const override { return cancelWhen && cancelWhen(); }
    void processEvents() override { note(); ++eventRounds; }
    void showMessage(const QString &text) override { note(); messages.append(text); }

    QString caption;
    QStringList stages;
    QString size;
    QString error;
    QStringList errors; // every change of the error text
    QString button;
    int maximum = -1;
    QList<int> positions;
    QList<qint64> positionTimes; // ms since the recorder was made
    bool shown = false;
    bool everShown = false;
    int eventRounds = 0;
    QStringList messages;
    bool callsOnOwnThread = true;

    std::function<bool()> cancelWhen;
    std::function<void(int)> onPosition;

private:
    void note()
    {
        if (QThread::currentThread() != mOwner)
            callsOnOwnThread = false;
    }

    QThread *const mOwner = QThread::currentThread();
    QElapsedTimer mClock;
};

} // namespace tirvela::test
