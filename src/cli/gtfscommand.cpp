#include "cli/gtfscommand.h"

#include "cli/cliio.h"
#include "cli/clilog.h"
#include "cli/consoleprogress.h"
#include "cli/projectinput.h"
#include "common/cp1251.h"
#include "common/outputfile.h"
#include "gtfs/routeplacement.h"
#include "gtfs/routeplan.h"
#include "project/projectbuilder.h"
#include "sound/soundlibrary.h"
#include "sound/soundtable.h"

#include <QDir>
#include <QFileInfo>

#include <memory>

namespace tirvela::cli {

namespace {

struct GtfsOptions
{
    QString feed;
    QString route;
    QString reverseRoute;
    QString into;
    QString number;
    bool force = false;
    RoutePlanOptions plan;
};

std::optional<int> patternNumber(const std::optional<QString> &text)
{
    if (!text)
        return 0;
    bool ok = false;
    const int number = text->toInt(&ok);
    return ok && number >= 1 ? std::optional<int>(number - 1) : std::nullopt;
}

std::optional<ControlTimes> controlTimes(const QString &text)
{
    if (text == u"timepoints")
        return ControlTimes::Timepoints;
    if (text == u"first")
        return ControlTimes::First;
    if (text == u"none")
        return ControlTimes::None;
    return std::nullopt;
}

// Reads the options; nothing when they are not usable.
std::optional<GtfsOptions> parseOptions(const CommandCall &call)
{
    GtfsOptions options;
    options.feed = call.arguments().constFirst();
    options.route = call.value(QStringLiteral("route")).value_or(QString());
    options.reverseRoute = call.value(QStringLiteral("reverse-route")).value_or(QString());
    options.into = call.value(QStringLiteral("into")).value_or(QString());
    options.number = call.value(QStringLiteral("number")).value_or(QString());
    options.force = call.isSet(QStringLiteral("force"));
    for (const QString &replacement : call.values(QStringLiteral("replace"))) {
        const qsizetype equals = replacement.indexOf(u'=', 1);
        if (equals < 0)
            return std::nullopt;
        options.plan.replacements.append({replacement.left(equals), replacement.mid(equals + 1)});
    }
    const std::optional<int> forward = patternNumber(call.value(QStringLiteral("pattern")));
    const std::optional<int> reverse = patternNumber(call.value(QStringLiteral("reverse-pattern")));
    const std::optional<ControlTimes> times = controlTimes(call.value(QStringLiteral("times")).value_or(QStringLiteral("timepoints")));
    if (!forward || !reverse || !times)
        return std::nullopt;
    options.plan.pattern = {*forward, *reverse};
    options.plan.times = *times;
    if (const std::optional<QString> date = call.value(QStringLiteral("date"))) {
        options.plan.day = feedDate(date->toLatin1());
        if (!options.plan.day.isValid())
            return std::nullopt;
    }
    bool routeOptions = false;
    for (const char *name : {"reverse-route", "into", "date", "pattern", "reverse-pattern", "times", "replace"})
        routeOptions = routeOptions || call.isSet(QString::fromLatin1(name));
    const bool projectOptions = call.isSet(QStringLiteral("number")) || options.force;
    if ((options.route.isEmpty() && routeOptions) || (options.into.isEmpty() && projectOptions))
        return std::nullopt;
    return options;
}

void listRoutes(const RouteCatalog &catalog)
{
    out() << "route_id\tномер\tназвание\tперевозчик\tрейсы 0/1/без направления\tдни\n";
    for (const FeedRoute &route : catalog.routes) {
        out() << QString::fromUtf8(route.id) << '\t' << route.shortName << '\t' << route.longName << '\t' << route.agency
              << '\t' << route.trips[0] << '/' << route.trips[1] << '/' << route.trips[2] << '\t'
              << weekdaysText(routeWeekdays(catalog, route)) << '\n';
    }
}

void printPlan(const RoutePlan &plan)
{
    for (const QString &note : plan.notes)
        out() << note << '\n';
    if (!plan.foldedNames.isEmpty())
        out() << "Буквы с диакритикой заменены основными: " << plan.foldedNames.join(QStringLiteral(", ")) << '\n';
    for (int index = 0; index < 2; ++index) {
        out() << (index == 0 ? "Прямое направление:\n" : "Обратное направление:\n");
        for (const PlannedStop &stop : plan.directions[size_t(index)].stops) {
            out() << "  " << stop.name;
            QStringList times;
            for (const int time : stop.times)
                times << clockText(time);
            if (!times.isEmpty())
                out() << "\t" << times.join(u' ');
            out() << '\n';
        }
    }
}

int importInto(const GtfsOptions &options, const FeedRoute &route, const RoutePlan &plan)
{
    const QString number = options.number.isEmpty() ? defaultRouteNumber(route) : options.number;
    if (number.isEmpty()) {
        err() << "Номер маршрута «" << route.shortName << "» — не число от 1 до 9999: укажите --number N\n";
        return Failure;
    }
    if (const QString problem = routeNumberProblem(number); !problem.isEmpty()) {
        err() << problem << '\n';
        return Failure;
    }
    if (const Status allowed = checkOutputFile(options.into, {options.feed}); !allowed.ok()) {
        err() << allowed.message << '\n';
        return Failure;
    }
    // The project to add the route to: the file as it is, or a new project without routes.
    const std::unique_ptr<Project> project = readProject(options.into, MissingProject::StartsEmpty);
    if (!project)
        return Failure;
    const RoutePlacement placement = importRouteStream(*project, toCp1251(number), routeStreamOf(plan), options.force);
    if (!placement.error.isEmpty()) {
        err() << placement.error << (placement.numberTaken ? " (--force заменит его список остановок)" : "")
              << '\n';
        return Failure;
    }
    CliLog log;
    const Status saved = buildProjectFile(*project, SoundTable{}, options.into, log, BuildMode::ProjectFile);
    if (!saved.ok()) {
        if (!saved.message.isEmpty())
            err() << saved.message << '\n';
        return Failure;
    }
    out() << "Маршрут " << number << (placement.replaces ? ": список остановок заменён в " : " добавлен в ")
          << QDir::toNativeSeparators(options.into) << '\n';
    return Success;
}

int runGtfs(const CommandCall &call)
{
    const std::optional<GtfsOptions> options = parseOptions(call);
    if (!options)
        return UsageError;
    FeedSource feed;
    RouteCatalog catalog;
    QString problem = feed.open(options->feed);
    if (problem.isEmpty())
        problem = readRouteCatalog(feed, catalog, {options->route, options->reverseRoute});
    if (!problem.isEmpty()) {
        err() << problem << '\n';
        return Failure;
    }
    if (options->route.isEmpty()) {
        listRoutes(catalog);
        return Success;
    }
    const std::optional<RouteSelection> selection = selectRoute(catalog, options->route, options->reverseRoute, problem);
    if (!selection) {
        err() << problem << '\n';
        return Failure;
    }
    RouteTrips trips;
    {
        ConsoleProgress progress;
        progress.report({.caption = QStringLiteral("GTFS"), .stage = QStringLiteral("Чтение stop_times.txt"), .maximum = 100});
        problem = loadRouteTrips(feed, catalog, *selection, trips, [&progress](qint64 done, qint64 total) {
            if (total > 0)
                progress.report({.position = int(done * 100 / total)});
            return !progress.cancelRequested();
        });
    }
    if (!problem.isEmpty()) {
        err() << problem << '\n';
        return Failure;
    }
    const RoutePlan plan = planRoute(catalog, *selection, trips, options->plan);
    printPlan(plan);
    if (!plan.ok()) {
        err() << plan.error << '\n';
        if (!plan.refusedNames.isEmpty())
            err() << "Замену можно указать: --replace СИМВОЛ=ТЕКСТ\n";
        return Failure;
    }
    const QStringList missing = missingSoundFiles(plan, soundsFolderOf(call.programFolder()));
    if (!missing.isEmpty())
        out() << "Нет в папке звуков: " << missing.join(QStringLiteral(", ")) << '\n';
    if (options->into.isEmpty())
        return Success;
    return importInto(*options, catalog.routes[size_t(selection->route)], plan);
}

CommandOption option(const char *name, const char *valueName, const QString &description)
{
    return {{QString::fromLatin1(name)}, QString::fromLatin1(valueName), description};
}

} // namespace

Command gtfsCommand()
{
    return {
        .name = QStringLiteral("gtfs"),
        .summary = QStringLiteral("маршруты из расписания GTFS: список, просмотр, добавление в проект"),
        .description = QStringLiteral(
            "Без --route печатает маршруты расписания (ZIP-архив или папка): route_id, номер, название, "
            "перевозчик, рейсы по direction_id 0/1/без направления и дни недели, через TAB.\n"
            "С --route показывает, каким станет маршрут: день и сервисы, как найдены направления, варианты "
            "маршрута с числом рейсов, остановки с контрольным временем, заменённые буквы и звуковые файлы, "
            "которых нет в папке звуков. С --into добавляет его в проект (создаёт проект, если его нет); "
            "маршрут с тем же номером заменяется только с --force.\n"
            "Без --date берётся самый загруженный будний день маршрута. Контрольное время — отправления в "
            "контрольных пунктах (timepoint=1; без такого столбца — с первой остановки); время после 24:00:00 "
            "переносится на следующие сутки. Буквы с диакритикой, которых нет в Windows-1251, заменяются "
            "основными; другие такие символы отвергаются, если не указана замена --replace.\n"
            "Код 1, если расписание или проект не читаются, маршрут не найден или отвергнут."),
        .arguments = {{QStringLiteral("FEED"), QStringLiteral("расписание: ZIP-архив или папка")}},
        .options = {option("route", "R", QStringLiteral("маршрут: route_id или номер (route_short_name)")),
                    option("reverse-route", "R", QStringLiteral("маршрут обратного направления, если он отдельный")),
                    option("date", "YYYYMMDD", QStringLiteral("день, рейсы которого берутся")),
                    option("pattern", "N", QStringLiteral("вариант прямого направления, по умолчанию 1 (самый частый)")),
                    option("reverse-pattern", "N", QStringLiteral("вариант обратного направления")),
                    option("times", "timepoints|first|none", QStringLiteral("откуда контрольное время")),
                    option("replace", "TEXT=NEW", QStringLiteral("замена текста в названиях остановок (можно несколько)")),
                    option("into", "PROJECT.stm", QStringLiteral("добавить маршрут в проект")),
                    option("number", "N", QStringLiteral("номер маршрута в проекте (1–9999), по умолчанию номер из расписания")),
                    option("force", "", QStringLiteral("заменить список остановок маршрута с тем же номером"))},
        .usesProgramFolder = true,
        .run = runGtfs,
    };
}

} // namespace tirvela::cli
