#pragma once

#include <QString>

namespace tirvela {

// The program folder (where editor.ini and sounds/ live) of an executable: its own folder while
// that folder can be written (a build tree, an unpacked copy), otherwise the user's data folder
// "tirvela" (an installed copy under /usr), which is made when it is missing.
// Ends in "/".
QString programFolderFor(const QString &executablePath);

} // namespace tirvela
