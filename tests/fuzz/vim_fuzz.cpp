// The Vim mode on arbitrary keys over an arbitrary text: no crash, no read outside the
// text, the selection always inside it, the typed line always within its buffer, and no
// command that leaves more lone CRs or lone LFs than the text had (a split CR LF).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string.h>
#include <string>

#include "editor/editor_key_rules.h"
#include "tests/unit/vim_string_editor.h"

namespace {

bool HangulLead(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

// Keys that type no character (Esc, Enter and Backspace come through their characters),
// among them every modifier, whose own key-down a keyboard sends before the key.
const int kBareKeys[] = {
    kVimKeyLeft,        kVimKeyRight,        kVimKeyUp,          kVimKeyDown,       0x2E /* Delete */,
    0x70 /* F1 */,      kVimKeyShift,        kVimKeyControl,     kVimKeyAlt,        kVimKeyCapsLock,
    kVimKeyLeftWindows, kVimKeyRightWindows, kVimKeyLeftShift,   kVimKeyRightShift, kVimKeyLeftControl,
    kVimKeyRightControl, kVimKeyLeftAlt,     kVimKeyRightAlt,
};
const int kBareKeyCount = (int)(sizeof(kBareKeys) / sizeof(kBareKeys[0]));

struct LoneBreaks {
    int cr = 0, lf = 0;
};

LoneBreaks CountLoneBreaks(const std::string& text)
{
    LoneBreaks n;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && !(i + 1 < text.size() && text[i + 1] == '\n'))
            ++n.cr;
        if (text[i] == '\n' && !(i > 0 && text[i - 1] == '\r'))
            ++n.lf;
    }
    return n;
}

// The key of an input byte (its high bit is Ctrl): codes 0 to 5 are the bare keys that
// are no modifier, 6 and 7 Esc and Enter, 14 to 25 the modifiers; every other code is
// the key of its character.
KeyStroke KeyOf(char c)
{
    const int kFirstModifier = 14;
    if (c < 6)
        return KeyStroke{kBareKeys[(int)c], false, 0};
    if (c == 6 || c == 7)
        return KeyStroke{c == 6 ? 0x1B : 0x0D, false, c == 6 ? 0x1B : '\r'};
    if (c >= kFirstModifier && c < kFirstModifier + kBareKeyCount - 6)
        return KeyStroke{kBareKeys[6 + c - kFirstModifier], false, 0};
    return StrokeOf(c);
}

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
    // The control never puts its caret between the CR and the LF of a line break.
    if (VimInsideLineBreak(s.text, s.caret))
        s.anchor = ++s.caret;
    s.clipboard = data[1] & 1 ? "x\r\n" : "y";
    LoneBreaks had = CountLoneBreaks(s.text);
    for (size_t i = 2 + textLength; i < size; ++i) {
        uint8_t b = data[i];
        bool ctrl = (b & 0x80) != 0;
        char c = (char)(b & 0x7F);
        KeyStroke k = KeyOf(c);
        ctrl = ctrl && k.vk >= 'A' && k.vk <= 'Z';
        // The editor drops these characters before the mode or the control sees them.
        if (k.ch && IsDroppedControlCharacter((unsigned)k.ch, ctrl))
            k.ch = 0;
        Press(s, k, ctrl);
        int n = (int)s.text.size();
        if (s.anchor < 0 || s.anchor > n || s.caret < 0 || s.caret > n)
            std::abort();
        if (gVimCommandLength < 0 || gVimCommandLength > 127 || strlen(gVimCommandLine) != (size_t)gVimCommandLength)
            std::abort();
        if (gVimCount < 0 || gVimCount > kVimMaxCount)
            std::abort();
        // Undo and redo go back to texts seen before; every other key may only pair up
        // lone line-break bytes, never make new ones.
        LoneBreaks now = CountLoneBreaks(s.text);
        bool history = k.vk == 'U' || (k.vk == 'R' && ctrl);
        if (!history && (now.cr > had.cr || now.lf > had.lf))
            std::abort();
        had = now;
        // The text grows only by pastes and typing: keep the run short.
        if (s.text.size() > 4096)
            break;
    }
    return 0;
}
