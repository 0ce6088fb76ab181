#pragma once
// Block (column) selection and one-line multi-caret state of the editor, and the
// operations on it that need no line text. Lines are line numbers of the editor, columns
// visual columns (see visual_columns.h). Pure: no windows.h.

#include <vector>

// Block selection: the caret corner moves, the anchor corner stays.
extern bool gBlockMode;
extern int gBlockCaretLine, gBlockAnchorLine;
// Columns of the rows without an entry of their own; negative values read as 0.
extern int gBlockCaretColumn, gBlockAnchorColumn;
// Ragged rows: per-line caret (and anchor) columns, indexed by line number; -1 or an
// index past the end means that the row has no entry.
extern bool gPerLineCaretColumnsOn;
extern std::vector<int> gPerLineCaretColumns;
extern bool gPerLineAnchorColumnsOn;
extern std::vector<int> gPerLineAnchorColumns;
// An Alt+Shift mouse drag holds the mouse capture.
extern bool gBlockMouseDrag;

// Multi-caret mode, a sub-mode of block mode: carets as byte offsets from the start of
// gMultiCaretLine, in non-decreasing order; the last one is where the control's caret is.
extern bool gMultiCaretOn;
extern int gMultiCaretLine;
extern std::vector<int> gMultiCaretOffsets;

// Every value as at start.
void ResetBlockState();
// Drops the ragged and multi-caret state; block mode and its corners stay.
void ColumnResetRows();

// The block's top and bottom lines.
int BlockTop();
int BlockBottom();

int ColumnGetRowCaret(int line);
int ColumnGetRowAnchor(int line);
// The row's left and right edges, each at least 0.
void ColumnGetRowSpan(int line, int* left, int* right);
// Sets both block columns to the caret row's caret column.
void ColumnCollapseToCaret();
// Turns ragged rows whose columns all agree back into a plain block; false, changing
// nothing, when no per-line caret columns are in force or the rows differ.
bool ColumnMergeUniformRows();

// Alt+Shift with an arrow (and Shift+Up/Down, and Shift+Left/Right on plain rows):
// moves the caret corner by one line or one column; ragged rows are made plain first
// when `plainFirst` is set. lineCount is the editor's line count.
void BlockMoveCorner(int lineDelta, int columnDelta, int lineCount, bool plainFirst);
// The arrow keys without Shift (block mode, not multi-caret): the block moves or
// collapses; ragged rows move their own carets.
void BlockPlainMove(int lineDelta, int columnDelta, int lineCount);
// Moves the ragged carets (and their anchors) of rows top..bottom one line up (-1) or
// down (+1); nothing at the first or last line of the text.
void ColumnMoveRows(int delta, int lineCount);
// Shift+Left (-1) or Shift+Right (+1) on ragged rows: every row's caret moves, the old
// carets becoming anchors.
void ColumnExtendHorizontal(int delta, int lineCount);
// The largest (or smallest) caret column of the rows; gBlockCaretColumn (at least 0)
// when the rows are plain.
int BlockWidestCaret();
int BlockNarrowestCaret();
// Sets the block columns from row r (the caret line when it lies in the rows, else the
// bottom row) after a change of the per-line entries.
void BlockColumnsFromCaretRow();
// Makes a per-line vector hold at least lineCount entries (new entries -1).
void GrowColumns(std::vector<int>& columns, int lineCount);
