#include <doctest/doctest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "search/find_engine.h"
#include "tests/unit/test_random.h"

namespace {

// Code page 949 in miniature: 0x81-0xFE lead a character whose trail byte may be an
// ASCII letter.
bool FakeLeadByte(unsigned char b)
{
    return b >= 0x81 && b <= 0xFE;
}

FindOptions Plain(const std::string& find, bool matchCase = false, bool wrap = true)
{
    FindOptions o;
    o.findText = find;
    o.matchCase = matchCase;
    o.wrapAround = wrap;
    return o;
}

FindOptions Regex(const std::string& find, bool matchCase = false, bool wrap = true)
{
    FindOptions o = Plain(find, matchCase, wrap);
    o.regex = true;
    return o;
}

FindOptions WithReplace(FindOptions o, const std::string& replace)
{
    o.replaceText = replace;
    return o;
}

// The plain search as its definition reads, one offset after the other.
bool NaiveBoundary(const std::string& t, int64_t p, FindLeadByteTest lead)
{
    if (!lead || p >= (int64_t)t.size())
        return true;
    int64_t i = 0;
    while (i < p)
        i += lead((unsigned char)t[(size_t)i]) ? 2 : 1;
    return i == p;
}

bool NaiveAt(const std::string& t, int64_t p, const FindOptions& o)
{
    for (size_t i = 0; i < o.findText.size(); ++i) {
        unsigned char a = (unsigned char)t[(size_t)p + i], b = (unsigned char)o.findText[i];
        if (!o.matchCase) {
            a = (unsigned char)(a >= 'A' && a <= 'Z' ? a + 32 : a);
            b = (unsigned char)(b >= 'A' && b <= 'Z' ? b + 32 : b);
        }
        if (a != b)
            return false;
    }
    int64_t m = (int64_t)o.findText.size();
    return NaiveBoundary(t, p, o.isLeadByte) && NaiveBoundary(t, p + m, o.isLeadByte);
}

int32_t NaiveForward(const std::string& t, int32_t start, const FindOptions& o)
{
    int64_t m = (int64_t)o.findText.size();
    if (t.empty() || m == 0 || start >= (int32_t)t.size())
        return -1;
    for (int64_t p = start; p + m <= (int64_t)t.size(); ++p)
        if (NaiveAt(t, p, o))
            return (int32_t)p;
    return -1;
}

int32_t NaiveBackward(const std::string& t, int32_t start, const FindOptions& o)
{
    int64_t m = (int64_t)o.findText.size();
    if (t.empty() || m == 0 || start == 0 || m > (int64_t)t.size())
        return -1;
    for (int64_t p = std::min<int64_t>(start - 1, (int64_t)t.size() - m); p >= 0; --p)
        if (NaiveAt(t, p, o))
            return (int32_t)p;
    return -1;
}

} // namespace

