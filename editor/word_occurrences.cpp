#include "editor/word_occurrences.h"

#include <stddef.h>

namespace {

bool IsLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

char FoldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

bool SameWord(const char* at, const char* word, int w, WordClass cls)
{
    for (int i = 0; i < w; ++i) {
        char a = at[i], b = word[i];
        if (cls == kWordClassWord ? FoldAscii(a) != FoldAscii(b) : a != b)
            return false;
    }
    return true;
}

} // namespace

ClickedWord FindClickedWord(const char* text, int length, int offset, int lineStart, LeadByteTest isLeadByte)
{
    ClickedWord result;
    if (!text || length <= 0)
        return result;
    int c = offset < 0 ? 0 : offset > length ? length : offset;
    if (lineStart < 0 || lineStart > length)
        lineStart = 0;
    if (lineStart == length || lineStart > c)
        return result;
    std::vector<int> starts;
    for (int p = lineStart; p < length && p <= c; p += CharWidthAt(text, length, p, isLeadByte)) {
        if (IsLineBreak(text[p]))
            break;
        starts.push_back(p);
    }
    if (starts.empty())
        return result;
    size_t i = starts.size() - 1;
    if (WordClassAt(text, length, starts[i], isLeadByte) == kWordClassBlank) {
        if (i == 0 || WordClassAt(text, length, starts[i - 1], isLeadByte) == kWordClassBlank)
            return result;
        --i;
    }
    int k = starts[i];
    WordClass cls = WordClassAt(text, length, k, isLeadByte);
    while (i > 0 && WordClassAt(text, length, starts[i - 1], isLeadByte) == cls)
        --i;
    int end = k;
    while (end < length && !IsLineBreak(text[end]) && WordClassAt(text, length, end, isLeadByte) == cls)
        end += CharWidthAt(text, length, end, isLeadByte);
    result.found = true;
    result.start = starts[i];
    result.end = end;
    result.cls = cls;
    return result;
}

std::vector<WordHighlight> FindWordOccurrences(const char* text, int length, int start, int end,
                                               WordClass cls, LeadByteTest isLeadByte)
{
    std::vector<WordHighlight> found;
    int w = end - start;
    if (!text || (cls != kWordClassWord && cls != kWordClassDbcs) || w < 1 || w > kMaxHighlightedWordLength ||
        start < 0 || end > length)
        return found;
    const char* word = text + start;
    int prev = -1; // the start of the character before p on its line
    for (int p = 0; p < length;) {
        if (IsLineBreak(text[p])) {
            prev = -1;
            ++p;
            continue;
        }
        int step = CharWidthAt(text, length, p, isLeadByte);
        // Outside the text, a line break and a blank all read as blank here.
        bool whole = p + w <= length && SameWord(text + p, word, w, cls) &&
                     WordClassAt(text, length, prev, isLeadByte) != cls &&
                     WordClassAt(text, length, p + w, isLeadByte) != cls;
        if (!whole) {
            prev = p;
            p += step;
            continue;
        }
        found.push_back({p, p + w});
        if ((int)found.size() == kMaxWordHighlights)
            break;
        for (int q = p; q < p + w; q += CharWidthAt(text, length, q, isLeadByte))
            prev = q;
        p += w;
    }
    if (found.size() < 2)
        found.clear();
    return found;
}
