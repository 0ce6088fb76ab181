#pragma once
// The number of the Go to Line window. Pure: no windows.h.

#include <cstdint>

// Reads the field as the runtime's atoi reads it (leading blanks, a sign, decimal digits;
// 0 without digits), except that a number beyond the int32 range saturates instead of
// overflowing: a pasted 30-digit number means "as far as possible".
int32_t ParseLineNumber(const char* text);

// The 0-based line that a parsed number goes to in a text of lineCount lines (at least 1):
// a number past the end goes to the last line; -1 for 0 or a negative number (no move).
int32_t GoToLineIndex(int32_t number, int32_t lineCount);

// The number the field proposes: the 1-based line of the caret, clamped to 1..lineCount.
int32_t ProposedLineNumber(int32_t caretLine, int32_t lineCount);
