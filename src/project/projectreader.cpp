#include "project/projectreader.h"

#include "common/regularfile.h"
#include "project/boarddatafile.h"
#include "project/boardimage.h"
#include "project/filelayout.h"
#include "project/project.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace tirvela {

namespace {


// The project part of a file, read in full before the project takes any of it.
struct FileContent
{
    bool olderLayout = false;
    int routeCount = 0;
    std::array<QByteArray, MaxRoutes> streams;
    std::array<BoardImage, BoardTypeCount> images;
};

// Reads a file front to back, refusing any read past its end.
class Cursor
{
public:
    explicit Cursor(QFile &file) : mFile(file), mSize(file.size()) {}

    qint64 position() const { return mPosition; }
    qint64 left() const { return mSize - mPosition; }

    std::optional<QByteArray> take(qint64 count)
    {
        if (count < 0 || count > left() || !mFile.seek(mPosition))
            return std::nullopt;
        QByteArray bytes = mFile.read(count);
        if (bytes.size() != count)
            return std::nullopt;
        mPosition += count;
        return bytes;
    }

    bool seek(qint64 position)
    {
        if (position < 0 || position > mSize)
            return false;
        mPosition = position;
        return true;
    }

private:
    QFile &mFile;
    qint64 mSize;
    qint64 mPosition = 0;
};

// Reads the board block of the current layout into the images; returns what is wrong, or nothing.
std::optional<QString> readBoardBlock(Cursor &cursor, FileContent &content)
{
    const qint64 blockStart = cursor.position();
    const std::optional<QByteArray> head = cursor.take(kBoardBlockHead);
    if (!head)
        return QStringLiteral("файл обрывается в блоке табло");
    const qint64 blockEnd = blockStart + readLe(*head, 0, 3);
    if (blockEnd < blockStart + kBoardBlockHead)
        return QStringLiteral("длина блока табло меньше его заголовка");
    if (blockEnd > blockStart + kBoardBlockHead + cursor.left())
        return QStringLiteral("блок табло выходит за конец файла");

    // Images that are not in the file hold no route; images beyond the third are skipped.
    for (BoardImage &image : content.images)
        image.fill(0x00);
    const int imageCount = quint8((*head)[3]);
    for (int k = 0; k < imageCount; ++k) {
        const std::optional<QByteArray> imageHead = cursor.take(kBoardImageHead);
        const qint64 length = imageHead ? readLe(*imageHead, 1, 2) : 0;
        if (!imageHead || cursor.position() + length > blockEnd)
            return QStringLiteral("образ табло %1 выходит за конец блока табло").arg(k + 1);
        const std::optional<QByteArray> bytes = cursor.take(length);
        if (!bytes)
            return QStringLiteral("файл обрывается в блоке табло");
        if (k < BoardTypeCount) {
            BoardImage &image = content.images[size_t(k)];
            image.fill(0xFF);
            std::copy_n(bytes->constData(), std::min<qsizetype>(bytes->size(), BoardImageSize), image.begin());
        }
    }
    cursor.seek(blockEnd);
    return std::nullopt;
}

// Reads the project part of a file; returns what is wrong, or nothing.
std::optional<QString> readContent(QFile &file, FileContent &content)
{
    Cursor cursor(file);
    const std::optional<QByteArray> header = cursor.take(kHeaderRecordSize);
    if (!header)
        return QStringLiteral("файл короче заголовка");
    content.olderLayout = header->startsWith("KV20");
    content.routeCount = qint8((*header)[11]) + 1;
    if (content.routeCount < 0 || content.routeCount > MaxRoutes)
        return QStringLiteral("число маршрутов %1 вне пределов от 0 до %2").arg(content.routeCount).arg(MaxRoutes);
    if (!cursor.take(qint64(kHeaderRecordSize) * content.routeCount))
        return QStringLiteral("файл обрывается в заголовках маршрутов");

    if (content.olderLayout) {
        if (!cursor.take(qint64(kRoutePictureStride) * content.routeCount))
            return QStringLiteral("файл обрывается в картинках маршрутов");
    } else if (const std::optional<QString> problem = readBoardBlock(cursor, content)) {
        return problem;
    }

    for (int route = 0; route < content.routeCount; ++route) {
        const std::optional<QByteArray> size = cursor.take(4);
        if (!size)
            return QStringLiteral("файл обрывается перед списком остановок маршрута %1").arg(route + 1);
        const qint32 length = qint32(readLe(*size, 0, 4));
        if (length < 0)
            return QStringLiteral("длина списка остановок маршрута %1 отрицательна").arg(route + 1);
        if (length > cursor.left())
            return QStringLiteral("список остановок маршрута %1 выходит за конец файла").arg(route + 1);
        if (length > MaxRouteStreamSize)
            return QStringLiteral("список остановок маршрута %1 длиной %2 байт, а список остановок не бывает длиннее %3")
                .arg(route + 1).arg(length).arg(sizeText(MaxRouteStreamSize));
        std::optional<QByteArray> stream = cursor.take(length);
        if (!stream)
            return QStringLiteral("файл не читается в списке остановок маршрута %1").arg(route + 1);
        content.streams[size_t(route)] = std::move(*stream);
    }
    return std::nullopt;
}

} // namespace

ProjectReadResult readProjectFile(Project &project, const QString &fileName, const QString &boardDataFolder)
{
    const QString shownName = QDir::toNativeSeparators(fileName);
    if (!QFile::exists(fileName))
        return {ProjectReadResult::Outcome::NotFound, Status::failure(QStringLiteral("Файл %1 не найден").arg(shownName))};
    QFile file;
    // Unbuffered: the reader takes whole records and route streams, each read straight into its bytes.
    if (const Result<qint64> opened = openRegularFile(file, fileName, -1, FileBuffering::Unbuffered); !opened.ok()) {
        const QString reason = opened.status().reason;
        return {ProjectReadResult::Outcome::Unreadable,
                Status::failure(QStringLiteral("Файл %1 не открывается: %2").arg(shownName, reason), reason)};
    }

    FileContent content;
    if (const std::optional<QString> problem = readContent(file, content))
        return {ProjectReadResult::Outcome::Damaged,
                Status::failure(QStringLiteral("Файл %1 повреждён: %2").arg(shownName, *problem))};

    ProjectReadResult result;
    project.routeCount = content.routeCount;
    project.routeStreams = std::move(content.streams);
    if (content.olderLayout) {
        result.notes = loadBoardDataFiles(project, boardDataFolder.isEmpty() ? QFileInfo(fileName).absolutePath()
                                                                             : boardDataFolder);
    } else {
        for (int row = 0; row < BoardTypeCount; ++row)
            project.boards[size_t(row)].image = content.images[size_t(row)];
    }
    rebuildBoardContent(project);
    return result;
}

} // namespace tirvela
