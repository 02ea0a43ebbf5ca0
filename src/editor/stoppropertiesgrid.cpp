#include "editor/stoppropertiesgrid.h"

#include "document/currenttarget.h"
#include "document/document.h"
#include "document/stopcommands.h"
#include "document/stoptrees.h"
#include "editor/icons.h"
#include "editor/textfit.h"
#include "editor/textinput.h"
#include "editor/userdialogs.h"
#include "common/cp1251.h"

#include <QHeaderView>
#include <QUndoStack>

namespace tirvela {

namespace {

const QString kNone = QStringLiteral("-");

} // namespace

StopPropertiesGrid::StopPropertiesGrid(Document &document, UserDialogs &dialogs, QWidget *parent)
    : QTableWidget(3, 2, parent)
    , mDocument(document)
    , mTarget(document.currentTarget())
    , mDialogs(dialogs)
{
    setObjectName(QStringLiteral("StringGrid2"));
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(24);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalHeaderLabels({QStringLiteral("Свойство"), QStringLiteral("Значение")});
    setColumnWidth(0, 150);
    setColumnWidth(1, 137);
    const QStringList labels = {QStringLiteral("Название"), QStringLiteral("Файл"), QStringLiteral("Контрольное время")};
    for (int row = 0; row < 3; ++row) {
        setItem(row, 0, new QTableWidgetItem(labels[row]));
        setItem(row, 1, new QTableWidgetItem(kNone));
    }
    resizeColumnToContents(0);
    setColumnWidth(0, qMax(150, columnWidth(0)));
    fitHeaderSections(horizontalHeader());
    horizontalHeader()->setStretchLastSection(true);
    connect(this, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        if (column == 1)
            activate(row);
    });
}

int StopPropertiesGrid::route() const
{
    return mTarget.route();
}

const StopPath &StopPropertiesGrid::path() const
{
    return mTarget.stopPath();
}

const StopNode *StopPropertiesGrid::node() const
{
    if (mTarget.kind() != CurrentTarget::Kind::Stop)
        return nullptr;
    const StopTree *tree = mDocument.stopTrees().treeOf(route());
    return tree ? nodeAt(*tree, path()) : nullptr;
}

void StopPropertiesGrid::refresh()
{
    const StopNode *selected = node();
    QString name = kNone;
    QString file = kNone;
    QString time = kNone;
    if (selected && selected->level() == DirectionLevel) {
        name = fromCp1251(selected->text);
    } else if (const StopNode *stop = stopOf(selected)) {
        name = fromCp1251(stop->text);
        if (isSoundItem(*selected))
            file = fromCp1251(selected->text);
        if (isControlTimeItem(*selected))
            time = fromCp1251(selected->text);
        else if (stop->childCount() > 2 && stop->child(2).childCount() > 0)
            time = fromCp1251(stop->child(2).child(0).text);
    }
    for (const auto &[row, text] : {std::pair{0, name}, {1, file}, {2, time}})
        item(row, 1)->setText(text);
    const bool missing = file != kNone && mSoundNames && !mSoundNames().contains(file, Qt::CaseInsensitive);
    item(1, 1)->setIcon(missing ? bundledIcon("dialog-error") : QIcon());
    item(1, 1)->setToolTip(missing ? QStringLiteral("Такого файла нет в каталоге SOUNDS") : QString());
}

void StopPropertiesGrid::activate(int row)
{
    const StopNode *selected = node();
    const StopNode *stop = stopOf(selected);
    if (!stop)
        return;
    if (row == 0)
        editName(*stop);
    else if (row == 1 && isSoundItem(*selected))
        editSoundFile(*selected);
    else if (row == 2)
        editControlTime();
}

void StopPropertiesGrid::editName(const StopNode &stop)
{
    if (const std::optional<QByteArray> text =
            askStopText(QStringLiteral("Название остановки"), QStringLiteral("Значение"), fromCp1251(stop.text)))
        mDocument.undoStack()->push(new SetStopNodeTextCommand(mDocument, route(), pathOf(stop), *text,
                                                               QStringLiteral("изменение названия остановки")));
}

void StopPropertiesGrid::editSoundFile(const StopNode &item)
{
    const QStringList offered = mSoundNames ? mSoundNames() : QStringList();
    const std::optional<QString> typed = mDialogs.askTextOffering(this, QStringLiteral("Файл"), QStringLiteral("Значение"),
                                                                  fromCp1251(item.text), offered);
    const std::optional<QByteArray> text = typed ? acceptedStopListText(mDialogs, this, *typed) : std::nullopt;
    if (text)
        mDocument.undoStack()->push(new SetStopNodeTextCommand(mDocument, route(), pathOf(item), *text,
                                                               QStringLiteral("изменение звукового файла")));
}

void StopPropertiesGrid::editControlTime()
{
    // The selected time, else the stop's first; without one a time item is made. A stop stored
    // without its control time group has none to change.
    const std::optional<ControlTimePlace> place = controlTimePlace(*mDocument.stopTrees().treeOf(route()), path());
    if (!place)
        return;
    const StopNode *item = place->made ? nullptr : nodeAt(*mDocument.stopTrees().treeOf(route()), place->item);
    const std::optional<QString> typed =
        mDialogs.askText(this, QStringLiteral("Контрольное время"), QStringLiteral("Значение в формате ЧЧ:ММ:СС"),
                         item ? fromCp1251(item->text) : QStringLiteral("00:"));
    const std::optional<QByteArray> accepted = typed ? acceptedControlTime(mDialogs, this, *typed) : std::nullopt;
    if (!accepted)
        return;
    const QByteArray &time = *accepted;
    const QString caption = QStringLiteral("изменение контрольного времени на %1").arg(fromCp1251(time));
    mDocument.undoStack()->push(new SetControlTimeCommand(mDocument, route(), path(), time, caption));
}

std::optional<QByteArray> StopPropertiesGrid::askStopText(const QString &title, const QString &prompt,
                                                          const QString &proposed)
{
    const std::optional<QString> typed = mDialogs.askText(this, title, prompt, proposed);
    return typed ? acceptedStopListText(mDialogs, this, *typed) : std::nullopt;
}

} // namespace tirvela
