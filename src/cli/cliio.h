#pragma once

#include <QTextStream>

namespace tirvela::cli {

// Standard output and standard error of the command-line tool, UTF-8.
QTextStream &out();
QTextStream &err();

} // namespace tirvela::cli
