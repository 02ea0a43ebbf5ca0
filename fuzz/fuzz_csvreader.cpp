// Feed files come from anywhere: any bytes must read without a crash, and how the bytes arrive
// (one at a time, or all at once) must not change the records or the error.
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

Outcome readAll(const QByteArray &bytes, qint64 step)
{
    MemorySource source(bytes, step);
    CsvReader reader(source);
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
    }
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (!(readAll(bytes, 1) == readAll(bytes, qint64(1) << 20)))
        std::abort();
    return 0;
}
