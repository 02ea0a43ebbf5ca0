#include "device/announcerprogrammer.h"

#include "common/crc16.h"
#include "common/regularfile.h"
#include "device/devicetrace.h"
#include "device/serialport.h"
#include "project/filelayout.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QDeadlineTimer>
#include <QThread>

#include <array>

namespace tirvela {

namespace {

constexpr int kBlockSize = 512;
constexpr quint16 kBlockCrcStart = 0x3055;
constexpr QByteArrayView kResetCommand = "\x1breset\r";
constexpr QByteArrayView kSetupCommand = "\x1bsetup\r";

constexpr int kAfterResetMs = 2000;
constexpr int kAfterSetupMs = 500;
constexpr int kReplyTimeoutMs = 500;
constexpr int kAfterBlockMs = 1;
constexpr int kBeforeFinalResetMs = 500;
constexpr int kRefreshIntervalMs = 1000;
constexpr int kPauseSliceMs = 50;
constexpr int kStatusReplyMaximum = 99;
constexpr qint64 kMaxImageSize = 0xFFFFFFFFLL; // the image's offsets are 4 bytes

// One programming run over an open port: from the resets to the summary. The image is read
// block by block as it is sent, never held whole.
class AnnouncerSession
{
public:
    AnnouncerSession(const AnnouncerLink &link, TransferProgress &progress, DeviceTrace *trace)
        : mLink(link), mProgress(progress), mTrace(trace), mPort(trace)
    {
    }

    Result<TransferEnd> run(QFile &image, qint64 fileSize, const QString &path);
    // Line errors seen while reading are told once, after the transfer has stopped: a message
    // box during the transfer would hold it up until it is answered.
    void reportLineErrors();

private:
    Status fail(const QString &message);
    enum class Addressed { Ready, Cancelled, DeviceGone };
    // Repeats the write command for the block until the device answers it.
    Addressed addressBlock(qint64 offset);
    // Sends the block; the failure message, or an empty text when the device wrote it.
    // Reads the block at `offset` into the send buffer, the part past the end of the file as zeros.
    bool readBlock(QFile &image, qint64 fileSize, qint64 offset);
    QString sendBlock(qint64 offset);
    // Refreshes the progress about once a second; false when the user cancelled.
    bool refresh(qint64 offset);
    // Waits, the progress answering meanwhile (a window handles its events) and a cancel (Ctrl+C,
    // "Отмена") seen within a twentieth of a second; false when cancelled.
    bool pause(int ms);
    TransferEnd cancel();
    QByteArray readReply(int maximum, QByteArrayView stopCharacters);

    void note(const QString &text)
    {
        if (mTrace)
            mTrace->note(text);
    }

