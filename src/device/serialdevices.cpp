#include "device/serialdevices.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

namespace tirvela {

QList<SerialDeviceInfo> availableSerialDevices()
{
    // The system's by-id links, by the device node they lead to.
    QHash<QString, QString> links;
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo &link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
        links.insert(link.canonicalFilePath(), link.absoluteFilePath());

    QList<SerialDeviceInfo> devices;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports) {
        const QString location = port.systemLocation();
        devices.append({location, port.description(), port.manufacturer(), port.serialNumber(),
                        links.value(QFileInfo(location).canonicalFilePath())});
    }
    return devices;
}

QString pathToKeep(const SerialDeviceInfo &device)
{
    return device.byIdLink.isEmpty() ? device.location : device.byIdLink;
}

QString deviceSummary(const SerialDeviceInfo &device)
{
    QStringList about;
    for (const QString &text : {device.description, device.manufacturer})
        if (!text.isEmpty())
            about << text;
    if (!device.serialNumber.isEmpty())
        about << QStringLiteral("№ ") + device.serialNumber;
    return about.isEmpty() ? device.location : device.location + QStringLiteral(": ") + about.join(QStringLiteral(", "));
}

qsizetype findSerialDevice(const QList<SerialDeviceInfo> &devices, const QString &path)
{
    for (qsizetype i = 0; i < devices.size(); ++i) {
        if (!path.isEmpty() && (devices[i].location == path || devices[i].byIdLink == path))
            return i;
    }
    return -1;
}

} // namespace tirvela
