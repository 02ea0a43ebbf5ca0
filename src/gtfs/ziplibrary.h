#pragma once

#include <QString>

#include <zip.h>

namespace tirvela {

// The functions of libzip that reading a feed archive needs. The library is loaded when the first
// archive is opened, not with the program: most feeds are read from folders, and libzip brings a
// cryptography library along whose loading was a quarter of the command-line tool's start.
struct ZipLibrary
{
    decltype(&zip_fdopen) open = nullptr;
    decltype(&zip_discard) discard = nullptr;
    decltype(&zip_name_locate) locateName = nullptr;
    decltype(&zip_stat_init) initStat = nullptr;
    decltype(&zip_stat_index) statIndex = nullptr;
    decltype(&zip_fopen_index) openMember = nullptr;
    decltype(&zip_fread) readMember = nullptr;
    decltype(&zip_fclose) closeMember = nullptr;
    decltype(&zip_strerror) errorText = nullptr;
    decltype(&zip_file_strerror) memberErrorText = nullptr;
};

// The library, loaded the first time it is asked for, from any thread; nullptr, with the reason in
// `error`, when it cannot be loaded.
const ZipLibrary *zipLibrary(QString &error);

} // namespace tirvela
