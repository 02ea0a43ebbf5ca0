#pragma once

#include <QString>

#include <thread>

namespace tirvela {

// Removes the name of a file that is about to be replaced and whose content is kept in no case,
// on a thread of its own, while its replacement is written: on a file system that discards the
// blocks it frees, giving back those of a large file takes as long as writing a sixth of it, and
// the rename that puts the new file in place would otherwise wait for that at the end. A reader
// that has the file open goes on reading it whole, as after a rename. A symbolic link, a name that
// is not a regular file and a missing name are left alone: the rename replaces them as before.
class OldFileRemoval
{
public:
    OldFileRemoval() = default;
    ~OldFileRemoval() { wait(); }
    OldFileRemoval(const OldFileRemoval &) = delete;
    OldFileRemoval &operator=(const OldFileRemoval &) = delete;

    // Starts removing `path`. Without a thread to do it on, nothing is removed.
    void start(const QString &path);
    // Waits until the name is gone, or could not be removed: before anything is made under it.
    void wait();

private:
    std::thread mThread;
};

} // namespace tirvela
