#include "emulatorrun.h"

#include <QDeadlineTimer>

namespace tirvela::test {

void RecordingLog::logMessage(const QString &line)
{
    QMutexLocker locker(&mMutex);
    mLines.append(line);
    mChanged.wakeAll();
}

QStringList RecordingLog::lines() const
{
    QMutexLocker locker(&mMutex);
    return mLines;
}

bool RecordingLog::waitForLine(const QString &text, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QMutexLocker locker(&mMutex);
    for (;;) {
        for (const QString &line : std::as_const(mLines)) {
            if (line.contains(text))
                return true;
        }
        if (!mChanged.wait(&mMutex, deadline))
            return false;
    }
}

EmulatorRun::EmulatorRun()
{
    if (mLink.open(nullptr))
        mPort = mLink.slavePath();
}

EmulatorRun::~EmulatorRun()
{
    stop();
}

void EmulatorRun::start(devsim::EmulatedDevice &device, int replyLatencyMs)
{
    mLoop = std::make_unique<devsim::EmulatorLoop>(mLink, device, false);
    mLoop->setReplyLatency(replyLatencyMs);
    mThread = std::thread([this] { mLoop->run(); });
}

void EmulatorRun::stop()
{
    if (!mThread.joinable())
        return;
    mLoop->stop();
    mThread.join();
}

} // namespace tirvela::test
