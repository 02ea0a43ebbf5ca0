#include "project/sounddecoder.h"

#include <QDir>
#include <QFileInfo>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>

namespace tirvela {

namespace {

constexpr sf_count_t kBlockFrames = 4096;

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

} // namespace

void SoundDecoder::Close::operator()(SNDFILE *file) const
{
    sf_close(file);
}

SoundDecoder::SoundDecoder() = default;
SoundDecoder::~SoundDecoder() = default;

bool SoundDecoder::open(const QString &path)
{
    const QString shown = QDir::toNativeSeparators(path);
    mFile.setFileName(path);
    if (QFileInfo::exists(path) && !QFileInfo(path).isFile()) {
        mError = QStringLiteral("%1 не является обычным файлом").arg(shown);
        return false;
    }
    if (!mFile.open(QIODevice::ReadOnly)) {
        mError = QStringLiteral("Файл %1 не открывается: %2").arg(shown, mFile.errorString());
        return false;
    }
    SF_INFO info{};
    mHandle.reset(sf_open_virtual(&gFileIo, SFM_READ, &info, &mFile));
    if (!mHandle || info.channels < 1 || info.samplerate < 1) {
        mError = QStringLiteral("Файл %1 не является звукозаписью известного формата (%2)")
                     .arg(shown, QString::fromLocal8Bit(sf_strerror(mHandle.get())));
        mHandle.reset();
        return false;
    }
    mSampleRate = info.samplerate;
    mChannels = info.channels;
    mInterleaved.resize(size_t(kBlockFrames) * size_t(mChannels));
    mMono.reserve(size_t(kBlockFrames));
    return true;
}

const std::vector<float> &SoundDecoder::readBlock()
{
    mMono.clear();
    if (!mHandle)
        return mMono;
    const sf_count_t frames = sf_readf_float(mHandle.get(), mInterleaved.data(), kBlockFrames);
    if (frames <= 0) {
        if (sf_error(mHandle.get()) != SF_ERR_NO_ERROR)
            mError = QStringLiteral("Файл %1 не читается: %2")
                         .arg(QDir::toNativeSeparators(mFile.fileName()),
                              QString::fromLocal8Bit(sf_strerror(mHandle.get())));
        return mMono;
    }
    // A float recording may hold infinities or NaNs; they are read as silence. The loops run over
    // eight values side by side, which the compiler turns into vector operations.
    const size_t count = size_t(frames) * size_t(mChannels);
    float *values = mInterleaved.data();
    float peaks[8] = {};
    const auto take = [&](size_t i, size_t lane) {
        const float value = std::fabs(values[i]) <= std::numeric_limits<float>::max() ? values[i] : 0.0f;
        values[i] = value;
        peaks[lane] = std::max(peaks[lane], std::fabs(value));
    };
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        for (size_t lane = 0; lane < 8; ++lane)
            take(i + lane, lane);
    }
    for (; i < count; ++i)
        take(i, 0);
    mSourcePeak = std::max(mSourcePeak, *std::max_element(std::begin(peaks), std::end(peaks)));
    mMono.resize(size_t(frames));
    const float scale = 1.0f / float(mChannels);
    for (size_t frame = 0; frame < size_t(frames); ++frame) {
        float sum = 0;
        for (int channel = 0; channel < mChannels; ++channel)
            sum += values[frame * size_t(mChannels) + size_t(channel)];
        mMono[frame] = sum * scale;
    }
    return mMono;
}

} // namespace tirvela
