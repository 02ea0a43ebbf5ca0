#include "editor/gtfsimportdialog.h"

#include "common/cp1251.h"
#include "editor/progressdialog.h"
#include "editor/userdialogs.h"
#include "gtfs/routeplacement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tirvela {

namespace {

constexpr int kRouteRole = Qt::UserRole;
// Folded names are shown in this colour, with the feed's spelling as their tool tip.
const QColor kFoldedColour(0xB0, 0x50, 0x00);

QString tripsText(const FeedRoute &route)
{
    return QStringLiteral("%1/%2/%3").arg(route.trips[0]).arg(route.trips[1]).arg(route.trips[2]);
}

QTreeWidget *newTree(const char *name, const QStringList &headers, QWidget *parent)
{
    auto *tree = new QTreeWidget(parent);
    tree->setObjectName(QString::fromLatin1(name));
    tree->setHeaderLabels(headers);
    tree->setRootIsDecorated(headers.size() == 2);
    tree->setUniformRowHeights(true);
    tree->header()->setStretchLastSection(true);
    return tree;
}

} // namespace

GtfsImportDialog::GtfsImportDialog(UserDialogs &dialogs, std::unique_ptr<FeedSource> feed, RouteCatalog catalog,
                                   const Project &project, int selectedRoute, const QString &soundsFolder,
                                   QWidget *parent)
    : QDialog(parent)
    , mDialogs(dialogs)
    , mFeed(std::move(feed))
    , mCatalog(std::move(catalog))
    , mProject(project)
    , mSelectedRoute(selectedRoute < project.routeCount ? selectedRoute : -1)
    , mSoundsFolder(soundsFolder)
{
    setObjectName(QStringLiteral("GtfsImportDialog"));
    setWindowTitle(QStringLiteral("Импорт из GTFS"));

    mSearch = new QLineEdit(this);
    mSearch->setObjectName(QStringLiteral("GtfsSearchEdit"));
    mSearch->setPlaceholderText(QStringLiteral("Поиск: номер, название, перевозчик"));
    mSearch->setClearButtonEnabled(true);
    mRoutes = newTree("GtfsRouteList",
                      {QStringLiteral("Номер"), QStringLiteral("Название"), QStringLiteral("Перевозчик"),
                       QStringLiteral("Рейсы 0/1/без"), QStringLiteral("Дни")},
                      this);
    mRoutes->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    mRoutes->setToolTip(QStringLiteral("Рейсы по direction_id: 0, 1 и без направления"));

    mDayCheck = new QCheckBox(QStringLiteral("День:"), this);
    mDayCheck->setObjectName(QStringLiteral("GtfsDayCheck"));
    mDayCheck->setToolTip(QStringLiteral("Без отметки берётся самый загруженный будний день маршрута"));
    mDay = new QDateEdit(this);
    mDay->setObjectName(QStringLiteral("GtfsDateEdit"));
    mDay->setCalendarPopup(true);
    mDay->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    mDay->setDate(mCatalog.calendar.firstDay().isValid() ? mCatalog.calendar.firstDay() : QDate::currentDate());
    mDay->setEnabled(false);
    auto *dayRow = new QHBoxLayout;
    dayRow->addWidget(mDayCheck);
    dayRow->addWidget(mDay, 1);

    const char *patternNames[2] = {"GtfsForwardPattern", "GtfsReversePattern"};
    for (int direction = 0; direction < 2; ++direction) {
        mPatterns[size_t(direction)] = new QComboBox(this);
        mPatterns[size_t(direction)]->setObjectName(QString::fromLatin1(patternNames[direction]));
        mPatterns[size_t(direction)]->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    }
    mTimes = new QComboBox(this);
    mTimes->setObjectName(QStringLiteral("GtfsTimesBox"));
    mTimes->addItems({QStringLiteral("Отправления в контрольных пунктах"), QStringLiteral("Отправления с первой остановки"),
                      QStringLiteral("Без контрольных времён")});
    mNumber = new QLineEdit(this);
    mNumber->setObjectName(QStringLiteral("GtfsNumberEdit"));
    mReplace = new QCheckBox(this);
    mReplace->setObjectName(QStringLiteral("GtfsReplaceCheck"));
    mReplace->setVisible(mSelectedRoute >= 0);
    if (mSelectedRoute >= 0)
        mReplace->setText(QStringLiteral("Заменить список остановок маршрута %1")
                              .arg(fromCp1251(project.routeNumberText(mSelectedRoute))));

    auto *form = new QFormLayout;
    form->addRow(dayRow);
    form->addRow(QStringLiteral("Прямое направление:"), mPatterns[0]);
    form->addRow(QStringLiteral("Обратное направление:"), mPatterns[1]);
    form->addRow(QStringLiteral("Контрольное время:"), mTimes);
    form->addRow(QStringLiteral("Номер маршрута:"), mNumber);
    form->addRow(mReplace);

    mPreview = newTree("GtfsPreviewTree", {QStringLiteral("Остановка"), QStringLiteral("Контрольное время")}, this);
    mNotes = new QPlainTextEdit(this);
    mNotes->setObjectName(QStringLiteral("GtfsNotes"));
    mNotes->setReadOnly(true);

    auto *buttons = new QDialogButtonBox(this);
    mImport = buttons->addButton(QStringLiteral("Импортировать"), QDialogButtonBox::AcceptRole);
    mImport->setObjectName(QStringLiteral("GtfsImportButton"));
    mImport->setEnabled(false);
    QPushButton *cancel = buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("GtfsCancelButton"));

    auto *left = new QWidget(this);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(mSearch);
    leftLayout->addWidget(mRoutes);
    auto *right = new QWidget(this);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addLayout(form);
    rightLayout->addWidget(mPreview, 3);
    rightLayout->addWidget(mNotes, 1);
    auto *splitter = new QSplitter(this);
    splitter->addWidget(left);
    splitter->addWidget(right);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(splitter);
    layout->addWidget(buttons);

    const QFontMetrics metrics = fontMetrics();
    resize(metrics.horizontalAdvance(QLatin1Char('x')) * 150, metrics.height() * 36);
    mPreview->setColumnWidth(0, metrics.horizontalAdvance(QLatin1Char('x')) * 36);

    fillRouteList();
    // The route list as wide as its columns need, the preview the rest.
    const int listWidth = mRoutes->header()->length() + 2 * mRoutes->frameWidth()
                          + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    splitter->setSizes({listWidth, width() - listWidth});
    connect(mSearch, &QLineEdit::textChanged, this, &GtfsImportDialog::filterRoutes);
    connect(mRoutes, &QTreeWidget::currentItemChanged, this, &GtfsImportDialog::chooseRoute);
    connect(mDayCheck, &QCheckBox::toggled, mDay, &QWidget::setEnabled);
    connect(mDayCheck, &QCheckBox::toggled, this, &GtfsImportDialog::planAgain);
    connect(mDay, &QDateEdit::dateChanged, this, [this] {
        if (mDayCheck->isChecked())
            planAgain();
    });
    for (QComboBox *patterns : mPatterns)
        connect(patterns, &QComboBox::activated, this, &GtfsImportDialog::planAgain);
    connect(mTimes, &QComboBox::activated, this, &GtfsImportDialog::planAgain);
    connect(mReplace, &QCheckBox::toggled, mNumber, &QWidget::setDisabled);
    connect(mImport, &QPushButton::clicked, this, &GtfsImportDialog::tryImport);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    showNotes();
}

