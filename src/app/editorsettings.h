#pragma once

#include <QString>

namespace tirvela {

// The user's settings kept in editor.ini beside the program.
struct EditorSettings
{
    int portIndex = 0;          // [UART] UART_IDX: the board flows open "COM" + (portIndex + 1) + ":"
    QString portName;           // [UART] UART_STR: the Announcer's port
    QString workingMode;        // [UART] UART1: the Announcer's normal line settings
    QString programmingMode;    // [UART] UART2: line settings while the Announcer is programmed
    QString soundEditorPath;    // [WAVE] EDITOR
};

EditorSettings defaultEditorSettings(const QString &programFolder);

// Reads editor.ini in the program folder; missing file or keys give the defaults.
EditorSettings readEditorSettings(const QString &programFolder);

// Writes the five keys in order, each in place; stops at the first key that cannot be written
// and returns false with the platform's error text.
bool writeEditorSettings(const QString &programFolder, const EditorSettings &settings, QString *error);

QString editorIniPath(const QString &programFolder);

// The folder of the running executable, ending in the path separator.
QString programFolderOf(const QString &executablePath);

// True when the arguments after the program name hold "-extended" exactly.
bool extendedModeRequested(const QStringList &arguments);

} // namespace tirvela
