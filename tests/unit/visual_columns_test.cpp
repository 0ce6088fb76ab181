#include <doctest/doctest.h>

#include "editor/visual_columns.h"

#include <string.h>

namespace {

// Lead bytes of a double-byte page such as 949: 0x81-0xFE.
bool DoubleByteLead(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

int ColumnAt(const char* text, int offset, LeadByteTest lead = nullptr)
{
    return VisualColumnAtOffset(text, (int)strlen(text), offset, lead);
}

} // namespace

TEST_CASE("visual columns of single-byte lines")
{
    struct Row {
        const char* text;
        int offset, column;
    } rows[] = {
        {"a\tb", 0, 0},
        {"a\tb", 1, 1},
        {"a\tb", 2, 8},        // the tab covers columns 1 to 7
        {"a\tb", 3, 9},
        {"a\tb", 99, 9},       // past the end: the line's width
        {"a\tb", -4, 0},
        {"\t\t", 1, 8},
        {"\t\t", 2, 16},
        {"1234567\tx", 8, 8},  // a tab at column 7 ends at 8
        {"12345678\tx", 9, 16}, // a tab at column 8 ends at 16
        {"", 3, 0},
        {"\xB0\xA1z", 2, 2},   // single-byte page: each byte one column
    };
    for (const Row& row : rows) {
        CAPTURE(row.text);
        CAPTURE(row.offset);
        CHECK(ColumnAt(row.text, row.offset) == row.column);
    }
    CHECK(VisualLineWidth("a\tb", 3, nullptr) == 9);
    CHECK(VisualLineWidth(nullptr, 5, nullptr) == 0);
}

TEST_CASE("visual columns with double-byte characters")
{
    // "ab", a double-byte character at columns 2 and 3, then "c".
    const char* line = "ab\xB0\xA1" "c";
    struct Row {
        int offset, column;
    } rows[] = {
        {2, 2},
        {3, 4}, // inside the character: the column after it
        {4, 4},
        {5, 5},
    };
    for (const Row& row : rows) {
        CAPTURE(row.offset);
        CHECK(ColumnAt(line, row.offset, DoubleByteLead) == row.column);
    }
    CHECK(VisualLineWidth(line, 5, DoubleByteLead) == 5);
    // A lead byte as the last byte of the line counts one column.
    CHECK(VisualLineWidth("a\xB0", 2, DoubleByteLead) == 2);
    // A lead byte takes the next byte with it, even a tab: the pair counts 2.
    CHECK(VisualLineWidth("\xB0\tx", 3, DoubleByteLead) == 3);
    // A tab after a double-byte character still ends on the next multiple of 8.
    CHECK(ColumnAt("\xB0\xA1\tz", 3, DoubleByteLead) == 8);
}

TEST_CASE("a line of very many tabs does not overflow its column")
{
    static char tabs[1 << 20];
    memset(tabs, '\t', sizeof(tabs));
    int width = VisualLineWidth(tabs, (int)sizeof(tabs), nullptr);
    CHECK(width == 8 * (int)sizeof(tabs));
    CHECK(VisualColumnAtOffset(tabs, (int)sizeof(tabs), 3, nullptr) == 24);
}

TEST_CASE("a column walk continued in steps gives the columns of a walk from the start")
{
    const char* line = "a\t\xB0\xA1 \tb\xB0";
    int length = (int)strlen(line);
    int offset = 0, column = 0;
    for (int target = 0; target <= length + 2; ++target) {
        CAPTURE(target);
        column = AdvanceVisualColumn(line, length, &offset, column, target, DoubleByteLead);
        CHECK(column == VisualColumnAtOffset(line, length, target, DoubleByteLead));
        CHECK(offset >= (target < length ? target : length));
    }
    // A target inside the double-byte character passes it.
    offset = 0;
    CHECK(AdvanceVisualColumn(line, length, &offset, 0, 3, DoubleByteLead) == 10);
    CHECK(offset == 4);
}
