#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <sndfile.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

// Recordings made by the tests with the sound file library, and what they read back as.
namespace tirvela::fixture {

struct Recording
{
    int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    int sampleRate = 44100;
    int channels = 1;
    double seconds = 1.0;
    // The sample of every channel at a time in seconds (full scale ±1).
    std::function<double(double)> signal;
};

inline std::function<double(double)> sine(double frequency, double amplitude)
{
    return [=](double t) { return amplitude * std::sin(2 * std::numbers::pi * frequency * t); };
}

inline bool writeRecording(const QString &path, const Recording &recording)
{
    SF_INFO info{};
    info.samplerate = recording.sampleRate;
    info.channels = recording.channels;
    info.format = recording.format;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    const auto frames = sf_count_t(std::llround(recording.seconds * recording.sampleRate));
    std::vector<double> interleaved(size_t(frames) * size_t(recording.channels));
    for (sf_count_t frame = 0; frame < frames; ++frame) {
        const double value = recording.signal(double(frame) / recording.sampleRate);
        for (int channel = 0; channel < recording.channels; ++channel)
            interleaved[size_t(frame * recording.channels + channel)] = value;
    }
    const bool written = sf_writef_double(file, interleaved.data(), frames) == frames;
    return sf_close(file) == 0 && written;
}

// The length in seconds of a recording as the library reads it back (lossy formats add frames).
inline double decodedSeconds(const QString &path)
{
    SF_INFO info{};
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return -1;
    std::vector<float> block(4096 * size_t(info.channels));
    sf_count_t frames = 0;
    for (sf_count_t read; (read = sf_readf_float(file, block.data(), 4096)) > 0;)
        frames += read;
    sf_close(file);
    return double(frames) / info.samplerate;
}

} // namespace tirvela::fixture
