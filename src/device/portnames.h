#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

namespace tirvela {

// A serial port as the user knows it ("COM1:", shown in messages) and the device that is opened for it.
struct PortLocation
{
    QString name;
    QString devicePath;
};

enum class PortPlatform { Windows, Unix };

#ifdef Q_OS_WIN
inline constexpr PortPlatform kHostPortPlatform = PortPlatform::Windows;
#else
inline constexpr PortPlatform kHostPortPlatform = PortPlatform::Unix;
#endif

// The n of "COMn:", "COMn" or "\\.\COMn" (any letter case), or 0 for other names.
int comPortNumber(const QString &name);

// The device a port name is mapped to by section PORTS of editor.ini, which the caller reads;
// an empty lookup maps nothing.
using PortLookup = std::function<std::optional<QByteArray>(QByteArrayView name)>;

// Where the port a setting names is opened, given the port mappings. On Windows a COM
// port goes to the serial library in the form it opens ("COM1:" and "\\.\COM10" as "COM1" and
// "COM10"), other names as they stand. Elsewhere the section PORTS maps names, looked up by the
// name as given and then by its plain form "COMn"; without a key "COMn:", "COMn" and "\\.\COMn"
// are /dev/ttyS<n-1>, and any other name (a device path among them) is used as it is.
PortLocation locatePort(const QString &name, const PortLookup &ports, PortPlatform platform = kHostPortPlatform);

// The key of section PORTS that maps `name`: the name as given when the mappings have that key,
// otherwise "COMn"; empty for a name that is no COM port and has no key of its own.
QByteArray portMappingKey(const QString &name, const PortLookup &ports);

// The name the route-number board flows open: "COM" + (port index + 1) + ":".
QString blinkerPortName(int portIndex);

// The route-number board's port: the one the port index names, not the Announcer's port name.
PortLocation blinkerPort(int portIndex, const PortLookup &ports);

} // namespace tirvela
