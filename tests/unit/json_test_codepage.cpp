// Code pages for the JSON tests: the one the program uses on this platform, and a small
// made-up double-byte code page, so that lead and trail bytes are exercised natively.
//
// The double-byte page: bytes below 0x80 are ASCII; 0x81-0xFE are lead bytes, and a lead
// byte with any following byte t is the unit 0x4E00 + (lead - 0x81) * 256 + t (so a trail
// byte may be a quote or a backslash, as in Shift-JIS); 0x80 is U+20AC and 0xFF is U+F8FF.
// Any other unit becomes the default character "?".

#include <string>

#include "document/codepage.h"

namespace {

std::u16string DbcsToUtf16(const std::string& ansi)
{
    std::u16string out;
    for (size_t i = 0; i < ansi.size(); ++i) {
        unsigned char b = (unsigned char)ansi[i];
        if (b < 0x80) {
            out += (char16_t)b;
        } else if (b == 0x80) {
            out += u'\u20AC';
        } else if (b == 0xFF) {
            out += u'\uF8FF';
        } else if (i + 1 < ansi.size()) {
            out += (char16_t)(0x4E00 + (b - 0x81) * 256 + (unsigned char)ansi[i + 1]);
            ++i;
        }
        // A lead byte at the very end yields nothing, as the platform's conversion does.
    }
    return out;
}

std::string DbcsFromUtf16(const std::u16string& text, bool exact, bool* usedDefault)
{
    (void)exact;
    std::string out;
    bool defaulted = false;
    for (char16_t u : text) {
        if (u < 0x80) {
            out += (char)u;
        } else if (u == 0x20AC) {
            out += (char)0x80;
        } else if (u == 0xF8FF) {
            out += (char)0xFF;
        } else if (u >= 0x4E00 && u < 0x4E00 + 126 * 256) {
            unsigned v = u - 0x4E00;
            out += (char)(0x81 + v / 256);
            out += (char)(v % 256);
        } else {
            out += '?';
            defaulted = true;
        }
    }
    if (usedDefault)
        *usedDefault = defaulted;
    return out;
}

bool DbcsIsLeadByte(unsigned char b)
{
    return b >= 0x81 && b <= 0xFE;
}

} // namespace

const CodePage& TestDbcsCodePage()
{
    static const CodePage page = {DbcsToUtf16, DbcsFromUtf16, DbcsIsLeadByte};
    return page;
}

// The Windows tree tests the platform's own conversions (code page 1252 in a default
// Wine prefix), the native tree the built-in table of the same code page.
const CodePage& TestAnsiCodePage()
{
#ifdef _WIN32
    return WindowsAnsiCodePage();
#else
    return Cp1252CodePage();
#endif
}
