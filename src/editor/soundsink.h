#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace tirvela {

// Where played sound goes: the audio device in the editor, a recorder in the tests.
class SoundSink : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Starts playing unsigned 8-bit mono 16 kHz samples in the background, replacing what is
    // playing. False, with the reason for the message log in `error`, when nothing can be played.
    virtual bool start(const QByteArray &samples, QString &error) = 0;
    // Ends the playing at once; finished() is not sent for it.
    virtual void stop() = 0;

signals:
    // The samples given to start() have all been played, or the device gave up on them.
    void finished();
};

} // namespace tirvela
