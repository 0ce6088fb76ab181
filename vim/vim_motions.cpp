#include "vim/vim_motions.h"

#include "editor/word_bounds.h"
#include "search/find_engine.h"

namespace {

enum VimClass { kBlank, kWord, kPunct };

VimClass ClassOf(char c)
{
    if (VimIsBlank(c))
        return kBlank;
    return VimIsWordChar(c) ? kWord : kPunct;
}

int Length(const std::string& text)
{
    return (int)text.size();
}

int Clamp(int position, int low, int high)
{
    return position < low ? low : position > high ? high : position;
}

} // namespace

bool VimIsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool VimIsWordChar(char c)
{
    unsigned char b = (unsigned char)c;
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '_' || b >= 0x80;
}

bool VimIsPunctChar(char c)
{
    return !VimIsBlank(c) && !VimIsWordChar(c);
}

int VimGetCharWidth(const std::string& text, int position, LeadByteTest isLeadByte)
{
    int width = CharWidthAt(text.data(), Length(text), position, isLeadByte);
    // No code page has CR or LF for a trail byte: a lead byte before a line break (a
    // broken text) is a character of its own, so the break stays whole.
    if (width == 2 && (text[(size_t)position + 1] == '\r' || text[(size_t)position + 1] == '\n'))
        return 1;
    return width;
}

int VimWordForward(const std::string& text, int position)
{
    int n = Length(text);
    int p = Clamp(position, 0, n);
    if (p < n) {
        VimClass run = ClassOf(text[p]);
        if (run != kBlank)
            while (p < n && ClassOf(text[p]) == run)
                ++p;
    }
    while (p < n && VimIsBlank(text[p]))
        ++p;
    return p;
}

int VimBigWordForward(const std::string& text, int position)
{
    int n = Length(text);
    int p = Clamp(position, 0, n);
    while (p < n && !VimIsBlank(text[p]))
        ++p;
    while (p < n && VimIsBlank(text[p]))
        ++p;
    return p;
}

namespace {

// b and B: back over blanks, then to the start of the run before them. `big` joins word
// and punctuation runs into one class.
int WordBackward(const std::string& text, int position, bool big)
{
    int n = Length(text);
    int q = Clamp(position, 0, n) - 1;
    if (q < 0)
        return 0;
    while (VimIsBlank(text[q])) {
        if (q == 0)
            return 0;
        --q;
    }
    VimClass run = ClassOf(text[q]);
    while (q > 0) {
        VimClass before = ClassOf(text[q - 1]);
        if (big ? before == kBlank : before != run)
            break;
        --q;
    }
    return q;
}

// e and E: from the character after the position over blanks to the last byte of the
// next run.
int WordEnd(const std::string& text, int position, LeadByteTest isLeadByte, bool big)
{
    int n = Length(text);
    if (n == 0)
        return 0;
    int q = Clamp(position, 0, n);
    q += VimGetCharWidth(text, q, isLeadByte);
    if (q >= n)
        return n - 1;
    while (q < n && VimIsBlank(text[q]))
        ++q;
    if (q >= n)
        return n - 1;
    VimClass run = ClassOf(text[q]);
    while (q < n && (big ? !VimIsBlank(text[q]) : ClassOf(text[q]) == run))
        ++q;
    return q - 1;
}

} // namespace

int VimWordBackward(const std::string& text, int position)
{
    return WordBackward(text, position, false);
}

int VimBigWordBackward(const std::string& text, int position)
{
    return WordBackward(text, position, true);
}

int VimWordEnd(const std::string& text, int position, LeadByteTest isLeadByte)
{
    return WordEnd(text, position, isLeadByte, false);
}

int VimBigWordEnd(const std::string& text, int position, LeadByteTest isLeadByte)
{
    return WordEnd(text, position, isLeadByte, true);
}

void VimInnerWord(const std::string& text, int position, int* start, int* end)
{
    int n = Length(text);
    if (n == 0) {
        *start = *end = 0;
        return;
    }
    int c = Clamp(position, 0, n - 1);
    VimClass run = ClassOf(text[c]);
    int s = c, e = Clamp(position, 0, n);
    while (s > 0 && ClassOf(text[s - 1]) == run)
        --s;
    while (e < n && ClassOf(text[e]) == run)
        ++e;
    *start = s;
    *end = e;
}

