#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>

struct mpg123_handle_struct;

namespace tirvela {

// Decodes an MPEG audio recording (MP3, MP2) from an open file with the MPEG decoder library
// set quiet: its own notes and warnings on a damaged stream would otherwise go to the standard
// error of the editor and the command-line tool.
class MpegStream
{
public:
    // Whether a recording starting with `head` is MPEG audio: an ID3 tag or an MPEG audio frame.
    static bool looksLikeMpeg(const QByteArray &head);

    MpegStream();
    ~MpegStream();
    MpegStream(const MpegStream &) = delete;
    MpegStream &operator=(const MpegStream &) = delete;

    // Reads the recording from `file`, which must stay open while the stream is used. On failure
    // returns false and error() gives the reason.
    bool open(QFile &file);
    QString error() const { return mError; }

    int sampleRate() const { return mSampleRate; }
    int channels() const { return mChannels; }
    // The frames the stream holds as far as its headers tell, or -1.
    qint64 frameCount() const { return mFrameCount; }

    // Up to `frames` interleaved float frames into `buffer`; 0 at the end or on failure (error()
    // is then no longer empty).
    qint64 readFrames(float *buffer, qint64 frames);

private:
    struct Delete
    {
        void operator()(mpg123_handle_struct *handle) const;
    };

    QString failure() const;

    std::unique_ptr<mpg123_handle_struct, Delete> mHandle;
    QString mError;
    int mSampleRate = 0;
    int mChannels = 0;
    qint64 mFrameCount = -1;
};

} // namespace tirvela
