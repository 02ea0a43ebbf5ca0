#include "editor/gtfsimportaction.h"

#include "common/cp1251.h"
#include "common/messagelog.h"
#include "document/document.h"
#include "document/routecommands.h"
#include "editor/editorsession.h"
#include "editor/gtfsimportdialog.h"
#include "editor/userdialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QUndoStack>

namespace tirvela {

void importGtfsRoute(Document &document, const EditorSession &session, UserDialogs &dialogs, MessageLog &log,
                     int selectedRoute, QWidget *window)
{
    const QString chosen = dialogs.chooseFeed(window);
    if (chosen.isEmpty())
        return;
    // A feed folder is chosen by one of its files.
    const QString feedPath = chosen.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive) ? QFileInfo(chosen).absolutePath()
                                                                                       : chosen;
    auto feed = std::make_unique<FeedSource>();
    RouteCatalog catalog;
    QString problem = feed->open(feedPath);
    if (problem.isEmpty())
        problem = readRouteCatalog(*feed, catalog);
    if (problem.isEmpty() && catalog.routes.empty())
        problem = QStringLiteral("В расписании нет ни одного маршрута");
    if (!problem.isEmpty()) {
        dialogs.tell(window, problem);
        return;
    }
    GtfsImportDialog dialog(dialogs, std::move(feed), std::move(catalog), document.project(), selectedRoute,
                            soundsFolderOf(session.programFolder), window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    log.logMessage(QStringLiteral("Импорт из GTFS: %1").arg(QDir::toNativeSeparators(feedPath)));
    for (const QString &line : dialog.report())
        log.logMessage(line);
    if (dialog.replacesSelectedRoute()) {
        const QString number = fromCp1251(document.project().routeNumberText(selectedRoute));
        document.undoStack()->push(new ReplaceRouteStopsCommand(
            document, selectedRoute, dialog.stream(), QStringLiteral("импорт списка остановок маршрута %1").arg(number)));
    } else {
        document.undoStack()->push(new AddRouteCommand(document, toCp1251(dialog.number()), dialog.stream(),
                                                       QStringLiteral("импорт маршрута %1").arg(dialog.number())));
    }
}

} // namespace tirvela
