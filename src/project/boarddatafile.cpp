#include "project/boarddatafile.h"

#include "common/hexnumber.h"
#include "common/regularfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tirvela {

namespace {

constexpr int kMaxLineLength = 62;
constexpr qint64 kMaxFileSize = 1 << 20;
constexpr int kDataStart = 9;
constexpr int kDataRecord = 0;
constexpr int kEndRecord = 1;

// The value of `digits` hexadecimal digits at `position`, or -1.
int hexField(QByteArrayView line, int position, int digits)
{
    return int(parseHex(line.sliced(position, digits)).value_or(-1));
}

// Applies one line; returns false at the end-of-file record.
bool applyLine(BoardImage &image, QByteArrayView line)
{
    if (line.size() < kDataStart || line.size() > kMaxLineLength || line[0] != ':')
        return true;
    const int length = hexField(line, 1, 2);
    const int address = hexField(line, 3, 4);
    const int type = hexField(line, 7, 2);
    if (length < 0 || address < 0 || type < 0)
        return true;
    if (type == kEndRecord)
        return false;
    if (type != kDataRecord || line.size() < kDataStart + 2 * length)
        return true;
    // A record with a bad digit places nothing.
    for (int i = 0; i < length; ++i) {
        if (hexField(line, kDataStart + 2 * i, 2) < 0)
            return true;
    }
    for (int i = 0; i < length; ++i) {
        const int offset = address - BoardAddressBase + i;
        if (offset >= 0 && offset < BoardImageSize)
            image[size_t(offset)] = quint8(hexField(line, kDataStart + 2 * i, 2));
    }
    return true;
}

} // namespace

QString boardDataFileName(int boardRow)
{
    switch (boardRow) {
    case 0:
        return QStringLiteral("blinker4_16.hex");
    case 1:
        return QStringLiteral("blinker4_20.hex");
    default:
        return {};
    }
}

Status loadBoardDataFile(BoardImage &image, const QString &path)
{
    QFile file;
    if (const Result<qint64> opened = openRegularFile(file, path, kMaxFileSize); !opened.ok()) {
        const QString reason = opened.status().reason;
        // Whatever is there and cannot be read is told; a file that is not there is the caller's to word.
        if (!QFileInfo::exists(path))
            return Status::failure({}, reason);
        return Status::failure(
            QStringLiteral("Файл данных табло %1 не прочитан: %2").arg(QDir::toNativeSeparators(path), reason), reason);
    }
    image.fill(0xFF);

    // Read in pieces, so that a huge file costs no memory: a line longer than the grammar allows
    // is only remembered as too long.
    QByteArray line;
    bool lineTooLong = false;
    char buffer[4096];
    qint64 got;
    while ((got = file.read(buffer, sizeof buffer)) > 0) {
        for (qint64 i = 0; i < got; ++i) {
            const char c = buffer[i];
            if (c == '\r' || c == '\n') {
                if (!lineTooLong && !applyLine(image, line))
                    return Status::success();
                line.clear();
                lineTooLong = false;
            } else if (line.size() < kMaxLineLength) {
                line.append(c);
            } else {
                lineTooLong = true;
            }
        }
    }
    if (!lineTooLong)
        applyLine(image, line);
    return Status::success();
}

QStringList loadBoardDataFiles(Project &project, const QString &folder)
{
    QStringList notes;
    for (int row = 0; row < BoardTypeCount; ++row) {
        BoardImage &image = project.boards[size_t(row)].image;
        const QString name = boardDataFileName(row);
        if (name.isEmpty()) {
            image.fill(0x00);
            continue;
        }
        const QString path = QDir(folder).filePath(name);
        if (const Status loaded = loadBoardDataFile(image, path); !loaded.ok()) {
            image.fill(0x00);
            const QString empty = QStringLiteral("картинки табло %1 начинаются пустыми")
                                      .arg(QString::fromUtf8(kBoardTypes[size_t(row)].caption));
            notes.append(loaded.message.isEmpty() ? QStringLiteral("Файл данных табло %1 не найден: %2")
                                                        .arg(QDir::toNativeSeparators(path), empty)
                                                  : loaded.message + QStringLiteral("; ") + empty);
        }
    }
    return notes;
}

} // namespace tirvela
