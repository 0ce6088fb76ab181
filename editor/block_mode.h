#pragma once
// Block selection and multi-caret editing in the editor control: reading the block's
// lines, applying the plans of block_rows.h, placing and scrolling the caret, and the
// block's clipboard operations.

#include "editor/block_rows.h"
#include "editor/block_state.h"

#include <windows.h>

// Lines of the editor with the offset of the first one.
struct EditorRows {
    BlockLines lines;
    int firstStart = -1;
    // Offset of a held line's first character.
    int StartOf(int line) const;
};

// Reads the editor's lines from..to (limited to the text's lines). False when the control
// does not report its lines as the text holds them.
bool ReadEditorRows(HWND editor, int from, int to, EditorRows* out);

// The metrics of the editor's font (zeroed when they cannot be had), and its line height
// (14 when the font gives none).
void GetEditorTextMetrics(HWND editor, TEXTMETRICA* tm);
int EditorLineHeight(HWND editor);
// Pixel x of a column on a line (client coordinates); *y (optional) receives the y of the
// line's start, -1 when the line does not exist (x is then 0).
int VisualColumnToX(HWND editor, int line, int column, int cellWidth, int* y);
// The line and nearest column under a client point; either output may be null.
void PointToLineColumn(HWND editor, POINT point, int* line, int* column);

// Puts the control's own (hidden) caret at the block caret, or at the last caret of the
// multi-caret line. `rows`, when given, holds the block's current lines.
void ColumnPlaceCaret(HWND editor, const EditorRows* rows = nullptr);
void ColumnPlaceCaretIfActive(HWND editor);
// Scrolls the editor horizontally so that the column shows; block mode only.
void ColumnScrollCaretIntoView(HWND editor, int column, const EditorRows* rows = nullptr);
// Hides the control's caret exactly once while block mode draws its own.
void HideSystemCaretOnce(HWND editor);

// The block's edits, each one undo step; nothing outside block mode or in a read-only
// document (which beeps).
void ColumnTypeText(HWND editor, const std::string& s);
void ColumnDelete(HWND editor, bool backspace);
void ColumnTab(HWND editor, bool shift);
// Copy puts the block's text on the clipboard; true when it got there.
bool ColumnCopy(HWND editor);
// Cut copies, then removes the slices it copied (a zero-width block loses nothing).
void ColumnCut(HWND editor);
// Paste replaces the block by the clipboard's lines and leaves block mode.
void ColumnPaste(HWND editor);
