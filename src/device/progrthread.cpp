#include "device/progrthread.h"

#include "device/serialport.h"

#include <QEventLoop>

namespace tirvela {

namespace {

const QString kFinishedButton = QStringLiteral("ОК"); // Cyrillic letters, as the board flows show it

} // namespace

ProgrThread::ProgrThread(const BoardImages &images, const PortLocation &port, TransferProgress &progress,
                         const BlinkerProgramming &programming)
    : mImages(images), mPort(port), mProgress(progress), mProgramming(programming)
{
}

ProgrThread::~ProgrThread()
{
    finish();
}

void ProgrThread::setDialogVisible(bool visible)
{
    QMutexLocker locker(&mMutex);
    mDialogVisible = visible;
    mWake.wakeAll();
}

void ProgrThread::requestTermination()
{
    QMutexLocker locker(&mMutex);
    mTerminate = true;
    mWake.wakeAll();
}

void ProgrThread::finish()
{
    requestTermination();
    waitUntilEnded();
}

void ProgrThread::waitUntilEnded()
{
    if (isRunning()) {
        QEventLoop loop;
        connect(this, &ProgrThread::ended, &loop, &QEventLoop::quit, Qt::QueuedConnection);
        mMutex.lock();
        const bool done = mDone;
        mMutex.unlock();
        if (!done)
            loop.exec();
    }
    wait();
}

void ProgrThread::run()
{
    execute();
    {
        QMutexLocker locker(&mMutex);
        mDone = true;
    }
    emit ended();
}

void ProgrThread::execute()
{
    mCaption = QStringLiteral("Прошивка блинкерного табло");
    mStage = QStringLiteral("Подготовка, открытие порта");
    mSize.clear();
    mError.clear();
    mProgressMaximum = 1;
    mButton = QStringLiteral("Отмена");
    mResult = TransferResult::cancelled();
    if (!waitForDialog())
        return;
    ReportState();

    SerialPort port;
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
        mStage = QStringLiteral("Режим ") + QString::number(k);
        mSize = QStringLiteral("Размер данных: ") + QString::number(kBoardMemorySize);
        mProgressMaximum = kBoardMemorySize;
        ReportState();
        switch (sendBoard(port, kBoardTypes[k].id)) {
        case BoardOutcome::Terminated:
            return;
        case BoardOutcome::ShortWrite:
            cutShort << mStage;
            break;
        case BoardOutcome::Sent:
        case BoardOutcome::Skipped:
            break;
        }
    }

    if (!cutShort.isEmpty())
        return fail(QStringLiteral("Передано не полностью: ") + cutShort.join(QStringLiteral(", ")));
    mStage = QStringLiteral("Прошивка блинкерного табло завершена");
    mButton = kFinishedButton;
    ReportState();
    mResult = TransferResult::completed();
}

ProgrThread::BoardOutcome ProgrThread::sendBoard(SerialPort &port, int boardId)
{
    mProgressPosition = 0;
    for (int chunk = 0; chunk < kFramesPerBoard; ++chunk) {
        if (terminationRequested())
            return BoardOutcome::Terminated;
        buildProgrammingFrame(boardId, chunk, mMemory, mFrame);
        // A frame the driver did not take whole is lost to the board, and so is the rest of its image.
        if (port.write(QByteArrayView(mFrame.data(), qsizetype(mFrame.size()))) != qint64(mFrame.size()))
            return BoardOutcome::ShortWrite;
        mProgressPosition += kFrameDataSize;
        ReportProgress();
        pause(mProgramming.framePauseMs);
        if (!dialogVisible())
            return BoardOutcome::Skipped;
    }
    return BoardOutcome::Sent;
}

void ProgrThread::fail(const QString &error)
{
    mError = error;
    mButton = kFinishedButton;
    ReportState();
    mResult = TransferResult::failed(error);
}

void ProgrThread::ReportState()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            mProgress.setCaption(mCaption);
            mProgress.setStage(mStage);
            mProgress.setSize(mSize);
            mProgress.setError(mError);
            mProgress.setButtonText(mButton);
            mProgress.setRange(mProgressMaximum);
        },
        Qt::BlockingQueuedConnection);
}

void ProgrThread::ReportProgress()
{
    QMetaObject::invokeMethod(this, [this] { mProgress.setPosition(mProgressPosition); }, Qt::BlockingQueuedConnection);
}

bool ProgrThread::waitForDialog()
{
    QMutexLocker locker(&mMutex);
    while (!mDialogVisible && !mTerminate)
        mWake.wait(&mMutex);
    return !mTerminate;
}

bool ProgrThread::pause(int ms)
{
    const QDeadlineTimer deadline(ms);
    QMutexLocker locker(&mMutex);
    while (!mTerminate) {
        if (!mWake.wait(&mMutex, deadline))
            return true;
    }
    return false;
}

bool ProgrThread::dialogVisible()
{
    QMutexLocker locker(&mMutex);
    return mDialogVisible;
}

bool ProgrThread::terminationRequested()
{
    QMutexLocker locker(&mMutex);
    return mTerminate;
}

} // namespace tirvela
