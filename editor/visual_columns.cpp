#include "editor/visual_columns.h"

#include <limits.h>

int AdvanceVisualColumn(const char* text, int length, int* offset, int column, int target,
                        LeadByteTest isLeadByte)
{
    if (!text)
        return column;
    const unsigned char* p = (const unsigned char*)text;
    int i = *offset < 0 ? 0 : *offset;
    while (i < length && i < target) {
        // A line of hundreds of millions of tabs would overflow; its column stops growing.
        if (column > INT_MAX - 8)
            break;
        if (p[i] == '\t') {
            column = column / 8 * 8 + 8;
            ++i;
        } else if (isLeadByte && i + 1 < length && isLeadByte(p[i])) {
            column += 2;
            i += 2;
        } else {
            ++column;
            ++i;
        }
    }
    *offset = i;
    return column;
}

int VisualColumnAtOffset(const char* text, int length, int offset, LeadByteTest isLeadByte)
{
    if (!text || length <= 0 || offset <= 0)
        return 0;
    int at = 0;
    return AdvanceVisualColumn(text, length, &at, 0, offset, isLeadByte);
}

int VisualLineWidth(const char* text, int length, LeadByteTest isLeadByte)
{
    return VisualColumnAtOffset(text, length, length, isLeadByte);
}
