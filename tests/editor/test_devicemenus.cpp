// The device commands of the main menu against the emulated devices on a pseudo-terminal.

#include "editorfixture.h"
#include "../files/fixtures.h"
#include "../device/emulatorrun.h"

#include "editorprojects.h"

#include "editor/deviceactions.h"
#include "editor/routelistwindow.h"
#include "editor/messagewindow.h"
#include "editor/progressdialog.h"
#include "devsim/announcerdevice.h"
#include "devsim/blinkerdevice.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace tirvela::test;
using namespace tirvela::devsim;
using namespace Qt::StringLiterals;

namespace {

QString labelText(const ProgressDialog &dialog, const char *name)
{
    return dialog.findChild<QLabel *>(QLatin1String(name))->text();
}

QPushButton *progressButton(const ProgressDialog &dialog)
{
    return dialog.findChild<QPushButton *>(u"OkCancelButton"_s);
}

// An editor whose ports lead to the emulated device, with a saved project and its sounds.
struct DeviceEditor : Editor
{
    explicit DeviceEditor(const QString &port) : Editor(true)
    {
        QVERIFY(writeFile(path(u"editor.ini"_s), "[PORTS]\r\nCOM1=" + port.toUtf8() + "\r\n"));
        session.settings = readEditorSettings(session.programFolder);
        QVERIFY(QDir().mkpath(path(u"sounds"_s)));
        for (const QString &name : commonPhraseSounds())
            QVERIFY(writeFile(path(u"sounds/"_s + name), waveFile(samples(3000, 7))));
        dialogs.filesToSave.enqueue(path(u"route.stm"_s));
        trigger("SaveAsItem");
    }
    QString bin() const { return path(u"route.bin"_s); }
    ProgressDialog &progress() const { return window->progressDialog(); }
};

// Calls `painted` after each paint of a widget.
class PaintWatch : public QObject
{
public:
    PaintWatch(QWidget *widget, std::function<void()> painted) : mPainted(std::move(painted))
    {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            mPainted();
        return false;
    }

private:
    std::function<void()> mPainted;
};

// Presses the progress dialog's button once `when` holds, checking every few milliseconds.
void pressWhen(ProgressDialog &dialog, std::function<bool()> when)
{
    auto *timer = new QTimer(&dialog);
    QObject::connect(timer, &QTimer::timeout, &dialog, [&dialog, timer, when] {
        if (dialog.isVisible() && when()) {
            timer->deleteLater();
            progressButton(dialog)->click();
        }
    });
    timer->start(5);
}

} // namespace

