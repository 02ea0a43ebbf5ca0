#include "common/outputfile.h"
#include "common/status.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tirvela;
using namespace Qt::StringLiterals;

class TestStatus : public QObject
{
    Q_OBJECT

private slots:
    void statusKeepsMessageAndReasonApart()
    {
        QVERIFY(Status::success().ok());
        QVERIFY(Status::success().message.isEmpty());

        const Status failed = Status::failure(u"Файл не открыт"_s, u"Permission denied"_s);
        QVERIFY(!failed.ok());
        QCOMPARE(failed.message, u"Файл не открыт"_s);
        QCOMPARE(failed.reason, u"Permission denied"_s);

        // A failure without a message is still a failure.
        QVERIFY(!Status::failure({}).ok());
    }

    void resultHoldsValueOrStatus()
    {
        const Result<int> value(7);
        QVERIFY(value.ok());
        QCOMPARE(value.value(), 7);
        QVERIFY(value.status().ok());

        const Result<int> failed(Status::failure(u"нет"_s, u"EIO"_s));
        QVERIFY(!failed.ok());
        QCOMPARE(failed.status().message, u"нет"_s);
        QCOMPARE(failed.status().reason, u"EIO"_s);
    }

    void outputFileChecks_data()
    {
        QTest::addColumn<QString>("output");     // relative to a fresh folder holding "input.bin" and "sub/"
        QTest::addColumn<QString>("input");      // empty: no input given
        QTest::addColumn<QString>("message");    // empty: writing is allowed; %1 the output, %2 the input

        QTest::newRow("missing file") << u"new.bin"_s << u"input.bin"_s << QString();
        QTest::newRow("other regular file") << u"other.bin"_s << u"input.bin"_s << QString();
        QTest::newRow("existing file, no inputs") << u"input.bin"_s << QString() << QString();
        QTest::newRow("folder") << u"sub"_s << QString()
                                << u"%1 не обычный файл (папка, устройство, канал или сокет), запись в него отменена"_s;
        QTest::newRow("the input itself") << u"input.bin"_s << u"input.bin"_s
                                          << u"%1 — это исходный файл %2, запись поверх него отменена"_s;
        QTest::newRow("the input by another spelling") << u"sub/../input.bin"_s << u"input.bin"_s
                                                       << u"%1 — это исходный файл %2, запись поверх него отменена"_s;
    }

    void outputFileChecks()
    {
        QFETCH(QString, output);
        QFETCH(QString, input);
        QFETCH(QString, message);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkdir(u"sub"_s));
        for (const QString &name : {u"input.bin"_s, u"other.bin"_s}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QString outputPath = dir.filePath(output);
        const QStringList inputs = input.isEmpty() ? QStringList() : QStringList{dir.filePath(input)};

        const Status status = checkOutputFile(outputPath, inputs);
        QCOMPARE(status.ok(), message.isEmpty());
        if (!message.isEmpty()) {
            QString expected = message.arg(QDir::toNativeSeparators(outputPath));
            if (!input.isEmpty())
                expected = expected.arg(QDir::toNativeSeparators(dir.filePath(input)));
            QCOMPARE(status.message, expected);
            QVERIFY(status.reason.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestStatus)
#include "test_status.moc"
