// Route streams come from project files: any bytes must read without a crash, and a stream that
// reads as a tree must write back to text that reads as the same tree.
#include "project/stoptree.h"

#include <cstdlib>

using namespace tirvela;

namespace {

bool sameNodes(const std::vector<StopNode> &a, const std::vector<StopNode> &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].text != b[i].text || !sameNodes(a[i].children, b[i].children))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    const RouteStreamReadResult first = readRouteStream(QByteArrayView(data, qsizetype(size)));
    if (!first.ok)
        return 0;
    const QByteArray written = writeRouteStream(first.tree);
    const RouteStreamReadResult second = readRouteStream(written);
    if (!second.ok || !sameNodes(first.tree.roots, second.tree.roots) || writeRouteStream(second.tree) != written)
        std::abort();
    return 0;
}
