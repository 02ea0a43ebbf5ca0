// The emulated Announcer reads whatever arrives on its line: any commands and blocks, split
// anywhere, must be taken without a crash and without its memory growing past its limit.
#include "common/messagelog.h"
#include "devsim/announcerdevice.h"

#include <algorithm>
#include <cstdlib>

using namespace tirvela;
using namespace tirvela::devsim;

namespace {

struct SilentLog : MessageLog
{
    void logMessage(const QString &) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    SilentLog log;
    AnnouncerDevice device({}, log);
    // The line hands the bytes over in reads whose sizes the input itself picks.
    qsizetype at = 0;
    const qsizetype total = qsizetype(size);
    while (at < total) {
        const qsizetype chunk = std::min<qsizetype>(total - at, 1 + data[at] % 97);
        device.receive(QByteArrayView(data + at, chunk), 115200);
        at += chunk;
    }
    if (device.memory().size() > AnnouncerDevice::kMemoryLimit)
        std::abort();
    return 0;
}
