#include "gtfs/linescan.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#define TIRVELA_SSE2 1
#include <emmintrin.h>
#endif

namespace tirvela {

namespace {

constexpr int kBlockBytes = 64;

// Bit i set: byte i of a block is a line feed, or a quote.
struct Marks
{
    quint64 feeds = 0;
    quint64 quotes = 0;
};

#ifdef TIRVELA_SSE2
inline quint64 maskOf(__m128i equal)
{
    return quint32(_mm_movemask_epi8(equal));
}

inline Marks marksOf(const char *block)
{
    const auto *at = reinterpret_cast<const __m128i *>(block);
    const __m128i a = _mm_loadu_si128(at);
    const __m128i b = _mm_loadu_si128(at + 1);
    const __m128i c = _mm_loadu_si128(at + 2);
    const __m128i d = _mm_loadu_si128(at + 3);
    const __m128i feed = _mm_set1_epi8('\n');
    const __m128i quote = _mm_set1_epi8('"');
    Marks marks;
    marks.feeds = maskOf(_mm_cmpeq_epi8(a, feed)) | maskOf(_mm_cmpeq_epi8(b, feed)) << 16
                  | maskOf(_mm_cmpeq_epi8(c, feed)) << 32 | maskOf(_mm_cmpeq_epi8(d, feed)) << 48;
    // Feeds seldom hold quotes: where they show in none of the four parts, their places are not needed.
    const __m128i qa = _mm_cmpeq_epi8(a, quote);
    const __m128i qb = _mm_cmpeq_epi8(b, quote);
    const __m128i qc = _mm_cmpeq_epi8(c, quote);
    const __m128i qd = _mm_cmpeq_epi8(d, quote);
    if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(qa, qb), _mm_or_si128(qc, qd))))
        marks.quotes = maskOf(qa) | maskOf(qb) << 16 | maskOf(qc) << 32 | maskOf(qd) << 48;
    return marks;
}
#else
inline Marks marksOf(const char *block)
{
    Marks marks;
    for (int at = 0; at < kBlockBytes; ++at) {
        marks.feeds |= quint64(block[at] == '\n') << at;
        marks.quotes |= quint64(block[at] == '"') << at;
    }
    return marks;
}
#endif

// The last block, cut at `stop`: past it the bytes read as neither line feeds nor quotes.
Marks tailMarks(const char *block, const char *stop)
{
    char tail[kBlockBytes] = {};
    std::memcpy(tail, block, size_t(stop - block));
    return marksOf(tail);
}

inline Marks blockMarks(const char *block, const char *stop)
{
    return stop - block >= kBlockBytes ? marksOf(block) : tailMarks(block, stop);
}

// Tells whether a line begins with the head.
class HeadMatch
{
public:
    // Heads up to this size are compared a vector at a time.
    static constexpr qsizetype WideBytes = 32;

    explicit HeadMatch(QByteArrayView head) : mHead{head}
    {
#ifdef TIRVELA_SSE2
        if (head.size() <= WideBytes) {
            char padded[WideBytes] = {};
            std::memcpy(padded, head.data(), size_t(head.size()));
            const auto *halves = reinterpret_cast<const __m128i *>(padded);
            mVectors[0] = _mm_loadu_si128(halves);
            mVectors[1] = _mm_loadu_si128(halves + 1);
            mMask = head.size() == WideBytes ? ~quint32(0) : (quint32(1) << head.size()) - 1;
        }
#endif
    }

    // Whether lines may be checked by wide(): the head is short enough.
    bool isWide() const { return mMask != 0; }

    // The line must hold WideBytes bytes.
    bool wide(const char *line) const
    {
#ifdef TIRVELA_SSE2
        const auto *halves = reinterpret_cast<const __m128i *>(line);
        quint32 equal = quint32(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(halves), mVectors[0])));
        if (mHead.size() > 16)
            equal |= quint32(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(halves + 1), mVectors[1]))) << 16;
        return (equal & mMask) == mMask;
#else
        return (*this)(line);
#endif
    }

    // The line must hold the head's size of bytes.
    bool operator()(const char *line) const { return std::memcmp(line, mHead.data(), size_t(mHead.size())) == 0; }

private:
    QByteArrayView mHead;
    quint32 mMask = 0;
#ifdef TIRVELA_SSE2
    __m128i mVectors[2]{};
#endif
};

} // namespace

const char *findFeedOrQuote(const char *at, const char *stop)
{
    for (const char *block = at; block < stop; block += kBlockBytes) {
        const Marks marks = blockMarks(block, stop);
        if (const quint64 either = marks.feeds | marks.quotes)
            return block + std::countr_zero(either);
    }
    return stop;
}

HeadRun passLinesBeginningWith(const char *at, const char *stop, QByteArrayView head)
{
    const HeadMatch beginsWithHead(head);
    const qsizetype headSize = head.size();
    // Whether the line at `line` ends the run; sets `open` when the bytes given cannot tell yet.
    // A line that begins with the head holds more than the head: its line feed at least.
    HeadRun run{at, 0, false};
    const auto endsRun = [&](const char *line) {
        run.end = line;
        if (stop - line > headSize)
            return !beginsWithHead(line);
        run.open = std::memcmp(line, head.data(), size_t(stop - line)) == 0;
        return true;
    };
    if (endsRun(at))
        return run;
    // Blocks this far from the end hold no line start closer to it than a wide head check reads.
    const char *wideStop = beginsWithHead.isWide() && stop - at > kBlockBytes + HeadMatch::WideBytes
                               ? stop - kBlockBytes - HeadMatch::WideBytes
                               : at;
    for (const char *block = at; block < stop; block += kBlockBytes) {
        Marks marks = blockMarks(block, stop);
        if (marks.quotes == 0 && block < wideStop) {
            for (quint64 feeds = marks.feeds; feeds; feeds &= feeds - 1) {
                run.end = block + std::countr_zero(feeds) + 1;
                ++run.lines;
                if (!beginsWithHead.wide(run.end))
                    return run;
            }
            continue;
        }
        while (marks.feeds | marks.quotes) {
            const int feed = marks.feeds ? std::countr_zero(marks.feeds) : kBlockBytes;
            if (marks.quotes && std::countr_zero(marks.quotes) < feed)
                return run; // the line holds a quote
            marks.feeds &= marks.feeds - 1;
            ++run.lines;
            if (endsRun(block + feed + 1))
                return run;
        }
    }
    run.open = true;
    return run;
}

} // namespace tirvela
