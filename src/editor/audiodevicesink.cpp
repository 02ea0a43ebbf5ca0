#include "editor/audiodevicesink.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>

namespace tirvela {

AudioDeviceSink::~AudioDeviceSink()
{
    stop();
}

bool AudioDeviceSink::start(const QByteArray &samples, QString &error)
{
    stop();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        error = QStringLiteral("Нет устройства вывода звука, прослушивание невозможно");
        return false;
    }
    QAudioFormat format;
    format.setSampleRate(16000);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::UInt8);
    if (!device.isFormatSupported(format)) {
        error = QStringLiteral("Устройство вывода звука \"%1\" не воспроизводит звук 8 бит, моно, 16 КГц")
                    .arg(device.description());
        return false;
    }
    mOutput = new QAudioSink(device, format, this);
    // The buffer lives and dies with the output that reads it.
    auto *buffer = new QBuffer(mOutput);
    buffer->setData(samples);
    buffer->open(QIODevice::ReadOnly);
    connect(mOutput, &QAudioSink::stateChanged, this, &AudioDeviceSink::onStateChanged);
    mOutput->start(buffer);
    if (mOutput->error() != QAudio::NoError) {
        stop();
        error = QStringLiteral("Устройство вывода звука \"%1\" не удалось открыть").arg(device.description());
        return false;
    }
    return true;
}

void AudioDeviceSink::stop()
{
    if (mOutput) {
        // Deleted later: stop() may be called from the sink's own state signal.
        mOutput->disconnect(this);
        mOutput->stop();
        mOutput->deleteLater();
        mOutput = nullptr;
    }
}

void AudioDeviceSink::onStateChanged()
{
    // Idle: the buffer has run dry, everything was played. Stopped with an error: the device went away.
    const QAudio::State state = mOutput->state();
    if (state == QAudio::IdleState || (state == QAudio::StoppedState && mOutput->error() != QAudio::NoError)) {
        stop();
        emit finished();
    }
}

} // namespace tirvela