TEST_CASE("plain forward and backward search: bounds, case folding, double-byte characters")
{
    struct Row {
        const char* text;
        const char* find;
        bool matchCase;
        bool dbcs;
        int32_t start;
        int32_t forward;
        int32_t backward;
    };
    // clang-format off
    const Row rows[] = {
        {"abcabc", "abc", false, false, 0, 0, -1},
        {"abcabc", "abc", false, false, 1, 3, 0},
        {"abcabc", "abc", false, false, 4, -1, 3},
        {"abcabc", "abc", false, false, 7, -1, 3},  // the wrap-around call passes length + 1
        {"abcabc", "c", false, false, 6, -1, 5},
        {"xABCx", "abc", false, false, 0, 1, -1},
        {"xABCx", "abc", true, false, 0, -1, -1},
        {"xabcx", "ABC", false, false, 5, -1, 1},
        // Only A-Z fold: an upper-case accented letter does not find its lower-case form.
        {"caf\xE9", "CAF\xC9", false, false, 0, -1, -1},
        {"caf\xC9", "CAF\xC9", false, false, 0, 0, -1},
        {"ab", "abc", false, false, 0, -1, -1},
        {"", "a", false, false, 0, -1, -1},
        {"abc", "", false, false, 0, -1, -1},
        // An ASCII letter as the trail byte of a double-byte character is no match.
        {"\xB0" "a" "a", "a", false, true, 0, 2, 2},
        {"\xB0" "a" "a", "a", false, false, 0, 1, 2},
        {"\xB0" "a" "\xB0" "a", "a", false, true, 0, -1, -1},
        // Nor is a match that ends inside one.
        {"x\xB0" "a", "x\xB0", false, true, 0, -1, -1},
        {"x\xB0" "a", "x\xB0" "a", false, true, 0, 0, -1},
        // Lead bytes pair up from the last single byte: the third 0xB0 leads "a".
        {"z\xB0\xB0\xB0" "a", "a", false, true, 0, -1, -1},
        {"z\xB0\xB0" "a", "a", false, true, 0, 3, 3},
    };
    // clang-format on
    for (const Row& row : rows) {
        std::string text = row.text;
        FindOptions o = Plain(row.find, row.matchCase);
        if (row.dbcs)
            o.isLeadByte = FakeLeadByte;
        CAPTURE(text);
        CAPTURE(row.find);
        CHECK(FindTextForward(text.data(), (int32_t)text.size(), row.start, o) == row.forward);
        int32_t backFrom = row.start == 0 ? (int32_t)text.size() + 1 : row.start;
        CHECK(FindTextBackward(text.data(), (int32_t)text.size(), backFrom, o) ==
              (row.start == 0 ? NaiveBackward(text, backFrom, o) : row.backward));
    }
}

TEST_CASE("plain search agrees with a byte-by-byte search on random texts, with and without lead bytes")
{
    Random random{42};
    const char alphabet[] = {'a', 'A', 'b', '\xB0', '\x81', '\r', '\n', 'a', 'a'};
    for (int round = 0; round < 3000; ++round) {
        std::string text, find;
        int n = random.Below(80), m = 1 + random.Below(round % 50 == 0 ? 30 : 4);
        for (int i = 0; i < n; ++i)
            text += alphabet[random.Below((int)sizeof alphabet)];
        for (int i = 0; i < m; ++i)
            find += alphabet[random.Below((int)sizeof alphabet)];
        FindOptions o = Plain(find, random.Below(2) == 0);
        if (random.Below(2))
            o.isLeadByte = FakeLeadByte;
        int32_t start = random.Below(n + 2);
        CAPTURE(text);
        CAPTURE(find);
        CAPTURE(start);
        REQUIRE(FindTextForward(text.data(), n, start, o) == NaiveForward(text, start, o));
        REQUIRE(FindTextBackward(text.data(), n, start, o) == NaiveBackward(text, start, o));
        uint32_t count = 0;
        for (int32_t p = NaiveForward(text, 0, o); p >= 0; p = NaiveForward(text, p + m, o))
            ++count;
        REQUIRE(CountInText(text, o).count == count);
    }
}

TEST_CASE("a long find text with repeated bytes keeps the plain search linear")
{
    // The skip loop would compare almost the whole find text at every offset: work that
    // grows with the find text's length. Counted in steps, each search stays within a few
    // steps a byte of the text, for a find text of 20,000 bytes as for one of 200.
    std::string text(4 << 20, 'a');
    for (size_t length : {200, 20000}) {
        std::string find = std::string(length, 'a') + "ba";
        std::string haystack = text;
        haystack.replace(haystack.size() - find.size(), find.size(), find);
        FindOptions o = Plain(find, true);
        CAPTURE(length);
        uint64_t before = PlainSearchSteps();
        CHECK(FindTextForward(haystack.data(), (int32_t)haystack.size(), 0, o) ==
              (int32_t)(haystack.size() - find.size()));
        CHECK(CountInText(haystack, o).count == 1);
        o.findText = "ab" + std::string(length, 'a');
        CHECK(FindTextBackward(haystack.data(), (int32_t)haystack.size(), (int32_t)haystack.size() + 1, o) == -1);
        uint64_t steps = PlainSearchSteps() - before;
        CAPTURE(steps);
        CHECK(steps < 3 * 8 * (uint64_t)haystack.size());
    }
}

