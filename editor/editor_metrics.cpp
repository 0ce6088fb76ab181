#include "editor/editor_metrics.h"

int GutterWidthFor(int lineCount, int charWidth)
{
    int digits = 0;
    for (int n = lineCount; n > 0; n /= 10)
        ++digits;
    if (digits < 3)
        digits = 3;
    if (charWidth < 1)
        charWidth = 8;
    int width = digits * charWidth + 14;
    return width < 40 ? 40 : width;
}

int ClampFontSize(int points)
{
    return points > 72 ? 72 : (points < 6 ? 6 : points);
}
