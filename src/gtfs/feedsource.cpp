#include "gtfs/feedsource.h"

#include "common/regularfile.h"
#include "gtfs/ziplibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace tirvela {

namespace {

// A file of a feed folder. Its size is taken when it is opened: asking the file while another
// thread reads it would race with the read.
class FolderFile : public ByteSource
{
public:
    qint64 read(char *data, qint64 size) override { return mFile.read(data, size); }
    QString error() const override { return mFile.errorString(); }
    qint64 size() const override { return mSize; }

    QFile mFile;
    qint64 mSize = -1;
};

// A member of a feed archive, inflated as it is read. It stops at the size the archive states,
// so a member that claims less than it holds cannot feed bytes without end.
class ZipMember : public ByteSource
{
public:
    ZipMember(const ZipLibrary &zip, zip_file_t *file, qint64 size, std::mutex &archiveMutex)
        : mZip{zip}, mFile{file}, mSize{size}, mArchiveMutex{archiveMutex}
    {
    }
    ~ZipMember() override
    {
        const std::lock_guard lock(mArchiveMutex);
        mZip.closeMember(mFile);
    }

    qint64 read(char *data, qint64 size) override
    {
        const std::lock_guard lock(mArchiveMutex);
        const qint64 count = mZip.readMember(mFile, data, zip_uint64_t(qMin(size, mSize - mDone + 1)));
        if (count < 0) {
            mError = QStringLiteral("архив повреждён: %1").arg(QString::fromLocal8Bit(mZip.memberErrorText(mFile)));
            return -1;
        }
        mDone += count;
        if (mDone > mSize) {
            mError = QStringLiteral("в архиве больше данных, чем он указывает");
            return -1;
        }
        return count;
    }
    QString error() const override { return mError; }
    qint64 size() const override { return mSize; }
    // Inflating takes several times as long as the scan.
    bool paysToReadAhead() const override { return false; }

private:
    const ZipLibrary &mZip;
    zip_file_t *mFile;
    qint64 mSize;
    qint64 mDone = 0;
    QString mError;
    std::mutex &mArchiveMutex;
};

} // namespace

FeedSource::FeedSource() = default;

FeedSource::~FeedSource()
{
    const std::lock_guard lock(mArchiveMutex);
    if (mArchive)
        mZip->discard(mArchive);
}

QString FeedSource::open(const QString &path)
{
    mPath = path;
    if (QFileInfo(path).isDir())
        return {};
    QFile file;
    if (const Result<qint64> opened = openRegularFile(file, path); !opened.ok())
        return QStringLiteral("Не удалось открыть %1: %2").arg(QDir::toNativeSeparators(path), opened.status().reason);
    QString reason;
    mZip = zipLibrary(reason);
    if (!mZip)
        return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
    const int descriptor = ::dup(file.handle());
    int code = 0;
    mArchive = descriptor < 0 ? nullptr : mZip->open(descriptor, ZIP_RDONLY, &code);
    if (!mArchive) {
        if (descriptor >= 0)
            ::close(descriptor);
        return QStringLiteral("%1 — не папка и не ZIP-архив с расписанием").arg(QDir::toNativeSeparators(path));
    }
    return {};
}

qint64 FeedSource::zipIndex(const QString &fileName) const
{
    return mZip->locateName(mArchive, fileName.toUtf8().constData(), ZIP_FL_NOCASE | ZIP_FL_NODIR);
}

bool FeedSource::contains(const QString &fileName) const
{
    if (mArchive) {
        const std::lock_guard lock(mArchiveMutex);
        return zipIndex(fileName) >= 0;
    }
    return QFileInfo::exists(QDir(mPath).filePath(fileName));
}

std::unique_ptr<ByteSource> FeedSource::openFile(const QString &fileName, QString &error) const
{
    if (!mArchive) {
        auto file = std::make_unique<FolderFile>();
        const Result<qint64> opened = openRegularFile(file->mFile, QDir(mPath).filePath(fileName));
        if (!opened.ok()) {
            error = opened.status().reason;
            return nullptr;
        }
        file->mSize = opened.value();
        return file;
    }
    const std::lock_guard lock(mArchiveMutex);
    const qint64 index = zipIndex(fileName);
    zip_stat_t stat;
    mZip->initStat(&stat);
    if (index < 0 || mZip->statIndex(mArchive, zip_uint64_t(index), 0, &stat) != 0
        || !(stat.valid & ZIP_STAT_SIZE) || !(stat.valid & ZIP_STAT_COMP_SIZE)) {
        error = QStringLiteral("нет в архиве");
        return nullptr;
    }
    const qint64 size = qint64(qMin<zip_uint64_t>(stat.size, zip_uint64_t(MaxMemberSize) + 1));
    const qint64 packed = qMax<qint64>(qint64(qMin<zip_uint64_t>(stat.comp_size, zip_uint64_t(MaxMemberSize))), 1);
    if (size > MaxMemberSize || (size > (qint64(1) << 20) && size / packed > MaxInflationRatio)) {
        error = QStringLiteral("распаковывается в %1 из %2 — так делают только архивы-бомбы")
                    .arg(sizeText(size), sizeText(packed));
        return nullptr;
    }
    zip_file_t *member = mZip->openMember(mArchive, zip_uint64_t(index), 0);
    if (!member) {
        error = QStringLiteral("не распаковывается: %1").arg(QString::fromLocal8Bit(mZip->errorText(mArchive)));
        return nullptr;
    }
    return std::make_unique<ZipMember>(*mZip, member, size, mArchiveMutex);
}

} // namespace tirvela
