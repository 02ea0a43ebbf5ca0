#pragma once

#include "common/status.h"

#include <QFile>
#include <QString>

#include <memory>
#include <vector>

struct sf_private_tag;

namespace tirvela {

class MpegStream;

// Reads a recording of any format the sound file library knows (WAVE of any sample format,
// FLAC, Ogg Vorbis, Opus, ...) or an MPEG audio recording (MP3, MP2) block by block, mixed down
// to mono. Only the open file and
// one block are held, whatever the recording's length.
class SoundDecoder
{
public:
    SoundDecoder();
    ~SoundDecoder();
    SoundDecoder(const SoundDecoder &) = delete;
    SoundDecoder &operator=(const SoundDecoder &) = delete;

    // Opens a regular file; a failure's message says why, naming the file, and its reason is the
    // system's or the format library's.
    Status open(const QString &path);
    // Fails, as open() would, once opening or reading has failed.
    const Status &status() const { return mStatus; }

    int sampleRate() const { return mSampleRate; }
    int channels() const { return mChannels; }
    // The frames the recording says it holds; negative when it does not say.
    qint64 frameCount() const { return mFrameCount; }

    // The next block of mono samples (the mean of the channels, full scale ±1, never infinite or
    // NaN: such values read as silence, and the mean cannot overflow); empty at the
    // end of the recording or when reading fails (status() then fails).
    const std::vector<float> &readBlock();

    // The largest magnitude of any channel read so far: the recording's own peak once all is read.
    float sourcePeak() const { return mSourcePeak; }
    qint64 bytesRead() const { return mFile.pos(); }
    qint64 fileSize() const { return mFile.size(); }

private:
    Status openSoundFile(const QString &shown);
    Status openMpeg(const QString &shown);
    Status fail(const QString &message, const QString &reason = {});
    qint64 readFrames();
    void prepareBuffers(bool sixteenBits);

    struct Close
    {
        void operator()(sf_private_tag *file) const;
    };

    QFile mFile;
    std::unique_ptr<sf_private_tag, Close> mHandle;
    std::unique_ptr<MpegStream> mMpeg;
    Status mStatus = Status::success();
    int mSampleRate = 0;
    int mChannels = 0;
    qint64 mFrameCount = -1;
    std::vector<float> mInterleaved;  // the frames read, when read as float ...
    std::vector<short> mSixteenBits; // ... or as 16-bit integers
    std::vector<float> mMono;
    float mSourcePeak = 0;
};

} // namespace tirvela
