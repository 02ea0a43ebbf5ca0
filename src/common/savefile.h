#pragma once

#include <QSaveFile>

namespace tirvela {

// Puts a QSaveFile in place only when everything written has reached it. QSaveFile::commit()
// does not notice a flush that fails (a full disk) and would put a cut file in place of the old one.
inline bool commitFully(QSaveFile &file)
{
    return file.flush() && file.commit();
}

} // namespace tirvela
