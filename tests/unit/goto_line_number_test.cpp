#include <doctest/doctest.h>

#include <cstdint>

#include "search/goto_line_number.h"

TEST_CASE("the Go to Line field reads as atoi reads, without overflow")
{
    struct Row {
        const char* field;
        int32_t number;
    };
    // clang-format off
    const Row rows[] = {
        {"12", 12},
        {"  7", 7},
        {"\t+7", 7},
        {"-5", -5},
        {"", 0},
        {"abc", 0},
        {"12abc", 12},
        {"0012", 12},
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"123456789012345678901234567890", INT32_MAX},
        {"-123456789012345678901234567890", -INT32_MAX},
        {"- 5", 0},
    };
    // clang-format on
    for (const Row& row : rows) {
        CAPTURE(row.field);
        CHECK(ParseLineNumber(row.field) == row.number);
    }
    CHECK(ParseLineNumber(nullptr) == 0);
}

TEST_CASE("the line a number goes to, and the number the field proposes")
{
    struct Row {
        int32_t number, lineCount, index;
    };
    // clang-format off
    const Row rows[] = {
        {1, 40, 0},   {40, 40, 39},        {999, 40, 39}, {INT32_MAX, 40, 39},
        {0, 40, -1},  {-3, 40, -1},        {1, 0, 0},     {5, 0, 0},
    };
    // clang-format on
    for (const Row& row : rows) {
        CAPTURE(row.number);
        CAPTURE(row.lineCount);
        CHECK(GoToLineIndex(row.number, row.lineCount) == row.index);
    }
    CHECK(ProposedLineNumber(0, 1) == 1);
    CHECK(ProposedLineNumber(4, 10) == 5);
    CHECK(ProposedLineNumber(12, 10) == 10);
    CHECK(ProposedLineNumber(-1, 10) == 1);
    CHECK(ProposedLineNumber(INT32_MAX, INT32_MAX) == INT32_MAX);
}