    const AnnouncerLink &mLink;
    TransferProgress &mProgress;
    DeviceTrace *mTrace;
    SerialPort mPort;
    LineMode mRecord;
    QElapsedTimer mLastRefresh;
    bool mDeviceSilent = false;
    bool mLineErrorSeen = false;
    std::array<char, kBlockSize + 2> mBlock{};
};

Result<TransferEnd> AnnouncerSession::run(QFile &image, qint64 fileSize, const QString &path)
{
    const qint64 size = (fileSize + kBlockSize - 1) / kBlockSize * kBlockSize;
    mProgress.report({.phase = ProgressReport::Phase::Working,
                      .caption = QStringLiteral("Запись в устройство"),
                      .stage = QStringLiteral("Подготовка, открытие порта"),
                      .size = QString(),
                      .error = QString(),
                      .button = QStringLiteral("Отмена"),
                      .maximum = int(qMin<qint64>(size, INT_MAX)),
                      .position = 0});
    mLastRefresh.start();

    if (!mPort.open(mLink.port.devicePath, SerialPort::Access::ReadWrite))
        return fail(QStringLiteral("Ошибка! Невозможно получить доступ к порту") + mPort.openFailureNote());
    const QString modeFailed = QStringLiteral("Ошибка! Невозможно установить параметры порта");
    if (!mPort.applyMode(mRecord, mLink.programmingMode))
        return fail(modeFailed);
    mPort.write(kResetCommand);
    if (!pause(kAfterResetMs))
        return cancel();
    if (!mPort.applyMode(mRecord, mLink.workingMode))
        return fail(modeFailed);
    mPort.write(kSetupCommand);
    if (!pause(kAfterSetupMs))
        return cancel();
    mPort.purge();
    if (!mPort.applyMode(mRecord, mLink.programmingMode))
        return fail(QStringLiteral("Ошибка!") + mLink.programmingMode);
    mProgress.report({.stage = QStringLiteral("Запись")});

    for (qint64 offset = 0; offset < size; offset += kBlockSize) {
        switch (addressBlock(offset)) {
        case Addressed::Cancelled:
            return cancel();
        case Addressed::DeviceGone:
            return fail(QStringLiteral("Ошибка! Невозможно получить доступ к порту") + mPort.goneNote());
        case Addressed::Ready:
            break;
        }
        if (!readBlock(image, fileSize, offset))
            return fail(QStringLiteral("Ошибка чтения файла ") + QDir::toNativeSeparators(path) + QStringLiteral(": ")
                        + image.errorString());
        const QString failure = sendBlock(offset);
        if (!failure.isEmpty())
            return fail(failure);
    }

    QThread::msleep(kBeforeFinalResetMs);
    mPort.write(kResetCommand);
    mPort.close();
    mProgress.report({.phase = ProgressReport::Phase::Finished,
                      .stage = QStringLiteral("Процесс завершен"),
                      .size = QStringLiteral("Размер файла: ") + QString::number(size),
                      .button = QStringLiteral("OK"),
                      .position = int(qMin<qint64>(size, INT_MAX))});
    note(QStringLiteral("готово, размер %1 байт").arg(size));
    return TransferEnd::Completed;
}

TransferEnd AnnouncerSession::cancel()
{
    note(QStringLiteral("прервано"));
    mPort.close();
    return TransferEnd::Cancelled;
}

bool AnnouncerSession::pause(int ms)
{
    const QDeadlineTimer end(ms);
    while (!mProgress.cancelRequested()) {
        const qint64 remaining = end.remainingTime();
        if (remaining <= 0)
            return true;
        mProgress.cancelledWithin(int(std::min<qint64>(remaining, kPauseSliceMs)));
    }
    return false;
}

Status AnnouncerSession::fail(const QString &message)
{
    note(QStringLiteral("ошибка: ") + message);
    mProgress.report({.phase = ProgressReport::Phase::Closed, .message = message});
    mPort.close();
    return Status::failure(message);
}

AnnouncerSession::Addressed AnnouncerSession::addressBlock(qint64 offset)
{
    const QByteArray command = "write " + QByteArray::number(offset, 16) + '\r';
    for (;;) {
        if (!refresh(offset))
            return Addressed::Cancelled;
        // Repeating the command is for a device that is slow to wake, not for one unplugged.
        if (!mPort.goneNote().isEmpty())
            return Addressed::DeviceGone;
        const QDeadlineTimer attemptEnd(kReplyTimeoutMs);
        mPort.write(command);
        const QByteArray reply = readReply(int(command.size()) + 2, "R");
        if (!reply.isEmpty() && reply.back() == 'R') {
            if (mDeviceSilent)
                mProgress.report({.error = QString()});
            mDeviceSilent = false;
            return Addressed::Ready;
        }
        if (!mDeviceSilent)
            mProgress.report({.error = QStringLiteral("Устройство не отвечает")});
        mDeviceSilent = true;
        // A port that fails at once must not turn the repetition into a busy loop.
        QThread::msleep(quint64(qMax<qint64>(attemptEnd.remainingTime(), 0)));
    }
}

bool AnnouncerSession::readBlock(QFile &image, qint64 fileSize, qint64 offset)
{
    const qint64 length = qMin<qint64>(kBlockSize, fileSize - offset);
    std::fill(mBlock.begin() + length, mBlock.end(), '\0');
    return image.read(mBlock.data(), length) == length;
}

QString AnnouncerSession::sendBlock(qint64 offset)
{
    quint16 crc = kBlockCrcStart;
    for (int shift = 0; shift < 32; shift += 8)
        crc = crc16XmodemUpdate(crc, quint8(quint64(offset) >> shift));
    crc = crc16Xmodem(crc, QByteArrayView(mBlock.data(), kBlockSize));
    mBlock[kBlockSize] = char(crc >> 8);
    mBlock[kBlockSize + 1] = char(crc & 0xFF);
    note(QStringLiteral("блок 0x%1, CRC 0x%2").arg(offset, 0, 16).arg(crc, 4, 16, QChar(u'0')));

    mPort.write(QByteArrayView(mBlock.data(), qsizetype(mBlock.size())));
    QThread::msleep(kAfterBlockMs);
    const QByteArray reply = readReply(kStatusReplyMaximum, "WE");
    if (reply.isEmpty())
        return QStringLiteral("Ничего не получено") + mPort.goneNote();
    if (reply.front() == 'E')
        return QStringLiteral("При записи произошла ошибка!");
    if (reply.front() != 'W')
        return QStringLiteral("Запись не прошла!");
    return {};
}

bool AnnouncerSession::refresh(qint64 offset)
{
    if (mLastRefresh.elapsed() <= kRefreshIntervalMs)
        return true;
    mLastRefresh.start();
    mProgress.report({.size = QStringLiteral("Записано: ") + QString::number(offset),
                      .position = int(qMin<qint64>(offset, INT_MAX))});
    // Events first, so that a press of "Отмена" is seen now and not a second later.
    return !mProgress.cancelledWithin(0);
}

void AnnouncerSession::reportLineErrors()
{
    if (mLineErrorSeen)
        mProgress.report({.message = QStringLiteral("Error")});
}

QByteArray AnnouncerSession::readReply(int maximum, QByteArrayView stopCharacters)
{
    SerialPort::ReadResult reply = mPort.timedRead(maximum, kReplyTimeoutMs, stopCharacters);
    if (reply.lineError)
        mLineErrorSeen = true;
    return reply.ok ? reply.bytes : QByteArray();
}

// Why the file cannot be the flash image of a project, or an empty text. An empty file is what a
// failed build leaves: sending it would only reset the device and pass for a success. A file that
// starts like a flash image must hold what its header promises.
QString imageProblem(QFile &image, qint64 size)
{
    if (size == 0)
        return QStringLiteral("файл пуст, записывать нечего (пустой файл оставляет неудачная сборка)");
    constexpr int kHeaderSize = 32;
    const QByteArray header = image.peek(kHeaderSize);
    if (header.size() < kHeaderSize || !header.startsWith("KV21"))
        return {};
    if (readLe(header, 5, 4) > quint64(size) || readLe(header, 12, 4) >= quint64(size))
        return QStringLiteral("файл короче, чем указано в его заголовке: образ неполон");
    return {};
}

} // namespace

Result<TransferEnd> programAnnouncer(const QString &flashImagePath, const AnnouncerLink &link,
                                    TransferProgress &progress, DeviceTrace *trace)
{
    if (trace) {
        trace->begin(QStringLiteral("программирование автоинформатора: ") + QDir::toNativeSeparators(flashImagePath)
                     + QStringLiteral(", порт ") + link.port.name + QStringLiteral(" (") + link.port.devicePath
                     + QStringLiteral("), рабочий режим \"") + link.workingMode
                     + QStringLiteral("\", режим программирования \"") + link.programmingMode + u'"');
    }
    QFile file;
    const Result<qint64> opened = openRegularFile(file, flashImagePath, kMaxImageSize);
    const QString shown = QDir::toNativeSeparators(flashImagePath);
    QString message;
    if (!opened.ok())
        message = QStringLiteral("Невозможно открыть файл ") + shown + QStringLiteral(": ") + opened.status().reason;
    else if (const QString problem = imageProblem(file, opened.value()); !problem.isEmpty())
        message = QStringLiteral("Файл ") + shown + QStringLiteral(" не записывается в устройство: ") + problem;
    if (!message.isEmpty()) {
        progress.report({.message = message});
        if (trace)
            trace->note(QStringLiteral("ошибка: ") + message);
        return Status::failure(message);
    }
    AnnouncerSession session(link, progress, trace);
    const Result<TransferEnd> result = session.run(file, opened.value(), flashImagePath);
    session.reportLineErrors();
    return result;
}

} // namespace tirvela
