#include "editor/word_bounds.h"

#include <vector>

namespace {

bool IsAsciiWordByte(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsLead(LeadByteTest isLeadByte, unsigned char c)
{
    return isLeadByte && isLeadByte(c);
}

// Walks the characters before a position from right to left. A byte that cannot be a
// lead byte ends any double-byte character, so the character starts of the stretch back
// to the nearest such byte are found by a walk forward from there; every byte is looked
// at a bounded number of times, also in text made only of lead-byte values.
struct BackwardChars {
    const unsigned char* text;
    int length;
    LeadByteTest isLeadByte;
    int position;
    std::vector<int> starts; // starts of the characters of the current stretch, ascending

    // The start of the character before the current position, which becomes the new
    // position; false at the start of the text.
    bool Previous(int* start)
    {
        if (starts.empty()) {
            if (position <= 0)
                return false;
            // The byte before the position may be a trail byte, so the stretch starts
            // behind the lead-byte values before that byte.
            int from = position - 1;
            while (from > 0 && IsLead(isLeadByte, text[from - 1]))
                --from;
            for (int s = from; s < position; s += CharWidthAt((const char*)text, length, s, isLeadByte))
                starts.push_back(s);
        }
        *start = position = starts.back();
        starts.pop_back();
        return true;
    }
};

BackwardChars WalkBackFrom(const char* text, int length, int position, LeadByteTest isLeadByte)
{
    BackwardChars walk;
    walk.text = (const unsigned char*)text;
    walk.length = length;
    walk.isLeadByte = isLeadByte;
    walk.position = position;
    return walk;
}

enum MoveClass { kMoveBlank, kMoveWord, kMovePunct };

MoveClass MoveClassOf(unsigned char c)
{
    if (c <= 0x20)
        return kMoveBlank;
    return IsAsciiWordByte(c) || c >= 0x80 ? kMoveWord : kMovePunct;
}

} // namespace

WordClass WordClassAt(const char* text, int length, int position, LeadByteTest isLeadByte)
{
    if (!text || position < 0 || position >= length)
        return kWordClassBlank;
    unsigned char c = (unsigned char)text[position];
    if (c <= 0x20)
        return kWordClassBlank;
    if (IsAsciiWordByte(c))
        return kWordClassWord;
    return IsLead(isLeadByte, c) ? kWordClassDbcs : kWordClassOther;
}

int CharWidthAt(const char* text, int length, int position, LeadByteTest isLeadByte)
{
    if (!text || position < 0 || position + 1 >= length)
        return 1;
    return IsLead(isLeadByte, (unsigned char)text[position]) ? 2 : 1;
}

int CharStartAt(const char* text, int length, int position, LeadByteTest isLeadByte)
{
    if (position > length)
        position = length;
    if (!text || !isLeadByte || position <= 0)
        return position < 0 ? 0 : position;
    int from = position;
    while (from > 0 && isLeadByte((unsigned char)text[from - 1]))
        --from;
    int s = from;
    while (s < position) {
        int width = CharWidthAt(text, length, s, isLeadByte);
        if (s + width > position)
            break;
        s += width;
    }
    return s;
}

int CharStartBefore(const char* text, int length, int position, LeadByteTest isLeadByte)
{
    if (!text || position <= 0)
        return 0;
    BackwardChars walk = WalkBackFrom(text, length, position < length ? position : length, isLeadByte);
    int start = 0;
    walk.Previous(&start);
    return start;
}

int FindWordLeft(const char* text, int length, int position, LeadByteTest isLeadByte)
{
    if (!text || position <= 0 || length <= 0)
        return 0;
    BackwardChars walk = WalkBackFrom(text, length, position < length ? position : length, isLeadByte);
    int s = 0;
    do {
        if (!walk.Previous(&s))
            return 0;
    } while (MoveClassOf((unsigned char)text[s]) == kMoveBlank);
    MoveClass run = MoveClassOf((unsigned char)text[s]);
    int result = s;
    while (walk.Previous(&s) && MoveClassOf((unsigned char)text[s]) == run)
        result = s;
    return result;
}

int FindWordRight(const char* text, int length, int position, LeadByteTest isLeadByte)
{
    if (!text || length <= 0)
        return 0;
    if (position >= length)
        return length;
    int p = CharStartAt(text, length, position, isLeadByte);
    MoveClass run = MoveClassOf((unsigned char)text[p]);
    if (run != kMoveBlank)
        while (p < length && MoveClassOf((unsigned char)text[p]) == run)
            p += CharWidthAt(text, length, p, isLeadByte);
    while (p < length && MoveClassOf((unsigned char)text[p]) == kMoveBlank)
        p += CharWidthAt(text, length, p, isLeadByte);
    return p;
}

int WordBreakPosition(const char* text, int length, int position, int code, LeadByteTest isLeadByte)
{
    if (!text || length < 0)
        length = 0;
    switch (code) {
    case kWordBreakIsDelimiter: {
        if (position < 0 || position >= length)
            return 1;
        WordClass c = WordClassAt(text, length, CharStartAt(text, length, position, isLeadByte), isLeadByte);
        return c == kWordClassBlank || c == kWordClassOther;
    }
    case kWordBreakLeft: {
        if (position <= 0 || length == 0)
            return 0;
        BackwardChars walk = WalkBackFrom(text, length, position < length ? position : length, isLeadByte);
        int s = 0;
        walk.Previous(&s);
        WordClass run = WordClassAt(text, length, s, isLeadByte);
        int result = s;
        while (walk.Previous(&s) && WordClassAt(text, length, s, isLeadByte) == run)
            result = s;
        return result;
    }
    case kWordBreakRight: {
        if (position >= length)
            return length;
        int p = CharStartAt(text, length, position < 0 ? 0 : position, isLeadByte);
        WordClass run = WordClassAt(text, length, p, isLeadByte);
        while (p < length && WordClassAt(text, length, p, isLeadByte) == run)
            p += CharWidthAt(text, length, p, isLeadByte);
        return p;
    }
    }
    return 0;
}
