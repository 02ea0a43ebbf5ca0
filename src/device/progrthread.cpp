#include "device/progrthread.h"

#include "device/devicetrace.h"
#include "device/serialport.h"

namespace tirvela {

ProgrThread::ProgrThread(const BoardImages &images, const PortLocation &port, const BlinkerProgramming &programming)
    : mImages(images), mPort(port), mProgramming(programming)
{
}

void ProgrThread::requestStop()
{
    QMutexLocker locker(&mMutex);
    mStop = true;
    mWake.wakeAll();
}

void ProgrThread::run()
{
    execute();
    emit finished();
}

void ProgrThread::execute()
{
    emit reported({.phase = ProgressReport::Phase::Working,
                   .caption = QStringLiteral("Прошивка блинкерного табло"),
                   .stage = QStringLiteral("Подготовка, открытие порта"),
                   .size = QString(),
                   .error = QString(),
                   .button = QStringLiteral("Отмена"),
                   .maximum = 1});
    if (mProgramming.trace) {
        mProgramming.trace->begin(QStringLiteral("прошивка блинкерного табло, порт ") + mPort.name + QStringLiteral(" (")
                                  + mPort.devicePath + u')');
    }
    if (stopRequested())
        return interrupted();

    SerialPort port(mProgramming.trace);
    if (!port.open(mPort.devicePath, SerialPort::Access::WriteOnly))
        return fail(QStringLiteral("Ошибка при открытии ") + mPort.name + QStringLiteral(" !") + port.openFailureNote());
    LineMode record;
    if (!port.applyMode(record, mProgramming.lineMode))
        return fail(QStringLiteral("Невозможно установить параметры (4800,N,8,1)!"));

    QStringList cutShort;
    for (int k = 0; k < BoardTypeCount; ++k) {
        switch (buildBoardMemoryImage(mImages[k], mMemory)) {
        case BoardMemoryStatus::NotBinary:
            return fail(QStringLiteral("Сохраните файл (в двоичном формате)"));
        case BoardMemoryStatus::DoesNotFit:
            return fail(QStringLiteral("Данные не умещаются в памяти (") + QString::number(kBoardMemorySize) + u')');
        case BoardMemoryStatus::Built:
            break;
        }
        note(QStringLiteral("табло %1: образ памяти, CRC 0x%2")
                 .arg(kBoardTypes[k].id)
                 .arg(quint16(quint8(mMemory[kBoardMemorySize - 2]) << 8 | quint8(mMemory[kBoardMemorySize - 1])), 4, 16,
                      QChar(u'0')));
        // One bar for the whole run, which takes minutes: it does not start again for each board type.
        const QString boardName = QString::fromUtf8(kBoardTypes[k].caption);
        emit reported({.stage = QStringLiteral("Табло %1 из %2 · %3").arg(k + 1).arg(BoardTypeCount).arg(boardName),
                       .size = QStringLiteral("Размер данных: ") + QString::number(kBoardMemorySize),
                       .maximum = BoardTypeCount * kBoardMemorySize});
        switch (sendBoard(port, kBoardTypes[k].id, k * kBoardMemorySize)) {
        case BoardOutcome::Stopped:
            return interrupted();
        case BoardOutcome::ShortWrite:
            cutShort << boardName;
            break;
        case BoardOutcome::Sent:
            break;
        }
    }

    if (!cutShort.isEmpty())
        return fail(QStringLiteral("Передано не полностью: ") + cutShort.join(QStringLiteral(", ")));
    port.close();
    note(QStringLiteral("готово"));
    mResult = TransferEnd::Completed;
    finish({.stage = QStringLiteral("Прошивка блинкерного табло завершена")});
}

ProgrThread::BoardOutcome ProgrThread::sendBoard(SerialPort &port, int boardId, int position)
{
    for (int chunk = 0; chunk < kFramesPerBoard; ++chunk) {
        if (stopRequested())
            return BoardOutcome::Stopped;
        buildProgrammingFrame(boardId, chunk, mMemory, mFrame);
        note(QStringLiteral("табло %1, кадр %2, CRC 0x%3")
                 .arg(boardId)
                 .arg(chunk)
                 .arg(quint16(quint8(mFrame[kProgrammingFrameSize - 2]) << 8 | quint8(mFrame[kProgrammingFrameSize - 1])), 4, 16, QChar(u'0')));
        // A frame the driver did not take whole is lost to the board, and so is the rest of its image.
        if (port.write(QByteArrayView(mFrame.data(), qsizetype(mFrame.size()))) != qint64(mFrame.size()))
            return BoardOutcome::ShortWrite;
        position += kFrameDataSize;
        emit reported({.position = position});
        if (!pause(mProgramming.framePauseMs))
            return BoardOutcome::Stopped;
    }
    return BoardOutcome::Sent;
}

void ProgrThread::note(const QString &text)
{
    if (mProgramming.trace)
        mProgramming.trace->note(text);
}

void ProgrThread::fail(const QString &error)
{
    note(QStringLiteral("ошибка: ") + error);
    mResult = Status::failure(error);
    finish({.error = error});
}

void ProgrThread::interrupted()
{
    note(QStringLiteral("прервано"));
    mResult = TransferEnd::Cancelled;
    finish({.stage = QStringLiteral("Прервано")});
}

void ProgrThread::finish(ProgressReport report)
{
    report.phase = ProgressReport::Phase::Finished;
    report.button = QStringLiteral("ОК"); // Cyrillic letters, as the board flows show it
    emit reported(report);
}

bool ProgrThread::pause(int ms)
{
    const QDeadlineTimer deadline(ms);
    QMutexLocker locker(&mMutex);
    while (!mStop) {
        if (!mWake.wait(&mMutex, deadline))
            return true;
    }
    return false;
}

bool ProgrThread::stopRequested()
{
    QMutexLocker locker(&mMutex);
    return mStop;
}

BlinkerProgrammingRun::BlinkerProgrammingRun(const ProgrThread::BoardImages &images, const PortLocation &port,
                                             TransferProgress &progress, const BlinkerProgramming &programming)
    : mWorker(images, port, programming)
{
    // The worker's signals cross to this object's thread, where the progress display lives.
    connect(&mWorker, &ProgrThread::reported, this, [&progress](const ProgressReport &report) {
        progress.report(report);
    });
    connect(&mWorker, &ProgrThread::finished, this, [this] {
        mThread.quit();
        mFinished = true;
        emit finished();
    });
    connect(&mThread, &QThread::started, &mWorker, &ProgrThread::run);
}

BlinkerProgrammingRun::~BlinkerProgrammingRun()
{
    mWorker.requestStop();
    mThread.quit();
    mThread.wait();
}

void BlinkerProgrammingRun::start()
{
    mWorker.moveToThread(&mThread);
    mThread.start();
}

void BlinkerProgrammingRun::stop()
{
    mWorker.requestStop();
}

} // namespace tirvela
