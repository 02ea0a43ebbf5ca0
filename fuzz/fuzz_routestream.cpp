// Route streams come from project files: any bytes must read without a crash, and a stream that
// reads as a tree must write back to text that reads as the same tree.
#include "project/stoptree.h"

#include <cstdlib>

using namespace tirvela;

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    const RouteStreamReadResult first = readRouteStream(QByteArrayView(data, qsizetype(size)));
    if (!first.ok)
        return 0;
    const QByteArray written = writeRouteStream(first.tree);
    const RouteStreamReadResult second = readRouteStream(written);
    if (!second.ok || !(first.tree == second.tree) || writeRouteStream(second.tree) != written)
        std::abort();
    return 0;
}
