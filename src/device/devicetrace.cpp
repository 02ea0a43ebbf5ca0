#include "device/devicetrace.h"

#include "common/outputfile.h"

#include <QDateTime>

namespace tirvela {

namespace {

constexpr qsizetype kShownAsText = 24;
constexpr qsizetype kShownAsHex = 16;

QString byteCount(QByteArrayView bytes)
{
    return QString::number(bytes.size()) + QStringLiteral(" байт: ") + DeviceTrace::printable(bytes);
}

} // namespace

Status DeviceTrace::open(const QString &path, Mode mode)
{
    mFile.close();
    if (const Status allowed = checkOutputFile(path); !allowed.ok())
        return allowed;
    mFile.setFileName(path);
    const QIODevice::OpenMode openMode =
        QIODevice::WriteOnly | QIODevice::Unbuffered | (mode == Mode::Append ? QIODevice::Append : QIODevice::Truncate);
    if (!mFile.open(openMode))
        return Status::failure(mFile.errorString());
    return Status::success();
}

void DeviceTrace::begin(const QString &flow)
{
    write('#', QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd ")) + flow);
}

void DeviceTrace::note(const QString &text)
{
    write('#', text);
}

void DeviceTrace::line(const QString &text)
{
    write('=', text);
}

void DeviceTrace::sent(QByteArrayView bytes)
{
    write('>', byteCount(bytes));
}

void DeviceTrace::received(QByteArrayView bytes)
{
    write('<', byteCount(bytes));
}

void DeviceTrace::timeout(int timeoutMs, qsizetype bytesReceived)
{
    write('-', QStringLiteral("тайм-аут %1 мс, получено %2 байт").arg(timeoutMs).arg(bytesReceived));
}

void DeviceTrace::error(const QString &text)
{
    write('!', text);
}

QString DeviceTrace::printable(QByteArrayView bytes)
{
    QString text;
    if (bytes.size() > kShownAsText) {
        for (char byte : bytes.first(kShownAsHex))
            text += QStringLiteral("%1 ").arg(uchar(byte), 2, 16, QChar(u'0'));
        return text + QStringLiteral("…");
    }
    text += u'"';
    for (char byte : bytes) {
        const uchar code = uchar(byte);
        if (code >= 0x20 && code < 0x7F && code != '\\' && code != '"')
            text += QLatin1Char(char(code));
        else
            text += QStringLiteral("\\x%1").arg(code, 2, 16, QChar(u'0'));
    }
    return text + u'"';
}

void DeviceTrace::write(char kind, const QString &text)
{
    if (!mFile.isOpen())
        return;
    const QByteArray line = QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")).toLatin1() + ' ' + kind
                            + ' ' + text.toUtf8() + '\n';
    mFile.write(line);
}

} // namespace tirvela
