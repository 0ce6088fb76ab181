#include "editor/word_break.h"

#include "document/codepage.h"
#include "editor/word_bounds.h"

int CALLBACK EditWordBreakProc(LPSTR text, int current, int length, int action)
{
    int code = action == WB_LEFT ? kWordBreakLeft
             : action == WB_RIGHT ? kWordBreakRight
             : action == WB_ISDELIMITER ? kWordBreakIsDelimiter
                                        : -1;
    return WordBreakPosition(text, length, current, code, WindowsAnsiCodePage().isLeadByte);
}
