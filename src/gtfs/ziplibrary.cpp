#include "gtfs/ziplibrary.h"

#include <QLibrary>

namespace tirvela {

namespace {

struct LoadedZipLibrary
{
    ZipLibrary functions;
    QString error; // empty when every function was found
};

template<typename Function>
bool resolve(QLibrary &library, const char *name, Function &function)
{
    function = reinterpret_cast<Function>(library.resolve(name));
    return function != nullptr;
}

LoadedZipLibrary load()
{
    LoadedZipLibrary loaded;
    ZipLibrary &zip = loaded.functions;
    // Never unloaded: archives may be read until the program ends.
    QLibrary library(QStringLiteral(TIRVELA_LIBZIP_FILE));
    const bool found = resolve(library, "zip_fdopen", zip.open) && resolve(library, "zip_discard", zip.discard)
                       && resolve(library, "zip_name_locate", zip.locateName)
                       && resolve(library, "zip_stat_init", zip.initStat)
                       && resolve(library, "zip_stat_index", zip.statIndex)
                       && resolve(library, "zip_fopen_index", zip.openMember)
                       && resolve(library, "zip_fread", zip.readMember) && resolve(library, "zip_fclose", zip.closeMember)
                       && resolve(library, "zip_strerror", zip.errorText)
                       && resolve(library, "zip_file_strerror", zip.memberErrorText);
    if (!found)
        loaded.error = QStringLiteral("не загружается библиотека ZIP-архивов: %1").arg(library.errorString());
    return loaded;
}

} // namespace

const ZipLibrary *zipLibrary(QString &error)
{
    static const LoadedZipLibrary loaded = load();
    if (!loaded.error.isEmpty()) {
        error = loaded.error;
        return nullptr;
    }
    return &loaded.functions;
}

} // namespace tirvela
