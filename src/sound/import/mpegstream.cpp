#include "sound/import/mpegstream.h"

#include <mpg123.h>

#include <cstdio>

namespace tirvela {

namespace {

constexpr int kMostEmptyReads = 64;

QFile &fileOf(void *handle) { return *static_cast<QFile *>(handle); }

mpg123_ssize_t readFile(void *handle, void *buffer, size_t size)
{
    return mpg123_ssize_t(fileOf(handle).read(static_cast<char *>(buffer), qint64(size)));
}

off_t seekFile(void *handle, off_t offset, int whence)
{
    QFile &file = fileOf(handle);
    const qint64 base = whence == SEEK_CUR ? file.pos() : whence == SEEK_END ? file.size() : 0;
    return file.seek(base + offset) ? off_t(file.pos()) : off_t(-1);
}

bool isFrameHeader(unsigned char first, unsigned char second, unsigned char third)
{
    const bool sync = first == 0xFF && (second & 0xE0) == 0xE0;
    const bool version = ((second >> 3) & 3) != 1;    // 01 is reserved
    const bool layer = ((second >> 1) & 3) != 0;      // 00 is reserved
    const bool bitrate = (third >> 4) != 0xF;         // 1111 is invalid
    const bool sampleRate = ((third >> 2) & 3) != 3;  // 11 is reserved
    return sync && version && layer && bitrate && sampleRate;
}

} // namespace

bool MpegStream::looksLikeMpeg(const QByteArray &head)
{
    if (head.startsWith("ID3"))
        return true;
    if (head.size() < 3)
        return false;
    const auto byte = [&](int i) { return static_cast<unsigned char>(head.at(i)); };
    return isFrameHeader(byte(0), byte(1), byte(2));
}

void MpegStream::Delete::operator()(mpg123_handle *handle) const
{
    mpg123_close(handle);
    mpg123_delete(handle);
}

MpegStream::MpegStream() = default;
MpegStream::~MpegStream() = default;

QString MpegStream::failure() const
{
    switch (mpg123_errcode(mHandle.get())) {
    case MPG123_RESYNC_FAIL:
    case MPG123_OUT_OF_SYNC:
        return QStringLiteral("поток MPEG повреждён, кадры не находятся");
    case MPG123_OUT_OF_MEM:
        return QStringLiteral("не хватает памяти");
    default:
        return QStringLiteral("поток MPEG не декодируется (%1)")
            .arg(QString::fromLocal8Bit(mpg123_strerror(mHandle.get())));
    }
}

bool MpegStream::open(QFile &file)
{
    int error = MPG123_OK;
    mHandle.reset(mpg123_new(nullptr, &error));
    if (!mHandle) {
        mError = QString::fromLocal8Bit(mpg123_plain_strerror(error));
        return false;
    }
    mpg123_handle *handle = mHandle.get();
    // Gapless: the encoder's padding is cut, so the length is the recorded one.
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS | MPG123_FORCE_FLOAT, 0);
    mpg123_param(handle, MPG123_REMOVE_FLAGS, MPG123_AUTO_RESAMPLE, 0);
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_replace_reader_handle(handle, readFile, seekFile, nullptr) != MPG123_OK
        || mpg123_open_handle(handle, &file) != MPG123_OK
        || mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK) {
        mError = failure();
        return false;
    }
    // The first frame's format holds for the whole stream.
    mpg123_format_none(handle);
    if (mpg123_format(handle, rate, channels, MPG123_ENC_FLOAT_32) != MPG123_OK) {
        mError = failure();
        return false;
    }
    mSampleRate = int(rate);
    mChannels = channels;
    const off_t length = mpg123_length(handle);
    mFrameCount = length >= 0 ? qint64(length) : -1;
    return true;
}

qint64 MpegStream::readFrames(float *buffer, qint64 frames)
{
    const size_t frameBytes = sizeof(float) * size_t(mChannels);
    auto *bytes = reinterpret_cast<unsigned char *>(buffer);
    const size_t wanted = size_t(frames) * frameBytes;
    size_t filled = 0;
    // A damaged stream can decode to nothing time after time without ending; give up then.
    int emptyReads = 0;
    while (filled < wanted && mError.isEmpty() && emptyReads < kMostEmptyReads) {
        size_t done = 0;
        const int status = mpg123_read(mHandle.get(), bytes + filled, wanted - filled, &done);
        filled += done;
        emptyReads = done == 0 ? emptyReads + 1 : 0;
        if (status == MPG123_DONE)
            break;
        if (status != MPG123_OK && status != MPG123_NEW_FORMAT)
            mError = failure();
    }
    return qint64(filled / frameBytes);
}

} // namespace tirvela
