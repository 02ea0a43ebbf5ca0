#include "common/blockwriter.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace tirvela;
using namespace Qt::StringLiterals;

namespace {

QByteArray noise(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// The writer of flash images: what it writes must be exactly what was appended, copied and
// overwritten, however the blocks and the kernel copies fall.
class TestBlockWriter : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;

    QString path(const QString &name) const { return mDir.filePath(name); }

private slots:
    void writesWhatItWasGiven_data()
    {
        QTest::addColumn<QString>("sourceFolder");
        QTest::newRow("source beside the output (kernel copy)") << QString();
        // Another file system: the kernel refuses the copy and the bytes go through the buffer.
        if (QFileInfo(u"/dev/shm"_s).isWritable())
            QTest::newRow("source on another file system") << u"/dev/shm"_s;
    }

    void writesWhatItWasGiven()
    {
        QFETCH(QString, sourceFolder);
        QTemporaryDir sourceDir(sourceFolder.isEmpty() ? mDir.filePath(u"sources-XXXXXX"_s)
                                                       : sourceFolder + u"/blockwriter-XXXXXX"_s);
        QVERIFY(sourceDir.isValid());
        const QByteArray source = noise(3 << 20, 1);
        QVERIFY(writeFile(sourceDir.filePath(u"source.wav"_s), source));
        QFile in(sourceDir.filePath(u"source.wav"_s));
        QVERIFY(in.open(QIODevice::ReadOnly));

        QFile out(path(u"out.bin"_s));
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        QByteArray expected;
        BlockWriter writer(out);
        const auto append = [&](const QByteArray &bytes) {
            expected += bytes;
            return writer.append(bytes);
        };
        const auto copy = [&](qint64 offset, qint64 size) {
            expected += source.mid(offset, size);
            return writer.copyFrom(in, offset, size) == BlockWriter::Copy::Done;
        };
        QVERIFY(append(QByteArray(32, '\0')));
        QVERIFY(copy(44, 1000));              // small: gathered in the buffer
        QVERIFY(append(noise(700, 2)));
        QVERIFY(copy(5, (2 << 20) + 333));    // large: copied by the kernel where it can
        QVERIFY(append(noise(9, 3)));
        QVERIFY(append(noise(3 << 20, 4)));   // larger than a block
        QVERIFY(copy(source.size() - 100, 100));
        QCOMPARE(writer.position(), expected.size());

        // Over bytes long written out, and over bytes still in the buffer; appends go on behind.
        const QByteArray header = noise(32, 5);
        QVERIFY(writer.overwrite(0, header));
        expected.replace(0, 32, header);
        QVERIFY(append(noise(20, 7)));
        const QByteArray tail = noise(10, 6);
        QVERIFY(writer.overwrite(expected.size() - 15, tail));
        expected.replace(expected.size() - 15, 10, tail);
        QVERIFY(append(noise(20, 8)));

        QVERIFY(writer.flush());
        QCOMPARE(out.pos(), expected.size());
        out.close();
        QVERIFY(readFile(path(u"out.bin"_s)) == expected);
    }

    void shortSourceIsAReadFailure_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::newRow("through the buffer") << qint64(4000);
        QTest::newRow("by the kernel") << qint64(1 << 20);
    }

    void shortSourceIsAReadFailure()
    {
        QFETCH(qint64, size);
        QVERIFY(writeFile(path(u"short.wav"_s), noise(size - 1, 8)));
        QFile in(path(u"short.wav"_s));
        QVERIFY(in.open(QIODevice::ReadOnly));
        QFile out(path(u"short.bin"_s));
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        BlockWriter writer(out);
        QCOMPARE(writer.copyFrom(in, 0, size), BlockWriter::Copy::ReadFailed);
    }

    // A disk that fills up (here: the file size limit) fails the copy as a write, with the reason.
    void fullDiskIsAWriteFailureWithItsReason()
    {
        QVERIFY(writeFile(path(u"big.wav"_s), noise(4 << 20, 9)));
        QFile in(path(u"big.wav"_s));
        QVERIFY(in.open(QIODevice::ReadOnly));
        QFile out(path(u"full.bin"_s));
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Unbuffered));

        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 1 << 20;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        BlockWriter writer(out);
        const BlockWriter::Copy copied = writer.copyFrom(in, 0, 4 << 20);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(copied, BlockWriter::Copy::WriteFailed);
        QVERIFY2(out.errorString().contains(u"large"_s), qPrintable(out.errorString()));
    }
};

QTEST_GUILESS_MAIN(TestBlockWriter)
#include "test_blockwriter.moc"
