#include "gtfs/servicecalendar.h"

#include "gtfs/feedtable.h"

#include <QStringList>

namespace tirvela {

namespace {

constexpr const char *kWeekdayColumns[7] = {"monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday"};

quint8 weekdayBit(QDate day)
{
    return quint8(1 << (day.dayOfWeek() - 1));
}

} // namespace

QDate feedDate(QByteArrayView text)
{
    if (text.size() != 8)
        return {};
    return QDate::fromString(QString::fromLatin1(text), QStringLiteral("yyyyMMdd"));
}

int ServiceCalendar::findService(QByteArrayView id) const
{
    return mIndex.find(id);
}

int ServiceCalendar::service(QByteArrayView id)
{
    if (const int found = findService(id); found >= 0)
        return found;
    const QByteArray key = id.toByteArray();
    mServices.push_back(Service{key, 0, {}, {}, {}});
    mIndex.insert(key, int(mServices.size() - 1));
    return int(mServices.size() - 1);
}

void ServiceCalendar::widenRange(QDate day)
{
    if (!mFirstDay.isValid() || day < mFirstDay)
        mFirstDay = day;
    if (!mLastDay.isValid() || day > mLastDay)
        mLastDay = day;
}

QString ServiceCalendar::read(const FeedSource &feed)
{
    FeedTable calendar;
    if (!calendar.open(feed, QStringLiteral("calendar.txt"),
                       {"service_id", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday",
                        "start_date", "end_date"},
                       false))
        return calendar.error();
    int weekdayColumns[7];
    for (int day = 0; day < 7; ++day)
        weekdayColumns[day] = calendar.column(kWeekdayColumns[day]);
    const int idColumn = calendar.column("service_id");
    const int startColumn = calendar.column("start_date");
    const int endColumn = calendar.column("end_date");
    while (calendar.next()) {
        Service &entry = mServices[size_t(service(calendar.field(idColumn)))];
        entry.start = feedDate(calendar.field(startColumn));
        entry.end = feedDate(calendar.field(endColumn));
        if (!entry.start.isValid() || !entry.end.isValid())
            return calendar.fail(QStringLiteral("дата не в виде ГГГГММДД"));
        for (int day = 0; day < 7; ++day) {
            if (calendar.field(weekdayColumns[day]) == "1")
                entry.weekdays |= quint8(1 << day);
        }
        if (entry.weekdays != 0) {
            widenRange(entry.start);
            widenRange(entry.end);
        }
    }
    if (!calendar.error().isEmpty())
        return calendar.error();

    FeedTable dates;
    if (!dates.open(feed, QStringLiteral("calendar_dates.txt"), {"service_id", "date", "exception_type"}, false))
        return dates.error();
    const int serviceColumn = dates.column("service_id");
    const int dateColumn = dates.column("date");
    const int typeColumn = dates.column("exception_type");
    while (dates.next()) {
        const QDate day = feedDate(dates.field(dateColumn));
        const QByteArrayView type = dates.field(typeColumn);
        if (!day.isValid())
            return dates.fail(QStringLiteral("дата не в виде ГГГГММДД"));
        if (type != "1" && type != "2")
            return dates.fail(QStringLiteral("exception_type должен быть 1 или 2"));
        mServices[size_t(service(dates.field(serviceColumn)))].exceptions[day] = type == "1";
        if (type == "1")
            widenRange(day);
    }
    return dates.error();
}

bool ServiceCalendar::runsOn(int service, QDate day) const
{
    const Service &entry = mServices[size_t(service)];
    const auto exception = entry.exceptions.find(day);
    if (exception != entry.exceptions.end())
        return exception->second;
    return (entry.weekdays & weekdayBit(day)) && entry.start.isValid() && day >= entry.start && day <= entry.end;
}

quint8 ServiceCalendar::weekdays(int service) const
{
    const Service &entry = mServices[size_t(service)];
    quint8 days = entry.weekdays;
    for (const auto &[day, added] : entry.exceptions) {
        if (added)
            days |= weekdayBit(day);
    }
    return days;
}

QString weekdaysText(quint8 weekdays)
{
    static const char16_t *const kNames[7] = {u"пн", u"вт", u"ср", u"чт", u"пт", u"сб", u"вс"};
    QStringList parts;
    for (int day = 0; day < 7;) {
        if (!(weekdays & (1 << day))) {
            ++day;
            continue;
        }
        int last = day;
        while (last + 1 < 7 && (weekdays & (1 << (last + 1))))
            ++last;
        if (last - day >= 2)
            parts << QString::fromUtf16(kNames[day]) + u'–' + QString::fromUtf16(kNames[last]);
        else
            for (int each = day; each <= last; ++each)
                parts << QString::fromUtf16(kNames[each]);
        day = last + 1;
    }
    return parts.isEmpty() ? QStringLiteral("—") : parts.join(u' ');
}

} // namespace tirvela
