#pragma once

#include "gtfs/bytesource.h"

#include <QByteArray>

#include <cstring>

namespace tirvela {

// Bytes in memory handed out at most `step` at a time, as a slow pipe or an archive would.
class MemorySource : public ByteSource
{
public:
    explicit MemorySource(QByteArray bytes, qint64 step = 1 << 20) : mBytes{std::move(bytes)}, mStep{step} {}

    qint64 read(char *data, qint64 size) override
    {
        const qint64 count = qMin(qMin(size, mStep), qint64(mBytes.size()) - mAt);
        std::memcpy(data, mBytes.constData() + mAt, size_t(count));
        mAt += count;
        return count;
    }
    QString error() const override { return {}; }
    qint64 size() const override { return mBytes.size(); }

private:
    QByteArray mBytes;
    qint64 mStep;
    qint64 mAt = 0;
};

} // namespace tirvela
