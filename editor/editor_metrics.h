#pragma once
// Size rules of the gutter and the font. Pure: no windows.h.

// The gutter width for a line count: max(40, max(3, digits) x charWidth + 14), where a
// character width below 1 counts as 8.
int GutterWidthFor(int lineCount, int charWidth);
// A font size limited to 6..72 points.
int ClampFontSize(int points);
