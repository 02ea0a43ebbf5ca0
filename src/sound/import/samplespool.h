#pragma once

#include <QString>
#include <QTemporaryFile>

#include <vector>

namespace tirvela {

// Keeps a stream of samples in a temporary file until it is read back, from any sample on. The
// samples are written in large pieces: written a converter's block at a time, the system calls
// would cost several times the copying.
class SampleSpool
{
public:
    // False with errorString() when the temporary file cannot be made.
    bool open();
    QString errorString() const { return mFile.errorString(); }
    QString fileName() const { return mFile.fileName(); }

    bool append(const std::vector<float> &samples);

    // Ends the writing; reading goes on from sample `sample`.
    bool seek(qint64 sample);
    // The next `count` samples (resized to them); false when they cannot be read.
    bool read(qint64 count, std::vector<float> &samples);

private:
    bool writePending();

    QTemporaryFile mFile;
    std::vector<float> mPending;
};

} // namespace tirvela
