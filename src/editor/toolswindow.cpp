#include "editor/toolswindow.h"

#include "document/currenttarget.h"
#include "document/document.h"
#include "document/elementcommands.h"
#include "editor/stoppropertiesgrid.h"
#include "editor/textfit.h"
#include "editor/textinput.h"
#include "editor/toolbaraction.h"
#include "editor/userdialogs.h"
#include "common/cp1251.h"
#include "fonts/fonttable.h"
#include "project/editchecks.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QStyle>
#include <QTableWidget>
#include <QToolBar>
#include <QUndoStack>
#include <QVBoxLayout>

namespace tirvela {

namespace {

QTableWidget *makeGrid(const char *name, int columns, QWidget *parent)
{
    auto *grid = new QTableWidget(parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setColumnCount(columns);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(24);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    return grid;
}

void setCell(QTableWidget *grid, int row, int column, const QString &text)
{
    grid->setItem(row, column, new QTableWidgetItem(text));
}

// A board line of 112 LEDs holds 14 letters of the 8 LEDs wide fonts the boards are offered.
int textColumnWidth(const QTableWidget *grid)
{
    constexpr int kBoardLineLetters = 14;
    const int padding = 2 * grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 4;
    return grid->fontMetrics().horizontalAdvance(QString(kBoardLineLetters, u'Н')) + padding;
}

QString fontName(int number)
{
    const FontEntry *font = fontByNumber(number);
    return font ? QString::fromUtf8(font->name) : QString();
}

} // namespace

ToolsWindow::ToolsWindow(Document &document, UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , mDocument(document)
    , mTarget(document.currentTarget())
    , mDialogs(dialogs)
    , mShownLine(new QLabel(this))
    , mTools(new QToolBar(this))
    , mElements(makeGrid("StringGrid1", 4, this))
    , mStopProperties(new StopPropertiesGrid(document, dialogs, this))
    , mFontMenu(new QMenu(this))
{
    setObjectName(QStringLiteral("ToolForm"));
    setWindowTitle(QStringLiteral("Инструменты"));
    mElements->setHorizontalHeaderLabels({QString(), QStringLiteral("Шрифт"), QStringLiteral("Координаты"),
                                          QStringLiteral("Текст")});
    for (const auto &[column, width] : {std::pair{0, 64}, {1, 51}, {2, 82}, {3, 87}})
        mElements->setColumnWidth(column, width);
    // The text column holds a whole board line, the others their captions; the last one takes
    // what the window gives.
    mElements->setColumnWidth(3, qMax(mElements->columnWidth(3), textColumnWidth(mElements)));
    fitHeaderSections(mElements->horizontalHeader());
    mElements->horizontalHeader()->setStretchLastSection(true);
    mElements->setSelectionBehavior(QAbstractItemView::SelectRows);
    connect(mElements, &QTableWidget::cellDoubleClicked, this, &ToolsWindow::activateElementCell);
    connect(mElements, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (!mFilling)
            mTarget.setElement(row);
    });
    mShownLine->setObjectName(QStringLiteral("ShownLabel"));
    mShownLine->setWordWrap(true);
    mShownLine->setContentsMargins(4, 2, 4, 2);
    mFontMenu->setObjectName(QStringLiteral("PopupMenu1"));
    int number = 1;
    for (const FontEntry &font : fontTable()) {
        QAction *item = mFontMenu->addAction(QString::fromUtf8(font.name));
        item->setData(number++);
        connect(item, &QAction::triggered, this, [this, item] { chooseFont(item->data().toInt()); });
    }

    createToolBar();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(mShownLine);
    layout->addWidget(mTools);
    layout->addWidget(mElements);
    layout->addWidget(mStopProperties);
    const int frame = 2 * mElements->frameWidth();
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, mElements);
    resize(mElements->horizontalHeader()->length() + frame + scrollBar, 220);

