#include "sound/import/sounddecoder.h"

#include "common/systemreason.h"
#include "sound/import/mpegstream.h"

#include <QDir>
#include <QFileInfo>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <type_traits>

namespace tirvela {

namespace {

constexpr sf_count_t kBlockFrames = 4096;
constexpr qint64 kMpegHeadBytes = 4;

QFile &fileOf(void *user) { return *static_cast<QFile *>(user); }

// The library reads through the open QFile, so it sees exactly the regular file that was checked.
sf_count_t fileLength(void *user) { return fileOf(user).size(); }

sf_count_t seekFile(sf_count_t offset, int whence, void *user)
{
    QFile &file = fileOf(user);
    const qint64 base = whence == SEEK_CUR ? file.pos() : whence == SEEK_END ? file.size() : 0;
    return file.seek(base + offset) ? file.pos() : -1;
}

sf_count_t readFile(void *buffer, sf_count_t count, void *user)
{
    const qint64 read = fileOf(user).read(static_cast<char *>(buffer), count);
    return read < 0 ? 0 : read;
}

sf_count_t refuseWrite(const void *, sf_count_t, void *) { return 0; }

sf_count_t tellFile(void *user) { return fileOf(user).pos(); }

SF_VIRTUAL_IO gFileIo = {fileLength, seekFile, readFile, refuseWrite, tellFile};

// Samples of at most 16 bits are read as 16-bit integers and converted here, which costs a
// fraction of the library's own conversion to float and gives the same values.
bool fitsSixteenBits(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_ALAW:
    case SF_FORMAT_ULAW:
        return true;
    default:
        return false;
    }
}

constexpr float kSixteenBitUnit = 1.0f / 32768.0f;

// The loops below run over eight values side by side, which the compiler turns into vector
// operations.
constexpr size_t kLanes = 8;

// A float recording may hold infinities or NaNs; they are read as silence. Gives the largest
// magnitude.
float sanitize(float *values, size_t count)
{
    float peaks[kLanes] = {};
    const auto take = [&](size_t i, size_t lane) {
        const float value = std::fabs(values[i]) <= std::numeric_limits<float>::max() ? values[i] : 0.0f;
        values[i] = value;
        peaks[lane] = std::max(peaks[lane], std::fabs(value));
    };
    size_t i = 0;
    for (; i + kLanes <= count; i += kLanes) {
        for (size_t lane = 0; lane < kLanes; ++lane)
            take(i + lane, lane);
    }
    for (; i < count; ++i)
        take(i, 0);
    return *std::max_element(std::begin(peaks), std::end(peaks));
}

// The largest magnitude of 16-bit samples, full scale 1.
float peakOf(const short *values, size_t count)
{
    int peaks[kLanes] = {};
    size_t i = 0;
    for (; i + kLanes <= count; i += kLanes) {
        for (size_t lane = 0; lane < kLanes; ++lane)
            peaks[lane] = std::max(peaks[lane], std::abs(int(values[i + lane])));
    }
    for (; i < count; ++i)
        peaks[0] = std::max(peaks[0], std::abs(int(values[i])));
    return float(*std::max_element(std::begin(peaks), std::end(peaks))) * kSixteenBitUnit;
}

// The mean of the channels of each of `frames` frames, each sample worth `unit`. The common
// channel counts (kChannels) are spelled out, and the frames taken kLanes at a time, so that the
// compiler can turn the loop into vector operations; 0 takes `channels`.
template<typename Sample, int kChannels>
inline void mixFrames(const Sample *values, size_t frames, size_t channels, float scale, float *__restrict mono)
{
    const size_t count = kChannels > 0 ? size_t(kChannels) : channels;
    for (size_t frame = 0; frame < frames; ++frame) {
        if constexpr (std::is_integral_v<Sample>) {
            int sum = 0; // integers add up exactly
            for (size_t channel = 0; channel < count; ++channel)
                sum += values[frame * count + channel];
            mono[frame] = float(sum) * scale;
        } else {
            // Each value is scaled before it is added: the sum of the largest floats would overflow.
            float sum = 0;
            for (size_t channel = 0; channel < count; ++channel)
                sum += values[frame * count + channel] * scale;
            mono[frame] = sum;
        }
    }
}

template<typename Sample, int kChannels>
void mixDown(const Sample *values, size_t frames, int channels, float unit, float *mono)
{
    const auto count = size_t(kChannels > 0 ? kChannels : channels);
    const float scale = unit / float(count);
    size_t frame = 0;
    for (; frame + kLanes <= frames; frame += kLanes)
        mixFrames<Sample, kChannels>(values + frame * count, kLanes, count, scale, mono + frame);
    mixFrames<Sample, kChannels>(values + frame * count, frames - frame, count, scale, mono + frame);
}

template<typename Sample>
void mixDown(const Sample *values, size_t frames, int channels, float unit, float *mono)
{
    const auto mix = channels == 1 ? mixDown<Sample, 1> : channels == 2 ? mixDown<Sample, 2> : mixDown<Sample, 0>;
    mix(values, frames, channels, unit, mono);
}

} // namespace

