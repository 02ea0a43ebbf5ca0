#pragma once

#include "editor/soundsink.h"

class QAudioSink;

namespace tirvela {

// Plays samples on the system's default audio output.
class AudioDeviceSink : public SoundSink
{
    Q_OBJECT

public:
    using SoundSink::SoundSink;
    ~AudioDeviceSink() override;

    bool start(const QByteArray &samples, QString &error) override;
    void stop() override;

private:
    void onStateChanged();

    QAudioSink *mOutput = nullptr;
};

} // namespace tirvela
