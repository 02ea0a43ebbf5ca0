#pragma once

#include "common/status.h"
#include "sound/speech/speechsettings.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tirvela {

class IniFile;

// The user's settings kept in editor.ini beside the program.
struct EditorSettings
{
    int portIndex = 0;          // [UART] UART_IDX: the board flows open "COM" + (portIndex + 1) + ":"
    QString portName;           // [UART] UART_STR: the Announcer's port
    QString workingMode;        // [UART] UART1: the Announcer's normal line settings
    QString programmingMode;    // [UART] UART2: line settings while the Announcer is programmed
    QString soundEditorPath;    // [WAVE] EDITOR
    SpeechSettings speech;      // [SPEECH]
    bool traceDevices = false;  // for this run only, never written: the device commands keep a trace

    bool operator==(const EditorSettings &) const = default;
};

EditorSettings defaultEditorSettings(const QString &programFolder);

// Reads editor.ini in the program folder; a missing or unreadable file and missing keys give
// the defaults, a UART_IDX that is not a whole number gives 0. When the file exists but is not
// read, `read` fails with a line for the user that names it and says why, and the platform's
// reason apart. The settings are given either way, so `read` is only for a caller that tells.
EditorSettings readEditorSettings(const QString &programFolder, Status *read = nullptr);

// The section of editor.ini that maps port names onto devices (COM1=/dev/ttyUSB0), not on Windows.
inline constexpr QByteArrayView kPortsSection = "PORTS";

// A key of section PORTS of editor.ini: the port name ("COM3") and the device it opens; an
// empty device path gives the port its usual device again.
struct PortMapping
{
    QByteArray key;
    QString devicePath;
};

// Section PORTS as a lookup of the device a port name is mapped to, for the device link's port
// names. The first keeps a reference to `ini`; the second reads editor.ini in the program folder
// (an unreadable file maps nothing).
std::function<std::optional<QByteArray>(QByteArrayView)> portMappingsOf(const IniFile &ini);
std::function<std::optional<QByteArray>(QByteArrayView)> readPortMappings(const QString &programFolder);

// Writes UART_IDX, UART_STR, UART1, UART2 in section UART and EDITOR in section WAVE, VOICE, RATE
// and PITCH in section SPEECH when the file has them or they differ from the defaults (so a file
// written before there were speech settings keeps its bytes), and the port mappings in section
// PORTS, each in place, keeping every other line of the file; creates
// the file when it is missing. The file is replaced in one step, so it is either fully written or
// left as it was. Fails with a user message (holding the platform's error text when the
// file could not be read or written) and leaves the file untouched when a value cannot be stored
// or the write fails; the platform's error is the reason as well.
Status writeEditorSettings(const QString &programFolder, const EditorSettings &settings,
                           const QList<PortMapping> &portMappings = {});

QString editorIniPath(const QString &programFolder);

// Where the editor's device commands keep their trace when it is turned on.
QString deviceTracePath(const QString &programFolder);

// The folder of the running executable, ending in "/" (Qt's separator on every platform).
QString programFolderOf(const QString &executablePath);

// True when the arguments after the program name hold "-extended" exactly.
bool extendedModeRequested(const QStringList &arguments);

} // namespace tirvela
