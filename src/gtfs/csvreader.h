#pragma once

#include "gtfs/bytesource.h"

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
class CsvReader
{
public:
    enum class Status { Record, End, Error };
    static constexpr qsizetype MaxRecordBytes = qsizetype(4) << 20;

    explicit CsvReader(ByteSource &source);

    Status next();
    // The fields of the record that next() found; valid until the next call.
    const std::vector<QByteArrayView> &fields();
    // One field of that record, empty when the record has fewer; splits the record only as far as
    // the field, so that a reader looking at a leading field can pass over the rest of a row cheaply.
    QByteArrayView field(qsizetype column);
    // Passes over the records that follow while they begin with the same bytes as this one up to
    // and including the comma after field `column` (a trip's rows of stop_times.txt, say), without
    // splitting them. It stops at a record that differs, holds a quote, or does not end within the
    // bytes read, so next() then reads and checks it as usual.
    void skipRecordsAlike(qsizetype column);
    // The 1-based line where the record found (or the error met) starts.
    qint64 line() const { return mRecordLine; }
    // After Status::Error: what is wrong, without the file's name and line.
    const QString &error() const { return mError; }
    qint64 bytesRead() const { return mBytesRead; }

private:
    enum class Scan { Complete, NeedMore, Unterminated };
    Scan findRecordEnd();
    bool fill();
    bool quoteBefore(qsizetype limit);
    void splitPlain(qsizetype count);
    void splitQuoted(char *begin, char *end);
    Status fail(const QString &message);

    ByteSource &mSource;
    QByteArray mBuffer;
    qsizetype mStart = 0;     // first byte of the record being read
    qsizetype mEnd = 0;       // end of the bytes read so far
    qsizetype mRecordEnd = 0; // set by findRecordEnd: the record's line feed, or mEnd at the source's end
    int mRecordBreaks = 0;    // line feeds inside the record's quoted fields
    bool mQuotes = false;     // the record holds a quote, so it needs the careful split
    qsizetype mQuoteAt = 0;   // the first quote at or after mStart, or mQuoteSearched when none is known
    qsizetype mQuoteSearched = 0; // the end of the bytes searched for it
    char *mSplitAt = nullptr; // the part of the record not yet split; null when all of it is
    char *mSplitEnd = nullptr;
    bool mAtEnd = false;
    bool mStarted = false;
    qint64 mLine = 1;
    qint64 mRecordLine = 0;
    qint64 mBytesRead = 0;
    QString mError;
    std::vector<QByteArrayView> mFields;
    std::string mPrefix; // skipRecordsAlike's bytes, kept here to spare an allocation each time
};

} // namespace tirvela
