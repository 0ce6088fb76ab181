#pragma once
// The editor's double-buffered paint: the control paints itself into a memory bitmap,
// then the diff bands, word occurrences, block selection and whitespace marks go on top.

#include "editor/word_occurrences.h"

#include <windows.h>

#include <vector>

// Occurrences of the double-clicked word in text order; valid only while the editor's
// selection is exactly [gWordHighlightSelStart, gWordHighlightSelEnd).
extern std::vector<WordHighlight> gWordHighlights;
extern int gWordHighlightSelStart, gWordHighlightSelEnd;
extern bool gSystemCaretHidden;
// Diff Mode: a band on each line shows how it differs from the line above (a setting).
extern bool gDiffMode;

// No occurrence highlights; the system caret shown.
void ResetEditorPaintState();

// WM_PAINT of the editor.
void PaintEditor(HWND editor);
// The whole composed picture of the editor's client area (width x height from 0, 0)
// copied into target: what WM_PAINT shows. Nothing for a size of 0 or less. With an area
// (the part a paint must renew), the control and the overlays draw only the rows that
// meet it, since only that part reaches the screen.
void RenderEditor(HWND editor, HDC target, int width, int height, const RECT* area = nullptr);
// Width in pixels of one character cell of the editor font; at least 1.
int MeasureCellWidth(HWND editor);
int GetFirstVisibleLineX(HWND editor);
