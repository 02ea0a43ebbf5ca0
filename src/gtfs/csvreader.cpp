#include "gtfs/csvreader.h"

#include "common/regularfile.h"

#include <cstring>
#include <limits>

namespace tirvela {

namespace {

constexpr qsizetype kChunkBytes = qsizetype(256) << 10;

} // namespace

CsvReader::CsvReader(ByteSource &source) : mSource{source}
{
    mBuffer.resize(kChunkBytes);
}

bool CsvReader::fill()
{
    if (mStart > 0) {
        std::memmove(mBuffer.data(), mBuffer.constData() + mStart, size_t(mEnd - mStart));
        mRecordEnd -= mStart;
        mQuoteAt -= mStart;
        mQuoteSearched -= mStart;
        mEnd -= mStart;
        mStart = 0;
    }
    if (mEnd == mBuffer.size()) {
        if (mBuffer.size() >= MaxRecordBytes)
            return false;
        mBuffer.resize(mBuffer.size() * 2);
    }
    const qint64 count = mSource.read(mBuffer.data() + mEnd, mBuffer.size() - mEnd);
    if (count <= 0) {
        mAtEnd = true;
        return count == 0;
    }
    mEnd += qsizetype(count);
    mBytesRead += count;
    return true;
}

// Whether a quote lies in [mStart, limit). The bytes are searched once however many records they
// hold, so a file without quotes is searched for them once per chunk rather than once per line.
bool CsvReader::quoteBefore(qsizetype limit)
{
    if (mQuoteAt < mStart)
        mQuoteAt = mQuoteSearched = mStart; // the quote found belonged to an earlier record
    if (mQuoteAt == mQuoteSearched && mQuoteSearched < limit) {
        const char *data = mBuffer.constData();
        const auto *quote = static_cast<const char *>(
            std::memchr(data + mQuoteSearched, '"', size_t(mEnd - mQuoteSearched)));
        mQuoteSearched = mEnd;
        mQuoteAt = quote ? quote - data : mEnd;
    }
    return mQuoteAt < limit;
}

CsvReader::Scan CsvReader::findRecordEnd()
{
    const char *data = mBuffer.constData();
    const char *begin = data + mStart;
    const char *stop = data + mEnd;
    const auto *feed = static_cast<const char *>(std::memchr(begin, '\n', size_t(stop - begin)));
    const char *lineEnd = feed ? feed : stop;
    mRecordBreaks = 0;
    mQuotes = quoteBefore(lineEnd - data);
    if (!mQuotes) {
        if (!feed && !mAtEnd)
            return Scan::NeedMore;
        mRecordEnd = lineEnd - data;
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

// Splits the unsplit part of a record without quotes until it has `count` fields or is all split.
void CsvReader::splitPlain(qsizetype count)
{
    while (mSplitAt && qsizetype(mFields.size()) < count) {
        auto *comma = static_cast<char *>(std::memchr(mSplitAt, ',', size_t(mSplitEnd - mSplitAt)));
        if (!comma) {
            mFields.emplace_back(mSplitAt, mSplitEnd - mSplitAt);
            mSplitAt = nullptr;
        } else {
            mFields.emplace_back(mSplitAt, comma - mSplitAt);
            mSplitAt = comma + 1;
        }
    }
}

const std::vector<QByteArrayView> &CsvReader::fields()
{
    splitPlain(std::numeric_limits<qsizetype>::max());
    return mFields;
}

QByteArrayView CsvReader::field(qsizetype column)
{
    splitPlain(column + 1);
    return column < qsizetype(mFields.size()) ? mFields[size_t(column)] : QByteArrayView();
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

void CsvReader::skipRecordsAlike(qsizetype column)
{
    const QByteArrayView last = field(column);
    if (mQuotes || qsizetype(mFields.size()) <= column || (!mSplitAt && qsizetype(mFields.size()) == column + 1))
        return; // a quoted record, or no comma after the field
    const char *recordBegin = mFields.front().data();
    mPrefix.assign(recordBegin, size_t(last.data() + last.size() + 1 - recordBegin));
    const auto prefixSize = qsizetype(mPrefix.size());
    const char *data = mBuffer.constData();
    const qsizetype quoteFree = quoteBefore(mEnd) ? mQuoteAt : mEnd;
    while (quoteFree - mStart > prefixSize && std::memcmp(data + mStart, mPrefix.data(), size_t(prefixSize)) == 0) {
        const char *rest = data + mStart + prefixSize;
        const auto *feed = static_cast<const char *>(std::memchr(rest, '\n', size_t(data + quoteFree - rest)));
        if (!feed)
            return;
        mStart = feed - data + 1;
        ++mLine;
    }
}

CsvReader::Status CsvReader::fail(const QString &message)
{
    mError = message;
    mFields.clear();
    mSplitAt = nullptr;
    return Status::Error;
}

CsvReader::Status CsvReader::next()
{
    mFields.clear();
    mSplitAt = nullptr;
    if (!mError.isEmpty())
        return Status::Error;
    if (!mStarted) {
        mStarted = true;
        while (mEnd < 3 && !mAtEnd) {
            if (!fill())
                return fail(mSource.error());
        }
        if (mEnd >= 3 && std::memcmp(mBuffer.constData(), "\xEF\xBB\xBF", 3) == 0)
            mStart = 3;
    }
    for (;;) {
        mRecordLine = mLine;
        Scan scan = findRecordEnd();
        while (scan == Scan::NeedMore) {
            if (!fill()) {
                if (!mAtEnd)
                    return fail(QStringLiteral("запись длиннее %1").arg(sizeText(MaxRecordBytes)));
                return fail(mSource.error());
            }
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
            mSplitAt = begin;
            mSplitEnd = end;
        }
        return Status::Record;
    }
}

} // namespace tirvela