void SoundDecoder::Close::operator()(SNDFILE *file) const
{
    sf_close(file);
}

SoundDecoder::SoundDecoder() = default;
SoundDecoder::~SoundDecoder() = default;

Status SoundDecoder::fail(const QString &message, const QString &reason)
{
    mStatus = Status::failure(message, reason);
    return mStatus;
}

Status SoundDecoder::open(const QString &path)
{
    const QString shown = QDir::toNativeSeparators(path);
    mFile.setFileName(path);
    if (QFileInfo::exists(path) && !QFileInfo(path).isFile())
        return fail(QStringLiteral("%1 не является обычным файлом").arg(shown));
    if (!mFile.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        const QString reason = russianReason(mFile.errorString());
        return fail(QStringLiteral("Файл %1 не открывается: %2").arg(shown, reason), reason);
    }
    const bool mpeg = MpegStream::looksLikeMpeg(mFile.read(kMpegHeadBytes));
    if (!mFile.seek(0)) {
        const QString reason = russianReason(mFile.errorString());
        return fail(QStringLiteral("Файл %1 не читается: %2").arg(shown, reason), reason);
    }
    return mpeg ? openMpeg(shown) : openSoundFile(shown);
}

Status SoundDecoder::openSoundFile(const QString &shown)
{
    SF_INFO info{};
    mHandle.reset(sf_open_virtual(&gFileIo, SFM_READ, &info, &mFile));
    if (!mHandle || info.channels < 1 || info.samplerate < 1) {
        const QString reason = russianReason(QString::fromLocal8Bit(sf_strerror(mHandle.get())));
        mHandle.reset();
        return fail(QStringLiteral("Файл %1 не является звукозаписью известного формата (%2)").arg(shown, reason), reason);
    }
    mSampleRate = info.samplerate;
    mChannels = info.channels;
    mFrameCount = info.frames >= 0 && info.frames < SF_COUNT_MAX ? info.frames : -1;
    prepareBuffers(fitsSixteenBits(info.format));
    return mStatus;
}

Status SoundDecoder::openMpeg(const QString &shown)
{
    mMpeg = std::make_unique<MpegStream>();
    if (!mMpeg->open(mFile) || mMpeg->channels() < 1 || mMpeg->sampleRate() < 1) {
        const QString reason = mMpeg->error();
        mMpeg.reset();
        return fail(QStringLiteral("Файл %1 не является звукозаписью известного формата (%2)").arg(shown, reason), reason);
    }
    mSampleRate = mMpeg->sampleRate();
    mChannels = mMpeg->channels();
    mFrameCount = mMpeg->frameCount();
    prepareBuffers(false);
    return mStatus;
}

void SoundDecoder::prepareBuffers(bool sixteenBits)
{
    if (sixteenBits)
        mSixteenBits.resize(size_t(kBlockFrames) * size_t(mChannels));
    else
        mInterleaved.resize(size_t(kBlockFrames) * size_t(mChannels));
    mMono.reserve(size_t(kBlockFrames));
}

qint64 SoundDecoder::readFrames()
{
    if (mMpeg) {
        const qint64 frames = mMpeg->readFrames(mInterleaved.data(), kBlockFrames);
        if (frames <= 0 && !mMpeg->error().isEmpty())
            fail(QStringLiteral("Файл %1 не читается: %2").arg(QDir::toNativeSeparators(mFile.fileName()), mMpeg->error()),
                 mMpeg->error());
        return frames;
    }
    const sf_count_t frames = mSixteenBits.empty() ? sf_readf_float(mHandle.get(), mInterleaved.data(), kBlockFrames)
                                                    : sf_readf_short(mHandle.get(), mSixteenBits.data(), kBlockFrames);
    if (frames <= 0 && sf_error(mHandle.get()) != SF_ERR_NO_ERROR) {
        const QString reason = russianReason(QString::fromLocal8Bit(sf_strerror(mHandle.get())));
        fail(QStringLiteral("Файл %1 не читается: %2").arg(QDir::toNativeSeparators(mFile.fileName()), reason), reason);
    }
    return frames;
}

const std::vector<float> &SoundDecoder::readBlock()
{
    mMono.clear();
    if (!mHandle && !mMpeg)
        return mMono;
    const bool sixteenBits = !mSixteenBits.empty();
    const qint64 frames = readFrames();
    if (frames <= 0)
        return mMono;
    const size_t count = size_t(frames) * size_t(mChannels);
    mMono.resize(size_t(frames));
    if (sixteenBits) {
        mSourcePeak = std::max(mSourcePeak, peakOf(mSixteenBits.data(), count));
        mixDown(mSixteenBits.data(), size_t(frames), mChannels, kSixteenBitUnit, mMono.data());
    } else {
        mSourcePeak = std::max(mSourcePeak, sanitize(mInterleaved.data(), count));
        mixDown(mInterleaved.data(), size_t(frames), mChannels, 1.0f, mMono.data());
    }
    return mMono;
}

} // namespace tirvela
