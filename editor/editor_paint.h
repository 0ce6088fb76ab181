#pragma once
// The editor's double-buffered paint: the control paints itself into a memory bitmap,
// then the diff bands, word occurrences, block selection and whitespace marks go on top.

#include <windows.h>

#include <vector>

struct WordHighlight {
    int start, end; // byte offsets, end exclusive
};

extern std::vector<WordHighlight> gWordHighlights;
extern int gWordHighlightSelStart, gWordHighlightSelEnd;
extern bool gSystemCaretHidden;

void PaintEditor(HWND editor);
int MeasureCellWidth(HWND editor);
int GetFirstVisibleLineX(HWND editor);