class TestDeviceMenus : public QObject
{
    Q_OBJECT

private slots:
    void programmingBuildsTheImageAndWritesItIntoTheAnnouncer()
    {
        EmulatorRun run;
        AnnouncerDevice device({}, run.log());
        run.start(device);
        DeviceEditor editor(run.port());
        QVERIFY(!QFileInfo::exists(editor.bin()));

        editor.trigger("ProgramMenuItem"); // no image yet: it is built first, then sent
        run.stop();

        QByteArray image = readFile(editor.bin());
        QVERIFY(!image.isEmpty());
        image.append(QByteArray((512 - image.size() % 512) % 512, '\0'));
        QCOMPARE(device.memory().left(image.size()), image);
        ProgressDialog &dialog = editor.progress();
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.windowTitle(), u"Запись в устройство"_s);
        QCOMPARE(labelText(dialog, "StageLabel"), u"Процесс завершен"_s);
        QCOMPARE(labelText(dialog, "SizeLabel"), u"Размер файла: %1"_s.arg(image.size()));
        QCOMPARE(progressButton(dialog)->text(), u"OK"_s);
        saveScreenshot(&dialog, u"progress"_s);
        progressButton(dialog)->click();
        QVERIFY(!dialog.isVisible());
        QVERIFY(editor.dialogs.messages.isEmpty());
    }

    void cancelStopsTheTransferWithinASecond()
    {
        EmulatorRun run;
        AnnouncerFaults slow;
        slow.answerDelayMs = 100;
        AnnouncerDevice device(slow, run.log());
        run.start(device);
        DeviceEditor editor(run.port());
        ProgressDialog &dialog = editor.progress();
        QElapsedTimer sincePress;
        pressWhen(dialog, [&] {
            const bool writing = labelText(dialog, "StageLabel") == u"Запись"_s;
            if (writing)
                sincePress.start();
            return writing;
        });
        editor.trigger("ProgramMenuItem");
        QVERIFY2(sincePress.elapsed() < 1100, qPrintable(QString::number(sincePress.elapsed())));
        run.stop();
        QVERIFY(!dialog.isVisible());
        QVERIFY(editor.dialogs.messages.isEmpty());
        QVERIFY(device.blocksStored() < readFile(editor.bin()).size() / 512);
        QCOMPARE(editor.window->log().window()->lines().constLast(),
                 u"Программирование автоинформатора прервано: устройство записано не полностью, "
                 u"его нужно запрограммировать заново"_s);
    }

    void progressIsPaintedBeforeThePortOpensAndAnswersMeanwhile()
    {
        EmulatorRun run;
        AnnouncerFaults faults;
        faults.neverReady = true;
        AnnouncerDevice device(faults, run.log());
        run.start(device);
        DeviceEditor editor(run.port());
        ProgressDialog &dialog = editor.progress();
        // What the stage line showed each time it was painted.
        QStringList painted;
        auto *stage = dialog.findChild<QLabel *>(u"StageLabel"_s);
        PaintWatch watch(stage, [&] { painted << stage->text(); });
        // Pressed as soon as it has been painted: it answers while the device starts.
        QString stageAtPress;
        QElapsedTimer sincePress;
        pressWhen(dialog, [&] {
            if (painted.isEmpty())
                return false;
            stageAtPress = stage->text();
            sincePress.start();
            return true;
        });
        editor.trigger("ProgramMenuItem");
        run.stop();
        QCOMPARE(stageAtPress, u"Подготовка, открытие порта"_s);
        QCOMPARE(painted.value(0), u"Подготовка, открытие порта"_s);
        QVERIFY2(sincePress.elapsed() < 500, qPrintable(QString::number(sincePress.elapsed())));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(device.blocksStored(), 0);
        QVERIFY(editor.window->log().window()->lines().constLast().startsWith(u"Программирование автоинформатора прервано"_s));
    }

    void deviceFaultsAreToldOnce_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("message");
        QTest::newRow("E reply") << false << u"При записи произошла ошибка!"_s;
        QTest::newRow("silence") << true << u"Ничего не получено"_s;
    }

    void deviceFaultsAreToldOnce()
    {
        QFETCH(bool, silent);
        QFETCH(QString, message);
        EmulatorRun run;
        AnnouncerFaults faults;
        (silent ? faults.silentAtBlock : faults.errorAtBlock) = 1;
        AnnouncerDevice device(faults, run.log());
        run.start(device);
        DeviceEditor editor(run.port());
        editor.trigger("ProgramMenuItem");
        run.stop();
        QCOMPARE(editor.dialogs.messages, QStringList{message});
        QVERIFY(!editor.progress().isVisible());
    }

    void routeNumberGoesToTheBoard()
    {
        EmulatorRun run;
        BlinkerDevice board({}, run.log());
        run.start(board);
        DeviceEditor editor(run.port());
        editor.dialogs.texts.enqueue(std::nullopt); // cancelled: nothing is sent
        editor.trigger("RouteBlinkerMenuItem");
        editor.dialogs.texts.enqueue(u"12"_s);
        editor.trigger("RouteBlinkerMenuItem");
        run.stop();
        QCOMPARE(board.routeNumbers().size(), 1);
        QCOMPARE(board.routeNumbers()[0].frame, QByteArray::fromHex("ff0daf202032315fff"));
        QVERIFY(editor.dialogs.messages.isEmpty());
        QCOMPARE(editor.window->log().window()->lines().constLast(),
                 u"Номер маршрута 12 передан на блинкерное табло, порт COM1: (%1)"_s.arg(run.port()));
    }

    void routeNumberProposedIsTheRouteShown()
    {
        EmulatorRun run;
        BlinkerDevice board({}, run.log());
        run.start(board);
        DeviceEditor editor(run.port());
        writeThreeRouteProject(editor.path(u"three.stm"_s));
        openProject(editor, editor.path(u"three.stm"_s));
        editor.window->routeListWindow()->selectCell(2, 1);
        editor.dialogs.texts.enqueue(QString()); // Enter on what is proposed
        editor.trigger("RouteBlinkerMenuItem");
        run.stop();
        QCOMPARE(editor.dialogs.proposals, QStringList{u"3"_s});
        QCOMPARE(board.routeNumbers().size(), 1);
        QCOMPARE(board.routeNumbers()[0].frame, QByteArray::fromHex("ff0daf202020334fff"));
    }

    void boardProgrammingRunsToItsEnd()
    {
        EmulatorRun run;
        BlinkerDevice board({}, run.log());
        run.start(board);
        DeviceEditor editor(run.port());
        editor.window->deviceActions().setBlinkerProgramming({kBlinkerLineMode.toString(), 1});
        ProgressDialog &dialog = editor.progress();
        pressWhen(dialog, [&] { return progressButton(dialog)->text() == u"ОК"_s; });
        editor.trigger("ProgramBlinkerMenuItem");
        run.stop();
        QCOMPARE(labelText(dialog, "StageLabel"), u"Прошивка блинкерного табло завершена"_s);
        auto *bar = dialog.findChild<QProgressBar *>(u"ProgressBar1"_s);
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(bar->text(), u"100 %"_s);
        saveScreenshot(&dialog, u"blinker-progress"_s);
        QCOMPARE(board.boards().size(), size_t(3));
        for (const auto &[id, memory] : board.boards())
            QVERIFY(memory.completions == 1 && memory.crcOk);
    }

    void closingTheBoardProgrammingInTheLastBoardTypeSendsNothingMore()
    {
        EmulatorRun run;
        BlinkerDevice board({}, run.log());
        run.start(board);
        DeviceEditor editor(run.port());
        editor.window->deviceActions().setBlinkerProgramming({kBlinkerLineMode.toString(), 5});
        ProgressDialog &dialog = editor.progress();
        auto *bar = dialog.findChild<QProgressBar *>(u"ProgressBar1"_s);
        pressWhen(dialog, [&] {
            return labelText(dialog, "StageLabel") == u"Табло 3 из 3 · 16x28x4 Раздельные"_s
                && bar->value() >= 2 * 8192 + 640;
        });
        editor.trigger("ProgramBlinkerMenuItem");
        const int framesAtClose = int(board.programmingSpeeds().size());
        QTest::qWait(100);
        run.stop();

        QCOMPARE(int(board.programmingSpeeds().size()), framesAtClose);
        QVERIFY(framesAtClose > 2 * 128 && framesAtClose < 3 * 128);
        QCOMPARE(board.boards().at(kBoardTypes[2].id).completions, 0);
        QCOMPARE(editor.window->log().window()->lines().constLast(), u"Прошивка блинкерного табло: Прервано"_s);
    }
};

QTEST_MAIN(TestDeviceMenus)
#include "test_devicemenus.moc"
