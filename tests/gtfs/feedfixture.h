#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QString>

#include <zip.h>

namespace tirvela::fixture {

// A small feed made by a test: file name -> contents.
using FeedFiles = QMap<QString, QByteArray>;

// Route 5 runs weekdays (service WK) and Saturdays (SA) between Центр and Вокзал by way of
// Площадь; trips T1 and T2 go there (T2 after midnight), T3 comes back, T4 is the Saturday one.
// Route 7 has one trip and no direction_id.
inline FeedFiles baseFeed()
{
    return {
        {QStringLiteral("agency.txt"), "agency_name,agency_url,agency_timezone\nГоравто,http://example.org,Europe/Moscow\n"},
        {QStringLiteral("routes.txt"), "route_id,route_short_name,route_long_name,route_type\n"
                                       "R5,5,Центр — Вокзал,3\nR7,7,Кольцо,3\n"},
        {QStringLiteral("trips.txt"), "route_id,service_id,trip_id,direction_id,trip_headsign\n"
                                      "R5,WK,T1,0,Вокзал\nR5,WK,T2,0,Вокзал\nR5,WK,T3,1,Центр\nR5,SA,T4,0,Вокзал\n"
                                      "R7,WK,T5,,\n"},
        {QStringLiteral("calendar.txt"), "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,"
                                         "start_date,end_date\n"
                                         "WK,1,1,1,1,1,0,0,20260105,20261231\nSA,0,0,0,0,0,1,0,20260105,20261231\n"},
        {QStringLiteral("stops.txt"), "stop_id,stop_name\nS1,Центр\nS2,Площадь\nS3,Вокзал\nS4,Депо\n"},
        {QStringLiteral("stop_times.txt"), "trip_id,arrival_time,departure_time,stop_id,stop_sequence,timepoint\n"
                                           "T1,08:00:00,08:00:00,S1,1,1\nT1,08:10:00,08:10:00,S2,2,0\n"
                                           "T1,08:20:00,08:20:00,S3,3,1\n"
                                           "T2,23:50:00,23:50:00,S1,1,1\nT2,24:00:00,24:00:00,S2,2,0\n"
                                           "T2,24:10:00,24:10:00,S3,3,1\n"
                                           "T3,09:00:00,09:00:00,S3,1,1\nT3,09:10:00,09:10:00,S2,2,1\n"
                                           "T3,09:20:00,09:20:00,S1,3,1\n"
                                           "T4,10:00:00,10:00:00,S1,1,1\nT4,10:20:00,10:20:00,S3,2,1\n"
                                           "T5,10:00:00,10:00:00,S1,1,1\nT5,10:30:00,10:30:00,S4,2,1\n"},
    };
}

inline bool writeFeedFolder(const QString &folder, const FeedFiles &files)
{
    if (!QDir().mkpath(folder))
        return false;
    for (auto file = files.cbegin(); file != files.cend(); ++file) {
        QFile out(QDir(folder).filePath(file.key()));
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(file.value()) != file.value().size())
            return false;
    }
    return true;
}

// Packs the files into a ZIP archive, each under `prefix` (a folder inside the archive, or none).
inline bool writeFeedZip(const QString &path, const FeedFiles &files, const QString &prefix = {})
{
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    for (auto file = files.cbegin(); file != files.cend(); ++file) {
        zip_source_t *source = zip_source_buffer(archive, file.value().constData(), zip_uint64_t(file.value().size()), 0);
        if (!source || zip_file_add(archive, (prefix + file.key()).toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
    }
    return zip_close(archive) == 0;
}

} // namespace tirvela::fixture
