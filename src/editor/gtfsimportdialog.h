#pragma once

#include "gtfs/routeplan.h"
#include "project/project.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace tirvela {

class UserDialogs;

// Chooses one route of a transit timetable feed and shows what it becomes: a searchable route
// list, the day, the stop pattern of each direction, which departures become control times, and
// a preview of both directions. Choosing a route reads the feed's stop times once (a progress
// dialog can stop it); every other choice only plans again. Accepted, it holds the stop list to
// add as a new route, or to give the route selected in the route list.
class GtfsImportDialog : public QDialog
{
    Q_OBJECT

public:
    // `selectedRoute`: the route of the project whose stop list may be replaced, or -1.
    GtfsImportDialog(UserDialogs &dialogs, std::unique_ptr<FeedSource> feed, RouteCatalog catalog,
                     const Project &project, int selectedRoute, const QString &soundsFolder,
                     QWidget *parent = nullptr);
    ~GtfsImportDialog() override;

    const RoutePlan &plan() const { return mPlan; }
    QByteArray stream() const { return routeStreamOf(mPlan); }
    // The number the new route gets (when not replacing).
    QString number() const;
    bool replacesSelectedRoute() const;
    // What the user should find in the message log: the choices, changed names, missing sounds.
    QStringList report() const;

private:
    void fillRouteList();
    void filterRoutes(const QString &text);
    void chooseRoute();
    void planAgain();
    void showPatterns();
    void showPreview();
    void showNotes();
    void tryImport();
    RoutePlanOptions options() const;

    UserDialogs &mDialogs;
    std::unique_ptr<FeedSource> mFeed;
    RouteCatalog mCatalog;
    const Project &mProject;
    int mSelectedRoute;
    QString mSoundsFolder;
    std::optional<RouteSelection> mSelection;
    RouteTrips mTrips;
    RoutePlan mPlan;
    QString mLoadError;
    QStringList mMissingSounds;

    QLineEdit *mSearch;
    QTreeWidget *mRoutes;
    QCheckBox *mDayCheck;
    QDateEdit *mDay;
    std::array<QComboBox *, 2> mPatterns;
    QComboBox *mTimes;
    QTreeWidget *mPreview;
    QPlainTextEdit *mNotes;
    QLineEdit *mNumber;
    QCheckBox *mReplace;
    QPushButton *mImport;
};

} // namespace tirvela
