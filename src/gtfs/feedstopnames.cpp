#include "gtfs/feedstopnames.h"

#include "gtfs/feedtable.h"

#include <QHash>

namespace tirvela {

namespace {

bool isRussian(QByteArrayView language)
{
    return language == "ru" || language.startsWith("ru-") || language.startsWith("ru_");
}

// translations.txt in either of its forms: by table, field and record (or the text it
// translates), or the older one that translates a text wherever it appears (trans_id, lang).
QString readTranslations(const FeedSource &feed, std::vector<FeedStop> &stops, const FeedIdIndex &index)
{
    FeedTable table;
    if (!table.open(feed, QStringLiteral("translations.txt"), {"translation"}, false))
        return table.error();
    const int tableColumn = table.column("table_name");
    const int fieldColumn = table.column("field_name");
    const int languageColumn = table.column("language") >= 0 ? table.column("language") : table.column("lang");
    const int recordColumn = table.column("record_id");
    const int valueColumn = table.column("field_value") >= 0 ? table.column("field_value") : table.column("trans_id");
    const int translationColumn = table.column("translation");
    QHash<QString, QString> byText;
    while (table.next()) {
        if (!isRussian(table.field(languageColumn)))
            continue;
        if (tableColumn >= 0 && (table.field(tableColumn) != "stops" || table.field(fieldColumn) != "stop_name"))
            continue;
        const QString translation = fieldText(table.field(translationColumn));
        if (const QByteArrayView record = table.field(recordColumn); !record.isEmpty()) {
            if (const int stop = index.find(record); stop >= 0)
                stops[size_t(stop)].name = translation;
        } else if (!table.field(valueColumn).isEmpty()) {
            byText.insert(fieldText(table.field(valueColumn)), translation);
        }
    }
    for (FeedStop &stop : stops)
        stop.name = byText.value(stop.name, stop.name);
    return table.error();
}

} // namespace

QString readStopNames(const FeedSource &feed, std::vector<FeedStop> &stops, const FeedIdIndex &index)
{
    FeedTable table;
    if (!table.open(feed, QStringLiteral("stops.txt"), {"stop_id", "stop_name"}))
        return table.error();
    const int idColumn = table.column("stop_id");
    const int nameColumn = table.column("stop_name");
    std::vector<bool> named(stops.size());
    while (table.next()) {
        const int stop = index.find(table.field(idColumn));
        if (stop < 0)
            continue;
        stops[size_t(stop)].name = fieldText(table.field(nameColumn));
        if (stops[size_t(stop)].name.isEmpty())
            return table.fail(QStringLiteral("у остановки %1 нет названия").arg(fieldText(table.field(idColumn))));
        named[size_t(stop)] = true;
    }
    if (!table.error().isEmpty())
        return table.error();
    for (size_t at = 0; at < stops.size(); ++at) {
        if (!named[at])
            return QStringLiteral("stop_times.txt, строка %1: остановки %2 нет в stops.txt")
                .arg(stops[at].firstUse)
                .arg(fieldText(stops[at].id));
    }
    return readTranslations(feed, stops, index);
}

} // namespace tirvela
