#include <doctest/doctest.h>

#include "editor/block_rows.h"
#include "editor/block_state.h"

#include <string>
#include <vector>

namespace {

// Lead bytes of a double-byte page such as 949: 0x81-0xFE.
bool DoubleByteLead(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

// A double-byte character (two columns).
const std::string kWide = "\xB0\xA1";

BlockLines Lines(const std::vector<std::string>& text, LeadByteTest lead = nullptr)
{
    BlockLines lines;
    lines.lineCount = (int)text.size();
    lines.text = text;
    for (size_t i = 0; i < text.size(); ++i)
        lines.breaks.push_back(i + 1 < text.size() ? "\r\n" : "");
    lines.lead = lead;
    return lines;
}

// A plain block over lines top..bottom between two columns, the caret corner at the
// bottom right.
void Block(int top, int bottom, int anchorColumn, int caretColumn)
{
    ResetBlockState();
    gBlockMode = true;
    gBlockAnchorLine = top;
    gBlockCaretLine = bottom;
    gBlockAnchorColumn = anchorColumn;
    gBlockCaretColumn = caretColumn;
}

void RaggedCarets(const std::vector<int>& columns)
{
    gPerLineCaretColumns = columns;
    gPerLineCaretColumnsOn = true;
}

int Offset(const std::string& text, int column, int* missing, LeadByteTest lead = nullptr)
{
    return VisualColumnToOffset(text.data(), (int)text.size(), column, missing, lead);
}

} // namespace

TEST_CASE("a column maps to the last character boundary at or before it")
{
    struct Row {
        std::string text;
        int column, offset, missing;
    } rows[] = {
        {"a\tb", 0, 0, 0},
        {"a\tb", 4, 1, 3},  // inside the tab: before it, 3 columns short
        {"a\tb", 8, 2, 0},  // b
        {"a\tb", 9, 3, 0},  // the line's end
        {"a\tb", 12, 3, 3}, // virtual space
        {"", 5, 0, 5},
        {"ab" + kWide + "c", 2, 2, 0},
        {"ab" + kWide + "c", 3, 2, 1}, // inside the double-byte character
        {"ab" + kWide + "c", 4, 4, 0},
        {"a\xB0", 2, 2, 0},       // a lone lead byte at the end counts one column
        {kWide + "\tz", 3, 2, 1}, // the tab after a wide character spans 2..7
        {kWide + "\tz", 8, 3, 0},
    };
    for (const Row& row : rows) {
        CAPTURE(row.text);
        CAPTURE(row.column);
        int missing = -1;
        CHECK(Offset(row.text, row.column, &missing, DoubleByteLead) == row.offset);
        CHECK(missing == row.missing);
    }
    // Without the lead-byte test every byte is one column.
    int missing = -1;
    CHECK(Offset("ab" + kWide + "c", 3, &missing) == 3);
    CHECK(missing == 0);
    CHECK(IndentationWidth("\t  x", 4) == 10);
    CHECK(IndentationWidth("  \tx", 4) == 8);
    CHECK(IndentationWidth("x  ", 3) == 0);
}

TEST_CASE("tabs that a column cuts become spaces, the others stay")
{
    struct Row {
        std::string text;
        int a, b;
        std::string expected;
    } rows[] = {
        {"a\tb\tc", 8, 16, "a\tb\tc"},                // both on tab stops
        {"12345678\tx", 10, 10, "12345678        x"}, // a tab from 8 to 16 cut at 10
        {"a\tb\tc", 4, 12, "a       b       c"},
        {"\t\t", 0, 7, "        \t"}, // 7 is inside the first tab (0..8)
        {kWide + "\tz", 5, 5, kWide + "      z"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.text);
        std::string line = row.text;
        ExpandStraddlingTabs(line, row.a, row.b, DoubleByteLead);
        CHECK(line == row.expected);
    }
}

TEST_CASE("row getters, merge and collapse")
{
    Block(1, 3, 2, 5);
    int l, r;
    ColumnGetRowSpan(2, &l, &r);
    CHECK((l == 2 && r == 5));
    CHECK_FALSE(ColumnMergeUniformRows());

    // Ragged carets: each row zero-width at its own column; -1 falls back to the block's.
    RaggedCarets({-1, 4, -1, 7});
    CHECK(ColumnGetRowCaret(1) == 4);
    CHECK(ColumnGetRowCaret(2) == 5);
    CHECK(ColumnGetRowCaret(9) == 5);
    CHECK(ColumnGetRowAnchor(3) == 7);
    ColumnGetRowSpan(3, &l, &r);
    CHECK((l == 7 && r == 7));
    ColumnCollapseToCaret();
    CHECK((gBlockCaretColumn == 7 && gBlockAnchorColumn == 7));

    // Rows that agree again become a plain block, the vectors emptied.
    gPerLineCaretColumns = {-1, 7, 7, 7};
    gPerLineAnchorColumns = {-1, 2, 2, 2};
    gPerLineAnchorColumnsOn = true;
    CHECK(ColumnMergeUniformRows());
    CHECK_FALSE(gPerLineCaretColumnsOn);
    CHECK(gPerLineCaretColumns.empty());
    CHECK(gPerLineAnchorColumns.empty());
    CHECK((gBlockCaretColumn == 7 && gBlockAnchorColumn == 2));

    // Negative stored columns read as 0.
    Block(0, 0, -1, -1);
    ColumnGetRowSpan(0, &l, &r);
    CHECK((l == 0 && r == 0));
}

TEST_CASE("arrow moves of a plain block")
{
    // Alt+Shift+Right three times from column 2 gives a block 3 wide; Left collapses it
    // to its left edge, a second Left moves it.
    Block(2, 2, 2, 2);
    for (int i = 0; i < 3; ++i)
        BlockMoveCorner(0, 1, 10, true);
    CHECK((gBlockAnchorColumn == 2 && gBlockCaretColumn == 5));
    BlockPlainMove(0, -1, 10);
    CHECK((gBlockAnchorColumn == 2 && gBlockCaretColumn == 2));
    BlockPlainMove(0, -1, 10);
    CHECK((gBlockAnchorColumn == 1 && gBlockCaretColumn == 1));

    // Down at the last line stays, but a block with width still collapses.
    Block(7, 9, 3, 6);
    BlockPlainMove(1, 0, 10);
    CHECK((gBlockAnchorLine == 7 && gBlockCaretLine == 9));
    CHECK((gBlockAnchorColumn == 3 && gBlockCaretColumn == 3));
    BlockPlainMove(-1, 0, 10);
    CHECK((gBlockAnchorLine == 6 && gBlockCaretLine == 8));

    // The corner stops at line 0, at the last line and at column 0.
    Block(0, 0, 0, 0);
    BlockMoveCorner(-1, -1, 1, true);
    BlockMoveCorner(1, 0, 1, true);
    CHECK((gBlockCaretLine == 0 && gBlockCaretColumn == 0));

    // Ragged carets move together and merge when they meet.
    Block(0, 2, 0, 0);
    RaggedCarets({1, 0, 3});
    BlockPlainMove(0, -1, 3);
    CHECK(gPerLineCaretColumns == std::vector<int>{0, 0, 2});
    BlockPlainMove(1, 0, 3); // the bottom row is the last line: nothing moves
    CHECK(gBlockCaretLine == 2);
    Block(0, 1, 0, 0);
    RaggedCarets({4, 6, -1});
    BlockPlainMove(1, 0, 3);
    CHECK((gBlockAnchorLine == 1 && gBlockCaretLine == 2));
    CHECK(gPerLineCaretColumns == std::vector<int>{-1, 4, 6});
}

TEST_CASE("Shift+Left and Shift+Right on ragged rows give every row its own range")
{
    Block(0, 1, 0, 0);
    RaggedCarets({3, 5});
    ColumnExtendHorizontal(1, 2);
    int l, r;
    ColumnGetRowSpan(0, &l, &r);
    CHECK((l == 3 && r == 4));
    ColumnGetRowSpan(1, &l, &r);
    CHECK((l == 5 && r == 6));
    // Back to the anchors: no row has a range any more, so the anchors are dropped.
    ColumnExtendHorizontal(-1, 2);
    CHECK_FALSE(gPerLineAnchorColumnsOn);
    CHECK(gPerLineCaretColumns == std::vector<int>{3, 5});
}

TEST_CASE("typing replaces every row's slice, padding short rows")
{
    // A zero-width block at column 6 over abc, abcdefgh and an empty line.
    BlockLines lines = Lines({"abc", "abcdefgh", ""});
    Block(0, 2, 6, 6);
    BlockType(lines, "x");
    CHECK(lines.text == std::vector<std::string>{"abc   x", "abcdefxgh", "      x"});
    CHECK((gBlockAnchorColumn == 7 && gBlockCaretColumn == 7));

    // A block 3 columns wide: the slices go; rows ending before the left edge are padded.
    lines = Lines({"0123456789", "01", "01234"});
    Block(0, 2, 3, 6);
    BlockType(lines, "#");
    CHECK(lines.text == std::vector<std::string>{"012#6789", "01 #", "012#"});
    CHECK((gBlockAnchorColumn == 4 && gBlockCaretColumn == 4));

    // A double-byte character goes into every row and moves the carets by 2 columns.
    lines = Lines({"ab", "abcd"}, DoubleByteLead);
    Block(0, 1, 1, 1);
    BlockType(lines, kWide);
    CHECK(lines.text == std::vector<std::string>{"a" + kWide + "b", "a" + kWide + "bcd"});
    CHECK(gBlockCaretColumn == 3);

    // A tab from 8 to 16 on a row whose edge is column 10 becomes 8 spaces first; the
    // other rows keep their tabs.
    lines = Lines({"12345678\tx", "\ty", "abcdefghijkl"});
    Block(0, 2, 10, 10);
    BlockType(lines, "|");
    CHECK(lines.text == std::vector<std::string>{"12345678  |      x", "\ty |", "abcdefghij|kl"});

    // Ragged rows each get the character at their own column, then settle.
    lines = Lines({"abcdef", "abcdef"});
    Block(0, 1, 0, 0);
    RaggedCarets({2, 4});
    BlockType(lines, "_");
    CHECK(lines.text == std::vector<std::string>{"ab_cdef", "abcd_ef"});
    CHECK(gPerLineCaretColumns == std::vector<int>{3, 5});
}

TEST_CASE("Delete at the ends of rows joins them into one line with a caret at each junction")
{
    BlockLines lines = Lines({"head", "a", "bb", "ccc", "tail", "after"});
    Block(1, 3, 3, 3); // zero-width at column 3: at or past the end of a, bb and ccc
    BlockDelete(lines, false);
    CHECK(lines.text == std::vector<std::string>{"head", "abbccctail", "after"});
    CHECK(gMultiCaretOn);
    CHECK(gMultiCaretLine == 1);
    CHECK(gMultiCaretOffsets == std::vector<int>{1, 3, 6});
    CHECK((gBlockCaretLine == 1 && gBlockAnchorLine == 1));
    CHECK((gBlockAnchorColumn == 1 && gBlockCaretColumn == 6));
    // Typing goes in at all three junctions.
    BlockType(lines, ",");
    CHECK(lines.Line(1) == "a,bb,ccc,tail");
    CHECK(gMultiCaretOffsets == std::vector<int>{2, 5, 9});
    // The last line of the text has no line after it to take.
    lines = Lines({"x", "y"});
    Block(0, 1, 1, 1);
    BlockDelete(lines, false);
    CHECK(lines.text == std::vector<std::string>{"xy"});
    CHECK(gMultiCaretOffsets == std::vector<int>{1, 2});
}

TEST_CASE("Delete and Backspace on zero-width and wide blocks")
{
    struct Row {
        const char* name;
        std::vector<std::string> text;
        int left, right;
        bool backspace;
        std::vector<std::string> expected;
        int column; // both block columns afterwards
    } rows[] = {
        // One row shorter than the column, one longer: no join, one character goes.
        {"delete, one row short", {"ab", "abcdef"}, 4, 4, false, {"ab", "abcdf"}, 4},
        {"backspace at column 0", {"ab", "cd"}, 0, 0, true, {"ab", "cd"}, 0},
        {"backspace in virtual space", {"ab", "cd"}, 6, 6, true, {"ab", "cd"}, 5},
        {"backspace", {"abc", "defg"}, 2, 2, true, {"ac", "dfg"}, 1},
        {"backspace splits a tab", {"\tx", "abcdefghx"}, 8, 8, true, {"       x", "abcdefgx"}, 7},
        {"range", {"0123456", "01", "0123"}, 1, 3, false, {"03456", "0", "03"}, 1},
        {"range, backspace alike", {"0123456"}, 5, 2, true, {"0156"}, 2},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        BlockLines lines = Lines(row.text);
        Block(0, (int)row.text.size() - 1, row.left, row.right);
        BlockDelete(lines, row.backspace);
        CHECK(lines.text == row.expected);
        CHECK((gBlockAnchorColumn == row.column && gBlockCaretColumn == row.column));
        CHECK_FALSE(gMultiCaretOn);
    }
}

TEST_CASE("double-byte characters are deleted whole, never split")
{
    const std::string w = kWide, v = "\xC7\xD1";
    // Multi-caret: Delete at a lead byte and Backspace after a character take both bytes.
    BlockLines lines = Lines({"a" + w + "b" + v}, DoubleByteLead);
    Block(0, 0, 0, 0);
    gMultiCaretOn = true;
    gMultiCaretLine = 0;
    gMultiCaretOffsets = {1, 6};
    BlockDelete(lines, true); // "a" before the first caret, v before the second
    CHECK(lines.Line(0) == w + "b");
    CHECK(gMultiCaretOffsets == std::vector<int>{0, 3});
    BlockDelete(lines, false); // w at the first caret; the second is at the end
    CHECK(lines.Line(0) == "b");
    CHECK(gMultiCaretOffsets == std::vector<int>{0, 1});

    // Two carets at one place remove two characters and stay together.
    lines = Lines({"ab" + w + "cd"}, DoubleByteLead);
    gMultiCaretOffsets = {4, 4};
    BlockDelete(lines, true);
    CHECK(lines.Line(0) == "a" + std::string("cd"));
    CHECK(gMultiCaretOffsets == std::vector<int>{1, 1});
    gMultiCaretOffsets = {1, 1};
    BlockDelete(lines, false);
    CHECK(lines.Line(0) == "a");

    // Left and Right step over whole characters.
    lines = Lines({"a" + w + "b"}, DoubleByteLead);
    gMultiCaretOffsets = {1, 3};
    MultiCaretStep(lines, true);
    CHECK(gMultiCaretOffsets == std::vector<int>{3, 4});
    MultiCaretStep(lines, false);
    MultiCaretStep(lines, false);
    CHECK(gMultiCaretOffsets == std::vector<int>{0, 1});

    // A zero-width block: Delete at the start of a wide character removes it whole;
    // Backspace after one does too.
    lines = Lines({"ab" + w + "c", "abcde"}, DoubleByteLead);
    Block(0, 1, 2, 2);
    BlockDelete(lines, false);
    CHECK(lines.text == std::vector<std::string>{"abc", "abde"});
    lines = Lines({"ab" + w + "c"}, DoubleByteLead);
    Block(0, 0, 4, 4);
    BlockDelete(lines, true);
    CHECK(lines.Line(0) == "abc");
}

TEST_CASE("Tab and Shift+Tab")
{
    // Shift+Tab removes a leading tab, one space, two spaces, or nothing.
    BlockLines lines = Lines({"\tA", " B", "  C", "xD", "   E"});
    Block(0, 4, 4, 6);
    BlockTab(lines, true);
    CHECK(lines.text == std::vector<std::string>{"A", "B", "C", "xD", " E"});
    CHECK((gBlockAnchorColumn == 2 && gBlockCaretColumn == 4));

    // Tab on a block with width indents the whole lines and keeps the width.
    lines = Lines({"abc", "de"});
    Block(0, 1, 1, 2);
    BlockTab(lines, false);
    CHECK(lines.text == std::vector<std::string>{"  abc", "  de"});
    CHECK((gBlockAnchorColumn == 3 && gBlockCaretColumn == 4));

    // Tab on zero-width rows inserts two spaces at the column.
    lines = Lines({"abc", "a"});
    Block(0, 1, 2, 2);
    BlockTab(lines, false);
    CHECK(lines.text == std::vector<std::string>{"ab  c", "a   "});
    CHECK(gBlockCaretColumn == 4);

    // In multi-caret mode two spaces go in at every caret.
    lines = Lines({"abcd"});
    Block(0, 0, 0, 0);
    gMultiCaretOn = true;
    gMultiCaretLine = 0;
    gMultiCaretOffsets = {1, 3};
    BlockTab(lines, true);
    CHECK(lines.Line(0) == "a  bc  d");
    CHECK(gMultiCaretOffsets == std::vector<int>{3, 7});
}

TEST_CASE("block copy and paste")
{
    // Lines of 2, 10 and 0 characters, columns 4 to 8.
    BlockLines lines = Lines({"ab", "0123456789", ""});
    Block(0, 2, 4, 8);
    CHECK(BlockCopyText(lines) == "\r\n4567\r\n");
    // A tab or double-byte character straddling the left edge is taken whole, one
    // straddling the right edge is left out.
    lines = Lines({"a\tbc", "abc" + kWide + "d"}, DoubleByteLead);
    Block(0, 1, 4, 9);
    CHECK(BlockCopyText(lines) == "\tb\r\n" + kWide + "d");

    struct Split {
        std::string text;
        std::vector<std::string> lines;
    } splits[] = {
        {"a", {"a"}},   {"a\r\nb", {"a", "b"}}, {"a\nb\r\n", {"a", "b"}}, {"a\r\n\r\nb", {"a", "", "b"}},
        {"\r\n", {""}}, {"a\rb", {"a\rb"}},
    };
    for (const Split& s : splits) {
        CAPTURE(s.text);
        CHECK(SplitPastedLines(s.text) == s.lines);
    }

    struct Paste {
        std::string text;
        std::vector<std::string> expected;
    } pastes[] = {
        {"XY", {"aXYd", "aXYd", "aXYd"}},
        {"1\r\n2", {"a1d", "a2d", "ad"}},
        {"1\r\n2\r\n3\r\n4\r\n", {"a1d", "a2d", "a3d"}},
    };
    for (const Paste& p : pastes) {
        CAPTURE(p.text);
        lines = Lines({"abcd", "abcd", "abcd"});
        Block(0, 2, 1, 3);
        int caret = BlockPaste(lines, p.text);
        CHECK(lines.text == p.expected);
        CHECK(caret == 1 + (int)SplitPastedLines(p.text)[0].size());
    }
    // A row that ends before the block is padded.
    lines = Lines({"", "abcdef"});
    Block(0, 1, 3, 3);
    BlockPaste(lines, "Z");
    CHECK(lines.text == std::vector<std::string>{"   Z", "abcZdef"});
}

TEST_CASE("Home, End and Shift+End set each row's caret")
{
    // Home: to the indentation, then to column 0, then back.
    BlockLines lines = Lines({"\tx", "  y"});
    Block(0, 1, 5, 5);
    ColumnSmartHome(lines);
    CHECK(ColumnGetRowCaret(0) == 8);
    CHECK(ColumnGetRowCaret(1) == 2);
    ColumnSmartHome(lines);
    CHECK_FALSE(gPerLineCaretColumnsOn); // all at column 0: a plain block again
    CHECK(gBlockCaretColumn == 0);
    ColumnSmartHome(lines);
    CHECK(ColumnGetRowCaret(0) == 8);

    // End on lines of 3, 10 and 0 characters.
    lines = Lines({"abc", "0123456789", ""});
    Block(0, 2, 1, 1);
    BlockCaretsToLineEnds(lines);
    CHECK(ColumnGetRowCaret(0) == 3);
    CHECK(ColumnGetRowCaret(1) == 10);
    CHECK(ColumnGetRowCaret(2) == 0);

    // Shift+End with anchor 2 and caret 4: rows 2-3, 2-10 and 0-0.
    Block(0, 2, 2, 4);
    ColumnExtendToLineEnds(lines);
    struct Span {
        int l, r;
    } spans[] = {{2, 3}, {2, 10}, {0, 0}};
    for (int row = 0; row < 3; ++row) {
        CAPTURE(row);
        int l, r;
        ColumnGetRowSpan(row, &l, &r);
        CHECK(l == spans[row].l);
        CHECK(r == spans[row].r);
    }
    // End leaves multi-caret mode.
    gMultiCaretOn = true;
    BlockCaretsToLineEnds(lines);
    CHECK_FALSE(gMultiCaretOn);
}

TEST_CASE("the control's caret goes to a real character boundary of the block")
{
    // The caret corner lies past the end of a short caret line: the first longer row.
    BlockLines lines = Lines({"ab", "abcdefgh", "abc"});
    Block(0, 2, 5, 5);
    gBlockCaretLine = 2;
    gBlockAnchorLine = 0;
    int line = -1, offset = -1;
    REQUIRE(BlockCaretPlacement(lines, &line, &offset));
    CHECK((line == 1 && offset == 5));
    // No row is long enough: the end of the caret line.
    lines = Lines({"ab", "a", "abc"});
    REQUIRE(BlockCaretPlacement(lines, &line, &offset));
    CHECK((line == 2 && offset == 3));
    // Never inside a double-byte character or a tab.
    lines = Lines({"a" + kWide, "\tb"}, DoubleByteLead);
    Block(0, 1, 2, 2);
    gBlockCaretLine = 0;
    REQUIRE(BlockCaretPlacement(lines, &line, &offset));
    CHECK((line == 0 && offset == 1));
    gBlockCaretLine = 1;
    REQUIRE(BlockCaretPlacement(lines, &line, &offset));
    CHECK((line == 1 && offset == 0));
    // A caret line past the text with per-row columns: nowhere.
    Block(5, 6, 3, 3);
    RaggedCarets({1, 1});
    CHECK_FALSE(BlockCaretPlacement(lines, &line, &offset));
}

TEST_CASE("Ctrl+Left and Ctrl+Right jump by words on every row")
{
    // From column 0: each row to the start of its second word; equal columns merge.
    BlockLines lines = Lines({"int x;", "foo bar"});
    Block(0, 1, 0, 0);
    BlockWordJump(lines, true, false);
    CHECK_FALSE(gPerLineCaretColumnsOn);
    CHECK((gBlockCaretColumn == 4 && gBlockAnchorColumn == 4));

    lines = Lines({"int x;", "longer y"});
    Block(0, 1, 0, 0);
    BlockWordJump(lines, true, false);
    CHECK(ColumnGetRowCaret(0) == 4);
    CHECK(ColumnGetRowCaret(1) == 7);
    CHECK_FALSE(gPerLineAnchorColumnsOn);
    BlockWordJump(lines, false, false);
    CHECK_FALSE(gPerLineCaretColumnsOn);
    CHECK(gBlockCaretColumn == 0);

    // With Shift every row keeps its anchor at column 0.
    Block(0, 1, 0, 0);
    BlockWordJump(lines, true, true);
    int l, r;
    ColumnGetRowSpan(0, &l, &r);
    CHECK((l == 0 && r == 4));
    ColumnGetRowSpan(1, &l, &r);
    CHECK((l == 0 && r == 7));

    // A column inside a tab starts from the tab (a blank: on to the next word); an empty
    // line goes to 0; a wide character is stepped over whole.
    lines = Lines({"\tab cd", "", "x" + kWide + "y z"}, DoubleByteLead);
    Block(0, 2, 3, 3);
    BlockWordJump(lines, true, false);
    CHECK(ColumnGetRowCaret(0) == 8);
    CHECK(ColumnGetRowCaret(1) == 0);
    CHECK(ColumnGetRowCaret(2) == 5);

    // The multi-caret line: every caret jumps; at the end it stays.
    lines = Lines({"ab cd ef"});
    Block(0, 0, 0, 0);
    gMultiCaretOn = true;
    gMultiCaretLine = 0;
    gMultiCaretOffsets = {0, 4, 8};
    MultiCaretWordJump(lines, true);
    CHECK(gMultiCaretOffsets == std::vector<int>{3, 6, 8});
    MultiCaretWordJump(lines, false);
    CHECK(gMultiCaretOffsets == std::vector<int>{0, 3, 6});
}
