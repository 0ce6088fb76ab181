#include "search/find_engine.h"

#include "search/find_regex.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <emmintrin.h>
#endif

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <type_traits>
#include <vector>

namespace {

// ---- plain search ---------------------------------------------------------------------

uint64_t gPlainSteps = 0;

struct ForwardBytes {
    const unsigned char* t;
    int64_t n;
    unsigned char operator[](int64_t i) const { return t[i]; }
};

// The text read from its end, so that a backward search is a forward one of the reversed
// find text.
struct ReverseBytes {
    const unsigned char* t;
    int64_t n;
    unsigned char operator[](int64_t i) const { return t[n - 1 - i]; }
};

// A find text prepared for one direction: Horspool's skip table for the common case, and
// the border table of Knuth-Morris-Pratt, built on first need, for texts that make the
// skip loop compare too much (long find texts with repeated bytes).
struct PlainPattern {
    std::vector<unsigned char> needle; // folded, in scan order
    unsigned char fold[256];
    int32_t shift[256];
    std::vector<int32_t> border;

    PlainPattern(const std::string& findText, bool matchCase, bool reverse)
    {
        for (int c = 0; c < 256; ++c)
            fold[c] = (unsigned char)(!matchCase && c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
        int32_t m = (int32_t)findText.size();
        needle.resize((size_t)m);
        for (int32_t i = 0; i < m; ++i) {
            unsigned char c = (unsigned char)findText[(size_t)(reverse ? m - 1 - i : i)];
            needle[(size_t)i] = fold[c];
        }
        int32_t byFolded[256];
        for (int c = 0; c < 256; ++c)
            byFolded[c] = m;
        for (int32_t i = 0; i + 1 < m; ++i)
            byFolded[needle[(size_t)i]] = m - 1 - i;
        for (int c = 0; c < 256; ++c)
            shift[c] = byFolded[fold[c]];
    }

    int32_t Length() const { return (int32_t)needle.size(); }

    void BuildBorder()
    {
        int32_t m = Length();
        border.assign((size_t)m + 1, 0);
        border[0] = -1;
        int32_t k = -1;
        for (int32_t i = 0; i < m; ++i) {
            while (k >= 0 && needle[(size_t)k] != needle[(size_t)i])
                k = border[(size_t)k];
            ++k;
            border[(size_t)i + 1] = k;
        }
    }

    template <class Bytes>
    int64_t Linear(const Bytes& t, int64_t n, int64_t from)
    {
        if (border.empty())
            BuildBorder();
        int32_t m = Length();
        int32_t k = 0;
        uint64_t steps = 0;
        int64_t hit = -1;
        for (int64_t i = from; i < n; ++i) {
            unsigned char c = fold[t[i]];
            while (k >= 0 && needle[(size_t)k] != c) {
                k = border[(size_t)k];
                ++steps;
            }
            if (++k == m) {
                hit = i - m + 1;
                break;
            }
        }
        gPlainSteps += steps + (uint64_t)((hit < 0 ? n : hit + m) - from);
        return hit;
    }

    // The first occurrence at or after from, else -1.
    template <class Bytes>
    int64_t Scan(const Bytes& t, int64_t n, int64_t from)
    {
        int32_t m = Length();
        const unsigned char last = needle[(size_t)m - 1];
        int64_t pos = from;
        int64_t compared = 0;
        int64_t hit = -1;
        bool handOver = false;
        for (; pos <= n - m; pos += shift[t[pos + m - 1]]) {
            if (fold[t[pos + m - 1]] != last)
                continue;
            int32_t i = 0;
            while (i < m - 1 && fold[t[pos + i]] == needle[(size_t)i])
                ++i;
            if (i == m - 1) {
                hit = pos;
                break;
            }
            compared += i + 1;
            if (compared > 4 * (pos - from) + 1024) {
                handOver = true;
                break;
            }
        }
        gPlainSteps += (uint64_t)(pos - from + compared);
        return handOver ? Linear(t, n, pos) : hit;
    }
};

// Compares a candidate whose first and last bytes already match.
bool MatchesAt(const PlainPattern& p, const unsigned char* t, int64_t at, int64_t* compared)
{
    const int32_t m = p.Length();
    int32_t i = 1;
    while (i < m - 1 && p.fold[t[at + i]] == p.needle[(size_t)i])
        ++i;
    *compared += i;
    return i >= m - 1;
}

// With case folding a lower-case letter also takes its capital: x | 0x20 equals a
// lower-case letter only for that letter and its capital.
unsigned char CaseBit(const PlainPattern& p, unsigned char c)
{
    return p.fold['A'] != 'A' && c >= 'a' && c <= 'z' ? 0x20 : 0;
}

// Forward search, many positions at a time: a position is a candidate when its byte equals
// the find text's first byte and the byte m - 1 further on its last; candidates are then
// compared in full. Far too many comparisons (find texts of repeated bytes) hand the rest
// of the scan to the linear search. Each block scanner returns a hit, kHandOver with *pos
// at the candidate where the linear search takes over, or -1 with *pos after its blocks.
constexpr int64_t kHandOver = -2;

template <class Mask>
int LowestBit(Mask mask)
{
    return sizeof(Mask) == 8 ? __builtin_ctzll((unsigned long long)mask) : __builtin_ctz((unsigned)mask);
}

// Compares the candidates of one block, lowest first: bit k * bitsPerPosition of mask
// marks the position blockStart + k. -1 when none matched and the scan goes on.
template <int bitsPerPosition, class Mask>
int64_t CompareCandidates(const PlainPattern& p, const unsigned char* t, int64_t blockStart, Mask mask,
                          int64_t from, int64_t* pos, int64_t* compared)
{
    while (mask) {
        int64_t at = blockStart + LowestBit(mask) / bitsPerPosition;
        mask &= mask - 1;
        if (MatchesAt(p, t, at, compared))
            return at;
        if (*compared > 4 * (at - from) + 1024) {
            *pos = at;
            return kHandOver;
        }
    }
    return -1;
}

#if defined(__i386__) || defined(__x86_64__)
// Sixteen positions a step, for processors with SSE2: looked up at run time, since the
// 32-bit program also runs on processors without it.
bool HaveSse2()
{
#if defined(__x86_64__)
    return true;
#else
    static const bool have = [] {
        unsigned a = 0, b = 0, c = 0, d = 0;
        return __get_cpuid(1, &a, &b, &c, &d) && (d & bit_SSE2) != 0;
    }();
    return have;
#endif
}

__attribute__((target("sse2"))) int64_t ScanBlocksSse2(const PlainPattern& p, const unsigned char* t,
                                                       int64_t n, int64_t from, int64_t* pos,
                                                       int64_t* compared)
{
    const int32_t m = p.Length();
    const unsigned char first = p.needle[0], last = p.needle[(size_t)m - 1];
    const __m128i firstBytes = _mm_set1_epi8((char)first), lastBytes = _mm_set1_epi8((char)last);
    const __m128i firstCase = _mm_set1_epi8((char)CaseBit(p, first));
    const __m128i lastCase = _mm_set1_epi8((char)CaseBit(p, last));
    // Pointers rather than 64-bit offsets: the 32-bit build has few registers.
    const unsigned char* block = t + *pos;
    const ptrdiff_t lastBlock = (ptrdiff_t)(n - m) - 15;
    for (; block - t <= lastBlock; block += 16) {
        __m128i a = _mm_or_si128(_mm_loadu_si128((const __m128i*)block), firstCase);
        __m128i b = _mm_or_si128(_mm_loadu_si128((const __m128i*)(block + m - 1)), lastCase);
        uint32_t mask = (uint32_t)_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(a, firstBytes), _mm_cmpeq_epi8(b, lastBytes)));
        if (mask) {
            int64_t hit = CompareCandidates<1>(p, t, block - t, mask, from, pos, compared);
            if (hit != -1)
                return hit;
        }
    }
    *pos = block - t;
    return -1;
}
#endif