GtfsImportDialog::~GtfsImportDialog() = default;

void GtfsImportDialog::fillRouteList()
{
    for (size_t at = 0; at < mCatalog.routes.size(); ++at) {
        const FeedRoute &route = mCatalog.routes[at];
        auto *item = new QTreeWidgetItem(mRoutes, {route.shortName, route.longName, route.agency, tripsText(route),
                                                   weekdaysText(routeWeekdays(mCatalog, route))});
        item->setData(0, kRouteRole, int(at));
        item->setToolTip(0, QStringLiteral("route_id %1").arg(QString::fromUtf8(route.id)));
    }
}

void GtfsImportDialog::filterRoutes(const QString &text)
{
    for (int row = 0; row < mRoutes->topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = mRoutes->topLevelItem(row);
        bool shown = text.isEmpty();
        for (int column = 0; column < 3 && !shown; ++column)
            shown = item->text(column).contains(text, Qt::CaseInsensitive);
        item->setHidden(!shown);
    }
}

void GtfsImportDialog::chooseRoute()
{
    const QTreeWidgetItem *item = mRoutes->currentItem();
    mSelection.reset();
    mTrips = RouteTrips{};
    mLoadError.clear();
    if (item) {
        const FeedRoute &route = mCatalog.routes[size_t(item->data(0, kRouteRole).toInt())];
        // A short name shared by two one-way routes makes both directions; the route_id is one.
        mSelection = selectRoute(mCatalog, route.shortName, {}, mLoadError);
        if (!mSelection)
            mSelection = selectRoute(mCatalog, QString::fromUtf8(route.id), {}, mLoadError);
        mNumber->setText(defaultRouteNumber(route));
        ProgressDialog progress(mDialogs, this);
        progress.report({.phase = ProgressReport::Phase::Working,
                         .caption = windowTitle(),
                         .stage = QStringLiteral("Чтение stop_times.txt: маршрут %1").arg(route.shortName),
                         .button = QStringLiteral("Отмена"),
                         .maximum = 100});
        mLoadError = loadRouteTrips(*mFeed, mCatalog, *mSelection, mTrips, [&progress](qint64 done, qint64 total) {
            if (total > 0)
                progress.report({.position = int(done * 100 / total)});
            return !progress.cancelledWithin(0);
        });
        progress.hide();
        if (!mLoadError.isEmpty())
            mSelection.reset();
    }
    for (QComboBox *patterns : mPatterns)
        patterns->clear();
    planAgain();
}