TEST_CASE("Find Next and Find Previous from the selection, with and without wrap-around")
{
    struct Row {
        const char* text;
        FindOptions options;
        int32_t selStart, selEnd;
        bool forward;
        FindOutcome outcome;
        int32_t position, length;
    };
    // clang-format off
    const Row rows[] = {
        // Plain: from the end with wrap-around the first occurrence, without it nothing.
        {"ab ab", Plain("ab"), 5, 5, true, FindOutcome::Found, 0, 2},
        {"ab ab", Plain("ab", false, false), 5, 5, true, FindOutcome::NotFound, -1, 0},
        // Successive Find Next from a hit's end visit the next occurrence.
        {"ab ab", Plain("ab"), 0, 2, true, FindOutcome::Found, 3, 2},
        {"aaaa", Plain("aa"), 0, 2, true, FindOutcome::Found, 2, 2},
        // From position 0 Find Previous wraps to the last occurrence.
        {"ab ab", Plain("ab"), 0, 0, false, FindOutcome::Found, 3, 2},
        {"ab ab", Plain("ab", false, false), 0, 0, false, FindOutcome::NotFound, -1, 0},
        // Backward accepts an occurrence that overlaps the selection.
        {"aaa", Plain("aa"), 1, 3, false, FindOutcome::Found, 0, 2},
        {"ABC", Plain("abc"), 0, 0, true, FindOutcome::Found, 0, 3},
        {"x", Plain(""), 0, 0, true, FindOutcome::EmptyFindText, -1, 0},
        {"", Plain("a"), 0, 0, true, FindOutcome::EmptyDocument, -1, 0},
        // Forward, "^" matches where the search starts; backward it means the text start.
        {"ab", Regex("^b"), 1, 1, true, FindOutcome::Found, 1, 1},
        {"ab", Regex("^b"), 2, 2, false, FindOutcome::NotFound, -1, 0},
        {"ab", Regex("\\bb"), 1, 1, true, FindOutcome::Found, 1, 1},
        // An empty match at the caret is a hit, and Find Next stays there.
        {"ay", Regex("x*"), 1, 1, true, FindOutcome::Found, 1, 0},
        // Wrap-around takes the text's first match only when it begins before the caret.
        {"b a", Regex("a"), 3, 3, true, FindOutcome::Found, 2, 1},
        {"b a", Regex("b"), 3, 3, true, FindOutcome::Found, 0, 1},
        {"b a", Regex("b", false, false), 3, 3, true, FindOutcome::NotFound, -1, 0},
        // Backward: the last match that begins before the selection start, else the last.
        {"a1 a22 a3", Regex("a\\d+"), 3, 3, false, FindOutcome::Found, 0, 2},
        {"a1 a22 a3", Regex("a\\d+"), 0, 0, false, FindOutcome::Found, 7, 2},
        {"a1 a22 a3", Regex("a\\d+", false, false), 0, 0, false, FindOutcome::NotFound, -1, 0},
        {"a1 a22 a3", Regex("A\\d+", true), 4, 4, false, FindOutcome::NotFound, -1, 0},
        // No multi-line mode: "$" only at the end, "." stops at line breaks.
        {"a\r\nb", Regex("a$"), 0, 0, true, FindOutcome::NotFound, -1, 0},
        {"a\r\nb", Regex("b$"), 0, 0, true, FindOutcome::Found, 3, 1},
        {"a\r\nb", Regex("a.b"), 0, 0, true, FindOutcome::NotFound, -1, 0},
        {"a\r\nb", Regex("a\\r\\nb"), 0, 0, true, FindOutcome::Found, 0, 4},
    };
    // clang-format on
    for (const Row& row : rows) {
        CAPTURE(row.text);
        CAPTURE(row.options.findText);
        CAPTURE(row.selStart);
        FindHit hit = FindInText(row.text, row.selStart, row.selEnd, row.forward, row.options);
        CHECK(hit.outcome == row.outcome);
        CHECK(hit.position == row.position);
        CHECK(hit.length == row.length);
    }
}

