#include "cli/cliio.h"

#include <cstdio>

namespace tirvela::cli {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

} // namespace tirvela::cli
