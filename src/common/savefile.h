#pragma once

#include <QByteArrayView>
#include <QSaveFile>

namespace tirvela {

// Writes all of `bytes`. A write that stops short (the disk filled midway) is tried again for
// the rest: only the second attempt fails with the system's reason ("No space left on device"),
// where the short write alone leaves "Unknown error" in errorString().
inline bool writeFully(QIODevice &device, QByteArrayView bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 written = device.write(bytes.data() + done, bytes.size() - done);
        if (written <= 0)
            return false;
        done += qsizetype(written);
    }
    return true;
}

// Puts a QSaveFile in place only when everything written has reached it. QSaveFile::commit()
// does not notice a flush that fails (a full disk) and would put a cut file in place of the old one.
inline bool commitFully(QSaveFile &file)
{
    if (file.flush())
        return file.commit();
    // A flush that wrote only part of the buffer fails without a reason; the second attempt
    // meets the error itself, which leaves its text in errorString().
    file.flush();
    return false;
}

} // namespace tirvela
