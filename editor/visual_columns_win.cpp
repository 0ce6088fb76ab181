#include "editor/visual_columns_win.h"

#include "document/codepage.h"
#include "editor/visual_columns.h"

#include <stdlib.h>

EditLine::EditLine(EditLine&& other) noexcept
    : start(other.start), length(other.length), count(other.count), bytes(other.bytes)
{
    other.bytes = nullptr;
}

EditLine& EditLine::operator=(EditLine&& other) noexcept
{
    if (this != &other) {
        free(bytes);
        start = other.start;
        length = other.length;
        count = other.count;
        bytes = other.bytes;
        other.bytes = nullptr;
    }
    return *this;
}

EditLine::~EditLine()
{
    free(bytes);
}

bool ReadEditLine(HWND edit, int line, EditLine* out)
{
    free(out->bytes);
    out->bytes = nullptr;
    out->count = 0;
    out->length = 0;
    out->start = line < 0 ? -1 : (int)SendMessageA(edit, EM_LINEINDEX, line, 0);
    if (out->start < 0) {
        out->start = -1;
        return false;
    }
    int length = (int)SendMessageA(edit, EM_LINELENGTH, out->start, 0);
    out->length = length > 0 ? length : 0;
    int capacity = out->length < kEditLineReadLimit ? out->length : kEditLineReadLimit;
    size_t size = (size_t)capacity + 1 < 2 ? 2 : (size_t)capacity + 1;
    char* buffer = (char*)malloc(size);
    if (!buffer)
        return true;
    int n = 0;
    if (capacity > 0) {
        *(WORD*)buffer = (WORD)capacity;
        n = (int)SendMessageA(edit, EM_GETLINE, line, (LPARAM)buffer);
        if (n < 0)
            n = 0;
        if (n > capacity)
            n = capacity;
    }
    buffer[n] = 0;
    out->bytes = buffer;
    out->count = n;
    return true;
}

int OffsetToVisualColumn(HWND editor, int line, int byteOffset)
{
    if (byteOffset <= 0)
        return 0;
    EditLine text;
    if (!ReadEditLine(editor, line, &text) || text.length == 0)
        return 0;
    int offset = byteOffset < text.length ? byteOffset : text.length;
    if (!text.bytes)
        return offset;
    int column = VisualColumnAtOffset(text.bytes, text.count, offset, WindowsAnsiCodePage().isLeadByte);
    // Bytes beyond what EM_GETLINE could return are counted one column each.
    return offset > text.count ? column + (offset - text.count) : column;
}

int GetLineVisualWidth(HWND editor, int line)
{
    EditLine text;
    if (!ReadEditLine(editor, line, &text) || !text.bytes)
        return 0;
    return VisualLineWidth(text.bytes, text.count, WindowsAnsiCodePage().isLeadByte) +
           (text.length - text.count);
}
