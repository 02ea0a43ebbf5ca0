#pragma once

#include "gtfs/csvreader.h"
#include "gtfs/feedsource.h"

#include <QByteArrayView>
#include <QString>

#include <cstring>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

namespace tirvela {

// Told how far the reading of a file has come; returns false to stop it.
using FeedProgress = std::function<bool(qint64 done, qint64 total)>;

// One text file of a feed read record by record, its columns found by their names in the first
// line (in any order; unknown columns are ignored). Problems are told with the file and the line.
class FeedTable
{
public:
    // Opens `fileName` and reads its header. A required file that is missing, an unreadable file
    // and a missing required column fail; an optional file that is missing reads as empty.
    bool open(const FeedSource &feed, const QString &fileName, std::initializer_list<const char *> requiredColumns,
              bool required = true);
    bool isPresent() const { return mReader != nullptr; }

    // The column of a name in the header; -1 when the file has none.
    int column(QByteArrayView name) const;

    // Moves to the next record; false at the end and on a failure (then error() is set).
    bool next();
    // A field of the current record without surrounding blanks; empty for a column the file
    // lacks or a record that ends early.
    QByteArrayView field(int column) const;
    qint64 line() const { return mReader ? mReader->line() : 0; }
    // Passes over the rows that follow while their first field is written as the current row's.
    void skipRowsWithSameFirstField() { mReader->skipRecordsWithSameFirstField(); }

    // Sets the error to `what`, told with the file and the current line, and returns it.
    QString fail(const QString &what);
    // `what`, told with a file and a line of it.
    static QString problemAt(const QString &fileName, qint64 line, const QString &what);
    const QString &error() const { return mError; }
    const QString &fileName() const { return mFileName; }
    // Calls `progress` after every chunk read; reading stops with the error "Чтение прервано"
    // when it returns false.
    void setProgress(FeedProgress progress) { mProgress = std::move(progress); }
    bool cancelled() const { return mCancelled; }

private:
    QString mFileName;
    std::unique_ptr<ByteSource> mSource;
    std::unique_ptr<CsvReader> mReader;
    std::vector<QByteArray> mHeader;
    FeedProgress mProgress;
    qint64 mReported = 0;
    bool mCancelled = false;
    QString mError;
};

// The last key looked up and what it gave: a row of a feed mostly names the ids its neighbour
// named, so a run of them costs one lookup.
class LastLookup
{
public:
    template<typename Find>
    int operator()(QByteArrayView key, Find find)
    {
        if (mKnown && std::string_view(key.data(), size_t(key.size())) == mKey)
            return mValue;
        // Keeps its capacity, so a key costs no allocation; ids of one feed mostly have one length.
        if (mKey.size() == size_t(key.size()))
            std::memcpy(mKey.data(), key.data(), mKey.size());
        else
            mKey.assign(key.data(), size_t(key.size()));
        mValue = find(key);
        mKnown = true;
        return mValue;
    }

private:
    std::string mKey;
    int mValue = -1;
    bool mKnown = false;
};

// A field as a Qt text: feeds are UTF-8.
inline QString fieldText(QByteArrayView field)
{
    return QString::fromUtf8(field);
}

} // namespace tirvela
