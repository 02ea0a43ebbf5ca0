#include "gtfs/csvreader.h"

#include "common/regularfile.h"
#include "gtfs/linescan.h"

#include <cstring>
#include <utility>

namespace tirvela {

CsvReader::CsvReader(ByteSource &source, qsizetype chunkBytes) : mReadAhead{source, chunkBytes}
{
}

// Moves on to the next chunk, with the unfinished record of this one carried in front of it.
bool CsvReader::fill()
{
    const qsizetype carried = mEnd - mStart;
    if (carried >= MaxRecordBytes)
        return false;
    ReadAhead::Chunk chunk = mReadAhead.take();
    if (chunk.count <= 0) {
        mAtEnd = true;
        return chunk.count == 0;
    }
    const qsizetype headroom = mReadAhead.headroom();
    const qsizetype count = qsizetype(chunk.count);
    if (carried <= headroom) {
        const qsizetype start = headroom - carried;
        std::memcpy(chunk.buffer.data() + start, mBuffer.constData() + mStart, size_t(carried));
        mRecordEnd += start - mStart;
        mStart = start;
        mEnd = headroom + count;
        mReadAhead.giveBack(std::exchange(mBuffer, std::move(chunk.buffer)));
    } else {
        // A record longer than the headroom grows in the buffer it began in.
        std::memmove(mBuffer.data(), mBuffer.constData() + mStart, size_t(carried));
        mRecordEnd -= mStart;
        mStart = 0;
        mEnd = carried + count;
        if (mBuffer.size() < mEnd)
            mBuffer.resize(qMax(mEnd, mBuffer.size() * 2));
        std::memcpy(mBuffer.data() + carried, chunk.buffer.constData() + headroom, size_t(count));
        mReadAhead.giveBack(std::move(chunk.buffer));
    }
    mBytesRead += count;
    return true;
}

CsvReader::Scan CsvReader::findRecordEnd()
{
    const char *data = mBuffer.constData();
    const char *begin = data + mStart;
    const char *stop = data + mEnd;
    // A record without quotes ends at the first line feed.
    const char *first = findFeedOrQuote(begin, stop);
    mRecordBreaks = 0;
    mQuotes = first < stop && *first == '"';
    if (!mQuotes) {
        if (first == stop && !mAtEnd)
            return Scan::NeedMore;
        mRecordEnd = first - data;
        return Scan::Complete;
    }
    bool quoted = false;
    bool fieldStart = true;
    for (const char *at = begin; at < stop; ++at) {
        const char c = *at;
        if (quoted) {
            if (c == '"') {
                if (at + 1 == stop && !mAtEnd)
                    return Scan::NeedMore; // a doubled quote or the closing one: the next byte tells
                if (at + 1 < stop && at[1] == '"')
                    ++at;
                else
                    quoted = false;
            } else if (c == '\n') {
                ++mRecordBreaks;
            }
        } else if (c == '\n') {
            mRecordEnd = at - data;
            return Scan::Complete;
        } else {
            quoted = c == '"' && fieldStart;
            fieldStart = c == ',';
        }
    }
    if (!mAtEnd)
        return Scan::NeedMore;
    if (quoted)
        return Scan::Unterminated;
    mRecordEnd = mEnd;
    return Scan::Complete;
}

bool CsvReader::splitNextPlain() const
{
    if (!mSplitFrom)
        return false;
    // Fields are a few bytes: a loop over them costs less than a call of memchr.
    char *fieldEnd = mSplitFrom;
    while (fieldEnd < mSplitEnd && *fieldEnd != ',')
        ++fieldEnd;
    mFields.emplace_back(mSplitFrom, fieldEnd - mSplitFrom);
    mSplitFrom = fieldEnd < mSplitEnd ? fieldEnd + 1 : nullptr;
    return true;
}

const std::vector<QByteArrayView> &CsvReader::fields() const
{
    while (splitNextPlain()) {
    }
    return mFields;
}

QByteArrayView CsvReader::field(qsizetype index) const
{
    while (qsizetype(mFields.size()) <= index) {
        if (!splitNextPlain())
            return {};
    }
    return mFields[size_t(index)];
}

// Fields are unquoted in place: what a field keeps is never longer than what it was written as.
void CsvReader::splitQuoted(char *begin, char *end)
{
    char *read = begin;
    char *write = begin;
    for (;;) {
        char *field = write;
        if (read < end && *read == '"') {
            ++read;
            while (read < end) {
                if (*read == '"') {
                    if (read + 1 < end && read[1] == '"') {
                        *write++ = '"';
                        read += 2;
                        continue;
                    }
                    ++read;
                    break;
                }
                *write++ = *read++;
            }
        }
        while (read < end && *read != ',')
            *write++ = *read++;
        mFields.emplace_back(field, write - field);
        if (read == end)
            return;
        ++read; // the comma
    }
}

void CsvReader::skipRecordsWithSameFirstField()
{
    if (!mPlainRecord)
        return;
    const auto *comma = static_cast<const char *>(std::memchr(mPlainRecord, ',', size_t(mSplitEnd - mPlainRecord)));
    // A copy, as refills move the buffer; they would leave the current record's fields dangling too.
    if (comma)
        mSkipHead.assign(mPlainRecord, size_t(comma + 1 - mPlainRecord));
    mFields.clear();
    mSplitFrom = nullptr;
    mPlainRecord = nullptr;
    if (!comma)
        return;
    const QByteArrayView head(mSkipHead.data(), qsizetype(mSkipHead.size()));
    for (;;) {
        const char *data = mBuffer.constData();
        const HeadRun run = passLinesBeginningWith(data + mStart, data + mEnd, head);
        mStart = run.end - data;
        mLine += run.lines;
        if (!run.open)
            return; // a record that holds a quote or begins otherwise: next() reads it
        if (mAtEnd) {
            if (mEnd - mStart > head.size()) {
                mStart = mEnd; // the last record, without a line end
                ++mLine;
            }
            return;
        }
        mRecordLine = mLine;
        if (!fill()) {
            failRead();
            return;
        }
    }
}

CsvReader::Status CsvReader::failRead()
{
    if (!mAtEnd)
        return fail(QStringLiteral("запись длиннее %1").arg(sizeText(MaxRecordBytes)));
    return fail(mReadAhead.error());
}

CsvReader::Status CsvReader::fail(const QString &message)
{
    mError = message;
    mFields.clear();
    mSplitFrom = nullptr;
    mPlainRecord = nullptr;
    return Status::Error;
}

CsvReader::Status CsvReader::next()
{
    mFields.clear();
    mSplitFrom = nullptr;
    mPlainRecord = nullptr;
    if (!mError.isEmpty())
        return Status::Error;
    if (!mStarted) {
        mStarted = true;
        while (mEnd - mStart < 3 && !mAtEnd) {
            if (!fill())
                return fail(mReadAhead.error());
        }
        if (mEnd - mStart >= 3 && std::memcmp(mBuffer.constData() + mStart, "\xEF\xBB\xBF", 3) == 0)
            mStart += 3;
    }
    for (;;) {
        mRecordLine = mLine;
        Scan scan = findRecordEnd();
        while (scan == Scan::NeedMore) {
            if (!fill())
                return failRead();
            scan = findRecordEnd();
        }
        if (scan == Scan::Unterminated)
            return fail(QStringLiteral("незакрытая кавычка"));
        char *begin = mBuffer.data() + mStart;
        char *end = mBuffer.data() + mRecordEnd;
        const bool lastRecord = mRecordEnd == mEnd;
        if (begin == end && lastRecord)
            return Status::End;
        mStart = lastRecord ? mEnd : mRecordEnd + 1;
        mLine += 1 + mRecordBreaks;
        if (end > begin && end[-1] == '\r')
            --end;
        if (begin == end)
            continue; // a blank line
        if (mQuotes) {
            splitQuoted(begin, end);
        } else {
            mPlainRecord = begin;
            mSplitFrom = begin;
            mSplitEnd = end;
        }
        return Status::Record;
    }
}

} // namespace tirvela
