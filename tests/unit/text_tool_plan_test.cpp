#include <doctest/doctest.h>

#include <string>

#include "tools/text_tool_plan.h"

namespace {

bool FakeLeadByte(unsigned char b)
{
    return b >= 0x81 && b <= 0xFE;
}

} // namespace

TEST_CASE("a text command works on the selection, or on the whole text without one")
{
    struct Row {
        int32_t selStart, selEnd, length;
        bool whole;
        int32_t lo, hi;
    };
    // clang-format off
    const Row rows[] = {
        {3, 3, 10, true, 0, 10},  {2, 5, 10, false, 2, 5}, {5, 2, 10, false, 2, 5},
        {0, 0, 0, true, 0, 0},    {4, 50, 10, false, 4, 10}, {-1, 3, 10, false, 0, 3},
    };
    // clang-format on
    for (const Row& row : rows) {
        CAPTURE(row.selStart);
        CAPTURE(row.selEnd);
        TextToolScope scope = ChooseTextToolScope(row.selStart, row.selEnd, row.length);
        CHECK(scope.wholeDocument == row.whole);
        CHECK(scope.lo == row.lo);
        CHECK(scope.hi == row.hi);
    }
}

TEST_CASE("the error selection of invalid JSON")
{
    struct Row {
        int32_t base;
        uint32_t offset;
        const char* input;
        int32_t total;
        bool dbcs;
        int32_t start, end;
    };
    // clang-format off
    const Row rows[] = {
        // An error at offset 5 of a selection that starts at 100 selects offset 105.
        {100, 5, "[1, 2x]", 200, false, 105, 106},
        {100, 5, "[1, \xB0\xA1]", 200, true, 105, 107},
        // A lead byte as the input's last byte has no partner.
        {100, 5, "[1, ]\xB0", 200, true, 105, 106},
        {100, 5, "[1, \xB0\xA1]", 200, false, 105, 106},
        // At or past the end of the input: a bare caret.
        {100, 7, "[1, 2, ", 200, false, 107, 107},
        {0, 0, "", 0, false, 0, 0},
        // White space alone: its first byte.
        {0, 0, "  ", 2, false, 0, 1},
        // Clamped to the text.
        {10, 5, "xxxxxxx", 12, true, 12, 12},
        {10, 1, "x\xB0\xA1", 12, true, 11, 12},
    };
    // clang-format on
    for (const Row& row : rows) {
        CAPTURE(row.input);
        int32_t start = -1, end = -1;
        JsonErrorSelection(row.base, row.offset, row.input, row.total, row.dbcs ? FakeLeadByte : nullptr,
                           &start, &end);
        CHECK(start == row.start);
        CHECK(end == row.end);
    }
    int32_t start = -1, end = -1;
    std::string withNul("[\0]", 3);
    JsonErrorSelection(4, 1, withNul, 20, nullptr, &start, &end);
    CHECK(start == 5);
    CHECK(end == 5);
}

TEST_CASE("JSON command plans: status texts, replacements and error selections")
{
    const CodePage& cp = Cp1252CodePage();
    struct Row {
        const char* text;
        int32_t selStart, selEnd;
        JsonToolMode mode;
        TextToolAction action;
        int32_t start, end;
        const char* output;
        const char* status;
    };
    // clang-format off
    const Row rows[] = {
        {"[1,2]", 0, 0, JsonToolMode::Validate, TextToolAction::Report, 0, 0, "",
         "Valid JSON (Document): array, 2 items"},
        {"x = {\"a\":1};", 4, 11, JsonToolMode::Validate, TextToolAction::Report, 0, 0, "",
         "Valid JSON (Selection): object, 1 keys"},
        {"[1, 2]", 0, 0, JsonToolMode::Minify, TextToolAction::Replace, 0, 6, "[1,2]", "JSON minified (Document)"},
        {"[1,2]", 0, 0, JsonToolMode::Minify, TextToolAction::Report, 0, 0, "", "JSON Minify: already minified"},
        {"[1,2]", 0, 0, JsonToolMode::Format, TextToolAction::Replace, 0, 5, "[\r\n  1,\r\n  2\r\n]",
         "JSON formatted (Document, 2 spaces)"},
        {"[\r\n  1\r\n]", 0, 0, JsonToolMode::Format, TextToolAction::Report, 0, 0, "",
         "JSON Format: already formatted"},
        {"v=[ 1 ];", 2, 7, JsonToolMode::Minify, TextToolAction::Replace, 2, 7, "[1]", "JSON minified (Selection)"},
        {"v=[ 1 ];", 7, 2, JsonToolMode::Format, TextToolAction::Replace, 2, 7, "[\r\n  1\r\n]",
         "JSON formatted (Selection, 2 spaces)"},
        // Errors select the offending byte within the whole text.
        {"v=[1,,2]", 2, 8, JsonToolMode::Format, TextToolAction::SelectError, 5, 6, "",
         "Invalid JSON at line 1, column 4: Unexpected token ','"},
        {"", 0, 0, JsonToolMode::Minify, TextToolAction::SelectError, 0, 0, "",
         "Invalid JSON at line 1, column 1: Document is empty"},
        {"   ", 0, 0, JsonToolMode::Validate, TextToolAction::SelectError, 0, 1, "",
         "Invalid JSON at line 1, column 1: Document is empty"},
    };
    // clang-format on
    for (const Row& row : rows) {
        CAPTURE(row.text);
        CAPTURE((int)row.mode);
        TextToolPlan plan = PlanJsonTool(row.text, row.selStart, row.selEnd, row.mode, cp);
        CHECK(plan.action == row.action);
        CHECK(plan.status == row.status);
        if (row.action != TextToolAction::Report) {
            CHECK(plan.start == row.start);
            CHECK(plan.end == row.end);
        }
        CHECK(plan.output == row.output);
    }
}

TEST_CASE("HTML Beautifier plans")
{
    struct Row {
        const char* text;
        int32_t selStart, selEnd;
        TextToolAction action;
        int32_t start, end;
        const char* output;
        const char* status;
    };
    // clang-format off
    const Row rows[] = {
        {"", 0, 0, TextToolAction::Report, 0, 0, "", "HTML Beautifier: Document is empty"},
        {"<div><p>x</p></div>", 0, 0, TextToolAction::Replace, 0, 19, "<div>\r\n  <p>x</p>\r\n</div>\r\n",
         "HTML Beautified (Entire Document)"},
        {"<div>\r\n  <p>x</p>\r\n</div>\r\n", 0, 0, TextToolAction::Report, 0, 0, "",
         "HTML Beautifier: Document already formatted"},
        // White space alone lays out as nothing.
        {"  \r\n ", 0, 0, TextToolAction::Replace, 0, 5, "", "HTML Beautified (Entire Document)"},
        {"ab   cd", 2, 5, TextToolAction::Replace, 2, 5, "", "HTML Beautified (Selection)"},
        {"x<b>y</b>\r\nz", 1, 11, TextToolAction::Report, 0, 0, "", "HTML Beautifier: Selection already formatted"},
    };
    // clang-format on
    for (const Row& row : rows) {
        CAPTURE(row.text);
        TextToolPlan plan = PlanHtmlBeautifier(row.text, row.selStart, row.selEnd, nullptr);
        CHECK(plan.action == row.action);
        CHECK(plan.status == row.status);
        if (row.action == TextToolAction::Replace) {
            CHECK(plan.start == row.start);
            CHECK(plan.end == row.end);
        }
        CHECK(plan.output == row.output);
    }
}
