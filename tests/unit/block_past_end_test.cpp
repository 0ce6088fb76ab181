// Block rows below the text's last line, as Ctrl+Z through the message loop's table
// leaves them (block mode stays on while the text loses lines). Every key of block mode
// must then work on the lines that exist: run under AddressSanitizer, a write past the
// end of a per-line column vector stops the test.

#include <doctest/doctest.h>

#include "editor/block_rows.h"
#include "editor/block_state.h"

#include <functional>
#include <string>
#include <vector>

namespace {

// The lines a, " b", c; by default the block covers lines 1 to 4 at column 1, so its
// rows 3 and 4 lie past the last line.
const std::vector<std::string> kText = {"a", " b", "c"};
const int kLineCount = 3;

void BlockPastTheEnd(int anchorLine = 1, int caretLine = 4)
{
    ResetBlockState();
    gBlockMode = true;
    gBlockAnchorLine = anchorLine;
    gBlockCaretLine = caretLine;
    gBlockAnchorColumn = gBlockCaretColumn = 1;
}

// The rows of the block as the window code reads them: only lines that exist, plus the
// line after the block when there is one.
BlockLines Rows(const std::vector<std::string>& text)
{
    BlockLines lines;
    lines.lineCount = (int)text.size();
    int top = BlockTop() < 0 ? 0 : BlockTop();
    lines.first = top < (int)text.size() ? top : (int)text.size();
    for (int line = lines.first; line < (int)text.size() && line <= BlockBottom() + 1; ++line) {
        lines.text.push_back(text[(size_t)line]);
        lines.breaks.push_back(line + 1 < (int)text.size() ? "\r\n" : "");
    }
    return lines;
}

struct Key {
    const char* name;
    std::function<void(std::vector<std::string>&)> press;
};

// The block keys as block_keys.cpp runs them on the model, with the text they may edit.
const Key kKeys[] = {
    {"Home", [](std::vector<std::string>& t) { ColumnSmartHome(Rows(t)); }},
    {"End", [](std::vector<std::string>& t) { BlockCaretsToLineEnds(Rows(t)); }},
    {"Shift+End", [](std::vector<std::string>& t) { ColumnExtendToLineEnds(Rows(t)); }},
    {"Up", [](std::vector<std::string>& t) { BlockPlainMove(-1, 0, (int)t.size()); }},
    {"Down", [](std::vector<std::string>& t) { BlockPlainMove(1, 0, (int)t.size()); }},
    {"Left", [](std::vector<std::string>& t) { BlockPlainMove(0, -1, (int)t.size()); }},
    {"Right", [](std::vector<std::string>& t) { BlockPlainMove(0, 1, (int)t.size()); }},
    {"Shift+Up", [](std::vector<std::string>& t) { BlockMoveCorner(-1, 0, (int)t.size(), true); }},
    {"Shift+Down", [](std::vector<std::string>& t) { BlockMoveCorner(1, 0, (int)t.size(), true); }},
    {"Shift+Left",
     [](std::vector<std::string>& t) {
         if (gPerLineCaretColumnsOn)
             ColumnExtendHorizontal(-1, (int)t.size());
         else
             BlockMoveCorner(0, -1, (int)t.size(), false);
     }},
    {"Shift+Right",
     [](std::vector<std::string>& t) {
         if (gPerLineCaretColumnsOn)
             ColumnExtendHorizontal(1, (int)t.size());
         else
             BlockMoveCorner(0, 1, (int)t.size(), false);
     }},
    {"Ctrl+Right", [](std::vector<std::string>& t) { BlockWordJump(Rows(t), true, false); }},
    {"Ctrl+Shift+Left", [](std::vector<std::string>& t) { BlockWordJump(Rows(t), false, true); }},
};

// An edit of the rows that exist; the edited lines (fewer after a joining Delete) go
// back into the text.
void EditRows(std::vector<std::string>& t, const std::function<void(BlockLines&)>& edit)
{
    BlockLines rows = Rows(t);
    size_t held = rows.text.size();
    edit(rows);
    auto at = t.begin() + rows.first;
    t.erase(at, at + (long)held);
    t.insert(t.begin() + rows.first, rows.text.begin(), rows.text.end());
}

// Typing, Delete, Backspace, Tab, Shift+Tab, Copy and Paste.
const Key kEdits[] = {
    {"typing", [](std::vector<std::string>& t) { EditRows(t, [](BlockLines& r) { BlockType(r, "x"); }); }},
    {"Delete",
     [](std::vector<std::string>& t) { EditRows(t, [](BlockLines& r) { BlockDelete(r, false); }); }},
    {"Backspace",
     [](std::vector<std::string>& t) { EditRows(t, [](BlockLines& r) { BlockDelete(r, true); }); }},
    {"Tab", [](std::vector<std::string>& t) { EditRows(t, [](BlockLines& r) { BlockTab(r, false); }); }},
    {"Shift+Tab", [](std::vector<std::string>& t) { EditRows(t, [](BlockLines& r) { BlockTab(r, true); }); }},
    {"Copy", [](std::vector<std::string>& t) { BlockCopyText(Rows(t)); }},
    {"Paste",
     [](std::vector<std::string>& t) {
         EditRows(t, [](BlockLines& r) { BlockPaste(r, "1\r\n2\r\n3\r\n4"); });
     }},
};

// What every key must leave: the control's caret on a real line, and rows whose columns
// can all be read.
void CheckState(const std::vector<std::string>& t)
{
    int line = -1, offset = -1;
    if (BlockCaretPlacement(Rows(t), &line, &offset)) {
        CHECK(line >= 0);
        CHECK(line < (int)t.size());
        CHECK(offset >= 0);
        CHECK(offset <= (int)t[(size_t)line].size());
    }
    for (int row = BlockTop(); row <= BlockBottom(); ++row) {
        int left = -1, right = -1;
        ColumnGetRowSpan(row, &left, &right);
        CHECK(left >= 0);
        CHECK(left <= right);
    }
    BlockWidestCaret();
    BlockNarrowestCaret();
}

} // namespace

