#pragma once

#include "common/transferprogress.h"
#include "device/boardmemory.h"
#include "device/linemode.h"
#include "device/portnames.h"
#include "device/transferend.h"

#include <QMutex>
#include <QObject>
#include <QThread>
#include <QWaitCondition>

namespace tirvela {

class DeviceTrace;
class SerialPort;

// How the route-number board is driven while it is programmed: the line mode and the pace only
// tests change; the trace, when given, records the run (on the worker's thread).
struct BlinkerProgramming
{
    QString lineMode = kBlinkerLineMode.toString();
    int framePauseMs = 350; // the board needs this long to store a frame
    DeviceTrace *trace = nullptr;
};

// The worker that programs the route-number board: builds the board memory image of each of the
// three board types and sends it in 128 frames, one every 350 ms. It lives on a thread of its own
// and reports through queued signals only: it never waits for the thread that shows its progress,
// so stopping it and waiting for its end cannot deadlock.
class ProgrThread : public QObject
{
    Q_OBJECT

public:
    using BoardImages = tirvela::BoardImages;

    ProgrThread(const BoardImages &images, const PortLocation &port, const BlinkerProgramming &programming = {});

    // Callable from any thread: no further frame is sent (an ongoing pause ends at once) and the
    // run ends as interrupted.
    void requestStop();
    // How the run ended; valid once finished() was sent.
    Result<TransferEnd> result() const { return mResult; }

    // Sends the three board types; returns when they are sent, a failure was reported or a stop
    // was requested.
    void run();

signals:
    void reported(const tirvela::ProgressReport &report);
    void finished();

private:
    enum class BoardOutcome { Sent, ShortWrite, Stopped };

    void execute();
    // `position` is where the bar stands when the board type starts.
    BoardOutcome sendBoard(SerialPort &port, int boardId, int position);
    void fail(const QString &error);
    void interrupted();
    // The last report of the run: it stays shown until the user closes it with "ОК".
    void finish(ProgressReport report);
    void note(const QString &text);
    // Waits `ms` milliseconds unless a stop is requested first; false then.
    bool pause(int ms);
    bool stopRequested();

    const BoardImages mImages;
    const PortLocation mPort;
    const BlinkerProgramming mProgramming;

    BoardMemoryImage mMemory{};
    ProgrammingFrame mFrame{};
    Result<TransferEnd> mResult = TransferEnd::Cancelled; // a run that never got to its end was stopped

    QMutex mMutex; // guards mStop
    QWaitCondition mWake;
    bool mStop = false;
};

// Runs a ProgrThread on a thread of its own and shows its reports in a progress display that
// lives on the thread that made the run, which must keep handling events until finished().
// Destroying the run stops the worker and waits for its end.
class BlinkerProgrammingRun : public QObject
{
    Q_OBJECT

public:
    BlinkerProgrammingRun(const ProgrThread::BoardImages &images, const PortLocation &port,
                          TransferProgress &progress, const BlinkerProgramming &programming = {});
    ~BlinkerProgrammingRun() override;

    void start();
    // The user closed the progress display or asked to stop: nothing more is sent.
    void stop();
    bool isFinished() const { return mFinished; }
    Result<TransferEnd> result() const { return mWorker.result(); }

signals:
    void finished();

private:
    QThread mThread;
    ProgrThread mWorker;
    bool mFinished = false;
};

} // namespace tirvela
