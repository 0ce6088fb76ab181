#pragma once
// Block operations over the texts of the block's lines: every edit, every key that needs
// the rows' text and where the control's caret goes are plans here, which the window
// code reads the lines for and applies. They read and write the state of block_state.h.
// Pure: no windows.h.

#include "editor/visual_columns.h"

#include <string>
#include <vector>

// The editor's lines first .. first + text.size() - 1, without their line breaks. Lines
// past the end of the text are absent.
struct BlockLines {
    int first = 0;
    int lineCount = 0; // the editor's line count
    std::vector<std::string> text;
    // The bytes that end each line: "\r\n", or "" after the last line of the text.
    std::vector<std::string> breaks;
    LeadByteTest lead = nullptr;

    bool Has(int line) const { return line >= first && line < first + (int)text.size(); }
    std::string& Line(int line) { return text[(size_t)(line - first)]; }
    const std::string& Line(int line) const { return text[(size_t)(line - first)]; }
    // Byte length and visual width; 0 for a line that is not held.
    int Length(int line) const;
    int Width(int line) const;
};

// Turns every tab whose span strictly contains column a or b into as many spaces as it
// spanned, so that neither column falls inside a tab.
void ExpandStraddlingTabs(std::string& line, int a, int b, LeadByteTest lead);

// Typing: s replaces every row's slice (rows ending before the left edge are padded
// with spaces), or goes in at every caret of the multi-caret line.
void BlockType(BlockLines& lines, const std::string& s);
// Delete (backspace false) or Backspace: removes every row's slice, or one character
// per row or caret; Delete at the ends of two or more rows joins them into one line
// with a caret at every junction (multi-caret mode).
void BlockDelete(BlockLines& lines, bool backspace);
// Tab and Shift+Tab.
void BlockTab(BlockLines& lines, bool shift);
// The clipboard text of the block: the rows' slices joined by CR LF.
std::string BlockCopyText(const BlockLines& lines);
// The lines of a clipboard text: broken at CR LF or LF; a final line break adds no line.
std::vector<std::string> SplitPastedLines(const std::string& text);
// Replaces every row's slice by the pasted line of the same index (one line goes on
// every row; rows past the last line are cleared). Returns the offset in the top row
// just after its pasted text, -1 when the top row does not exist. Block mode is left to
// the caller.
int BlockPaste(BlockLines& lines, const std::string& text);
// True when the block has a row with width (a Cut removes only what it copied).
bool BlockHasWidth();

// Home: every row's caret to its indentation, or, when all are there, to column 0.
void ColumnSmartHome(const BlockLines& lines);
// End: every row's caret to its own line end.
void BlockCaretsToLineEnds(const BlockLines& lines);
// Shift+End: every row's caret to its line end, the anchors kept within the line.
void ColumnExtendToLineEnds(const BlockLines& lines);
// Ctrl+Left or Ctrl+Right on every row; with Shift the rows keep their anchors.
void BlockWordJump(const BlockLines& lines, bool right, bool shift);
// Left or Right of the multi-caret line: every caret one character.
void MultiCaretStep(const BlockLines& lines, bool right);
// Ctrl+Left or Ctrl+Right of the multi-caret line.
void MultiCaretWordJump(const BlockLines& lines, bool right);

// Where the control's own caret goes: on a character boundary of a real line at or
// before the block caret's column (the last caret in multi-caret mode). False when no
// line qualifies. The lines must hold the block's rows (or the multi-caret line).
bool BlockCaretPlacement(const BlockLines& lines, int* line, int* offset);
// The column the control's caret aims at in block mode.
int BlockCaretTarget();
// The line by which a column is scrolled into view: the first row whose byte length
// reaches the column, else the caret line.
int BlockScrollReferenceLine(const BlockLines& lines, int column);