TEST_CASE("regular-expression failures are reported, not fatal")
{
    FindHit hit = FindInText("abc", 0, 0, true, Regex("("));
    CHECK(hit.outcome == FindOutcome::Failed);
    CHECK_FALSE(hit.error.empty());
    CHECK(RegexErrorText(std::string(500, 'x')).size() == std::string("Regex error: ").size() + 200);
    CHECK(CountInText("abc", Regex("[")).outcome == FindOutcome::Failed);
    CHECK(ReplaceAllInText("abc", Regex("a{2,1}")).outcome == FindOutcome::Failed);

    // ".*" over a 2 MB line: no recursion that could run out of stack.
    std::string line(2 << 20, 'x');
    line += 'b';
    hit = FindInText(line, 0, 0, true, Regex(".*b"));
    CHECK(hit.outcome == FindOutcome::Found);
    CHECK(hit.length == (int32_t)line.size());

    // Catastrophic backtracking ends with the library's complexity error.
    std::string run(2000, 'a');
    auto begin = std::chrono::steady_clock::now();
    hit = FindInText(run, 0, 0, true, Regex("(a+)+b"));
    CHECK(hit.outcome == FindOutcome::Failed);
    CHECK(CountInText(run, Regex("(a+)+b")).outcome == FindOutcome::Failed);
    CHECK(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count() < 30.0);
}

TEST_CASE("regular expressions as ECMAScript has them: folded class ranges, \".\", counted repeats")
{
    struct Row {
        const char* pattern;
        bool matchCase;
        const char* text;
        FindOutcome outcome;
        int32_t position, length;
    };
    // clang-format off
    const Row rows[] = {
        // With Match case off each character of a range counts with its other case, and a
        // character outside the range as written stays outside.
        {"[B-a]", false, "{A", FindOutcome::Found, 1, 1},
        {"[B-a]", true, "A`", FindOutcome::Found, 1, 1},
        {"[A-z]", false, "[x", FindOutcome::Found, 0, 1},
        {"[0-Z]", false, "_a", FindOutcome::Found, 1, 1},
        {"[B-x]", false, "a", FindOutcome::Found, 0, 1},
        {"[B-x]", false, "z", FindOutcome::Found, 0, 1},
        {"[^B-a]", false, "b{", FindOutcome::Found, 1, 1},
        {"[\\x5A-\\x61]", false, "yA", FindOutcome::Found, 1, 1},
        {"[Z-\xE9]", false, "A", FindOutcome::Found, 0, 1},
        // Only A-Z fold: an accented capital of code page 1252 keeps its case.
        {"[\xC0-\xDE]", false, "\xE0\xC0", FindOutcome::Found, 1, 1},
        // The ends as written decide whether a range is reversed, not their folded forms.
        {"[a-Z]", false, "x", FindOutcome::Failed, -1, 0},
        // "." stops only at LF and CR: a form feed, 0x0B and 0x85 are characters like others.
        {"a.b", true, "a\fb", FindOutcome::Found, 0, 3},
        {"a.+", true, "a\f\v\x85\rb", FindOutcome::Found, 0, 4},
        // Passes a repeat still owes are made even when the one before matched nothing.
        {"(?:^.?){2}", true, "e", FindOutcome::Found, 0, 1},
    };
    // clang-format on
    for (const Row& row : rows) {
        std::string pattern = row.pattern, text = row.text;
        CAPTURE(pattern);
        CAPTURE(text);
        FindHit hit = FindInText(text, 0, 0, true, Regex(pattern, row.matchCase));
        CHECK(hit.outcome == row.outcome);
        CHECK(hit.position == row.position);
        CHECK(hit.length == row.length);
    }
}

TEST_CASE("the complexity bound stops runaway matching only")
{
    // A repeated choice before a missing letter tries every start and every length after
    // it: polynomial work, which a line of a log must be allowed.
    std::string run;
    for (int i = 0; i < 600; ++i)
        run += "ab"[i % 3 == 0];
    FindHit hit = FindInText(run, 0, 0, true, Regex("(a|b)*c"));
    CHECK(hit.outcome == FindOutcome::NotFound);
    CHECK(CountInText(run + "c", Regex("(a|b)*c")).count == 1);
    hit = FindInText(run + "c", 0, 0, true, Regex("(a|b)*c"));
    CHECK(hit.outcome == FindOutcome::Found);
    CHECK(hit.length == 601);
}

