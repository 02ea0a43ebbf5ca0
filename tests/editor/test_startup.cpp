// The editor as a program: what it does where no window can be shown.

#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void withoutADisplayItSaysSoInOneLine()
    {
        QProcess editor;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString &name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
            environment.remove(name);
        editor.setProcessEnvironment(environment);
        editor.start(QStringLiteral(TIRVELA_EDITOR), {});
        QVERIFY(editor.waitForFinished(10000));
        QCOMPARE(editor.exitStatus(), QProcess::NormalExit);
        QCOMPARE(editor.exitCode(), 1);
        const QString said = QString::fromUtf8(editor.readAllStandardError());
        QCOMPARE(said.count(u'\n'), 1);
        QVERIFY2(said.contains(u"QT_QPA_PLATFORM=offscreen"_s), qPrintable(said));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"
