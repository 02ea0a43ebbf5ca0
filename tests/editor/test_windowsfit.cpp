// Every window and dialog at its default size holds its texts whole, also with the larger font of
// a 125 % desktop; child windows stay reachable inside the workspace; the keyboard reaches every
// command.

#include "editorprojects.h"

#include "editor/childwindows.h"
#include "editor/icons.h"
#include "editor/picturewindow.h"
#include "editor/progressdialog.h"
#include "editor/routelistwindow.h"
#include "editor/settingsdialog.h"
#include "editor/soundfileswindow.h"
#include "editor/stoplistwindow.h"
#include "editor/stoppropertiesgrid.h"
#include "editor/textfit.h"
#include "editor/toolswindow.h"
#include "editor/waveformstrip.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

namespace {

// The application font for one test, put back afterwards; windows made meanwhile take it.
class FontScale
{
public:
    explicit FontScale(double scale) : mSaved(QApplication::font())
    {
        QFont font = mSaved;
        font.setPointSizeF(mSaved.pointSizeF() * scale);
        QApplication::setFont(font);
    }
    ~FontScale() { QApplication::setFont(mSaved); }

private:
    QFont mSaved;
};

// What does not fit in a window: one line per text that is cut, naming the widget.
class FitCheck
{
public:
    QStringList cut;

    void window(QWidget *window)
    {
        const int width = window->frameGeometry().width();
        if (titleBarWidth(window, window->windowTitle()) > width)
            cut << u"title «%1» in %2 px"_s.arg(window->windowTitle()).arg(width);
        for (const QHeaderView *header : window->findChildren<QHeaderView *>())
            headers(header);
        for (const QLabel *label : window->findChildren<QLabel *>())
            text(label, label->text(), label->contentsRect().width(), label->wordWrap());
        for (const QAbstractButton *button : window->findChildren<QAbstractButton *>())
            buttonText(button);
        for (const QTableWidget *grid : window->findChildren<QTableWidget *>())
            cells(grid);
    }

private:
    bool shown(const QWidget *widget) const { return widget->isVisible() && widget->width() > 0; }

    void text(const QWidget *widget, const QString &text, int space, bool wraps)
    {
        if (!shown(widget) || text.isEmpty() || wraps || Qt::mightBeRichText(text))
            return;
        const QFontMetrics metrics = widget->fontMetrics();
        for (const QString &line : text.split(u'\n')) {
            if (metrics.horizontalAdvance(line) > space)
                cut << u"%1 «%2»: %3 px in %4 px"_s.arg(widget->objectName(), line)
                           .arg(metrics.horizontalAdvance(line)).arg(space);
        }
    }

    void headers(const QHeaderView *header)
    {
        if (!shown(header))
            return;
        const int margin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        for (int section = 0; section < header->count(); ++section) {
            const QString caption = header->model()->headerData(section, header->orientation()).toString();
            text(header, caption, header->sectionSize(section) - margin, false);
        }
    }

    void buttonText(const QAbstractButton *button)
    {
        const auto *tool = qobject_cast<const QToolButton *>(button);
        if (tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly)
            return;
        // The style's own size for the text (and an indicator or icon) is what the button needs.
        if (shown(button) && !button->text().isEmpty() && button->sizeHint().width() > button->width())
            cut << u"button «%1»: %2 px in %3 px"_s.arg(button->text()).arg(button->sizeHint().width())
                       .arg(button->width());
    }

    void cells(const QTableWidget *grid)
    {
        if (!shown(grid))
            return;
        const int padding = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1);
        for (int row = 0; row < grid->rowCount(); ++row) {
            for (int column = 0; column < grid->columnCount(); ++column) {
                if (const QTableWidgetItem *item = grid->item(row, column))
                    text(grid, item->text(), grid->columnWidth(column) - padding, false);
            }
        }
    }
};

QMdiSubWindow *frameOf(QWidget *widget)
{
    for (QWidget *parent = widget; parent; parent = parent->parentWidget()) {
        if (auto *frame = qobject_cast<QMdiSubWindow *>(parent))
            return frame;
    }
    return nullptr;
}

QMdiArea *workspace(const Editor &editor)
{
    return editor.window->findChild<QMdiArea *>(u"ClientArea"_s);
}

// An element with a text as long as a board line (14 letters) on route 1's first board type.
void addLongElement(Editor &editor)
{
    ToolsWindow &tools = editor.window->toolsWindow();
    tools.showElements(0, 0);
    tools.findChild<QAction *>(u"ToolButton1Action"_s)->trigger();
    editor.dialogs.texts.enqueue(u"АВТОВОКЗАЛ ЮГ"_s);
    tools.activateElementCell(0, 3);
}

