#include "gtfs/feedtable.h"

namespace tirvela {

namespace {

constexpr qint64 kProgressStep = qint64(1) << 20;

} // namespace

bool FeedTable::open(const FeedSource &feed, const QString &fileName, std::initializer_list<const char *> requiredColumns,
                     bool required)
{
    mFileName = fileName;
    if (!feed.contains(fileName)) {
        if (!required)
            return true;
        mError = QStringLiteral("В расписании нет файла %1").arg(fileName);
        return false;
    }
    QString reason;
    mSource = feed.openFile(fileName, reason);
    if (!mSource) {
        mError = QStringLiteral("%1: %2").arg(fileName, reason);
        return false;
    }
    mReader = std::make_unique<CsvReader>(*mSource);
    if (!next()) {
        if (mError.isEmpty())
            mError = QStringLiteral("%1: файл пуст, нет даже строки заголовка").arg(fileName);
        return false;
    }
    for (const QByteArrayView name : mReader->fields())
        mHeader.emplace_back(name.trimmed().toByteArray());
    for (const char *name : requiredColumns) {
        if (column(name) < 0) {
            fail(QStringLiteral("нет обязательного столбца %1").arg(QLatin1StringView(name)));
            return false;
        }
    }
    return true;
}

int FeedTable::column(QByteArrayView name) const
{
    for (size_t at = 0; at < mHeader.size(); ++at) {
        if (mHeader[at] == name)
            return int(at);
    }
    return -1;
}

bool FeedTable::next()
{
    if (!mReader || !mError.isEmpty())
        return false;
    const CsvReader::Status status = mReader->next();
    if (mProgress && mReader->bytesRead() - mReported >= kProgressStep) {
        mReported = mReader->bytesRead();
        if (!mProgress(mReported, mSource->size())) {
            mCancelled = true;
            mError = QStringLiteral("Чтение прервано");
            return false;
        }
    }
    if (status == CsvReader::Status::Error) {
        fail(mReader->error());
        return false;
    }
    return status == CsvReader::Status::Record;
}

QByteArrayView FeedTable::field(int column) const
{
    if (column < 0)
        return {};
    // Most fields have no blanks around them and need no trimming.
    const QByteArrayView field = mReader->field(column);
    if (field.isEmpty() || (uchar(field.front()) > ' ' && uchar(field.back()) > ' '))
        return field;
    return field.trimmed();
}

QString FeedTable::problemAt(const QString &fileName, qint64 line, const QString &what)
{
    return QStringLiteral("%1, строка %2: %3").arg(fileName).arg(line).arg(what);
}

QString FeedTable::fail(const QString &what)
{
    mError = problemAt(mFileName, line(), what);
    return mError;
}

} // namespace tirvela