int VimLineStart(const std::string& text, int position)
{
    int p = Clamp(position, 0, Length(text));
    while (p > 0 && text[p - 1] != '\n')
        --p;
    return p;
}

int VimLineEnd(const std::string& text, int position)
{
    int n = Length(text);
    int p = VimLineStart(text, position);
    while (p < n && text[p] != '\n')
        ++p;
    if (p < n && p > 0 && text[p - 1] == '\r')
        --p;
    return p;
}

int VimLineBreakLength(const std::string& text, int lineEnd)
{
    int n = Length(text);
    if (lineEnd < 0 || lineEnd >= n)
        return 0;
    if (text[lineEnd] == '\n')
        return 1;
    return text[lineEnd] == '\r' && lineEnd + 1 < n && text[lineEnd + 1] == '\n' ? 2 : 0;
}

bool VimInsideLineBreak(const std::string& text, int position)
{
    return position > 0 && position < Length(text) && text[position - 1] == '\r' && text[position] == '\n';
}

int VimCharacterEnd(const std::string& text, int position, LeadByteTest isLeadByte)
{
    int n = Length(text);
    int p = Clamp(position, 0, n);
    if (p == n)
        return n;
    if (VimLineBreakLength(text, p) == 2)
        return p + 2;
    return p + VimGetCharWidth(text, p, isLeadByte);
}

int VimFirstNonBlank(const std::string& text, int position)
{
    int p = VimLineStart(text, position);
    int end = VimLineEnd(text, position);
    while (p < end && (text[p] == ' ' || text[p] == '\t'))
        ++p;
    return p;
}

int VimLineOfPosition(const std::string& text, int position)
{
    int p = Clamp(position, 0, Length(text));
    int line = 0;
    for (int i = 0; i < p; ++i)
        if (text[i] == '\n')
            ++line;
    return line;
}

int VimStartOfLine(const std::string& text, int line)
{
    if (line < 0)
        return -1;
    int n = Length(text);
    int p = 0;
    for (int i = 0; i < line; ++i) {
        while (p < n && text[p] != '\n')
            ++p;
        if (p >= n)
            return -1;
        ++p;
    }
    return p;
}

int VimMatchBracket(const std::string& text, int position)
{
    static const char kOpen[] = "([{", kClose[] = ")]}";
    int n = Length(text);
    if (position < 0 || position >= n)
        return position;
    char c = text[position];
    for (int k = 0; k < 3; ++k) {
        bool forward = c == kOpen[k];
        if (!forward && c != kClose[k])
            continue;
        char partner = forward ? kClose[k] : kOpen[k];
        int depth = 1;
        for (int i = position + (forward ? 1 : -1); i >= 0 && i < n; i += forward ? 1 : -1) {
            if (text[i] == c)
                ++depth;
            else if (text[i] == partner && --depth == 0)
                return i;
        }
        return position;
    }
    return position;
}

namespace {

FindOptions PlainBytes(const std::string& needle, LeadByteTest isLeadByte)
{
    FindOptions options;
    options.findText = needle;
    options.matchCase = true;
    options.isLeadByte = isLeadByte;
    return options;
}

} // namespace

int VimFindNext(const std::string& text, const std::string& needle, int cursor, bool backward,
                LeadByteTest isLeadByte)
{
    FindOptions options = PlainBytes(needle, isLeadByte);
    int n = Length(text);
    int c = Clamp(cursor, 0, n);
    if (!backward) {
        int found = FindTextForward(text.data(), n, c + 1, options);
        return found >= 0 ? found : FindTextForward(text.data(), n, 0, options);
    }
    int found = FindTextBackward(text.data(), n, c, options);
    return found >= 0 ? found : FindTextBackward(text.data(), n, n + 1, options);
}

int VimFindFrom(const std::string& text, const std::string& needle, int position, LeadByteTest isLeadByte)
{
    FindOptions options = PlainBytes(needle, isLeadByte);
    int n = Length(text);
    int found = FindTextForward(text.data(), n, Clamp(position, 0, n), options);
    return found >= 0 ? found : FindTextForward(text.data(), n, 0, options);
}