TEST_CASE("Home then Up moves the ragged carets of the lines that exist")
{
    BlockPastTheEnd();
    std::vector<std::string> text = kText;
    ColumnSmartHome(Rows(text));
    REQUIRE(gPerLineCaretColumnsOn);
    BlockPlainMove(-1, 0, kLineCount);
    CHECK(gBlockAnchorLine == 0);
    CHECK(gBlockCaretLine == 3);
    // Line 1's indentation travelled to line 0, line 2's to line 1.
    CHECK(ColumnGetRowCaret(0) == 1);
    CHECK(ColumnGetRowCaret(1) == 0);
    CHECK(gPerLineCaretColumns.size() <= (size_t)kLineCount);
}

TEST_CASE("every block key and edit, after every key, with rows past the last line")
{
    std::vector<Key> all(std::begin(kKeys), std::end(kKeys));
    all.insert(all.end(), std::begin(kEdits), std::end(kEdits));
    // Blocks that reach past the last line, from either corner, and one wholly past it.
    struct Corners {
        int anchor, caret;
    } blocks[] = {{1, 4}, {4, 1}, {3, 5}};
    // Each pair of keys: the first key makes the rows ragged (or not), the second works
    // on what it left.
    for (const Corners& block : blocks) {
        for (const Key& first : all) {
            for (const Key& second : all) {
                CAPTURE(block.anchor);
                CAPTURE(block.caret);
                CAPTURE(first.name);
                CAPTURE(second.name);
                BlockPastTheEnd(block.anchor, block.caret);
                std::vector<std::string> text = kText;
                first.press(text);
                CheckState(text);
                second.press(text);
                CheckState(text);
            }
        }
    }
}
