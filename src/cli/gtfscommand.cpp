#include "cli/gtfscommand.h"

#include "cli/clilog.h"
#include "cli/commands.h"
#include "cli/consoleprogress.h"
#include "common/cp1251.h"
#include "common/outputfile.h"
#include "gtfs/routeplacement.h"
#include "gtfs/routeplan.h"
#include "project/boardcontent.h"
#include "project/projectbuilder.h"
#include "project/projectreader.h"
#include "sound/soundlibrary.h"
#include "sound/soundtable.h"

#include <QDir>
#include <QFileInfo>

#include <memory>

namespace tirvela::cli {

namespace {

constexpr const char *kUsage = "gtfs FEED [--route R [--reverse-route R] [--date YYYYMMDD] [--pattern N] "
                               "[--reverse-pattern N] [--times timepoints|first|none] [--replace TEXT=NEW]... "
                               "[--into PROJECT.stm [--number N] [--force]]]";

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

// Reads the options; nothing when they are not usable.
std::optional<GtfsOptions> parseOptions(const QStringList &arguments)
{
    QStringList rest = arguments;
    GtfsOptions options;
    std::optional<QString> route, reverseRoute, into, number, date, pattern, reversePattern, times;
    const bool usable = takeOptionValue(rest, QStringLiteral("--route"), route)
                        && takeOptionValue(rest, QStringLiteral("--reverse-route"), reverseRoute)
                        && takeOptionValue(rest, QStringLiteral("--into"), into)
                        && takeOptionValue(rest, QStringLiteral("--number"), number)
                        && takeOptionValue(rest, QStringLiteral("--date"), date)
                        && takeOptionValue(rest, QStringLiteral("--pattern"), pattern)
                        && takeOptionValue(rest, QStringLiteral("--reverse-pattern"), reversePattern)
                        && takeOptionValue(rest, QStringLiteral("--times"), times);
    for (std::optional<QString> replacement; usable && takeOptionValue(rest, QStringLiteral("--replace"), replacement)
                                             && replacement;
         replacement.reset()) {
        const qsizetype equals = replacement->indexOf(u'=', 1);
        if (equals < 0)
            return std::nullopt;
        options.plan.replacements.append({replacement->left(equals), replacement->mid(equals + 1)});
    }
    options.force = rest.removeAll(QStringLiteral("--force")) > 0;
    const std::optional<int> forwardPattern = patternNumber(pattern);
    const std::optional<int> backPattern = patternNumber(reversePattern);
    if (!usable || rest.size() != 1 || rest[0].startsWith(u'-') || !forwardPattern || !backPattern)
        return std::nullopt;
    options.feed = rest[0];
    options.route = route.value_or(QString());
    options.reverseRoute = reverseRoute.value_or(QString());
    options.into = into.value_or(QString());
    options.number = number.value_or(QString());
    options.plan.pattern = {*forwardPattern, *backPattern};
    if (date) {
        options.plan.day = feedDate(date->toLatin1());
        if (!options.plan.day.isValid())
            return std::nullopt;
    }
    const QString timesText = times.value_or(QStringLiteral("timepoints"));
    if (timesText == u"first")
        options.plan.times = ControlTimes::First;
    else if (timesText == u"none")
        options.plan.times = ControlTimes::None;
    else if (timesText != u"timepoints")
        return std::nullopt;
    const bool routeOptions = !options.reverseRoute.isEmpty() || !options.into.isEmpty() || date || pattern
                              || reversePattern || times || !options.plan.replacements.isEmpty();
    const bool projectOptions = !options.number.isEmpty() || options.force;
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

// The project to add the route to: the file as it is, or a new project without routes.
std::unique_ptr<Project> projectToImportInto(const QString &fileName)
{
    auto project = std::make_unique<Project>();
    newProject(*project);
    const ProjectReadResult read = readProjectFile(*project, fileName);
    if (read.status == ProjectReadResult::Status::NotFound) {
        newProject(*project);
        project->routeCount = 0;
        return project;
    }
    if (!read.ok()) {
        err() << read.message << '\n';
        return nullptr;
    }
    for (const QString &note : read.notes)
        err() << note << '\n';
    return project;
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
    if (const QString problem = outputFileProblem(options.into, {options.feed}); !problem.isEmpty()) {
        err() << problem << '\n';
        return Failure;
    }
    const std::unique_ptr<Project> project = projectToImportInto(options.into);
    if (!project)
        return Failure;
    const RoutePlacement placement = importRouteStream(*project, toCp1251(number), routeStreamOf(plan), options.force);
    if (!placement.error.isEmpty()) {
        err() << placement.error << (placement.numberTaken ? " (--force заменит его список остановок)" : "")
              << '\n';
        return Failure;
    }
    CliLog log;
    const BuildResult saved = buildProjectFile(*project, SoundTable{}, options.into, log, BuildMode::ProjectFile);
    if (!saved.ok) {
        if (!saved.fileError.isEmpty())
            err() << saved.fileError << '\n';
        return Failure;
    }
    out() << "Маршрут " << number << (placement.replaces ? ": список остановок заменён в " : " добавлен в ")
          << QDir::toNativeSeparators(options.into) << '\n';
    return Success;
}

} // namespace

int runGtfs(const QStringList &arguments, const QString &programFolder)
{
    const std::optional<GtfsOptions> options = parseOptions(arguments);
    if (!options)
        return usageError(kUsage);
    FeedSource feed;
    RouteCatalog catalog;
    QString problem = feed.open(options->feed);
    if (problem.isEmpty())
        problem = readRouteCatalog(feed, catalog);
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
        progress.setCaption(QStringLiteral("GTFS"));
        progress.setStage(QStringLiteral("Чтение stop_times.txt"));
        progress.setRange(100);
        problem = loadRouteTrips(feed, catalog, *selection, trips, [&progress](qint64 done, qint64 total) {
            if (total > 0)
                progress.setPosition(int(done * 100 / total));
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
    const QStringList missing = missingSoundFiles(plan, soundsFolderOf(programFolder));
    if (!missing.isEmpty())
        out() << "Нет в папке звуков: " << missing.join(QStringLiteral(", ")) << '\n';
    if (options->into.isEmpty())
        return Success;
    return importInto(*options, catalog.routes[size_t(selection->route)], plan);
}

} // namespace tirvela::cli
