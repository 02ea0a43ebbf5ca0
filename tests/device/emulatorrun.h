#pragma once

#include "common/messagelog.h"
#include "devsim/emulateddevice.h"
#include "devsim/emulatorloop.h"
#include "devsim/ptylink.h"

#include <QMutex>
#include <QStringList>
#include <QWaitCondition>

#include <memory>
#include <thread>

namespace tirvela::test {

// The Announcer's usual line settings: the working mode and the programming mode.
inline const QString kWorkingMode = QStringLiteral("baud=4800 parity=N data=8 stop=1");
inline const QString kProgrammingMode = QStringLiteral("baud=115200 parity=N data=8 stop=1");

// A message log that several threads may write and a test may wait on.
class RecordingLog : public MessageLog
{
public:
    void logMessage(const QString &line) override;
    QStringList lines() const;
    // Waits until some line contains the text; false after the time-out.
    bool waitForLine(const QString &text, int timeoutMs);

private:
    mutable QMutex mMutex;
    QWaitCondition mChanged;
    QStringList mLines;
};

// An emulated device on a pseudo-terminal, served by its own thread from start() to stop().
class EmulatorRun
{
public:
    EmulatorRun();
    ~EmulatorRun();

    bool isOpen() const { return mLink.isOpen(); }
    // The device the program opens.
    QString port() const { return mPort; }
    RecordingLog &log() { return mLog; }
    devsim::PtyLink &link() { return mLink; }

    // Serves the device; `replyLatencyMs` holds every reply that long (see EmulatorLoop).
    void start(devsim::EmulatedDevice &device, int replyLatencyMs = 0);
    // Returns once the device has handled everything that reached the line; from then on the
    // device may be inspected.
    void stop();

private:
    devsim::PtyLink mLink;
    QString mPort;
    RecordingLog mLog;
    std::unique_ptr<devsim::EmulatorLoop> mLoop;
    std::thread mThread;
};

} // namespace tirvela::test