TEST_CASE("Count: non-overlapping plain occurrences, every match of the iteration")
{
    struct Row {
        const char* text;
        FindOptions options;
        FindOutcome outcome;
        uint32_t count;
    };
    // clang-format off
    const Row rows[] = {
        {"aaaa", Plain("aa"), FindOutcome::Found, 2},
        {"aAaA", Plain("a"), FindOutcome::Found, 4},
        {"aAaA", Plain("a", true), FindOutcome::Found, 2},
        {"abc", Plain("x"), FindOutcome::Found, 0},
        {"", Plain("x"), FindOutcome::EmptyDocument, 0},
        {"abc", Plain(""), FindOutcome::EmptyFindText, 0},
        {"ab", Regex("x*"), FindOutcome::Found, 3},
        {"aaa", Regex("a*"), FindOutcome::Found, 2},
        {"one two  three", Regex("\\w+"), FindOutcome::Found, 3},
        {"\xB0" "a" "a", Regex("a"), FindOutcome::Found, 2},
    };
    // clang-format on
    for (const Row& row : rows) {
        CAPTURE(row.text);
        CAPTURE(row.options.findText);
        CountResult r = CountInText(row.text, row.options);
        CHECK(r.outcome == row.outcome);
        CHECK(r.count == row.count);
    }
    FindOptions dbcs = Regex("a");
    dbcs.isLeadByte = FakeLeadByte;
    CHECK(CountInText("\xB0"
                      "a"
                      "a",
                      dbcs)
              .count == 1);
}

TEST_CASE("the replace text becomes a dollar-sign template")
{
    struct Row {
        const char* typed;
        const char* tmpl;
    };
    // clang-format off
    const Row rows[] = {
        {"\\\\", "\\"},
        {"\\$", "$$"},
        {"\\&", "$&"},
        {"\\0", "$&"},
        {"$0", "$&"},
        {"\\1\\9", "$1$9"},
        {"\\n", "\r\n"},
        {"\\r\\t", "\r\t"},
        {"\\q", "\\q"},
        {"a\\", "a\\"},
        {"$1 $$ $& $` $'", "$1 $$ $& $` $'"},
        // Group 1 and the digit 0, not group 10.
        {"\\10", "$010"},
        {"\\1x0", "$1x0"},
        // A typed dollar sign before an escape stays a dollar sign of its own.
        {"$\\1", "$$$1"},
        {"$$0", "$$0"},
    };
    // clang-format on
    for (const Row& row : rows) {
        CAPTURE(row.typed);
        CHECK(ReplacementToRegexFormat(row.typed) == row.tmpl);
    }
}

TEST_CASE("Replace All: plain texts as typed, templates in regular-expression mode")
{
    struct Row {
        const char* text;
        FindOptions options;
        FindOutcome outcome;
        uint32_t count;
        const char* result;
    };
    // clang-format off
    const Row rows[] = {
        {"ab-cd", WithReplace(Regex("(\\w+)-(\\w+)"), "\\2-\\1"), FindOutcome::Found, 1, "cd-ab"},
        {"a b", WithReplace(Regex(" "), "\\n"), FindOutcome::Found, 1, "a\r\nb"},
        {"a b", WithReplace(Regex(" "), "\\\\"), FindOutcome::Found, 1, "a\\b"},
        {"a b", WithReplace(Regex(" "), "\\$"), FindOutcome::Found, 1, "a$b"},
        {"a b", WithReplace(Plain(" "), "\\n"), FindOutcome::Found, 1, "a\\nb"},
        {"x1", WithReplace(Regex("x(\\d)"), "\\10"), FindOutcome::Found, 1, "10"},
        {"x1", WithReplace(Regex("x(\\d)"), "$1$0"), FindOutcome::Found, 1, "1x1"},
        {"x1", WithReplace(Regex("x(\\d)"), "[$`|$'|$&]"), FindOutcome::Found, 1, "[||x1]"},
        {"ax1", WithReplace(Regex("x(\\d)"), "[$`]"), FindOutcome::Found, 1, "a[a]"},
        {"12", WithReplace(Regex("(\\d)"), "$\\1"), FindOutcome::Found, 2, "$1$2"},
        {"x", WithReplace(Regex("(x)?y?"), "[$1$2]"), FindOutcome::Found, 2, "[x][]"},
        // Ten groups: "$10" names the tenth, "$01" and a 0 the first.
        {"abcdefghij", WithReplace(Regex("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)"), "$10\\10"), FindOutcome::Found, 1,
         "ja0"},
        // Empty matches are replaced too.
        {"ab", WithReplace(Regex("x*"), "-"), FindOutcome::Found, 3, "-a-b-"},
        {"aXa", WithReplace(Plain("x"), "yy"), FindOutcome::Found, 1, "ayya"},
        {"aXa", WithReplace(Plain("x", true), "yy"), FindOutcome::NotFound, 0, ""},
        {"aaaa", WithReplace(Plain("aa"), "b"), FindOutcome::Found, 2, "bb"},
        {"", WithReplace(Plain("a"), "b"), FindOutcome::EmptyDocument, 0, ""},
    };
    // clang-format on
    for (const Row& row : rows) {
        CAPTURE(row.text);
        CAPTURE(row.options.findText);
        CAPTURE(row.options.replaceText);
        ReplaceAllResult r = ReplaceAllInText(row.text, row.options);
        CHECK(r.outcome == row.outcome);
        CHECK(r.count == row.count);
        CHECK(r.text == row.result);
    }
}

