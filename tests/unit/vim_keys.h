#pragma once
// The key of a character on a US layout, as the Vim mode's tests type it: Esc, Enter and
// Backspace are written "\x1b", "\r" and "\b".

#include <string.h>

struct KeyStroke {
    int vk;
    bool shift;
    int ch; // the character the key types
};

inline KeyStroke StrokeOf(char c)
{
    static const char kShiftedDigits[] = ")!@#$%^&*(";
    if (c >= 'a' && c <= 'z')
        return {c - 'a' + 'A', false, c};
    if (c >= 'A' && c <= 'Z')
        return {c, true, c};
    if (c >= '0' && c <= '9')
        return {c, false, c};
    if (const char* d = strchr(kShiftedDigits, c))
        return {(int)('0' + (d - kShiftedDigits)), true, c};
    struct Symbol {
        char c;
        int vk;
        bool shift;
    } symbols[] = {
        {' ', 0x20, false}, {':', 0xBA, true},  {';', 0xBA, false}, {'/', 0xBF, false},
        {'?', 0xBF, true},  {'~', 0xC0, true},  {'`', 0xC0, false}, {'.', 0xBE, false},
        {',', 0xBC, false}, {'-', 0xBD, false}, {'_', 0xBD, true},  {'=', 0xBB, false},
        {'[', 0xDB, false}, {']', 0xDD, false}, {'{', 0xDB, true},  {'}', 0xDD, true},
        {'\x1b', 0x1B, false}, {'\r', 0x0D, false}, {'\b', 0x08, false},
    };
    for (const Symbol& s : symbols)
        if (s.c == c)
            return {s.vk, s.shift, c};
    return {0, false, c};
}