// A machine word of positions a step, without SIMD instructions.
using Word = std::conditional<sizeof(void*) == 8, uint64_t, uint32_t>::type;
constexpr Word kOnes = (Word) ~(Word)0 / 0xFF; // 0x01 in every byte
constexpr Word kLow7 = kOnes * 0x7F;

Word LoadWord(const unsigned char* p)
{
    Word w;
    memcpy(&w, p, sizeof w);
    return w;
}

// 0x80 in each byte of x that is zero, nothing elsewhere (exact, no carries between bytes).
Word ZeroBytes(Word x)
{
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

int64_t ScanBlocksWords(const PlainPattern& p, const unsigned char* t, int64_t n, int64_t from, int64_t* pos,
                        int64_t* compared)
{
    const int32_t m = p.Length();
    const unsigned char first = p.needle[0], last = p.needle[(size_t)m - 1];
    const Word firstBytes = kOnes * first, lastBytes = kOnes * last;
    const Word firstCase = kOnes * CaseBit(p, first), lastCase = kOnes * CaseBit(p, last);
    const unsigned char* block = t + *pos;
    const ptrdiff_t lastBlock = (ptrdiff_t)(n - m) - (ptrdiff_t)(sizeof(Word) - 1);
    for (; block - t <= lastBlock; block += sizeof(Word)) {
        Word a = LoadWord(block) | firstCase;
        Word b = LoadWord(block + m - 1) | lastCase;
        Word mask = ZeroBytes(a ^ firstBytes) & ZeroBytes(b ^ lastBytes);
        if (mask) {
            int64_t hit = CompareCandidates<8>(p, t, block - t, mask, from, pos, compared);
            if (hit != -1)
                return hit;
        }
    }
    *pos = block - t;
    return -1;
}

int64_t ScanForward(PlainPattern& p, const unsigned char* t, int64_t n, int64_t from)
{
    const int32_t m = p.Length();
    int64_t pos = from, compared = 0, hit = -1;
#if defined(__i386__) || defined(__x86_64__)
    if (HaveSse2())
        hit = ScanBlocksSse2(p, t, n, from, &pos, &compared);
#endif
    if (hit == -1)
        hit = ScanBlocksWords(p, t, n, from, &pos, &compared);
    if (hit == -1) {
        const unsigned char first = p.needle[0], last = p.needle[(size_t)m - 1];
        for (; pos <= n - m && hit == -1; ++pos)
            if (p.fold[t[pos]] == first && p.fold[t[pos + m - 1]] == last && MatchesAt(p, t, pos, &compared))
                hit = pos;
    }
    gPlainSteps += (uint64_t)((hit >= 0 ? hit : pos) - from + compared);
    return hit == kHandOver ? p.Linear(ForwardBytes{t, n}, n, pos) : hit;
}

// Whether a position lies between two characters of a double-byte code page. A byte that
// is no lead byte always ends a character, so the lead bytes just before a position pair
// up from there: an odd count means the position splits a character. The last run walked
// is remembered, so that a scan in either direction stays linear.
struct CharBoundaries {
    const unsigned char* t;
    int64_t n;
    FindLeadByteTest isLead;
    int64_t runStart = 0; // a character start; the bytes up to runEnd are lead bytes
    int64_t runEnd = 0;

    bool At(int64_t p)
    {
        if (!isLead || p <= 0 || p >= n)
            return true;
        if (p >= runStart && p <= runEnd)
            return ((p - runStart) & 1) == 0;
        int64_t q = p;
        for (;;) {
            if (q == runEnd) {
                q = runStart;
                break;
            }
            if (q == 0 || !isLead(t[q - 1]))
                break;
            --q;
        }
        runStart = q;
        runEnd = p;
        return ((p - q) & 1) == 0;
    }

    bool Whole(int64_t begin, int64_t end) { return At(begin) && At(end); }
};

// Repeated forward searches over one text with one prepared find text.
struct PlainForward {
    const char* text;
    int64_t length;
    PlainPattern pattern;
    CharBoundaries boundaries;

    PlainForward(const char* t, int64_t n, const FindOptions& o)
        : text(t), length(n),
          pattern(o.findText, o.matchCase, false), boundaries{(const unsigned char*)t, n, o.isLeadByte}
    {
    }

    int64_t Next(int64_t from)
    {
        int32_t m = pattern.Length();
        while (from + m <= length) {
            int64_t hit = ScanForward(pattern, (const unsigned char*)text, length, from);
            if (hit < 0 || boundaries.Whole(hit, hit + m))
                return hit;
            from = hit + 1;
        }
        return -1;
    }
};

// ---- regular expressions --------------------------------------------------------------

FindRegex Compile(const FindOptions& o)
{
    // ECMAScript without multi-line mode: "^" and "$" only at the ends of the range
    // searched, and "." stops at line breaks.
    auto flags = boost::regex_constants::ECMAScript | boost::regex_constants::no_mod_m |
                 boost::regex_constants::no_mod_s;
    if (!o.matchCase)
        flags |= boost::regex_constants::icase;
    return FindRegex(o.findText.data(), o.findText.data() + o.findText.size(), flags);
}

// The library's left-to-right iteration over [begin, end), with "^", \b and \B taking begin
// as the start of the input: each search continues at the end of the previous match, and
// after an empty match first looks for a non-empty one at the same place. Matches that
// split a double-byte character are passed over.
struct RegexWalker {
    const FindRegex& re;
    const char* text; // where the character boundaries are counted from
    const char* begin;
    const char* end;
    CharBoundaries boundaries;
    const char* next;
    bool afterEmpty = false;
    bool done = false;

    RegexWalker(const FindRegex& r, const char* t, const char* b, const char* e, FindLeadByteTest isLead)
        : re(r), text(t), begin(b), end(e), boundaries{(const unsigned char*)t, e - t, isLead}, next(b)
    {
    }

    bool Search(const char* from, FindMatch& m, boost::regex_constants::match_flag_type extra)
    {
        auto flags = boost::regex_constants::match_default | extra;
        if (from != begin)
            flags |= boost::regex_constants::match_prev_avail;
        return boost::regex_search(from, end, m, re, flags, begin);
    }

    bool Aligned(const FindMatch& m) { return boundaries.Whole(m[0].first - text, m[0].second - text); }

    bool Next(FindMatch& m)
    {
        if (done)
            return false;
        const char* from = next;
        if (afterEmpty) {
            if (from == end) {
                done = true;
                return false;
            }
            auto strict = boost::regex_constants::match_not_null | boost::regex_constants::match_continuous;
            if (Search(from, m, strict) && Aligned(m))
                return Took(m);
            ++from;
        }
        while (Search(from, m, boost::regex_constants::match_default)) {
            if (Aligned(m))
                return Took(m);
            if (m[0].first == end)
                break;
            from = m[0].first + 1;
        }
        done = true;
        return false;
    }

    bool Took(const FindMatch& m)
    {
        next = m[0].second;
        afterEmpty = m[0].first == m[0].second;
        return true;
    }
};

void AppendGroup(std::string& out, const FindMatch& m, int group)
{
    if (group < (int)m.size() && m[group].matched)
        out.append(m[group].first, m[group].second);
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The dollar-sign template rules of ECMAScript: "$$", "$&", "$`" (from prefixBegin to the
// match), "$'" (from the match to end), "$n" and "$nn". Two digits name a group when that
// group exists ("$0n" always names group n), else the first digit alone does; groups that
// do not exist or did not take part give nothing.
void AppendFormatted(std::string& out, const std::string& tmpl, const FindMatch& m, const char* prefixBegin,
                     const char* end)
{
    size_t size = tmpl.size();
    for (size_t i = 0; i < size; ++i) {
        char c = tmpl[i];
        if (c != '$' || i + 1 == size) {
            out += c;
            continue;
        }
        char d = tmpl[i + 1];
        if (d == '$') {
            out += '$';
        } else if (d == '&') {
            out.append(m[0].first, m[0].second);
        } else if (d == '`') {
            out.append(prefixBegin, m[0].first);
        } else if (d == '\'') {
            out.append(m[0].second, end);
        } else if (IsDigit(d)) {
            if (i + 2 < size && IsDigit(tmpl[i + 2])) {
                int two = (d - '0') * 10 + (tmpl[i + 2] - '0');
                if (two >= 1 && (d == '0' || two < (int)m.size())) {
                    AppendGroup(out, m, two);
                    i += 2;
                    continue;
                }
            }
            if (d == '0') {
                out += '$';
                continue;
            }
            AppendGroup(out, m, d - '0');
        } else {
            out += '$';
            continue;
        }
        ++i;
    }
}

const char* kNoMemory = "Not enough memory";

// ---- find -----------------------------------------------------------------------------

FindHit Hit(int64_t position, int64_t length)
{
    FindHit h;
    h.outcome = FindOutcome::Found;
    h.position = (int32_t)position;
    h.length = (int32_t)length;
    return h;
}

FindHit Failure(const char* description)
{
    FindHit h;
    h.outcome = FindOutcome::Failed;
    h.error = description;
    return h;
}

FindHit RegexFind(const std::string& text, int32_t selStart, int32_t selEnd, bool forward,
                  const FindOptions& o)
{
    FindRegex re = Compile(o);
    const char* base = text.data();
    const char* end = base + text.size();
    int64_t n = (int64_t)text.size();
    FindMatch m;
    if (forward) {
        int64_t start = selEnd < n ? selEnd : n;
        if (start < n) {
            // The rest of the text as a text of its own.
            RegexWalker rest(re, base, base + start, end, o.isLeadByte);
            if (rest.Next(m))
                return Hit(m[0].first - base, m[0].length());
        }
        if (o.wrapAround && start != 0) {
            RegexWalker all(re, base, base, end, o.isLeadByte);
            if (all.Next(m) && m[0].first - base < start)
                return Hit(m[0].first - base, m[0].length());
        }
        return FindHit();
    }
    RegexWalker all(re, base, base, end, o.isLeadByte);
    int64_t before = -1, beforeLength = 0, last = -1, lastLength = 0;
    while (all.Next(m)) {
        int64_t at = m[0].first - base;
        if (at < selStart) {
            before = at;
            beforeLength = m[0].length();
            continue;
        }
        // Past the selection only the last match of the text can still matter.
        if (before >= 0 || !o.wrapAround)
            break;
        last = at;
        lastLength = m[0].length();
    }
    if (before >= 0)
        return Hit(before, beforeLength);
    if (o.wrapAround && last >= 0)
        return Hit(last, lastLength);
    return FindHit();
}

FindHit PlainFind(const std::string& text, int32_t selStart, int32_t selEnd, bool forward,
                  const FindOptions& o)
{
    const char* t = text.data();
    int32_t n = (int32_t)text.size();
    int32_t hit = -1;
    if (forward) {
        if (selEnd < n)
            hit = FindTextForward(t, n, selEnd, o);
        if (hit < 0 && o.wrapAround && selEnd != 0)
            hit = FindTextForward(t, n, 0, o);
    } else {
        if (selStart != 0)
            hit = FindTextBackward(t, n, selStart, o);
        if (hit < 0 && o.wrapAround)
            hit = FindTextBackward(t, n, n + 1, o);
    }
    if (hit < 0)
        return FindHit();
    return Hit(hit, (int64_t)o.findText.size());
}

} // namespace

uint64_t PlainSearchSteps()
{
    return gPlainSteps;
}

int32_t FindTextForward(const char* text, int32_t length, int32_t start, const FindOptions& options)
{
    int64_t m = (int64_t)options.findText.size();
    if (start < 0)
        start = 0;
    if (length <= 0 || m == 0 || start >= length || start + m > length)
        return -1;
    PlainForward search(text, length, options);
    return (int32_t)search.Next(start);
}

int32_t FindTextBackward(const char* text, int32_t length, int32_t start, const FindOptions& options)
{
    int64_t m = (int64_t)options.findText.size();
    if (length <= 0 || m == 0 || start <= 0 || m > length)
        return -1;
    // In the reversed text the occurrence at p begins at length - p - m.
    int64_t highest = (int64_t)start - 1 < length - m ? (int64_t)start - 1 : length - m;
    int64_t from = length - m - highest;
    PlainPattern pattern(options.findText, options.matchCase, true);
    ReverseBytes bytes{(const unsigned char*)text, length};
    CharBoundaries boundaries{(const unsigned char*)text, length, options.isLeadByte};
    while (from + m <= length) {
        int64_t q = pattern.Scan(bytes, length, from);
        if (q < 0)
            return -1;
        int64_t p = length - q - m;
        if (boundaries.Whole(p, p + m))
            return (int32_t)p;
        from = q + 1;
    }
    return -1;
}

namespace {

// An empty find text or an empty document leaves every search with nothing to do.
bool NothingToSearch(const std::string& text, const FindOptions& options, FindOutcome* outcome)
{
    if (options.findText.empty())
        *outcome = FindOutcome::EmptyFindText;
    else if (text.empty())
        *outcome = FindOutcome::EmptyDocument;
    else
        return false;
    return true;
}

} // namespace

FindHit FindInText(const std::string& text, int32_t selStart, int32_t selEnd, bool forward,
                   const FindOptions& options)
{
    FindHit empty;
    if (NothingToSearch(text, options, &empty.outcome))
        return empty;
    if (selStart > selEnd)
        std::swap(selStart, selEnd);
    if (selStart < 0)
        selStart = 0;
    if (selEnd < 0)
        selEnd = 0;
    if (!options.regex)
        return PlainFind(text, selStart, selEnd, forward, options);
    try {
        return RegexFind(text, selStart, selEnd, forward, options);
    } catch (const std::bad_alloc&) {
        return Failure(kNoMemory);
    } catch (const std::exception& e) {
        return Failure(e.what());
    }
}

CountResult CountInText(const std::string& text, const FindOptions& options)
{
    CountResult r;
    if (NothingToSearch(text, options, &r.outcome))
        return r;
    r.outcome = FindOutcome::Found;
    if (!options.regex) {
        PlainForward search(text.data(), (int64_t)text.size(), options);
        int64_t m = (int64_t)options.findText.size();
        for (int64_t p = 0; p < (int64_t)text.size();) {
            int64_t hit = search.Next(p);
            if (hit < 0)
                break;
            ++r.count;
            p = hit + m;
        }
        return r;
    }
    try {
        FindRegex re = Compile(options);
        RegexWalker all(re, text.data(), text.data(), text.data() + text.size(), options.isLeadByte);
        FindMatch m;
        while (all.Next(m))
            ++r.count;
    } catch (const std::bad_alloc&) {
        r = CountResult();
        r.outcome = FindOutcome::Failed;
        r.error = kNoMemory;
    } catch (const std::exception& e) {
        r = CountResult();
        r.outcome = FindOutcome::Failed;
        r.error = e.what();
    }
    return r;
}

namespace {

void PlainReplaceAll(const std::string& text, const FindOptions& o, ReplaceAllResult& r)
{
    PlainForward search(text.data(), (int64_t)text.size(), o);
    int64_t n = (int64_t)text.size();
    int64_t m = (int64_t)o.findText.size();
    int64_t p = 0;
    while (p < n) {
        int64_t hit = search.Next(p);
        if (hit < 0)
            break;
        if (r.count == 0)
            r.text.reserve(text.size() + (o.replaceText.size() > o.findText.size() ? text.size() / 8 : 0));
        r.text.append(text, (size_t)p, (size_t)(hit - p));
        r.text += o.replaceText;
        ++r.count;
        p = hit + m;
    }
    if (r.count)
        r.text.append(text, (size_t)p, std::string::npos);
}

void RegexReplaceAll(const std::string& text, const FindOptions& o, ReplaceAllResult& r)
{
    FindRegex re = Compile(o);
    std::string tmpl = ReplacementToRegexFormat(o.replaceText);
    const char* base = text.data();
    const char* end = base + text.size();
    RegexWalker all(re, base, base, end, o.isLeadByte);
    FindMatch m;
    const char* copied = base;
    while (all.Next(m)) {
        if (r.count == 0)
            r.text.reserve(text.size() + text.size() / 8);
        r.text.append(copied, m[0].first);
        AppendFormatted(r.text, tmpl, m, copied, end);
        copied = m[0].second;
        ++r.count;
    }
    if (r.count)
        r.text.append(copied, end);
}

} // namespace

ReplaceAllResult ReplaceAllInText(const std::string& text, const FindOptions& options)
{
    ReplaceAllResult r;
    if (NothingToSearch(text, options, &r.outcome))
        return r;
    try {
        if (options.regex)
            RegexReplaceAll(text, options, r);
        else
            PlainReplaceAll(text, options, r);
    } catch (const std::bad_alloc&) {
        r = ReplaceAllResult();
        r.outcome = FindOutcome::Failed;
        r.error = kNoMemory;
        return r;
    } catch (const std::exception& e) {
        r = ReplaceAllResult();
        r.outcome = FindOutcome::Failed;
        r.error = e.what();
        return r;
    }
    if (r.count == 0) {
        r.text.clear();
        r.text.shrink_to_fit();
    }
    r.outcome = r.count ? FindOutcome::Found : FindOutcome::NotFound;
    return r;
}

bool ReplacementForSelection(const std::string& selected, const FindOptions& options,
                             std::string* replacement, std::string* error)
{
    error->clear();
    if (selected.empty() || options.findText.empty())
        return false;
    if (!options.regex) {
        if (selected.size() != options.findText.size())
            return false;
        PlainPattern pattern(options.findText, options.matchCase, false);
        ForwardBytes bytes{(const unsigned char*)selected.data(), (int64_t)selected.size()};
        if (pattern.Scan(bytes, (int64_t)selected.size(), 0) != 0)
            return false;
        *replacement = options.replaceText;
        return true;
    }
    try {
        FindRegex re = Compile(options);
        FindMatch m;
        const char* b = selected.data();
        const char* e = b + selected.size();
        if (!boost::regex_match(b, e, m, re))
            return false;
        std::string out;
        AppendFormatted(out, ReplacementToRegexFormat(options.replaceText), m, b, e);
        *replacement = out;
        return true;
    } catch (const std::bad_alloc&) {
        *error = kNoMemory;
    } catch (const std::exception& e) {
        *error = e.what();
    }
    return false;
}

std::string ReplacementToRegexFormat(const std::string& replaceText)
{
    std::string out;
    size_t n = replaceText.size();
    for (size_t i = 0; i < n; ++i) {
        char c = replaceText[i];
        if (c == '$' && i + 1 < n) {
            char d = replaceText[i + 1];
            if (d == '0') {
                out += "$&";
                ++i;
                continue;
            }
            if (d == '$') {
                out += "$$";
                ++i;
                continue;
            }
            if (d == '\\') {
                // A typed dollar sign before an escape is a literal one: written alone it
                // would join the "$" that the escape may produce ("$\1" is not "$$1").
                out += "$$";
                continue;
            }
        }
        if (c != '\\' || i + 1 == n) {
            out += c;
            continue;
        }
        char d = replaceText[++i];
        switch (d) {
        case '\\':
            out += '\\';
            break;
        case '$':
            out += "$$";
            break;
        case '&':
        case '0':
            out += "$&";
            break;
        case 'n':
            out += "\r\n";
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        default:
            if (d >= '1' && d <= '9') {
                // "$10" would be read as group 10: "$01" keeps it group 1.
                out += (i + 1 < n && IsDigit(replaceText[i + 1])) ? "$0" : "$";
                out += d;
            } else {
                out += '\\';
                --i;
            }
        }
    }
    return out;
}

std::string FoundAtText(int32_t line, int32_t column)
{
    char buffer[64];
    snprintf(buffer, sizeof buffer, "Found at line %d, col %d", (int)line, (int)column);
    return buffer;
}

std::string CountText(uint32_t count)
{
    char buffer[48];
    snprintf(buffer, sizeof buffer, "Count: %u matches", (unsigned)count);
    return buffer;
}

std::string ReplacedText(uint32_t count)
{
    char buffer[48];
    snprintf(buffer, sizeof buffer, "Replaced %u occurrences", (unsigned)count);
    return buffer;
}

std::string RegexErrorText(const std::string& description)
{
    char buffer[256];
    snprintf(buffer, sizeof buffer, "Regex error: %.200s", description.c_str());
    return buffer;
}
