#pragma once
// Lines of the editor control and their visual columns.

#include <windows.h>

// One line of a multi-line EDIT control as ReadEditLine fetched it.
struct EditLine {
    int start = -1;        // offset of its first character; -1: the line does not exist
    int length = 0;        // EM_LINELENGTH
    int count = 0;         // bytes read; below length only for a line past EM_GETLINE's reach
    char* bytes = nullptr; // count bytes and a 0 after them; null when no buffer could be had
    EditLine() = default;
    EditLine(const EditLine&) = delete;
    EditLine& operator=(const EditLine&) = delete;
    EditLine(EditLine&& other) noexcept;
    EditLine& operator=(EditLine&& other) noexcept;
    ~EditLine();
};

// The longest text one EM_GETLINE can return: its capacity is the buffer's first WORD.
const int kEditLineReadLimit = 65535;

// Reads the line with EM_LINEINDEX, EM_LINELENGTH of that character index (it takes no
// line number) and EM_GETLINE into a buffer of at least 2 bytes, as the capacity word
// needs even for an empty line. False when the line does not exist.
bool ReadEditLine(HWND edit, int line, EditLine* out);

// The visual column at a byte offset from the start of the editor's line; 0 for an
// offset of 0 or less or a missing or empty line; min(offset, line length) when the line
// cannot be read.
int OffsetToVisualColumn(HWND editor, int line, int byteOffset);
// The visual width of the whole line; 0 for a missing or empty line or when its text
// cannot be read.
int GetLineVisualWidth(HWND editor, int line);
