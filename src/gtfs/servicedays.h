#pragma once

#include "gtfs/routetrips.h"

#include <QDate>
#include <QString>

#include <vector>

namespace tirvela {

// The day whose trips are imported and the trips that run on it.
struct ServiceDay
{
    QDate day;
    bool chosenAsBusiest = false; // no day was given: the busiest weekday (Monday to Friday) was taken
    std::vector<int> trips;       // indexes into RouteTrips::trips
    QStringList services;         // the service_ids running that day, each once
};

// The trips running on `day`; without a day, those of the day from the calendar's first to its
// last (at most some years of it) with the most trips, a weekday when the route runs on any.
// An empty text when some trip runs that day, otherwise why none does.
QString chooseServiceDay(const ServiceCalendar &calendar, const RouteTrips &trips, QDate day, ServiceDay &chosen);

// "16.03.2026, понедельник"
QString dayText(QDate day);

} // namespace tirvela
