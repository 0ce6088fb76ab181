#include "editor/diff_line.h"

#include <string.h>

namespace {

bool StartsWith(const unsigned char* p, int left, const char* bytes, int n)
{
    return left >= n && memcmp(p, bytes, n) == 0;
}

bool SingleByte(unsigned char c, LeadByteTest isLeadByte)
{
    return !isLeadByte || !isLeadByte(c);
}

// Length of the blank at p (a multi-byte blank only when all its bytes are there), or 0.
int BlankLength(const unsigned char* p, int left, LeadByteTest isLeadByte)
{
    unsigned char c = p[0];
    if (c == 0x09 || c == 0x0A || c == 0x0D || c == 0x20 || (c == 0xA0 && SingleByte(c, isLeadByte)))
        return 1;
    if (StartsWith(p, left, "\xA1\xA1", 2) || StartsWith(p, left, "\xC2\xA0", 2))
        return 2;
    if (StartsWith(p, left, "\xE2\x80\x8B", 3) || StartsWith(p, left, "\xE3\x80\x80", 3))
        return 3;
    return 0;
}

} // namespace

bool ClassifyDiffLine(const char* text, int length, bool* added, bool* removed, LeadByteTest isLeadByte)
{
    if (!text || length <= 0)
        return false;
    const unsigned char* p = (const unsigned char*)text;
    int left = length;
    while (left > 0) {
        int blank = BlankLength(p, left, isLeadByte);
        if (blank == 0)
            break;
        p += blank;
        left -= blank;
    }
    if (left == 0)
        return false;

    bool isAdded = false, isRemoved = false;
    if (p[0] == '+')
        isAdded = !StartsWith(p, left, "+++", 3);
    else if (p[0] == '-')
        isRemoved = !StartsWith(p, left, "---", 3);
    else if (StartsWith(p, left, "\xA3\xAB", 2) || StartsWith(p, left, "\xEF\xBC\x8B", 3))
        isAdded = true;
    else if (StartsWith(p, left, "\xA3\xAD", 2) || StartsWith(p, left, "\xEF\xBC\x8D", 3) ||
             ((p[0] == 0x96 || p[0] == 0x97) && SingleByte(p[0], isLeadByte)) ||
             StartsWith(p, left, "\xA1\xAA", 2) || StartsWith(p, left, "\xE2\x88\x92", 3))
        isRemoved = true;
    else if (left >= 3 && p[0] == 0xE2 && p[1] == 0x80 && p[2] >= 0x90 && p[2] <= 0x95)
        isRemoved = true;

    if (isAdded)
        *added = true;
    if (isRemoved)
        *removed = true;
    return isAdded || isRemoved;
}
