#pragma once

#include <QList>
#include <QString>

namespace tirvela {

// A serial device found on the machine, as the settings dialog offers it.
struct SerialDeviceInfo
{
    QString location;     // the device node, /dev/ttyUSB0
    QString description;  // what the device says it is, "FT232R USB UART"
    QString manufacturer;
    QString serialNumber;
    QString byIdLink;     // /dev/serial/by-id/… naming this device, or empty

    bool operator==(const SerialDeviceInfo &) const = default;
};

// The serial devices of the machine, each with its /dev/serial/by-id link where the system made one.
QList<SerialDeviceInfo> availableSerialDevices();

// The path to keep for a device: its by-id link, which stays the same whatever socket the adapter
// is plugged into, or else its location.
QString pathToKeep(const SerialDeviceInfo &device);

// One line about a device for the user: location, description, maker and serial number.
QString deviceSummary(const SerialDeviceInfo &device);

// The position of the device a path names (its by-id link or its location), or -1.
qsizetype findSerialDevice(const QList<SerialDeviceInfo> &devices, const QString &path);

} // namespace tirvela
