// The emulated route-number board reads whatever arrives on its line: any bytes, split anywhere,
// must be cut into frames without losing or inventing a byte, and every frame must read safely.
#include "devsim/blinkerframes.h"

#include <cstdlib>

using namespace tirvela::devsim;

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte says where the line splits the rest into two reads.
    const QByteArrayView input(data + 1, qsizetype(size - 1));
    const qsizetype split = input.isEmpty() ? 0 : data[0] % (input.size() + 1);

    BlinkerFrameParser parser;
    QList<BlinkerFrame> frames = parser.feed(input.first(split));
    frames += parser.feed(input.sliced(split));

    QByteArray seen;
    for (const BlinkerFrame &frame : frames) {
        switch (frame.kind) {
        case BlinkerFrame::RouteNumber:
            if (frame.bytes.size() != 9)
                std::abort();
            readRouteNumberFrame(frame.bytes);
            break;
        case BlinkerFrame::Programming: {
            if (frame.bytes.size() != 75)
                std::abort();
            const ProgrammingContent content = readProgrammingFrame(frame.bytes);
            if (content.data.size() != 64 && content.headerOk)
                std::abort();
            break;
        }
        case BlinkerFrame::Unrecognised:
            break;
        }
        seen += frame.bytes;
    }
    if (!input.startsWith(seen))
        std::abort();
    return 0;
}
