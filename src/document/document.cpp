#include "document/document.h"

#include "document/currenttarget.h"
#include "document/stoptrees.h"
#include "common/messagelog.h"
#include "project/boardcontent.h"
#include "project/projectreader.h"
#include "project/rebuildrule.h"

#include <QFileInfo>
#include <QUndoStack>

namespace tirvela {

namespace {

bool isProjectFileName(const QString &fileName)
{
    return QFileInfo(fileName).suffix().compare(QStringLiteral("stm"), Qt::CaseInsensitive) == 0;
}

} // namespace

Document::Document(QObject *parent)
    : QObject(parent)
    , mProject(std::make_unique<Project>())
    , mUndoStack(new QUndoStack(this))
    , mStopTrees(new StopTrees(*mProject, this))
    , mCurrentTarget(new CurrentTarget(*this))
{
    newProject(*mProject);
    mCurrentTarget->showElements(0, 0);
    connect(mUndoStack, &QUndoStack::cleanChanged, this, &Document::captionChanged);
}

Document::~Document() = default;

bool Document::isModified() const
{
    return !mUndoStack->isClean();
}

QString Document::caption() const
{
    const QString name = mFileName.isEmpty() ? QStringLiteral("БЕЗЫМЯННЫЙ") : mFileName;
    return isModified() ? name + u'*' : name;
}

void Document::resetToNew()
{
    mUndoStack->clear();
    mStopTrees->dropAll();
    newProject(*mProject);
    mSourceImage.clear();
    setFileName({}, false);
    emit projectReplaced();
}

Status Document::load(const QString &fileName, MessageLog &log)
{
    log.logMessage(QStringLiteral("Загрузка файла ") + fileName);
    // The file is read into a project of its own, so that a refused file leaves this one whole.
    auto loaded = std::make_unique<Project>();
    newProject(*loaded);
    const ProjectReadResult read = readProjectFile(*loaded, fileName);
    if (!read.ok())
        return read.status;
    for (const QString &note : read.notes)
        log.logMessage(note);

    mUndoStack->clear();
    mStopTrees->dropAll();
    *mProject = std::move(*loaded);
    mSourceImage.clear();
    if (isProjectFileName(fileName)) {
        setFileName(fileName, false);
    } else {
        mSourceImage = fileName;
        setFileName(projectFileNameOf(fileName), true);
    }
    emit projectReplaced();
    return Status::success();
}

Status Document::saveAs(const QString &fileName, const SoundTable &sounds, MessageLog &log)
{
    mStopTrees->storeAll();
    const Status result = buildProjectFile(*mProject, sounds, fileName, log, BuildMode::ProjectFile);
    if (!result.ok())
        return result;
    setFileName(fileName, false);
    mUndoStack->setClean();
    return result;
}

Status Document::buildFlashImage(const QString &fileName, const SoundTable &sounds, MessageLog &log)
{
    mStopTrees->storeAll();
    const bool sourceImage = isSourceImage(fileName);
    const Status result = buildProjectFile(*mProject, sounds, fileName, log, BuildMode::FlashImage,
                                           sourceImage ? FailedBuild::KeepFile : FailedBuild::EmptyImage);
    if (result.ok() && sourceImage)
        mSourceImage.clear();
    return result;
}

bool Document::isSourceImage(const QString &fileName) const
{
    const QFileInfo file(fileName);
    return !mSourceImage.isEmpty() && file.isFile() && file.size() > 0 && file == QFileInfo(mSourceImage);
}

void Document::setFileName(const QString &fileName, bool derived)
{
    mFileName = fileName;
    mFileNameIsDerived = derived;
    emit captionChanged();
}

} // namespace tirvela
