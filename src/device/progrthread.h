#pragma once

#include "device/boardmemory.h"
#include "device/linemode.h"
#include "device/portnames.h"
#include "device/transferprogress.h"

#include <QMutex>
#include <QThread>
#include <QWaitCondition>

namespace tirvela {

class SerialPort;

// How the route-number board is driven while it is programmed; only tests change it.
struct BlinkerProgramming
{
    QString lineMode = kBlinkerLineMode.toString();
    int framePauseMs = 350; // the board needs this long to store a frame
};

// The worker that programs the route-number board: builds the board memory image of each of the
// three board types and sends it in 128 frames, one every 350 ms. It reports into a progress
// display that lives on the thread that created the worker (the user-interface thread), only
// through calls that thread carries out while the worker waits, so that thread must keep
// handling events (finish() does so while it waits for the end).
class ProgrThread : public QThread
{
    Q_OBJECT

public:
    using BoardImages = tirvela::BoardImages;

    ProgrThread(const BoardImages &images, const PortLocation &port, TransferProgress &progress,
                const BlinkerProgramming &programming = {});
    ~ProgrThread() override;

    // The user-interface thread tells when the progress display is up and when the user closed it;
    // the worker starts once it is up and stops sending the current board type once it is closed.
    void setDialogVisible(bool visible);
    // Asks the worker to end before its next frame; an ongoing pause ends at once.
    void requestTermination();
    // Waits until the worker has ended, carrying out its reports meanwhile.
    void waitUntilEnded();
    // Asks the worker to end and waits for it.
    void finish();

    // How the run ended; valid once the worker has ended.
    TransferResult result() const { return mResult; }

signals:
    void ended();

protected:
    void run() override;

private:
    enum class BoardOutcome { Sent, Skipped, ShortWrite, Terminated };

    void execute();
    BoardOutcome sendBoard(SerialPort &port, int boardId);
    void fail(const QString &error);
    void ReportState();
    void ReportProgress();

    bool waitForDialog();
    // Waits `ms` milliseconds unless termination is requested first; false then.
    bool pause(int ms);
    bool dialogVisible();
    bool terminationRequested();

    const BoardImages mImages;
    const PortLocation mPort;
    TransferProgress &mProgress;
    const BlinkerProgramming mProgramming;

    // Written by the worker only; read by the user-interface thread inside the reports.
    QString mCaption;
    QString mStage;
    QString mSize;
    QString mError;
    QString mButton;
    qint32 mProgressMaximum = 0;
    qint32 mProgressPosition = 0;

    BoardMemoryImage mMemory{};
    ProgrammingFrame mFrame{};
    TransferResult mResult;

    QMutex mMutex; // guards the three flags below
    QWaitCondition mWake;
    bool mDialogVisible = false;
    bool mTerminate = false;
    bool mDone = false;
};

} // namespace tirvela
