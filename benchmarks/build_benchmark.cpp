// Builds the flash image of a maximum project and sets it against a plain copy of the same sound
// bytes into one file, measured in the same run: the build should cost at most 1.5 times the copy
// and keep its peak memory under 64 MB, since the sound data are copied one SoundFile at a time.
// Then the same as whole processes: `tirvela-cli build` against `cat` of the sound files into one
// file followed by `sync -d` of it, in pairs run back to back (target at most 1.3), with the
// flash image of the command the same, byte for byte, as the one built in this process.
//   build_benchmark [--cli PATH]   (--cli: time another build of tirvela-cli, to set two side by side)

#include "fixtures.h"
#include "peakmemory.h"
#include "processtime.h"
#include "project/boardcontent.h"
#include "project/projectbuilder.h"
#include "sound/soundlibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include <unistd.h>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace tirvela::bench;

namespace {

constexpr int kRoutes = 50;
constexpr int kForwardStops = 100;
constexpr int kReverseStops = 27;
constexpr int kFragmentsPerStop = 10;
constexpr int kSoundFiles = 500;
constexpr int kSoundSize = 100 * 1024;
constexpr int kRepeats = 5;
constexpr int kProcessPairs = 15;

struct CountingLog : MessageLog
{
    QStringList lines;
    void logMessage(const QString &line) override { lines.append(line); }
};

QString soundName(int index)
{
    const QStringList common = commonPhraseSounds();
    return index < common.size() ? common[index] : QStringLiteral("звук %1.wav").arg(index, 3, 10, QLatin1Char('0'));
}

// Sizes vary a little around 100 KB, so that offsets are not all multiples of one size.
int soundSize(int index)
{
    return kSoundSize + (index * 37) % 1001 - 500;
}

bool writeSounds(const QString &soundsFolder, qint64 &total)
{
    total = 0;
    for (int i = 0; i < kSoundFiles; ++i) {
        if (!writeFile(soundsFolder + soundName(i), waveFile(samples(soundSize(i), i))))
            return false;
        total += soundSize(i);
    }
    return true;
}

std::unique_ptr<Project> maximumProject()
{
    auto project = std::make_unique<Project>();
    newProject(*project);
    project->routeCount = kRoutes;
    int next = 0;
    auto stop = [&next](int number) {
        QStringList atStop;
        QStringList beforeStop;
        for (int f = 0; f < kFragmentsPerStop; ++f)
            (f < kFragmentsPerStop / 2 ? atStop : beforeStop) << soundName(next++ % kSoundFiles);
        return stopNode(QStringLiteral("Остановка номер %1").arg(number), atStop, beforeStop, {QStringLiteral("07:05:30")});
    };
    for (int route = 0; route < kRoutes; ++route) {
        std::vector<StopNode> forward;
        std::vector<StopNode> reverse;
        for (int i = 0; i < kForwardStops; ++i)
            forward.push_back(stop(i));
        for (int i = 0; i < kReverseStops; ++i)
            reverse.push_back(stop(i));
        project->routeStreams[size_t(route)] = routeStream(std::move(forward), std::move(reverse));
        setRouteNumber(*project, route, QByteArray::number(route + 1));
        for (Board &board : project->boards)
            board.routes[size_t(route)].elements.push_back({1, 0, 0, QByteArray::number(route + 1)});
    }
    return project;
}

// The plain copy the build is measured against: the sample data of every SoundFile, one after
// the other, into one file written the same way the build writes its file.
bool copySoundBytes(const SoundTable &sounds, const QString &target)
{
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (int i = 0; i < sounds.count(); ++i) {
        QFile file(sounds.at(i).path());
        if (!file.open(QIODevice::ReadOnly) || !file.seek(44))
            return false;
        qint64 got;
        while ((got = file.read(buffer.data(), buffer.size())) > 0) {
            if (out.write(buffer.constData(), got) != got)
                return false;
        }
    }
    return out.commit();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// `tirvela-cli build` against `cat SOUNDS... > f && sync -d f`, both whole processes, in pairs run
// back to back (which one goes first alternates), so that both meet the same load of the machine.
bool compareProcesses(const QString &cli, const QString &programFolder, const SoundTable &sounds,
                      const QString &inProcessImage)
{
    const QString project = programFolder + QStringLiteral("maximum.stm");
    const QString image = programFolder + QStringLiteral("cli.bin");
    const QString copy = programFolder + QStringLiteral("cat.bin");
    const QStringList build{QStringLiteral("build"), project, QStringLiteral("-o"), image,
                            QStringLiteral("--program-dir"), programFolder};
    QStringList cat{QStringLiteral("-c"), QStringLiteral("cat -- \"$@\" > \"$0\" && sync -d \"$0\""), copy};
    for (int i = 0; i < sounds.count(); ++i)
        cat << sounds.at(i).path();

    // The sound files and the project were written moments ago: their writing-out would fall on
    // whichever process runs first. A pair not counted then brings both programs into memory.
    ::sync();
    if (runTimed(cli, build) < 0 || runTimed(QStringLiteral("/bin/sh"), cat) < 0) {
        std::fprintf(stderr, "tirvela-cli build or cat failed\n");
        return false;
    }
    std::vector<double> ratios;
    std::vector<double> buildTimes;
    std::vector<double> catTimes;
    for (int pair = 0; pair < kProcessPairs; ++pair) {
        double buildSeconds = 0;
        double catSeconds = 0;
        if (pair % 2 == 0) {
            buildSeconds = runTimed(cli, build);
            catSeconds = runTimed(QStringLiteral("/bin/sh"), cat);
        } else {
            catSeconds = runTimed(QStringLiteral("/bin/sh"), cat);
            buildSeconds = runTimed(cli, build);
        }
        if (buildSeconds < 0 || catSeconds < 0) {
            std::fprintf(stderr, "%s failed\n", buildSeconds < 0 ? "tirvela-cli build" : "cat");
            return false;
        }
        buildTimes.push_back(buildSeconds);
        catTimes.push_back(catSeconds);
        ratios.push_back(buildSeconds / catSeconds);
    }
    QFile ours(image);
    QFile reference(inProcessImage);
    if (!ours.open(QIODevice::ReadOnly) || !reference.open(QIODevice::ReadOnly) || ours.readAll() != reference.readAll()) {
        std::fprintf(stderr, "the flash image of tirvela-cli differs from the one built in this process\n");
        return false;
    }
    const double ratio = median(ratios);
    std::printf("\nwhole processes, %d pairs run back to back (median):\n", kProcessPairs);
    std::printf("cat of the sound files into one file && sync -d: %.3f s\n", median(catTimes));
    std::printf("tirvela-cli build (image byte-identical):        %.3f s\n", median(buildTimes));
    std::printf("build / (cat && sync -d), median of the pairs' ratios: %.2f (best %.2f; target at most 1.3)%s\n",
                ratio, *std::min_element(ratios.begin(), ratios.end()), ratio <= 1.3 ? "" : "  OVER TARGET");
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString programFolder = dir.path() + QLatin1Char('/');
    const QString soundsFolder = soundsFolderOf(programFolder);
    qint64 soundBytes = 0;
    if (!dir.isValid() || !QDir().mkpath(soundsFolder) || !writeSounds(soundsFolder, soundBytes)) {
        std::fprintf(stderr, "cannot write the sound files\n");
        return 1;
    }
    CountingLog log;
    SoundTable sounds;
    listSoundsFolder(sounds, programFolder, log);
    const std::unique_ptr<Project> project = maximumProject();

    double copySeconds = 1e9;
    double buildSeconds = 1e9;
    long buildPeakKb = 0;
    const bool peakResets = resetPeakMemory();
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        QElapsedTimer timer;
        timer.start();
        if (!copySoundBytes(sounds, programFolder + QStringLiteral("copy.bin"))) {
            std::fprintf(stderr, "the copy failed\n");
            return 1;
        }
        copySeconds = std::min(copySeconds, timer.nsecsElapsed() / 1e9);

        log.lines.clear();
        resetPeakMemory();
        timer.start();
        const Status result = buildProjectFile(*project, sounds, programFolder + QStringLiteral("route.bin"), log,
                                               BuildMode::FlashImage);
        buildSeconds = std::min(buildSeconds, timer.nsecsElapsed() / 1e9);
        buildPeakKb = std::max(buildPeakKb, peakMemoryKb());
        if (!result.ok()) {
            std::fprintf(stderr, "the build failed: %s\n", qPrintable(log.lines.join(QLatin1Char('\n'))));
            return 1;
        }
    }

    const double ratio = buildSeconds / copySeconds;
    const double peakMb = buildPeakKb / 1024.0;
    std::printf("maximum project: %d routes of %d stops, %d fragments a stop, %d SoundFiles, %lld sound bytes\n",
                kRoutes, kForwardStops + kReverseStops, kFragmentsPerStop, kSoundFiles, soundBytes);
    std::printf("flash image: %lld bytes\n", QFileInfo(programFolder + QStringLiteral("route.bin")).size());
    std::printf("copy of the sound bytes into one file: %.3f s (best of %d)\n", copySeconds, kRepeats);
    std::printf("flash image build:                     %.3f s (best of %d)\n", buildSeconds, kRepeats);
    std::printf("build time / copy time: %.2f (target at most 1.5)%s\n", ratio, ratio <= 1.5 ? "" : "  OVER TARGET");
    std::printf("peak memory %s: %.1f MB (target at most 64 MB)%s\n",
                peakResets ? "during the build (resident set)" : "of the whole process", peakMb,
                peakMb <= 64 ? "" : "  OVER TARGET");

    if (!buildProjectFile(*project, SoundTable{}, programFolder + QStringLiteral("maximum.stm"), log,
                          BuildMode::ProjectFile)
             .ok()) {
        std::fprintf(stderr, "the project file could not be saved\n");
        return 1;
    }
    const qsizetype cliAt = app.arguments().indexOf(QStringLiteral("--cli"));
    const QString cli = cliAt > 0 ? app.arguments().value(cliAt + 1) : QStringLiteral(TIRVELA_CLI);
    return compareProcesses(cli, programFolder, sounds, programFolder + QStringLiteral("route.bin")) ? 0 : 1;
}
