// The double click's word and its occurrence scan on arbitrary bytes, with and without
// a double-byte code page: no read outside the text, the word inside the text, every
// occurrence inside the text, in order and equal to the word.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string.h>
#include <string>

#include "editor/word_occurrences.h"

namespace {

bool HangulLead(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    // The first two bytes: the click's offset, then the line start, as fractions of the
    // text; the top bit of the first picks the code page.
    LeadByteTest lead = (data[0] & 0x80) ? HangulLead : nullptr;
    std::string text((const char*)data + 2, size - 2);
    int length = (int)text.size();
    int offset = (int)((data[0] & 0x7F) * (length + 2) / 127) - 1;
    int lineStart = (int)(data[1] * (length + 2) / 255) - 1;
    ClickedWord word = FindClickedWord(text.data(), length, offset, lineStart, lead);
    if (!word.found)
        return 0;
    if (word.start < 0 || word.start >= word.end || word.end > length || word.cls == kWordClassBlank)
        abort();
    // (A lead byte takes the byte after it, even a line break, as its trail byte.)
    if (text[word.start] == '\r' || text[word.start] == '\n')
        abort();
    std::vector<WordHighlight> found =
        FindWordOccurrences(text.data(), length, word.start, word.end, word.cls, lead);
    int previousEnd = 0;
    for (const WordHighlight& w : found) {
        if (w.start < previousEnd || w.end - w.start != word.end - word.start || w.end > length)
            abort();
        for (int i = 0; i < w.end - w.start; ++i) {
            char a = text[w.start + i], b = text[word.start + i];
            if (a != b && (word.cls != kWordClassWord || ((a | 0x20) != (b | 0x20))))
                abort();
        }
        previousEnd = w.end;
    }
    return 0;
}
