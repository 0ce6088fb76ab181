#include "editor/block_mode.h"

bool gBlockMode = false;
int gMultiCaretLine = -1;
int gBlockCaretLine = -1, gBlockAnchorLine = -1;
int gBlockCaretColumn = -1, gBlockAnchorColumn = -1;
std::vector<int> gPerLineCaretColumns;
std::vector<int> gPerLineAnchorColumns;
std::vector<int> gMultiCaretOffsets;

void ColumnResetRows()
{
    gPerLineCaretColumns.clear();
    gPerLineAnchorColumns.clear();
    gMultiCaretOffsets.clear();
    if (!gBlockMode)
        gMultiCaretLine = -1;
}

// The column operations arrive with block editing; until then block mode never starts.
bool ColumnCopy(HWND) { return false; }
void ColumnDelete(HWND, bool) {}
void ColumnPaste(HWND) {}
