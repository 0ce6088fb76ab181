// The Vim mode on arbitrary keys over an arbitrary text: no crash, no read outside the
// text, the selection always inside it and the typed line always within its buffer.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string.h>
#include <string>

#include "tests/unit/vim_string_editor.h"

namespace {

bool HangulLead(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

// Keys that type no character: Esc, Enter and Backspace come through their characters.
const int kBareKeys[] = {kVimKeyLeft, kVimKeyRight, kVimKeyUp, kVimKeyDown, 0x2E /* Delete */, 0x70 /* F1 */};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    // First byte: the text's length and the flags; then the text; then the keys.
    size_t textLength = data[0] & 0x3F;
    if (textLength > size - 2)
        textLength = size - 2;
    VimReset();
    gVimEnabled = true;
    gVimCommandLine[0] = 0;
    gVimCommandLength = 0;
    gVimVisualAnchor = gVimVisualCursor = -1;
    StringEditor s;
    s.text.assign((const char*)data + 2, textLength);
    s.readOnly = (data[0] & 0x40) != 0;
    s.lead = (data[0] & 0x80) ? HangulLead : nullptr;
    s.anchor = s.caret = data[1] % (textLength + 1);
    s.clipboard = data[1] & 1 ? "x\r\n" : "y";
    for (size_t i = 2 + textLength; i < size; ++i) {
        uint8_t b = data[i];
        bool ctrl = (b & 0x80) != 0;
        char c = (char)(b & 0x7F);
        KeyStroke k = StrokeOf(c);
        if (c < 6) {
            k = KeyStroke{kBareKeys[(int)c], false, 0};
        } else if (c == 6 || c == 7) {
            k = KeyStroke{c == 6 ? 0x1B : 0x0D, false, c == 6 ? 0x1B : '\r'};
        }
        Press(s, k, ctrl && k.vk >= 'A' && k.vk <= 'Z');
        int n = (int)s.text.size();
        if (s.anchor < 0 || s.anchor > n || s.caret < 0 || s.caret > n)
            std::abort();
        if (gVimCommandLength < 0 || gVimCommandLength > 127 || strlen(gVimCommandLine) != (size_t)gVimCommandLength)
            std::abort();
        if (gVimCount < 0 || gVimCount > kVimMaxCount)
            std::abort();
        // The text grows only by pastes and typing: keep the run short.
        if (s.text.size() > 4096)
            break;
    }
    return 0;
}
