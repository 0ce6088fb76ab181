#pragma once
// Unsigned decimal numbers in file names and protocol headers. Pure: no windows.h.

#include <stddef.h>

#include <string>

// The digits of text[begin, end) as a 32-bit unsigned number: false, value untouched, when
// the range is empty, holds anything but the digits 0 to 9 (no sign, no blank) or counts
// past 4,294,967,295.
inline bool ParseDecimal32(const std::string& text, size_t begin, size_t end, unsigned long* value)
{
    if (begin >= end || end > text.size())
        return false;
    unsigned long long n = 0;
    for (size_t i = begin; i < end; ++i) {
        char c = text[i];
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + (unsigned)(c - '0');
        if (n > 0xFFFFFFFFULL)
            return false;
    }
    *value = (unsigned long)n;
    return true;
}