RoutePlanOptions GtfsImportDialog::options() const
{
    RoutePlanOptions options;
    if (mDayCheck->isChecked())
        options.day = mDay->date();
    for (int direction = 0; direction < 2; ++direction)
        options.pattern[size_t(direction)] = qMax(0, mPatterns[size_t(direction)]->currentIndex());
    options.times = std::array{ControlTimes::Timepoints, ControlTimes::First, ControlTimes::None}[size_t(mTimes->currentIndex())];
    return options;
}

void GtfsImportDialog::planAgain()
{
    mPlan = RoutePlan{};
    mMissingSounds.clear();
    if (mSelection) {
        RoutePlanOptions chosen = options();
        mPlan = planRoute(mCatalog, *mSelection, mTrips, chosen);
        if (!mPlan.ok() && chosen.pattern != std::array<int, 2>{}) {
            // Another day has other patterns: start again from the most frequent ones.
            chosen.pattern = {};
            mPlan = planRoute(mCatalog, *mSelection, mTrips, chosen);
        }
        mMissingSounds = missingSoundFiles(mPlan, mSoundsFolder);
    }
    showPatterns();
    showPreview();
    showNotes();
    mImport->setEnabled(mSelection && mPlan.ok());
}

void GtfsImportDialog::showPatterns()
{
    for (int direction = 0; direction < 2; ++direction) {
        QComboBox *box = mPatterns[size_t(direction)];
        const PlannedDirection &planned = mPlan.directions[size_t(direction)];
        const QSignalBlocker blocker(box);
        box->clear();
        for (size_t at = 0; at < planned.patterns.size(); ++at)
            box->addItem(QStringLiteral("%1. %2").arg(at + 1).arg(patternText(mTrips, planned.patterns[at])));
        box->setCurrentIndex(planned.pattern);
        box->setEnabled(planned.patterns.size() > 1);
    }
}

void GtfsImportDialog::showPreview()
{
    mPreview->clear();
    if (!mSelection)
        return;
    for (int direction = 0; direction < 2; ++direction) {
        auto *top = new QTreeWidgetItem(mPreview, {direction == 0 ? QStringLiteral("Прямое направление")
                                                                  : QStringLiteral("Обратное направление")});
        for (const PlannedStop &stop : mPlan.directions[size_t(direction)].stops) {
            QStringList times;
            for (const int time : stop.times)
                times << clockText(time);
            auto *item = new QTreeWidgetItem(top, {stop.name, times.join(u' ')});
            item->setToolTip(1, times.join(u'\n'));
            if (stop.folded || stop.name != stop.feedName) {
                item->setForeground(0, kFoldedColour);
                item->setToolTip(0, QStringLiteral("В расписании: «%1»").arg(stop.feedName));
            }
        }
        top->setExpanded(true);
    }
}

QStringList GtfsImportDialog::report() const
{
    QStringList lines = mPlan.notes;
    if (!mPlan.foldedNames.isEmpty())
        lines << QStringLiteral("Буквы с диакритикой заменены основными: ") + mPlan.foldedNames.join(QStringLiteral(", "));
    if (!mMissingSounds.isEmpty())
        lines << QStringLiteral("Нет в папке звуков: ") + mMissingSounds.join(QStringLiteral(", "));
    return lines;
}

void GtfsImportDialog::showNotes()
{
    QStringList lines;
    if (!mLoadError.isEmpty())
        lines << mLoadError;
    else if (!mSelection)
        lines << QStringLiteral("Выберите маршрут (маршрутов в расписании: %1)").arg(mCatalog.routes.size());
    else
        lines << report();
    if (!mPlan.error.isEmpty())
        lines << mPlan.error;
    mNotes->setPlainText(lines.join(u'\n'));
}

QString GtfsImportDialog::number() const
{
    return mNumber->text().trimmed();
}

bool GtfsImportDialog::replacesSelectedRoute() const
{
    return mSelectedRoute >= 0 && mReplace->isChecked();
}

void GtfsImportDialog::tryImport()
{
    if (replacesSelectedRoute()) {
        if (mDialogs.ask(this, windowTitle(), QStringLiteral("%1?").arg(mReplace->text()),
                         QMessageBox::Yes | QMessageBox::No)
            == QMessageBox::Yes)
            accept();
        return;
    }
    QString problem = routeNumberProblem(number());
    if (problem.isEmpty())
        problem = placeImportedRoute(mProject, toCp1251(number()), false).error;
    if (!problem.isEmpty()) {
        mDialogs.tell(this, problem);
        return;
    }
    accept();
}

} // namespace tirvela
