#pragma once

#include "device/progrthread.h"

#include <QString>

#include <memory>

class QWidget;

namespace tirvela {

class DeviceTrace;
class Document;
class MessageLog;
class ProgressDialog;
class UserDialogs;
struct EditorSession;

// The device actions of the main menu: writing a flash image into the Announcer, and in extended
// mode sending a route number to the route-number board and programming the board.
class DeviceActions
{
public:
    DeviceActions(const Document &document, const EditorSession &session, UserDialogs &dialogs, MessageLog &log,
                  ProgressDialog &progress, QWidget *window);

    // Runs on this thread; the progress dialog keeps the window responsive and stops it.
    void programAnnouncer(const QString &flashImage);
    // Asks for the text, the route's number proposed, and sends it.
    void sendRouteNumber(int route);
    // Sends the project's board images and fonts while the progress dialog is shown modally.
    void programBlinker();

    // The board's pace; tests drive the emulated board faster.
    void setBlinkerProgramming(const BlinkerProgramming &programming) { mBlinkerProgramming = programming; }

private:
    // The trace of one command, appended to the trace file, when the settings ask for it.
    std::unique_ptr<DeviceTrace> openTrace();

    const Document &mDocument;
    const EditorSession &mSession;
    UserDialogs &mDialogs;
    MessageLog &mLog;
    ProgressDialog &mProgress;
    QWidget *mWindow;
    BlinkerProgramming mBlinkerProgramming;
};

} // namespace tirvela