// The caption of a menu entry as the user reads it, and its mnemonic letter (a null one if none).
std::pair<QString, QChar> captionAndMnemonic(const QString &text)
{
    const qsizetype at = text.indexOf(u'&');
    return {QString(text).remove(u'&'), at >= 0 && at + 1 < text.size() ? text[at + 1].toUpper() : QChar()};
}

} // namespace

class TestWindowsFit : public QObject
{
    Q_OBJECT

private slots:
    void everyTextFits_data()
    {
        QTest::addColumn<double>("scale");
        QTest::newRow("100 %") << 1.0;
        QTest::newRow("125 %") << 1.25;
    }

    void everyTextFits()
    {
        QFETCH(double, scale);
        const FontScale font(scale);
        Editor editor(true);
        editor.window->resize(1366, 768);
        writeThreeRouteProject(editor.path(u"three.stm"_s));
        addSound(editor, u"Площадь Ленина, конечная остановка.wav"_s, QByteArray(800, char(200)));
        addSound(editor, u"stereo.wav"_s, QByteArray(800, char(128)), 2);
        openProject(editor, editor.path(u"three.stm"_s));
        addLongElement(editor);
        editor.window->showToolsWindow();
        editor.window->openStopList(0);
        editor.window->openPicture(0, 0);
        editor.trigger("N17");
        SoundFilesWindow *sounds = editor.window->soundFilesWindow();
        sounds->selectFile(u"stereo.wav"_s);

        FitCheck check;
        check.window(editor.window.get());
        ToolsWindow &tools = editor.window->toolsWindow();
        check.window(&tools);
        // What the tools window shows follows the active window.
        QMdiSubWindow *stops = childWindowOf(editor.window->stopListWindow());
        stops->mdiArea()->setActiveSubWindow(stops);
        editor.window->stopListWindow()->select({0, 0, 2, 0});
        check.window(&tools);
        QVERIFY(tools.stopGrid()->horizontalHeader()->isVisible()); // the fixed header row
        QCOMPARE(tools.stopGrid()->rowCount(), 3);

        // The strip says why the file cannot be shown, in as many lines as the strip holds.
        const WaveformStrip &strip = sounds->waveformStrip();
        QVERIFY(strip.lines().join(u' ').contains(u"stereo.wav"_s));
        const QRect needed = strip.fontMetrics().boundingRect(strip.textArea(), Qt::TextWordWrap, strip.lines().join(u'\n'));
        QVERIFY2(needed.height() <= strip.textArea().height(), qPrintable(strip.lines().join(u' ')));
        const QListWidget *names = sounds->findChild<QListWidget *>();
        QVERIFY(names->sizeHintForColumn(0) <= names->viewport()->width());

        RouteNumberDialog *number = editor.window->findChild<RouteNumberDialog *>();
        number->prepare(u"Введите номер нового маршрута"_s, {}, true);
        number->show();
        check.window(number);
        number->hide();

        SettingsDialog &settings = editor.window->settingsDialog();
        settings.show();
        check.window(&settings);
        settings.hide();

        ProgressDialog &progress = editor.window->progressDialog();
        progress.report({.caption = u"Прошивка блинкерного табло"_s,
                         .stage = u"Передача образа памяти табло 16x28x4 Раздельные"_s,
                         .size = u"Записано 393728 байт из 1048576"_s,
                         .error = u"Табло не отвечает: проверьте кабель и питание"_s,
                         .button = u"Отмена"_s});
        progress.show();
        check.window(&progress);
        progress.hide();
        progress.clear();

        const QString scaleName = QString::fromLatin1(QTest::currentDataTag()).remove(u' ');
        for (QWidget *window : {static_cast<QWidget *>(editor.window.get()), static_cast<QWidget *>(&tools)})
            saveScreenshot(window, u"fit-%1-%2"_s.arg(scaleName, window->objectName()));
        QVERIFY2(check.cut.isEmpty(), qPrintable(check.cut.join(u'\n')));
    }

