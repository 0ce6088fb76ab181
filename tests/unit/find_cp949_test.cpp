// Runs under Wine started with a Korean locale, so the platform's ANSI code page is 949:
// the engine gets the platform's own lead-byte test, as the program passes it.

#include <doctest/doctest.h>

#include <string>
#include <windows.h>

#include "search/find_engine.h"

namespace {

bool PlatformLeadByte(unsigned char b)
{
    return IsDBCSLeadByte(b) != FALSE;
}

std::wstring Wide(const std::string& ansi)
{
    std::wstring out(ansi.size() + 1, L'\0');
    int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), (int)ansi.size(), &out[0], (int)out.size());
    out.resize(n > 0 ? (size_t)n : 0);
    return out;
}

} // namespace

TEST_CASE("code page 949: letters that are trail bytes are neither found nor replaced")
{
    REQUIRE(GetACP() == 949);
    // U+AC02 is 0x81 0x41 ("A"), U+AC1C 0x81 0x61 ("a") in this code page; U+AC00 is 0xB0 0xA1.
    const std::string text = "\x81\x41\x81\x61 a \xB0\xA1"
                             "A";
    const std::wstring before = Wide(text);
    REQUIRE(before.size() == 7);
    for (bool regex : {false, true}) {
        CAPTURE(regex);
        FindOptions o;
        o.findText = "a";
        o.replaceText = "b";
        o.regex = regex;
        o.isLeadByte = PlatformLeadByte;
        CountResult count = CountInText(text, o);
        CHECK(count.count == 2);
        ReplaceAllResult all = ReplaceAllInText(text, o);
        REQUIRE(all.count == 2);
        CHECK(all.text == "\x81\x41\x81\x61 b \xB0\xA1"
                          "b");
        // Every Korean character survives.
        std::wstring after = Wide(all.text);
        REQUIRE(after.size() == before.size());
        CHECK(after.substr(0, 2) == before.substr(0, 2));
        CHECK(after[5] == before[5]);
        FindHit hit = FindInText(text, 0, 0, true, o);
        CHECK(hit.position == 5);
        hit = FindInText(text, 0, 0, false, o);
        CHECK(hit.position == 9);
    }
    // A Korean find text matches whole characters only: 0xA1 0xB0 spans two of them here.
    FindOptions o;
    o.findText = "\xA1\xB0";
    o.isLeadByte = PlatformLeadByte;
    CHECK(CountInText("\xB0\xA1\xB0\xA1", o).count == 0);
    o.findText = "\xB0\xA1";
    CHECK(CountInText("\xB0\xA1\xB0\xA1", o).count == 2);
}

TEST_CASE("code page 949: a class range with Match case off folds single-byte letters only")
{
    REQUIRE(GetACP() == 949);
    // U+AC1C (0x81 "a"), "[", "_", U+AC00 (0xB0 0xA1), "A": the trail "a" is never a match.
    const std::string text = "\x81\x61[_\xB0\xA1"
                             "A";
    struct Row {
        const char* pattern;
        uint32_t count;
    };
    const Row rows[] = {{"[B-a]", 3}, {"[A-z]", 3}, {"[0-Z]", 1}, {"[\xB0-\xC8][\xA1-\xFE]", 1}};
    for (const Row& row : rows) {
        FindOptions o;
        o.findText = row.pattern;
        CAPTURE(o.findText);
        o.regex = true;
        o.isLeadByte = PlatformLeadByte;
        CountResult count = CountInText(text, o);
        CHECK(count.outcome == FindOutcome::Found);
        CHECK(count.count == row.count);
    }
}
