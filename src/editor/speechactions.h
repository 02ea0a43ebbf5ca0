#pragma once

#include "project/stoplistedits.h"

#include <QString>

#include <memory>

class QWidget;

namespace tirvela {

class Document;
class MessageLog;
class SoundSpeaker;
class UserDialogs;
struct EditorSession;

// The editor's speech: the sound files the project lacks spoken at once (the sound files window's
// "Озвучить недостающие…"), and one stop's sound spoken (the stop list editor's "Озвучить").
// Neither replaces a sound file without asking. Each says what it made, one log line per file.
class SpeechActions
{
public:
    SpeechActions(Document &document, EditorSession &session, UserDialogs &dialogs, MessageLog &log);

    // Speaks every sound file the stop lists and the common phrases name that the sounds folder
    // lacks, with a progress dialog that can stop it. Returns the name of the last file made.
    QString speakMissing(QWidget *parent);

    // On an item of a stop's sound groups: speaks that sound file. On a stop, its groups or its
    // control time: speaks the stop's name into a sound file of that name, which is added to the
    // stop's "Остановка" group when the stop does not name it yet. Returns the file made.
    QString speakStopNode(int route, const StopPath &path, QWidget *parent);

private:
    // The speaker of the current settings and the pronunciation list; nullptr after telling what
    // to install when there is no synthesiser.
    std::unique_ptr<SoundSpeaker> makeSpeaker(QWidget *parent);
    void logSpoken(const QString &fileName, double seconds, const QString &spoken);

    Document &mDocument;
    EditorSession &mSession;
    UserDialogs &mDialogs;
    MessageLog &mLog;
};

} // namespace tirvela