    void askedTextsFit_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("prompt");
        QTest::newRow("stop") << u"Новая остановка"_s << u"Введите название остановки"_s;
        QTest::newRow("time") << u"Контрольное время"_s << u"Значение в формате ЧЧ:ММ:СС"_s;
        QTest::newRow("text") << u"Текст сообщения"_s << u"Значение"_s;
        QTest::newRow("position") << u"Координаты"_s << u"Значение в формате Y:X"_s;
        QTest::newRow("stop name") << u"Название остановки"_s << u"Значение"_s;
        QTest::newRow("board route") << u"Номер маршрута для блинкерного табло"_s << u"Номер маршрута"_s;
    }

    void askedTextsFit()
    {
        QFETCH(QString, title);
        QFETCH(QString, prompt);
        for (const double scale : {1.0, 1.25}) {
            const FontScale font(scale);
            QStringList cut;
            QTimer::singleShot(0, [&] {
                QWidget *dialog = QApplication::activeModalWidget();
                QVERIFY(qobject_cast<QInputDialog *>(dialog));
                FitCheck check;
                check.window(dialog);
                cut = check.cut;
                qobject_cast<QDialog *>(dialog)->reject();
            });
            WidgetDialogs dialogs;
            QVERIFY(!dialogs.askText(nullptr, title, prompt, {}));
            QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u'\n')));
        }
    }

    void progressDialogHasNoTitleButtons()
    {
        Editor editor;
        const Qt::WindowFlags flags = editor.window->progressDialog().windowFlags();
        QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
        for (const Qt::WindowType button : {Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint,
                                            Qt::WindowCloseButtonHint, Qt::WindowContextHelpButtonHint})
            QVERIFY(!flags.testFlag(button));
    }

    void zoomKeepsThePictureInsideTheWorkspace()
    {
        Editor editor;
        editor.window->resize(800, 500);
        editor.window->openPicture(0, 1);
        PictureWindow *picture = editor.window->findChild<PictureWindow *>();
        QMdiSubWindow *frame = frameOf(picture);
        const QRect inside = workspace(editor)->viewport()->rect();
        QVERIFY(inside.contains(frame->geometry()));
        for (int step = 0; step < 12; ++step)
            QTest::keyClick(picture, Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(picture->ledSize(), 16);
        QCOMPARE(picture->size(), picture->sizeHint()); // the whole picture, scrolled
        QVERIFY2(inside.contains(frame->geometry()), qPrintable(u"%1,%2 %3x%4"_s.arg(frame->x()).arg(frame->y())
                                                                    .arg(frame->width()).arg(frame->height())));
        const auto *scroller = qobject_cast<QScrollArea *>(frame->widget());
        QVERIFY(scroller);
        QVERIFY(scroller->horizontalScrollBar()->maximum() > 0);

        // Back to the usual size, the window shrinks around the picture again.
        QTest::keyClick(picture, Qt::Key_0, Qt::ControlModifier);
        QTRY_COMPARE(scroller->viewport()->size(), picture->size());
    }

    void cascadeBringsBackLostWindows()
    {
        Editor editor;
        editor.window->resize(900, 600);
        editor.window->openStopList(0);
        editor.window->openPicture(0, 0);
        QMdiArea *area = workspace(editor);
        QMdiSubWindow *stops = frameOf(editor.window->stopListWindow());
        stops->move(1500, 1200); // left behind when the main window was made smaller
        QTRY_VERIFY(area->verticalScrollBar()->isVisible() && area->verticalScrollBar()->maximum() > 0);

        editor.trigger("CascadeItem");
        const QRect inside = area->viewport()->rect();
        for (const QMdiSubWindow *frame : area->subWindowList())
            QVERIFY(inside.intersects(frame->geometry()) && frame->x() >= 0 && frame->y() >= 0);
        QTRY_VERIFY(!area->verticalScrollBar()->isVisible() || area->verticalScrollBar()->maximum() == 0);

        // The arrange commands, then a line, then the picture windows.
        const QList<QAction *> entries = editor.window->findChild<QMenu *>(u"MenuWindows"_s)->actions();
        QCOMPARE(entries.constLast()->data().toInt(), 0 * 65536 + 0);
        QVERIFY(entries[entries.size() - 2]->isSeparator());
        QStringList arrange;
        for (const char *name : {"CascadeItem", "TileItem", "ArrangeIconsItem"})
            arrange << captionAndMnemonic(editor.action(name)->text()).first;
        QCOMPARE(arrange, (QStringList{u"Каскадом"_s, u"Мозаикой"_s, u"Упорядочить значки"_s}));

        stops->showMinimized();
        editor.trigger("ArrangeIconsItem");
        QCOMPARE(stops->geometry().bottom(), inside.bottom());
        QCOMPARE(stops->x(), 0);
    }

    void toolsWindowBesideTheWorkspaceAndRemembered()
    {
        Editor editor;
        editor.window->setGeometry(0, 0, 1366, 768);
        editor.window->openStopList(0);
        ToolsWindow &tools = editor.window->toolsWindow();
        editor.window->showToolsWindow();
        const QWidget *viewport = workspace(editor)->viewport();
        const QRect inside(viewport->mapToGlobal(QPoint()), viewport->size());
        QCOMPARE(tools.frameGeometry().right(), inside.right());
        QCOMPARE(tools.frameGeometry().top(), inside.top());
        for (const QMdiSubWindow *frame : workspace(editor)->subWindowList()) {
            const QRect frameOnScreen(viewport->mapToGlobal(frame->pos()), frame->size());
            QVERIFY(!frameOnScreen.intersects(tools.frameGeometry()));
        }

        // Left where the editor put it, nothing is kept; moved by the user, it comes back there.
        editor.window->close();
        QVERIFY(!QFile::exists(editor.path(u"windows.ini"_s)));
        editor.window->show();
        editor.window->showToolsWindow();
        tools.move(140, 160);
        const QPoint inner = tools.geometry().topLeft();
        editor.window->close();
        MainWindow again(editor.session, editor.dialogs);
        again.show();
        again.showToolsWindow();
        QCOMPARE(again.toolsWindow().geometry().topLeft(), inner);
    }

    void keyboardReachesEveryCommand()
    {
        Editor editor;
        QStringList menus;
        QSet<QChar> letters;
        for (QAction *menu : editor.window->menuBar()->actions()) {
            const auto [caption, letter] = captionAndMnemonic(menu->text());
            menus << caption;
            QVERIFY2(!letter.isNull() && !letters.contains(letter), qPrintable(caption));
            letters.insert(letter);
        }
        QCOMPARE(menus, (QStringList{u"Файлы"_s, u"Правка"_s, u"Операции"_s, u"Окна"_s}));
        QCOMPARE(QKeySequence::mnemonic(editor.window->findChild<QMenu *>(u"FilesMenuItem"_s)->title()),
                 QKeySequence(u"Alt+Ф"_s));
        for (const char *name : {"FilesMenuItem", "N7", "MenuWindows"}) {
            QSet<QChar> taken;
            for (QAction *entry : editor.window->findChild<QMenu *>(QLatin1String(name))->actions()) {
                if (entry->isSeparator() || !entry->isVisible())
                    continue;
                const QChar letter = captionAndMnemonic(entry->text()).second;
                QVERIFY2(!letter.isNull() && !taken.contains(letter), qPrintable(entry->text()));
                taken.insert(letter);
            }
        }

        // The route list's commands in its context menu, each hint naming its shortcut.
        editor.window->openStopList(0);
        QTableView *grid = editor.window->routeListWindow()->grid();
        QCOMPARE(grid->contextMenuPolicy(), Qt::ActionsContextMenu);
        QCOMPARE(grid->actions().size(), 6);
        QList<QToolBar *> bars = editor.window->routeListWindow()->findChildren<QToolBar *>();
        bars << editor.window->stopListWindow()->findChildren<QToolBar *>()
             << editor.window->toolsWindow().findChildren<QToolBar *>();
        for (const QToolBar *bar : bars) {
            for (const QAction *action : bar->actions()) {
                const QString key = action->shortcut().toString(QKeySequence::NativeText);
                QVERIFY2(!key.isEmpty() && action->toolTip().contains(key), qPrintable(action->toolTip()));
            }
        }
        const QIcon rename = editor.window->routeListWindow()->findChild<QToolButton *>(u"ToolButton8"_s)->icon();
        QCOMPARE(rename.pixmap(16).toImage(), bundledIcon("insert-text").pixmap(16).toImage());
    }

    void settingsTabOrderFollowsTheLayout()
    {
        Editor editor;
        SettingsDialog &settings = editor.window->settingsDialog();
        settings.show();
        QWidget *first = settings.findChild<QWidget *>(u"ComboBox1"_s);
        QWidget *previous = first;
        QStringList order{first->objectName()};
        for (QWidget *next = first->nextInFocusChain(); next != first; next = next->nextInFocusChain()) {
            if (!next->isVisible() || !next->isEnabled() || !(next->focusPolicy() & Qt::TabFocus)
                || !settings.isAncestorOf(next) || previous->isAncestorOf(next)) // a spin box's own line edit
                continue;
            order << next->objectName();
            const QPoint was = previous->mapTo(&settings, previous->rect().center());
            const QPoint is = next->mapTo(&settings, next->rect().center());
            const bool sameRow = qAbs(is.y() - was.y()) <= previous->height() / 2;
            QVERIFY2(sameRow ? is.x() > was.x() : is.y() > was.y(), qPrintable(order.join(u", ")));
            previous = next;
        }
        QVERIFY(order.contains(u"OkButton"_s) && order.contains(u"WaveEditor"_s));
        settings.hide();
    }
};

QTEST_MAIN(TestWindowsFit)
#include "test_windowsfit.moc"