    connect(&mTarget, &CurrentTarget::changed, this, &ToolsWindow::refresh);
    refresh();
}

ToolsWindow::Shown ToolsWindow::shown() const
{
    switch (mTarget.kind()) {
    case CurrentTarget::Kind::Elements:
        return Shown::Elements;
    case CurrentTarget::Kind::Stop:
        return Shown::StopProperties;
    case CurrentTarget::Kind::Nothing:
        break;
    }
    return Shown::Nothing;
}

int ToolsWindow::route() const
{
    return mTarget.route();
}

int ToolsWindow::boardRow() const
{
    return mTarget.boardRow();
}

QString ToolsWindow::shownText() const
{
    return mShownLine->text();
}

void ToolsWindow::createToolBar()
{
    mTools->setObjectName(QStringLiteral("ToolBar1"));
    mTools->setIconSize(QSize(16, 16));
    const auto command = [this](const char *name, const char *icon, const QString &hint, const QKeySequence &key,
                                auto slot) {
        connect(addToolBarAction(this, mTools, icon, hint, key, name), &QAction::triggered, this, slot);
    };
    command("ToolButton1", "list-add", QStringLiteral("Добавить строку"), QKeySequence(Qt::Key_Insert),
            &ToolsWindow::addElement);
    command("ToolButton2", "list-remove", QStringLiteral("Удалить строку"), QKeySequence(Qt::Key_Delete),
            &ToolsWindow::deleteElement);
    command("ToolButton3", "go-up", QStringLiteral("Сдвинуть вверх"), QKeySequence(Qt::CTRL | Qt::Key_Up),
            [this] { moveElement(-1); });
    command("ToolButton4", "go-down", QStringLiteral("Сдвинуть вниз"), QKeySequence(Qt::CTRL | Qt::Key_Down),
            [this] { moveElement(+1); });
}

void ToolsWindow::showElements(int route, int boardRow)
{
    mTarget.showElements(route, boardRow);
}

void ToolsWindow::showStopProperties(int route, const StopPath &path)
{
    mTarget.showStop(route, path);
}

void ToolsWindow::showNothing()
{
    mTarget.showNothing();
}

void ToolsWindow::refresh()
{
    const Shown now = shown();
    mShownLine->setText(mTarget.description());
    mElements->setVisible(now == Shown::Elements);
    mStopProperties->setVisible(now == Shown::StopProperties);
    mTools->setVisible(now != Shown::StopProperties);
    mTools->setEnabled(now == Shown::Elements);
    if (now == Shown::Elements)
        fillElements();
    else if (now == Shown::StopProperties)
        mStopProperties->refresh();
}

const std::vector<DisplayElement> &ToolsWindow::elements() const
{
    return mDocument.project().boards[size_t(mTarget.boardRow())].routes[size_t(mTarget.route())].elements;
}

int ToolsWindow::currentElement() const
{
    return mTarget.kind() == CurrentTarget::Kind::Elements ? mTarget.element() : -1;
}

void ToolsWindow::fillElements()
{
    const std::vector<DisplayElement> &list = elements();
    mFilling = true;
    mElements->setRowCount(qMax(1, int(list.size())));
    mElements->clearContents();
    for (int row = 0; row < int(list.size()); ++row) {
        const DisplayElement &element = list[size_t(row)];
        setCell(mElements, row, 0, QString::number(row + 1));
        setCell(mElements, row, 1, fontName(element.font));
        setCell(mElements, row, 2, QStringLiteral("%1:%2").arg(element.y).arg(element.x));
        setCell(mElements, row, 3, fromCp1251(element.text));
    }
    for (const int column : {1, 2})
        mElements->resizeColumnToContents(column);
    mElements->setCurrentCell(qMax(0, mTarget.element()), 0);
    mFilling = false;
}

void ToolsWindow::activateElementCell(int row, int column)
{
    if (shown() != Shown::Elements || row < 0 || row >= int(elements().size()))
        return;
    mTarget.setElement(row);
    switch (column) {
    case 1: {
        const int bit = kBoardTypes[size_t(mTarget.boardRow())].id;
        for (QAction *item : mFontMenu->actions())
            item->setVisible(fontByNumber(item->data().toInt())->boardTypeMask & bit);
        mFontMenu->popup(mElements->viewport()->mapToGlobal(mElements->visualItemRect(mElements->item(row, column)).topLeft()));
        break;
    }
    case 2:
        editCoordinates(row);
        break;
    case 3:
        editElementText(row);
        break;
    default:
        break;
    }
}

void ToolsWindow::chooseFont(int font)
{
    const int element = currentElement();
    if (element < 0)
        return;
    std::vector<DisplayElement> list = elements();
    list[size_t(element)].font = font;
    changeElements(std::move(list), QStringLiteral("изменение шрифта на %1").arg(fontName(font)), element);
}

void ToolsWindow::editCoordinates(int element)
{
    std::vector<DisplayElement> list = elements();
    DisplayElement &changed = list[size_t(element)];
    const std::optional<QString> typed =
        mDialogs.askText(this, QStringLiteral("Координаты"), QStringLiteral("Значение в формате Y:X"),
                         QStringLiteral("%1:%2").arg(changed.y).arg(changed.x));
    if (!typed)
        return;
    static const QRegularExpression form(QStringLiteral("^\\s*(-?\\d{1,4})\\s*:\\s*(-?\\d{1,4})\\s*$"));
    const QRegularExpressionMatch match = form.match(*typed);
    if (!match.hasMatch()) {
        mDialogs.tell(this, QStringLiteral("Координаты вводятся в формате Y:X, например 0:12"));
        return;
    }
    const int y = match.captured(1).toInt();
    const int x = match.captured(2).toInt();
    if (const std::optional<QString> problem = checkElementPosition(y, x)) {
        mDialogs.tell(this, *problem);
        return;
    }
    changed.y = y;
    changed.x = x;
    changeElements(std::move(list), QStringLiteral("перемещение текста в %1:%2").arg(y).arg(x), element);
}

void ToolsWindow::editElementText(int element)
{
    std::vector<DisplayElement> list = elements();
    const std::optional<QByteArray> typed = askElementText(mDialogs, this, list[size_t(element)].text);
    if (!typed)
        return;
    // The tools window stores texts in capitals, as the board's fonts are drawn for them.
    list[size_t(element)].text = cp1251ToUpper(*typed);
    const QString text = QStringLiteral("изменение текста «%1»").arg(fromCp1251(list[size_t(element)].text));
    changeElements(std::move(list), text, element);
}

void ToolsWindow::addElement()
{
    if (shown() != Shown::Elements)
        return;
    std::vector<DisplayElement> list = elements();
    const int at = qMax(0, currentElement());
    list.insert(list.begin() + at, DisplayElement{1, 0, 0, {}});
    changeElements(std::move(list), QStringLiteral("добавление строки"), at);
}

void ToolsWindow::deleteElement()
{
    const int element = currentElement();
    if (element < 0)
        return;
    std::vector<DisplayElement> list = elements();
    const QString text = QStringLiteral("удаление строки «%1»").arg(fromCp1251(list[size_t(element)].text));
    list.erase(list.begin() + element);
    changeElements(std::move(list), text, element); // the next one, or the new last
}

void ToolsWindow::moveElement(int direction)
{
    const int element = currentElement();
    const int other = element + direction;
    if (element < 0 || other < 0 || other >= int(elements().size()))
        return;
    std::vector<DisplayElement> list = elements();
    std::swap(list[size_t(element)], list[size_t(other)]);
    changeElements(std::move(list),
                   QStringLiteral("перемещение строки %1").arg(direction < 0 ? QStringLiteral("вверх") : QStringLiteral("вниз")),
                   other);
}

void ToolsWindow::changeElements(std::vector<DisplayElement> list, const QString &text, int current)
{
    mDocument.undoStack()->push(
        new ChangeElementsCommand(mDocument, mTarget.route(), mTarget.boardRow(), std::move(list), text));
    mTarget.setElement(current);
}

void ToolsWindow::activateStopProperty(int row)
{
    if (shown() == Shown::StopProperties)
        mStopProperties->activate(row);
}

} // namespace tirvela
