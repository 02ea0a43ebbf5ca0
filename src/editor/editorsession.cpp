#include "editor/editorsession.h"

namespace tirvela {

SoundListing EditorSession::listSoundsIfEmpty(MessageLog &log)
{
    if (!sounds.isEmpty())
        return {};
    return listSoundsFolder(sounds, programFolder, log);
}

} // namespace tirvela
