// Feed files come from anywhere: any bytes must read without a crash, and how the bytes arrive
// (one at a time, or all at once) and in what chunks the reader takes them over must not change the
// records or the error. Passing over the
// records alike in their first field may only leave out records whose first field is the one of
// the record kept before them.
#include "gtfs/csvreader.h"
#include "gtfs/memorysource.h"

#include <QList>

#include <cstdlib>

using namespace tirvela;

namespace {

struct Outcome
{
    QList<QByteArrayList> records;
    QList<qint64> lines;
    QString error;

    bool operator==(const Outcome &other) const = default;
};

Outcome readAll(const QByteArray &bytes, qint64 step, qsizetype chunk, bool skipAlike = false)
{
    MemorySource source(bytes, step);
    CsvReader reader(source, chunk);
    Outcome outcome;
    for (CsvReader::Status status; (status = reader.next()) != CsvReader::Status::End;) {
        if (status == CsvReader::Status::Error) {
            outcome.error = reader.error();
            outcome.lines << reader.line();
            break;
        }
        QByteArrayList fields;
        for (const QByteArrayView field : reader.fields())
            fields << field.toByteArray();
        outcome.records << fields;
        outcome.lines << reader.line();
        if (skipAlike)
            reader.skipRecordsWithSameFirstField();
    }
    return outcome;
}

bool isAlikeThinning(const Outcome &all, const Outcome &thinned)
{
    if (thinned.error != all.error || (!all.error.isEmpty() && thinned.lines.constLast() != all.lines.constLast()))
        return false;
    qsizetype kept = 0;
    for (qsizetype at = 0; at < all.records.size(); ++at) {
        if (kept < thinned.records.size() && thinned.lines[kept] == all.lines[at]) {
            if (thinned.records[kept] != all.records[at])
                return false;
            ++kept;
        } else if (kept == 0 || all.records[at].constFirst() != thinned.records[kept - 1].constFirst()) {
            return false;
        }
    }
    return kept == thinned.records.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    constexpr qint64 whole = qint64(1) << 20;
    const Outcome all = readAll(bytes, whole, CsvReader::DefaultChunkBytes);
    if (!(readAll(bytes, 1, 16) == all) || !isAlikeThinning(all, readAll(bytes, whole, CsvReader::DefaultChunkBytes, true))
        || !isAlikeThinning(all, readAll(bytes, 7, 7, true)))
        std::abort();
    return 0;
}
