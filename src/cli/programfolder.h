#pragma once

#include <QString>
#include <QStringList>

namespace tirvela::cli {

struct ProgramFolderOption
{
    bool ok = true;
    QString folder; // ends in '/'
    QString error;  // set when !ok: "--program-dir" without a folder
};

// Takes "--program-dir DIR" out of a command's arguments. Without it the program folder
// (where sounds/ and editor.ini live) is the folder of the executable.
ProgramFolderOption takeProgramFolder(QStringList &arguments);

} // namespace tirvela::cli
