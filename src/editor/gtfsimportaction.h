#pragma once

class QWidget;

namespace tirvela {

class Document;
class MessageLog;
class UserDialogs;
struct EditorSession;

// "Импорт из GTFS…": chooses a feed, lets the user pick a route of it in the import dialog, and
// puts the route into the project as one undo step: a new route, or (confirmed in the dialog) the
// stop list of `selectedRoute`. The choices, changed names and missing sounds go to the log.
void importGtfsRoute(Document &document, const EditorSession &session, UserDialogs &dialogs, MessageLog &log,
                     int selectedRoute, QWidget *window);

} // namespace tirvela
