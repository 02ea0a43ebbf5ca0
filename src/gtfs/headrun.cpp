#include "gtfs/headrun.h"

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
inline quint64 maskOf(__m128i bytes, __m128i wanted)
{
    return quint32(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted)));
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
    return {maskOf(a, feed) | maskOf(b, feed) << 16 | maskOf(c, feed) << 32 | maskOf(d, feed) << 48,
            maskOf(a, quote) | maskOf(b, quote) << 16 | maskOf(c, quote) << 32 | maskOf(d, quote) << 48};
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

// Tells whether a line begins with the head; the line must hold more bytes than the head.
class HeadMatch
{
public:
    explicit HeadMatch(QByteArrayView head) : mHead{head}
    {
#ifdef TIRVELA_SSE2
        if (head.size() <= 16) {
            char padded[16] = {};
            std::memcpy(padded, head.data(), size_t(head.size()));
            mVector = _mm_loadu_si128(reinterpret_cast<const __m128i *>(padded));
            mVectorMask = (1u << head.size()) - 1;
        }
#endif
    }

    bool operator()(const char *line, const char *stop) const
    {
#ifdef TIRVELA_SSE2
        if (mVectorMask && stop - line >= 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(line));
            return (quint32(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, mVector))) & mVectorMask) == mVectorMask;
        }
#endif
        return std::memcmp(line, mHead.data(), size_t(mHead.size())) == 0;
    }

private:
    QByteArrayView mHead;
#ifdef TIRVELA_SSE2
    __m128i mVector{};
    quint32 mVectorMask = 0;
#endif
};

} // namespace

HeadRun passLinesBeginningWith(const char *at, const char *stop, QByteArrayView head)
{
    const HeadMatch beginsWithHead(head);
    const qsizetype headSize = head.size();
    const char *line = at;
    qint64 lines = 0;
    const char *block = at;
    Marks marks = blockMarks(block, stop);
    // A line that begins with the head holds more than the head: its line feed at least.
    while (stop - line > headSize && beginsWithHead(line, stop)) {
        while ((marks.feeds | marks.quotes) == 0) {
            block += kBlockBytes;
            if (block >= stop)
                return {line, lines, true};
            marks = blockMarks(block, stop);
        }
        const int feed = marks.feeds ? std::countr_zero(marks.feeds) : kBlockBytes;
        if (marks.quotes && std::countr_zero(marks.quotes) < feed)
            return {line, lines, false}; // the line holds a quote
        marks.feeds &= marks.feeds - 1;
        line = block + feed + 1;
        ++lines;
    }
    const bool open = stop - line <= headSize && std::memcmp(line, head.data(), size_t(stop - line)) == 0;
    return {line, lines, open};
}

} // namespace tirvela
