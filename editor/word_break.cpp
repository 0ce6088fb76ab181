#include "editor/word_break.h"

// The editor's own word rules arrive with their own work; until then the control's
// usual rule: words are separated by blanks.
static bool IsBreak(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int CALLBACK EditWordBreakProc(LPSTR text, int current, int length, int action)
{
    switch (action) {
    case WB_ISDELIMITER:
        return current >= 0 && current < length && IsBreak(text[current]);
    case WB_LEFT:
        while (current > 0 && IsBreak(text[current - 1]))
            --current;
        while (current > 0 && !IsBreak(text[current - 1]))
            --current;
        return current;
    case WB_RIGHT:
        while (current < length && !IsBreak(text[current]))
            ++current;
        while (current < length && IsBreak(text[current]))
            ++current;
        return current;
    }
    return 0;
}
