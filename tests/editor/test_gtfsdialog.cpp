#include "../gtfs/feedfixture.h"
#include "common/cp1251.h"
#include "editor/routelistwindow.h"
#include "editorfixture.h"
#include "project/stoptree.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUndoStack>

#include <functional>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

namespace {

// Runs `answer` on the import dialog once it is shown modally, then the command goes on.
void whenDialogShows(const std::function<void(QDialog &)> &answer)
{
    QTimer::singleShot(0, [answer] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->objectName(), u"GtfsImportDialog"_s);
        answer(*dialog);
        if (dialog->isVisible())
            dialog->reject(); // a failed check above leaves it open
    });
}

template <typename Widget>
Widget &child(QDialog &dialog, const char *name)
{
    auto *widget = dialog.findChild<Widget *>(QLatin1String(name));
    if (!widget)
        qFatal("no %s", name);
    return *widget;
}

void chooseRoute(QDialog &dialog, const QString &number)
{
    QTreeWidget &routes = child<QTreeWidget>(dialog, "GtfsRouteList");
    const QList<QTreeWidgetItem *> found = routes.findItems(number, Qt::MatchExactly, 0);
    QCOMPARE(found.size(), 1);
    routes.setCurrentItem(found.first());
}

QStringList visibleRoutes(QDialog &dialog)
{
    QTreeWidget &routes = child<QTreeWidget>(dialog, "GtfsRouteList");
    QStringList shown;
    for (int row = 0; row < routes.topLevelItemCount(); ++row) {
        if (!routes.topLevelItem(row)->isHidden())
            shown << routes.topLevelItem(row)->text(0);
    }
    return shown;
}

} // namespace

// Файлы → Импорт из GTFS…: the real dialog, driven as a user drives it.
class TestGtfsDialog : public QObject
{
    Q_OBJECT

    QString mFeed;

private slots:
    void initTestCase()
    {
        static QTemporaryDir dir;
        mFeed = dir.filePath(u"city.zip"_s);
        FeedFiles files = baseFeed();
        files[u"stops.txt"_s] = "stop_id,stop_name\nS1,Центр\nS2,Piața Unirii\nS3,Вокзал\nS4,Депо\n";
        QVERIFY(writeFeedZip(mFeed, files));
    }

    void importsANewRouteAsOneUndoStep()
    {
        Editor editor;
        editor.dialogs.feeds.enqueue(mFeed);
        whenDialogShows([](QDialog &dialog) {
            QLineEdit &search = child<QLineEdit>(dialog, "GtfsSearchEdit");
            search.setText(u"кольц"_s);
            QCOMPARE(visibleRoutes(dialog), QStringList{u"7"_s});
            search.clear();
            QCOMPARE(visibleRoutes(dialog), (QStringList{u"5"_s, u"7"_s}));
            QVERIFY(!child<QPushButton>(dialog, "GtfsImportButton").isEnabled());

            chooseRoute(dialog, u"5"_s);
            QCOMPARE(child<QLineEdit>(dialog, "GtfsNumberEdit").text(), u"5"_s);
            const QTreeWidget &preview = child<QTreeWidget>(dialog, "GtfsPreviewTree");
            QCOMPARE(preview.topLevelItemCount(), 2);
            const QTreeWidgetItem *forward = preview.topLevelItem(0);
            QCOMPARE(forward->childCount(), 3);
            QCOMPARE(forward->child(0)->text(0), u"Центр"_s);
            QCOMPARE(forward->child(0)->text(1), u"08:00:00 23:50:00"_s);
            // The folded name is marked, the feed's spelling at hand.
            QCOMPARE(forward->child(1)->text(0), u"Piata Unirii"_s);
            QCOMPARE(forward->child(1)->toolTip(0), u"В расписании: «Piața Unirii»"_s);
            QVERIFY(forward->child(1)->foreground(0) != forward->child(0)->foreground(0));
            QVERIFY(child<QPlainTextEdit>(dialog, "GtfsNotes").toPlainText().contains(u"самый загруженный будний день"_s));

            // Another day: the Saturday trip, which skips the square.
            child<QCheckBox>(dialog, "GtfsDayCheck").setChecked(true);
            child<QDateEdit>(dialog, "GtfsDateEdit").setDate(QDate(2026, 1, 10));
            QCOMPARE(preview.topLevelItem(0)->childCount(), 2);
            QCOMPARE(preview.topLevelItem(1)->childCount(), 0);
            child<QCheckBox>(dialog, "GtfsDayCheck").setChecked(false);

            QComboBox &times = child<QComboBox>(dialog, "GtfsTimesBox");
            times.setCurrentIndex(1);
            emit times.activated(1);
            QCOMPARE(preview.topLevelItem(0)->child(2)->text(1), QString());

            saveScreenshot(&dialog, u"gtfs-import"_s);
            child<QPushButton>(dialog, "GtfsImportButton").click();
        });
        editor.trigger("GtfsImportItem");

        const Document &document = editor.document();
        QCOMPARE(document.project().routeCount, 2);
        QCOMPARE(document.project().routeNumberText(1), QByteArray("5"));
        const RouteStreamReadResult read = readRouteStream(document.project().routeStreams[1]);
        QVERIFY(read.ok);
        QCOMPARE(read.tree.root().child(0).child(1).text, QByteArray("Piata Unirii"));
        QCOMPARE(read.tree.root().child(0).child(0).child(2).childCount(), 2); // the first stop's times
        QCOMPARE(read.tree.root().child(0).child(2).child(2).childCount(), 0);
        QCOMPARE(document.undoStack()->count(), 1);
        QCOMPARE(document.undoStack()->undoText(), u"импорт маршрута 5"_s);
        document.undoStack()->undo();
        QCOMPARE(document.project().routeCount, 1);
        document.undoStack()->redo();
        QCOMPARE(document.project().routeCount, 2);
        QVERIFY(editor.dialogs.allAnswered());
    }

