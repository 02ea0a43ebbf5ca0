// Project files and flash images come from anywhere: any bytes must be read or refused without a
// crash, a refused file must leave the project as it was, and an accepted one must save and read
// back as the same project, byte for byte.
#include "fuzzinput.h"

#include "common/messagelog.h"
#include "project/boardimage.h"
#include "project/project.h"
#include "project/projectbuilder.h"
#include "project/projectreader.h"
#include "sound/soundtable.h"

#include <memory>

using namespace tirvela;

namespace {

struct SilentLog : MessageLog
{
    void logMessage(const QString &) override {}
};

QByteArray contentOf(const Project &project)
{
    QByteArray bytes = QByteArray::number(project.routeCount);
    for (int route = 0; route < project.routeCount; ++route)
        bytes += QByteArray::number(project.routeStreams[route].size()) + ':' + project.routeStreams[route];
    for (const Board &board : project.boards) {
        bytes += QByteArray(reinterpret_cast<const char *>(board.image.data()), BoardImageSize);
        // board content beyond the route count belongs to no route and is not saved
        for (int route = 0; route < project.routeCount; ++route) {
            const BoardRouteEntry &entry = board.routes[route];
            // only the first board type's route number texts are the routes' numbers
            if (&board == &project.boards[0])
                bytes += entry.routeNumberText + '|';
            for (const DisplayElement &element : entry.elements)
                bytes += QByteArray::number(element.font) + ',' + QByteArray::number(element.x) + ','
                         + QByteArray::number(element.y) + ',' + element.text + ';';
        }
    }
    return bytes;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    static QTemporaryDir boardData; // holds no board data files: older-layout files get empty boards
    const QString input = fuzzInputFile(data, size);
    auto project = std::make_unique<Project>();
    project->routeCount = 7;
    project->routeStreams[3] = "kept";
    const QByteArray before = contentOf(*project) + project->routeStreams[3];

    if (!readProjectFile(*project, input, boardData.path()).ok()) {
        if (contentOf(*project) + project->routeStreams[3] != before)
            std::abort();
        return 0;
    }

    // What was read must save; the saved file must read back to the same project and save identically.
    SilentLog log;
    SoundTable noSounds;
    const QString saved = input + QStringLiteral(".stm");
    const QByteArray beforeSave = contentOf(*project);
    if (!buildProjectFile(*project, noSounds, saved, log, BuildMode::ProjectFile).ok())
        return 0; // content that a save refuses (it would not survive) is reported, not written
    if (contentOf(*project) != beforeSave)
        std::abort(); // saving changed the project
    auto reread = std::make_unique<Project>();
    if (!readProjectFile(*reread, saved, boardData.path()).ok() || !(*reread == *project)
        || buildBoardImages(*reread).images != buildBoardImages(*project).images)
        std::abort();
    const QByteArray first = readAll(saved);
    if (!buildProjectFile(*reread, noSounds, saved, log, BuildMode::ProjectFile).ok() || readAll(saved) != first)
        std::abort();
    return 0;
}
