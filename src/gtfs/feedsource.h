#pragma once

#include "gtfs/bytesource.h"

#include <QString>

#include <memory>
#include <mutex>

struct zip;

namespace tirvela {

struct ZipLibrary;

// A transit feed as it is handed over: a folder of its text files or a ZIP archive of them
// (read in place, member by member, never unpacked to disk). Its files may be read on other threads
// than the one that opened them, several at once.
class FeedSource
{
public:
    FeedSource();
    ~FeedSource();
    FeedSource(const FeedSource &) = delete;
    FeedSource &operator=(const FeedSource &) = delete;

    // Opens a folder or an archive; an empty text when it opened, otherwise why not.
    QString open(const QString &path);
    const QString &path() const { return mPath; }

    bool contains(const QString &fileName) const;
    // Opens one file of the feed; nullptr with the reason in `error` when it cannot be read.
    std::unique_ptr<ByteSource> openFile(const QString &fileName, QString &error) const;

    // A member is refused when it would inflate past this size or past MaxInflationRatio times
    // its packed size, as archives made to exhaust memory or disk do.
    static constexpr qint64 MaxMemberSize = qint64(4) << 30;
    static constexpr qint64 MaxInflationRatio = 500;

private:
    qint64 zipIndex(const QString &fileName) const;

    QString mPath;
    const ZipLibrary *mZip = nullptr; // loaded when the feed is an archive
    zip *mArchive = nullptr;
    // An archive's members share its file: one thread at a time reads or opens them.
    mutable std::mutex mArchiveMutex;
};

} // namespace tirvela