TEST_CASE("Replace All of a letter leaves double-byte characters whole")
{
    // Every "a" here but the last is a trail byte.
    std::string text = "\xB0"
                       "a"
                       "\x81"
                       "a"
                       "\xB0\xB0\xB0"
                       "a"
                       "a";
    for (bool regex : {false, true}) {
        FindOptions o = WithReplace(regex ? Regex("a") : Plain("a"), "Z");
        o.isLeadByte = FakeLeadByte;
        ReplaceAllResult r = ReplaceAllInText(text, o);
        CHECK(r.count == 1);
        CHECK(r.text == "\xB0"
                        "a"
                        "\x81"
                        "a"
                        "\xB0\xB0\xB0"
                        "a"
                        "Z");
        FindHit hit = FindInText(text, 0, 0, true, o);
        CHECK(hit.position == 8);
        hit = FindInText(text, 0, 0, false, o);
        CHECK(hit.position == 8);
    }
    // A match that would begin on a trail byte yields to one further on.
    FindOptions o = Regex("a+");
    o.isLeadByte = FakeLeadByte;
    FindHit hit = FindInText("\xB0"
                             "aaa",
                             0, 0, true, o);
    CHECK(hit.position == 2);
    CHECK(hit.length == 2);
}

TEST_CASE("Replace tests the selection alone")
{
    struct Row {
        const char* selected;
        FindOptions options;
        bool matches;
        const char* replacement;
    };
    // clang-format off
    const Row rows[] = {
        {"ABC", WithReplace(Plain("abc"), "x"), true, "x"},
        {"ABC", WithReplace(Plain("abc", true), "x"), false, ""},
        {"abcd", WithReplace(Plain("abc"), "x"), false, ""},
        {"abc", WithReplace(Plain("abc"), "\\n"), true, "\\n"},
        // Taken as a text of its own, a selected "a" from mid-line matches "^a".
        {"a", WithReplace(Regex("^a"), "b"), true, "b"},
        {"ab", WithReplace(Regex("a"), "b"), false, ""},
        {"k-v", WithReplace(Regex("(\\w)-(\\w)"), "\\2=\\1"), true, "v=k"},
        {"", WithReplace(Plain("a"), "b"), false, ""},
    };
    // clang-format on
    for (const Row& row : rows) {
        CAPTURE(row.selected);
        std::string replacement, error;
        CHECK(ReplacementForSelection(row.selected, row.options, &replacement, &error) == row.matches);
        if (row.matches)
            CHECK(replacement == row.replacement);
        CHECK(error.empty());
    }
    std::string replacement, error;
    CHECK_FALSE(ReplacementForSelection("a", Regex("("), &replacement, &error));
    CHECK_FALSE(error.empty());
}

TEST_CASE("status texts")
{
    CHECK(FoundAtText(3, 1) == "Found at line 3, col 1");
    CHECK(CountText(1) == "Count: 1 matches");
    CHECK(ReplacedText(2) == "Replaced 2 occurrences");
    CHECK(RegexErrorText("bad") == "Regex error: bad");
}
