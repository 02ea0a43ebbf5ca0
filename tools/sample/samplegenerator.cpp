// Makes the sample project from its description (routes.json): the stop lists of every route in
// both directions with their sounds and control times, and the board pictures of the three board
// types. Writes the project file and prints the sounds to speak, one "FILE.wav<TAB>text" a line.
//
// routes.json: "phrases" and "stops" are [name, spoken text] pairs (a stop's sound file is its name
// + ".wav"); each route has a "number", two "board" lines, and "forward" and "reverse" lists of
// [stop name, control time...].

#include "common/cp1251.h"
#include "common/messagelog.h"
#include "fonts/fonttable.h"
#include "project/boardcontent.h"
#include "project/controltime.h"
#include "project/projectbuilder.h"
#include "sound/soundtable.h"
#include "project/stoptree.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSet>
#include <QTextStream>

#include <memory>
#include <optional>

using namespace tirvela;

namespace {

constexpr int kMaxStopName = 20; // the Announcer shows no more of a stop's name

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

struct StderrLog : MessageLog
{
    void logMessage(const QString &line) override { err() << line << Qt::endl; }
};

// The fonts of a board type, the route number in a digit font and the text lines below each other,
// and the columns of the number: the separate board shows it on its first module of 28 columns.
struct BoardLayout
{
    int numberFont;
    int lineFont;
    int numberColumns; // 0: as wide as the number
};

constexpr BoardLayout kLayouts[BoardTypeCount] = {{5, 6, 0}, {4, 1, 0}, {5, 6, 28}};

QString soundFile(const QString &name)
{
    return name + QStringLiteral(".wav");
}

StopNode textNode(const QString &text, std::vector<StopNode> children = {})
{
    return {toCp1251(text), std::move(children)};
}

// A stop: its name is announced at the stop and before it; the rest of the entry are its control times.
std::optional<StopNode> stopOf(const QJsonArray &entry, const QSet<QString> &knownStops)
{
    const QString name = entry.at(0).toString();
    if (!knownStops.contains(name)) {
        err() << "unknown stop: " << name << Qt::endl;
        return std::nullopt;
    }
    std::vector<StopNode> times;
    for (qsizetype i = 1; i < entry.size(); ++i)
        times.push_back(textNode(normaliseControlTime(entry.at(i).toString())));
    return textNode(name, {{stopGroupText(), {textNode(soundFile(name))}},
                           {nextStopGroupText(), {textNode(soundFile(name))}},
                           {controlTimeGroupText(), std::move(times)}});
}

std::optional<StopNode> directionOf(const QByteArray &text, const QJsonArray &stops, const QSet<QString> &knownStops)
{
    StopNode direction{text, {}};
    for (const QJsonValue &entry : stops) {
        std::optional<StopNode> stop = stopOf(entry.toArray(), knownStops);
        if (!stop)
            return std::nullopt;
        direction.appendChild(std::move(*stop));
    }
    return direction;
}

int drawnWidth(int font, const QByteArray &text)
{
    DisplayElement element{font, 0, 0, text};
    BoardPicture scratch;
    renderDisplayElement(scratch, element);
    return element.width;
}

// The route number on the left, the text lines centred on the rest of the board.
bool layOutBoard(BoardRouteEntry &entry, const BoardType &type, const BoardLayout &layout, const QString &number,
                 const QJsonArray &lines)
{
    entry.routeNumberText = toCp1251(number);
    const int numberWidth = drawnWidth(layout.numberFont, entry.routeNumberText);
    const int numberColumns = std::max(layout.numberColumns, numberWidth + 1);
    entry.elements.push_back({layout.numberFont, 0, (numberColumns - numberWidth) / 2, entry.routeNumberText});
    const int left = numberColumns + 2;
    const int lineHeight = fontByNumber(layout.lineFont)->height;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray text = toCp1251(lines.at(i).toString());
        const int width = drawnWidth(layout.lineFont, text);
        const int y = int(i) * lineHeight;
        if (left + width > type.columns || y + lineHeight > type.rows) {
            err() << "board text does not fit " << type.caption << ": " << lines.at(i).toString() << " is " << width
                  << " columns wide, " << type.columns - left << " are free" << Qt::endl;
            return false;
        }
        entry.elements.push_back({layout.lineFont, y, left + (type.columns - left - width) / 2, text});
    }
    redrawRoutePicture(entry);
    return true;
}

bool addRoute(Project &project, const QJsonObject &route, const QSet<QString> &knownStops)
{
    const int index = project.routeCount++;
    const std::optional<StopNode> forward = directionOf(forwardDirectionText(), route[u"forward"].toArray(), knownStops);
    const std::optional<StopNode> reverse = directionOf(reverseDirectionText(), route[u"reverse"].toArray(), knownStops);
    if (!forward || !reverse)
        return false;
    project.routeStreams[size_t(index)] = writeRouteStream(StopTree({*forward, *reverse}));
    const QString number = route[u"number"].toString();
    for (int row = 0; row < BoardTypeCount; ++row) {
        if (!layOutBoard(project.boards[size_t(row)].routes[size_t(index)], kBoardTypes[size_t(row)], kLayouts[row],
                         number, route[u"board"].toArray()))
            return false;
    }
    return true;
}

// name → spoken text, in the order given.
QList<std::pair<QString, QString>> spokenNames(const QJsonArray &pairs)
{
    QList<std::pair<QString, QString>> names;
    for (const QJsonValue &pair : pairs)
        names.append({pair[0].toString(), pair[1].toString()});
    return names;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3) {
        err() << "usage: sample_generator ROUTES.json OUT.stm" << Qt::endl;
        return 2;
    }
    QFile description(arguments[1]);
    if (!description.open(QIODevice::ReadOnly)) {
        err() << description.errorString() << Qt::endl;
        return 1;
    }
    const QJsonObject sample = QJsonDocument::fromJson(description.readAll()).object();
    const auto stops = spokenNames(sample[u"stops"].toArray());
    QSet<QString> knownStops;
    for (const auto &[name, spoken] : stops) {
        if (name.size() > kMaxStopName) {
            err() << "stop name longer than " << kMaxStopName << " characters: " << name << Qt::endl;
            return 1;
        }
        knownStops.insert(name);
    }

    auto project = std::make_unique<Project>();
    newProject(*project);
    clearBoardContent(*project);
    project->routeCount = 0;
    for (const QJsonValue &route : sample[u"routes"].toArray()) {
        if (!addRoute(*project, route.toObject(), knownStops))
            return 1;
    }
    StderrLog log;
    if (!buildProjectFile(*project, SoundTable{}, arguments[2], log, BuildMode::ProjectFile).ok())
        return 1;

    QTextStream out(stdout);
    for (const auto &[name, spoken] : spokenNames(sample[u"phrases"].toArray()) + stops)
        out << soundFile(name) << '\t' << spoken << '\n';
    return 0;
}
