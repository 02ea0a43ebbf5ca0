#pragma once

#include "gtfs/feedidindex.h"
#include "gtfs/feedsource.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>

#include <map>
#include <vector>

namespace tirvela {

// Which services of a feed run on which days: calendar.txt gives weekdays over a range of dates,
// calendar_dates.txt days added to or taken from a service. A service that neither names runs on
// no day.
class ServiceCalendar
{
public:
    // Reads both files (each may be missing); an empty text when they read, otherwise the problem.
    QString read(const FeedSource &feed);

    // The index of a service id, added when it is new.
    int service(QByteArrayView id);
    // The index of a service id; -1 when it is not known.
    int findService(QByteArrayView id) const;
    int serviceCount() const { return int(mServices.size()); }
    const QByteArray &serviceId(int service) const { return mServices[size_t(service)].id; }

    bool runsOn(int service, QDate day) const;
    // The weekdays the service runs on at all: bit 0 Monday ... bit 6 Sunday.
    quint8 weekdays(int service) const;
    // The first and the last day any service runs; invalid dates when none does.
    QDate firstDay() const { return mFirstDay; }
    QDate lastDay() const { return mLastDay; }

private:
    struct Service
    {
        QByteArray id;
        quint8 weekdays = 0; // from calendar.txt
        QDate start;
        QDate end;
        std::map<QDate, bool> exceptions; // true: added, false: removed
    };
    void widenRange(QDate day);

    std::vector<Service> mServices;
    FeedIdIndex mIndex;
    QDate mFirstDay;
    QDate mLastDay;
};

// A day in a feed's form, YYYYMMDD; an invalid date when the text is no such day.
QDate feedDate(QByteArrayView text);

// Weekdays as the route list shows them: "пн–пт", "сб вс", "пн ср пт"; "—" for none.
QString weekdaysText(quint8 weekdays);

} // namespace tirvela
