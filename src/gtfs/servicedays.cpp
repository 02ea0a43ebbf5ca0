#include "gtfs/servicedays.h"

#include <map>

namespace tirvela {

namespace {

// A calendar of many years repeats itself: the busiest day is looked for in this many days.
constexpr qint64 kSearchedDays = 3 * 366;

bool isWeekday(QDate day)
{
    return day.dayOfWeek() <= 5;
}

} // namespace

QString dayText(QDate day)
{
    static const char16_t *const kNames[7] = {u"понедельник", u"вторник", u"среда", u"четверг",
                                               u"пятница", u"суббота", u"воскресенье"};
    return day.toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral(", ") + QString::fromUtf16(kNames[day.dayOfWeek() - 1]);
}

QString chooseServiceDay(const ServiceCalendar &calendar, const RouteTrips &trips, QDate day, ServiceDay &chosen)
{
    std::map<int, int> tripsOfService;
    for (const RouteTrip &trip : trips.trips) {
        if (trip.service >= 0)
            ++tripsOfService[trip.service];
    }
    const auto tripsOn = [&](QDate date) {
        int count = 0;
        for (const auto &[service, serviceTrips] : tripsOfService) {
            if (calendar.runsOn(service, date))
                count += serviceTrips;
        }
        return count;
    };
    chosen = ServiceDay{};
    if (!day.isValid() && calendar.firstDay().isValid()) {
        const QDate last = std::min(calendar.lastDay(), calendar.firstDay().addDays(kSearchedDays));
        QDate busiest;
        int busiestTrips = 0;
        bool busiestIsWeekday = false;
        for (QDate date = calendar.firstDay(); date <= last; date = date.addDays(1)) {
            const int count = tripsOn(date);
            const bool weekday = isWeekday(date);
            if (count > 0 && ((weekday && !busiestIsWeekday) || (weekday == busiestIsWeekday && count > busiestTrips))) {
                busiest = date;
                busiestTrips = count;
                busiestIsWeekday = weekday;
            }
        }
        if (!busiest.isValid())
            return QStringLiteral("По календарю расписания маршрут не ходит ни в один день");
        day = busiest;
        chosen.chosenAsBusiest = true;
    }
    if (!day.isValid())
        return QStringLiteral("В расписании нет календаря (calendar.txt, calendar_dates.txt)");
    chosen.day = day;
    for (size_t at = 0; at < trips.trips.size(); ++at) {
        const int service = trips.trips[at].service;
        if (service < 0 || !calendar.runsOn(service, day))
            continue;
        chosen.trips.push_back(int(at));
        const QString id = QString::fromUtf8(calendar.serviceId(service));
        if (!chosen.services.contains(id))
            chosen.services << id;
    }
    if (chosen.trips.empty())
        return QStringLiteral("%1: маршрут в этот день не ходит").arg(dayText(day));
    return {};
}

} // namespace tirvela
