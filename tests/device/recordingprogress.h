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

    void report(const ProgressReport &report) override
    {
        note();
        if (report.caption)
            caption = *report.caption;
        if (report.stage)
            stages.append(*report.stage);
        if (report.size)
            size = *report.size;
        if (report.error) {
            if (error != *report.error)
                errors.append(*report.error);
            error = *report.error;
        }
        if (report.button)
            button = *report.button;
        if (report.maximum)
            maximum = *report.maximum;
        if (report.position) {
            positions.append(*report.position);
            positionTimes.append(mClock.elapsed());
            if (onPosition)
                onPosition(*report.position);
        }
        if (report.phase) {
            shown = *report.phase != ProgressReport::Phase::Closed;
            everShown = everShown || shown;
        }
        if (!report.message.isEmpty())
            messages.append(report.message);
    }
    bool cancelRequested() const override { return cancelWhen && cancelWhen(); }
    bool cancelledWithin(int ms) override
    {
        note();
        if (ms > 0)
            QThread::msleep(quint64(ms));
        else
            ++eventRounds;
        return cancelRequested();
    }

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
    int eventRounds = 0; // the times the work offered to handle pending events
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
