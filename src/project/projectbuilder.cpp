#include "project/projectbuilder.h"

#include "common/blockwriter.h"
#include "common/messagelog.h"
#include "common/oldfileremoval.h"
#include "common/outputfile.h"
#include "common/regularfile.h"
#include "common/cp1251.h"
#include "common/savefile.h"
#include "project/boardimage.h"
#include "project/editchecks.h"
#include "project/filelayout.h"
#include "project/project.h"
#include "project/projectreader.h"
#include "project/stoptables.h"

#include <QDir>
#include <QSaveFile>

#include <algorithm>
#include <numeric>

namespace tirvela {

namespace {

constexpr int kRouteTextSize = 9;
constexpr qint64 kSoundBlock = 512;

// The route as the place of a problem in one of its stops names it: by its number.
QString routePlaceName(const Project &project, int route)
{
    const QByteArray &number = project.routeNumberText(route);
    return number.isEmpty() ? QStringLiteral("маршрут без номера (строка %1 списка)").arg(route + 1)
                            : QStringLiteral("маршрут %1").arg(fromCp1251(number));
}

bool hasBoardContent(const Project &project, int route)
{
    return std::any_of(project.boards.begin(), project.boards.end(), [route](const Board &board) {
        const BoardRouteEntry &entry = board.routes[size_t(route)];
        return !entry.routeNumberText.isEmpty() || !entry.elements.empty();
    });
}

// The first route number that reads as no number ends the route table of every board image,
// so the board content of that route and of every later one would silently be lost.
bool routeNumbersKeepBoardContent(const Project &project, int routeCount, MessageLog &log)
{
    for (int route = 0; route < routeCount; ++route) {
        if (routeNumberValue(project.routeNumberText(route)) != 0)
            continue;
        for (int later = route; later < routeCount; ++later) {
            if (hasBoardContent(project, later)) {
                log.logMessage(QStringLiteral("(ОШИБКА!!!) %1: номер маршрута должен быть шестнадцатеричным числом "
                                              "больше 0, иначе содержимое табло этого и следующих маршрутов "
                                              "не сохранится")
                                   .arg(routeCaption(project, route)));
                return false;
            }
        }
        return true;
    }
    return true;
}

// Checked before the streams are copied into the file's bytes: the reader would refuse the file.
bool routeStreamsFit(const Project &project, int routeCount, MessageLog &log)
{
    bool fit = true;
    for (int route = 0; route < routeCount; ++route) {
        const qint64 size = project.routeStreams[size_t(route)].size();
        if (size > MaxRouteStreamSize) {
            log.logMessage(QStringLiteral("(ОШИБКА!!!) %1: список остановок длиной %2 байт, больше %3; "
                                          "такой файл не откроется")
                               .arg(routeCaption(project, route)).arg(size).arg(sizeText(MaxRouteStreamSize)));
            fit = false;
        }
    }
    return fit;
}

// Builds the board block from the board content; returns an empty array (with a line in the log
// for each board type) when some content does not fit its image.
QByteArray buildBoardBlock(const Project &project, MessageLog &log)
{
    const BoardImagesBuild built = buildBoardImages(project);
    if (!built.fits()) {
        for (const QString &problem : built.problems())
            log.logMessage(QStringLiteral("(ОШИБКА!!!) ") + problem);
        return {};
    }
    QByteArray images;
    for (int row = 0; row < BoardTypeCount; ++row) {
        const BoardImage &image = built.images[size_t(row)];
        const int size = storedBoardImageSize(image);
        images.append(char(kBoardTypes[size_t(row)].id));
        appendLe(images, quint32(size), 2);
        images.append(reinterpret_cast<const char *>(image.data()), size);
    }
    QByteArray block;
    appendLe(block, quint32(kBoardBlockHead + images.size()), 3);
    block.append(char(BoardTypeCount));
    return block + images;
}

// The route streams, each after its length.
bool appendRouteStreams(BlockWriter &writer, const Project &project, int routeCount)
{
    for (int route = 0; route < routeCount; ++route) {
        const QByteArray &stream = project.routeStreams[size_t(route)];
        char size[4];
        putLe(size, quint32(stream.size()), 4);
        if (!writer.append(QByteArrayView(size, 4)) || !writer.append(stream))
            return false;
    }
    return true;
}

qint64 routeStreamsSize(const Project &project, int routeCount)
{
    return std::accumulate(project.routeStreams.begin(), project.routeStreams.begin() + routeCount, qint64(0),
                           [](qint64 sum, const QByteArray &stream) { return sum + 4 + stream.size(); });
}

// A stop count less one as two BCD digits; 0xFF for no stops.
char stopCountByte(int stops)
{
    if (stops == 0)
        return char(0xFF);
    const int value = stops - 1;
    return char((value / 10) << 4 | value % 10);
}

QByteArray headerRecords(const Project &project, int routeCount, const StopTableWriter &tables)
{
    QByteArray header(kHeaderRecordSize * (routeCount + 1), '\0');
    char *image = header.data();
    std::copy_n("KV21", 4, image);
    putLe(image + 5, quint32((tables.soundTotal() + kSoundBlock - 1) / kSoundBlock * kSoundBlock), 4);
    image[11] = char(routeCount - 1);
    putLe(image + 12, quint32(tables.summaries()[0].offset), 4);

    const qint64 pictures = header.size(); // where the older layout kept the route pictures
    for (int route = 0; route < routeCount; ++route) {
        char *record = image + kHeaderRecordSize * (route + 1);
        const StopTableSummary &table = tables.summaries()[size_t(route) + 1];
        const QByteArray &number = project.routeNumberText(route);
        std::copy_n(number.constData(), std::min<qsizetype>(number.size(), kRouteTextSize), record);
        record[9] = stopCountByte(table.forwardStops);
        record[10] = stopCountByte(table.reverseStops);
        record[11] = char(table.forwardStops + table.reverseStops);
        putLe(record + 12, quint32(table.offset), 4);
        record[17] = number.size() > 0 ? number[0] : '\0';
        record[18] = number.size() > 1 ? number[1] : '\0';
        const qint64 picture = pictures + kRoutePictureStride * qint64(route);
        putLe(record + 20, quint32(picture), 4);
        putLe(record + 24, quint32(picture + kRoutePictureSize), 4);
        putLe(record + 28, quint32(picture + 2 * kRoutePictureSize), 4);
    }
    return header;
}

// A failed project file save leaves the previous file as it was; a failed flash image build
// leaves an empty file, so that nothing stale is ever sent, unless the file is to be kept.
Status buildFailed(const QString &fileName, BuildMode mode, FailedBuild failed, const QString &fileError)
{
    if (mode == BuildMode::FlashImage && failed == FailedBuild::EmptyImage) {
        if (Status emptied = emptyFlashImage(fileName); !emptied.ok())
            return emptied;
    }
    return Status::failure(fileError);
}

// The same after dropping what was written, once the old file's name is gone.
Status buildFailed(QSaveFile &file, OldFileRemoval &oldFile, BuildMode mode, FailedBuild failed,
                   const QString &fileError)
{
    file.cancelWriting();
    oldFile.wait();
    return buildFailed(file.fileName(), mode, failed, fileError);
}

} // namespace

Status emptyFlashImage(const QString &fileName)
{
    QSaveFile empty(fileName);
    if (!empty.open(QIODevice::WriteOnly) || !empty.commit())
        return Status::failure(empty.errorString());
    return Status::success();
}

Status buildProjectFile(const Project &project, const SoundTable &sounds, const QString &fileName, MessageLog &log,
                        BuildMode mode, FailedBuild failed)
{
    const bool flashImage = mode == BuildMode::FlashImage;
    log.logMessage((flashImage ? QStringLiteral("Сохранение двоичного файла ") : QStringLiteral("Сохранение файла "))
                   + QDir::toNativeSeparators(fileName));

    if (Status output = checkOutputFile(fileName); !output.ok())
        return output;
    const int routeCount = std::clamp(project.routeCount, 0, MaxRoutes);
    if (!routeStreamsFit(project, routeCount, log))
        return buildFailed(fileName, mode, failed, {}); // the problems are in the log
    bool boardContentKept = routeNumbersKeepBoardContent(project, routeCount, log);
    // An element the image cannot hold as it is would come back changed: refused, not altered.
    for (const QString &problem : checkBoardContent(project)) {
        log.logMessage(QStringLiteral("(ОШИБКА!!!) ") + problem);
        boardContentKept = false;
    }
    const QByteArray boardBlock = buildBoardBlock(project, log);
    const bool refused = !boardContentKept || boardBlock.isEmpty();
    if (refused && !flashImage)
        return Status::failure({});

    // The header records come last, when the stop tables have settled them; their room is kept.
    // A refused flash image build writes nothing but still checks its stop tables, so that every
    // problem is listed.
    QSaveFile file(fileName);
    // Unbuffered: the writer gathers large blocks itself, and a write that fails then fails at
    // once, with the system's reason, and not later inside a flush that keeps only "Unknown error".
    if (!refused && !file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Status::failure(file.errorString());
    // An old flash image is replaced, or emptied when the build fails: unless it is to be kept,
    // its name goes while the new one is written (which took its permissions when it was opened).
    OldFileRemoval oldImage;
    if (!refused && flashImage && failed == FailedBuild::EmptyImage)
        oldImage.start(fileName);
    BlockWriter writer(file);
    const qint64 headerSize = kHeaderRecordSize * (routeCount + 1);
    if (!refused
        && !(writer.append(QByteArray(headerSize, '\0')) && writer.append(boardBlock)
             && appendRouteStreams(writer, project, routeCount)))
        return buildFailed(file, oldImage, mode, failed, file.errorString());
    const qint64 tablesStart = headerSize + boardBlock.size() + routeStreamsSize(project, routeCount);
    StopTableWriter tables(refused ? nullptr : &writer, sounds, mode, log, tablesStart);
    tables.addCommonPhrases();
    for (int route = 0; route < routeCount; ++route)
        tables.addRoute(project.routeStreams[size_t(route)], route, routeCaption(project, route),
                        routePlaceName(project, route));

    if (refused || !tables.ok())
        return buildFailed(file, oldImage, mode, failed, {}); // the problems are in the log
    if (!tables.outputFailed()) {
        const QByteArray header = headerRecords(project, routeCount, tables);
        if (writer.overwrite(0, header) && writer.flush()) {
            oldImage.wait();
            if (commitFully(file))
                return Status::success();
        }
    }
    return buildFailed(file, oldImage, mode, failed, file.errorString());
}

QString routeCaption(const Project &project, int route)
{
    QString caption = QStringLiteral("Маршрут %1").arg(route + 1);
    const QByteArray &number = project.routeNumberText(route);
    if (!number.isEmpty())
        caption += QStringLiteral(" («%1»)").arg(fromCp1251(number));
    return caption;
}

} // namespace tirvela