    void replacesTheSelectedRouteWhenConfirmed()
    {
        Editor editor;
        editor.window->routeListWindow()->selectCell(0, 0);
        editor.dialogs.feeds.enqueue(mFeed);
        editor.dialogs.answers.enqueue(QMessageBox::No);
        editor.dialogs.answers.enqueue(QMessageBox::Yes);
        whenDialogShows([](QDialog &dialog) {
            chooseRoute(dialog, u"7"_s);
            QCheckBox &replace = child<QCheckBox>(dialog, "GtfsReplaceCheck");
            QCOMPARE(replace.text(), u"Заменить список остановок маршрута 1"_s);
            replace.setChecked(true);
            QVERIFY(!child<QLineEdit>(dialog, "GtfsNumberEdit").isEnabled());
            QPushButton &import = child<QPushButton>(dialog, "GtfsImportButton");
            import.click(); // No: the dialog stays
            QVERIFY(dialog.isVisible());
            import.click();
        });
        editor.trigger("GtfsImportItem");

        QCOMPARE(editor.dialogs.questions, QStringList(2, u"Заменить список остановок маршрута 1?"_s));
        const Document &document = editor.document();
        QCOMPARE(document.project().routeCount, 1);
        QCOMPARE(document.project().routeNumberText(0), QByteArray("1"));
        QVERIFY(document.project().routeStreams[0].contains(toCp1251(u"Депо"_s)));
        document.undoStack()->undo();
        QCOMPARE(document.project().routeStreams[0], QByteArray());
    }

    // A number the project has is refused in the dialog, which stays open; nothing changes.
    void refusesATakenNumber()
    {
        Editor editor;
        editor.dialogs.feeds.enqueue(mFeed);
        whenDialogShows([](QDialog &dialog) {
            chooseRoute(dialog, u"5"_s);
            child<QLineEdit>(dialog, "GtfsNumberEdit").setText(u"1"_s);
            child<QPushButton>(dialog, "GtfsImportButton").click();
            QVERIFY(dialog.isVisible());
            child<QPushButton>(dialog, "GtfsCancelButton").click();
        });
        editor.trigger("GtfsImportItem");
        QCOMPARE(editor.dialogs.messages, QStringList{u"Маршрут 1 уже есть в проекте"_s});
        QCOMPARE(editor.document().undoStack()->count(), 0);
    }

    void aFeedThatDoesNotReadIsTold()
    {
        Editor editor;
        QVERIFY(writeFeedFolder(editor.path(u"broken"_s), {{u"routes.txt"_s, "route_id,route_short_name\n\"R1,1\n"}}));
        editor.dialogs.feeds.enqueue(editor.path(u"broken/routes.txt"_s));
        editor.trigger("GtfsImportItem");
        QCOMPARE(editor.dialogs.messages, QStringList{u"routes.txt, строка 2: незакрытая кавычка"_s});
        QCOMPARE(editor.document().undoStack()->count(), 0);
    }
};

QTEST_MAIN(TestGtfsDialog)
#include "test_gtfsdialog.moc"
