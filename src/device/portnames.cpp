#include "device/portnames.h"

#include "common/cp1251.h"

#include <QRegularExpression>

namespace tirvela {

namespace {

std::optional<QByteArray> mappedDevice(const PortLookup &ports, QByteArrayView key)
{
    return ports ? ports(key) : std::nullopt;
}

} // namespace

int comPortNumber(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^(?:\\\\\.\\)?COM([1-9][0-9]{0,3}):?$)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(name);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

QByteArray portMappingKey(const QString &name, const PortLookup &ports)
{
    const QByteArray asGiven = toCp1251(name);
    if (!name.isEmpty() && mappedDevice(ports, asGiven))
        return asGiven;
    const int number = comPortNumber(name);
    return number > 0 ? "COM" + QByteArray::number(number) : QByteArray();
}

PortLocation locatePort(const QString &name, const PortLookup &ports, PortPlatform platform)
{
    const int number = comPortNumber(name);
    if (platform == PortPlatform::Windows)
        return {name, number > 0 ? QStringLiteral("COM") + QString::number(number) : name};

    const QByteArray key = portMappingKey(name, ports);
    if (!key.isEmpty()) {
        const std::optional<QByteArray> mapped = mappedDevice(ports, key);
        if (mapped && !mapped->isEmpty())
            return {name, fromCp1251(*mapped)};
    }
    if (number > 0)
        return {name, QStringLiteral("/dev/ttyS") + QString::number(number - 1)};
    return {name, name};
}

QString blinkerPortName(int portIndex)
{
    return QStringLiteral("COM") + QString::number(qint64(portIndex) + 1) + u':';
}

PortLocation blinkerPort(int portIndex, const PortLookup &ports)
{
    return locatePort(blinkerPortName(portIndex), ports);
}

} // namespace tirvela
