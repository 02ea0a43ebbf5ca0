#pragma once

#include <QByteArrayView>
#include <QtGlobal>

namespace tirvela {

// The first line feed or quote in [at, stop); `stop` when there is none.
const char *findFeedOrQuote(const char *at, const char *stop);

// The end of a run of lines that each begin with `head` and hold no quote.
struct HeadRun
{
    const char *end = nullptr; // the start of the first line not passed over
    qint64 lines = 0;          // lines passed over
    bool open = false;         // the line at `end` runs past the bytes given and may still belong to the run
};

// Passes over the lines in [at, stop) that begin with `head` (a first field and its comma) and
// hold no quote; `at` is the start of a line. Looks at every byte once, a block at a time.
HeadRun passLinesBeginningWith(const char *at, const char *stop, QByteArrayView head);

} // namespace tirvela
