#pragma once

#include <QString>

namespace tirvela {

struct EditorSettings;

// A serial port as the user knows it ("COM1:", shown in messages) and the device that is opened for it.
struct PortLocation
{
    QString name;
    QString devicePath;
};

// Where the port a setting names is opened. On Windows the name as it stands. Elsewhere the
// optional section PORTS of editor.ini maps names (COM1=/dev/ttyUSB0), looked up by the name as
// given and then by its plain form "COMn"; without a key "COMn:", "COMn" and "\\.\COMn" are
// /dev/ttyS<n-1>, and any other name (a device path among them) is used as it is.
PortLocation locatePort(const QString &name, const QString &programFolder);

// The name the route-number board flows open: "COM" + (port index + 1) + ":".
QString blinkerPortName(int portIndex);

// The route-number board's port: the one the port index names, not the Announcer's port name.
PortLocation blinkerPort(const EditorSettings &settings, const QString &programFolder);

} // namespace tirvela
