#include "project/missingsounds.h"

#include "common/cp1251.h"
#include "project/announcement.h"
#include "project/project.h"
#include "project/projectbuilder.h"
#include "sound/soundtable.h"
#include "project/stoptables.h"
#include "project/stoptree.h"

namespace tirvela {

namespace {

// Collects the sound items of stop trees that the sound table lacks, each once.
class Finder
{
public:
    Finder(const SoundTable &sounds, MissingSounds &missing) : mSounds(sounds), mMissing(missing) {}

    void addTree(const StopTree &tree)
    {
        for (const StopNode &direction : tree.root().children()) {
            for (const StopNode &stop : direction.children()) {
                const QList<QByteArray> items = announcementItems(stop);
                for (const QByteArray &item : items)
                    addItem(item);
            }
        }
    }

private:
    void addItem(const QByteArray &item)
    {
        const QByteArray key = cp1251ToUpper(item);
        if (item.trimmed().isEmpty() || mSeen.contains(key) || mSounds.find(item) >= 0)
            return;
        mSeen.insert(key);
        const QString name = fromCp1251(item);
        if (name.endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive))
            mMissing.names << name;
        else
            mMissing.problems << QStringLiteral("«%1» не имя звукового файла *.wav и не озвучивается").arg(name);
    }

    const SoundTable &mSounds;
    MissingSounds &mMissing;
    QSet<QByteArray> mSeen;
};

} // namespace

MissingSounds findMissingSounds(const Project &project, const SoundTable &sounds)
{
    MissingSounds missing;
    Finder finder(sounds, missing);
    finder.addTree(commonPhrases());
    for (int route = 0; route < project.routeCount && route < MaxRoutes; ++route) {
        const RouteStreamReadResult read = readRouteStream(project.routeStreams[size_t(route)]);
        if (read.ok)
            finder.addTree(read.tree);
        else
            missing.problems << QStringLiteral("%1: список остановок повреждён, строка %2: %3")
                                    .arg(routeCaption(project, route)).arg(read.errorLine).arg(read.error);
    }
    return missing;
}

} // namespace tirvela
