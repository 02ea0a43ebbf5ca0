// Board images come from project files: any 1728 bytes must rebuild without leaving the image,
// and what a rebuild restores must survive being stored and rebuilt again.
#include "project/boardcontent.h"
#include "project/boardimage.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

using namespace tirvela;

namespace {

bool sameContent(const BoardRouteEntry &a, const BoardRouteEntry &b)
{
    if (a.routeNumberText != b.routeNumberText || a.elements.size() != b.elements.size())
        return false;
    for (size_t i = 0; i < a.elements.size(); ++i) {
        const DisplayElement &x = a.elements[i];
        const DisplayElement &y = b.elements[i];
        if (x.font != y.font || x.x != y.x || x.y != y.y || x.text != y.text || x.width != y.width)
            return false;
    }
    return a.picture.bits == b.picture.bits;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    auto project = std::make_unique<Project>();
    BoardImage &image = project->boards[0].image;
    image.fill(0xFF);
    std::copy_n(data, std::min(size, image.size()), image.begin());
    rebuildBoardContent(*project);

    const auto &routes = project->boards[0].routes;
    project->routeCount = int(std::find_if(routes.begin(), routes.end(),
                                           [](const BoardRouteEntry &e) { return e.routeNumberText.isEmpty(); })
                              - routes.begin());
    auto again = std::make_unique<Project>();
    if (!buildBoardImage(*project, 0, again->boards[0].image).fits)
        return 0;
    finaliseBoardImage(again->boards[0].image);
    rebuildBoardContent(*again);
    for (int route = 0; route < MaxRoutes; ++route) {
        if (!sameContent(routes[route], again->boards[0].routes[route]))
            std::abort();
    }
    return 0;
}
