// Runs under Wine started with a Korean locale, so the platform's ANSI code page is 949
// (double-byte): the program's own conversions decide what the JSON writer may keep.

#include <doctest/doctest.h>

#include <string>
#include <windows.h>

#include "tools/json/json.h"

TEST_CASE("code page 949: double-byte characters kept, missing characters escaped")
{
    REQUIRE(GetACP() == 949);
    const CodePage& cp = WindowsAnsiCodePage();
    struct Row {
        std::string text;
        std::string minified;
    };
    const Row rows[] = {
        {"[\"\xB0\xA1\"]", "[\"\xB0\xA1\"]"},
        {"\"\\uac00\"", "\"\xB0\xA1\""},
        // A trail byte in the ASCII range belongs to its character (U+AC02).
        {"\"\x81\x41\"", "\"\x81\x41\""},
        {"\"\\uac02\"", "\"\x81\x41\""},
        {"\"\\u0100 \\uff02 \\ud83d\\ude00\"", "\"\\u0100 \xA3\xA2 \\ud83d\\ude00\""},
        {"{\"\xC7\xD1\":\"\xB1\xDB\"}", "{\"\xC7\xD1\":\"\xB1\xDB\"}"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.text);
        JsonCheckResult r = CheckJson(row.text, JsonToolMode::Minify, cp);
        REQUIRE(r.ok);
        CHECK(r.output == row.minified);
        CHECK(CheckJson(r.output, JsonToolMode::Minify, cp).output == r.output);
    }

    // A double-byte character counts two columns.
    JsonCheckResult r = CheckJson("\"\xB0\xA1\xB0\xA1\" x", JsonToolMode::Validate, cp);
    CHECK(r.message == "Unexpected token 'x'");
    CHECK(r.column == 8);
}
