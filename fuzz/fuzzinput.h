#pragma once

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

// The readers under test take file names: each input is written to one scratch file first.
inline QString fuzzInputFile(const quint8 *data, size_t size, const QString &name = QStringLiteral("input"))
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        std::abort();
    return path;
}
