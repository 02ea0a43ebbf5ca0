#pragma once

#include "gtfs/bytesource.h"
#include "gtfs/readahead.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <string>
#include <vector>

namespace tirvela {

// Reads comma-separated records the way RFC 4180 describes them and transit agencies write them:
// UTF-8 with or without a byte order mark, CRLF or LF line ends, quoted fields that hold commas,
// line breaks and doubled quotes. A quote inside an unquoted field is an ordinary character, and
// so is text after a closing quote. Blank lines are skipped. The source is read in chunks, so a
// file of any size takes the same memory; only a single record longer than MaxRecordBytes is refused.
// The next chunk is read on a thread of its own while this one is scanned.
class CsvReader
{
public:
    enum class Status { Record, End, Error };
    static constexpr qsizetype MaxRecordBytes = qsizetype(4) << 20;
    static constexpr qsizetype DefaultChunkBytes = qsizetype(256) << 10;

    explicit CsvReader(ByteSource &source, qsizetype chunkBytes = DefaultChunkBytes);

    Status next();
    // The fields of the record that next() found; valid until the next call. A record is split
    // only as far as its fields are asked for, so a reader that looks at the first field alone
    // pays for no more.
    const std::vector<QByteArrayView> &fields() const;
    // One field of the record; an empty view past its last field.
    QByteArrayView field(qsizetype index) const;
    // Passes over the records that follow the current one while they begin with the same first
    // field, written the same way, as the rows of one trip do, without splitting them; stops
    // before a record that holds a quote. The current record's fields are gone after it; a
    // failure to read on is told by the next call of next().
    void skipRecordsWithSameFirstField();
    // The 1-based line where the record found (or the error met) starts.
    qint64 line() const { return mRecordLine; }
    // After Status::Error: what is wrong, without the file's name and line.
    const QString &error() const { return mError; }
    qint64 bytesRead() const { return mBytesRead; }

private:
    enum class Scan { Complete, NeedMore, Unterminated };
    Scan findRecordEnd();
    bool fill();
    bool splitNextPlain() const;
    void splitQuoted(char *begin, char *end);
    Status fail(const QString &message);
    Status failRead();

    ReadAhead mReadAhead;
    QByteArray mBuffer;
    qsizetype mStart = 0;     // first byte of the record being read
    qsizetype mEnd = 0;       // end of the bytes read so far
    qsizetype mRecordEnd = 0; // set by findRecordEnd: the record's line feed, or mEnd at the source's end
    int mRecordBreaks = 0;    // line feeds inside the record's quoted fields
    bool mQuotes = false;     // the record holds a quote, so it needs the careful split
    bool mAtEnd = false;
    bool mStarted = false;
    qint64 mLine = 1;
    qint64 mRecordLine = 0;
    qint64 mBytesRead = 0;
    QString mError;
    // The bytes of a plain record not split yet; mSplitFrom is null once all are split.
    const char *mPlainRecord = nullptr; // the current record when it holds no quote
    mutable char *mSplitFrom = nullptr;
    char *mSplitEnd = nullptr;
    mutable std::vector<QByteArrayView> mFields;
    std::string mSkipHead; // the first field and its comma of the records being passed over
};

} // namespace tirvela
