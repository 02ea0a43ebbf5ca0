#include "project/sounddecoder.h"

#include <QDir>
#include <QFileInfo>

#include <sndfile.h>

#include <cmath>
#include <cstdio>

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
    const float scale = 1.0f / float(mChannels);
    const float *sample = mInterleaved.data();
    for (sf_count_t frame = 0; frame < frames; ++frame) {
        float sum = 0;
        for (int channel = 0; channel < mChannels; ++channel, ++sample) {
            // A float recording may hold infinities or NaNs; they are read as silence.
            const float value = std::isfinite(*sample) ? *sample : 0.0f;
            sum += value;
            mSourcePeak = std::max(mSourcePeak, std::fabs(value));
        }
        mMono.push_back(sum * scale);
    }
    return mMono;
}

} // namespace tirvela
