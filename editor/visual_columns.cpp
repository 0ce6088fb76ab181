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

int VisualColumnToOffset(const char* text, int length, int column, int* missing, LeadByteTest isLeadByte)
{
    const unsigned char* p = (const unsigned char*)text;
    int i = 0, at = 0;
    while (p && i < length && at < column && at <= INT_MAX - 8) {
        int size = 1, end = at + 1;
        if (p[i] == '\t') {
            end = at / 8 * 8 + 8;
        } else if (isLeadByte && i + 1 < length && isLeadByte(p[i])) {
            size = 2;
            end = at + 2;
        }
        if (end > column)
            break;
        at = end;
        i += size;
    }
    if (missing)
        *missing = column > at ? column - at : 0;
    return i;
}

int IndentationWidth(const char* text, int length)
{
    int column = 0;
    for (int i = 0; text && i < length && (text[i] == ' ' || text[i] == '\t'); ++i)
        column = text[i] == '\t' ? column / 8 * 8 + 8 : column + 1;
    return column;
}
