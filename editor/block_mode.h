#pragma once
// Block (column) selection and multi-caret state.

#include <windows.h>

#include <vector>

extern bool gBlockMode;
extern int gMultiCaretLine;
extern int gBlockCaretLine, gBlockAnchorLine;
extern int gBlockCaretColumn, gBlockAnchorColumn;
extern std::vector<int> gPerLineCaretColumns;
extern std::vector<int> gPerLineAnchorColumns;
extern std::vector<int> gMultiCaretOffsets;

// Drops the per-row state; with gBlockMode false also ends multi-caret mode.
void ColumnResetRows();

// Column clipboard operations of block mode.
bool ColumnCopy(HWND editor);
void ColumnDelete(HWND editor, bool forward);
void ColumnPaste(HWND editor);
