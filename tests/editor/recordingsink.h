#pragma once

#include "editor/soundsink.h"

#include <QList>

namespace tirvela::fixture {

// A sound sink that keeps what it was given to play; the test says when a sound has ended.
class RecordingSink : public SoundSink
{
public:
    QList<QByteArray> played;
    int stops = 0; // stop() calls while something played
    bool playing = false;

    bool start(const QByteArray &samples, QString &) override
    {
        played << samples;
        playing = true;
        return true;
    }

    void stop() override
    {
        stops += playing;
        playing = false;
    }

    // The sound given last has been played to its end.
    void finish()
    {
        playing = false;
        emit finished();
    }
};

} // namespace tirvela::fixture
