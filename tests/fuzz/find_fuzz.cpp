// The find engine on arbitrary texts, find texts and replace texts: the plain search must
// agree with a byte-by-byte search, and no input may crash a regular-expression operation.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "search/find_engine.h"

namespace {

bool FakeLeadByte(unsigned char b)
{
    return b >= 0x81 && b <= 0xFE;
}

bool Boundary(const std::string& t, size_t p, FindLeadByteTest lead)
{
    if (!lead || p >= t.size())
        return true;
    size_t i = 0;
    while (i < p)
        i += lead((unsigned char)t[i]) ? 2 : 1;
    return i == p;
}

int32_t Naive(const std::string& t, const FindOptions& o)
{
    size_t m = o.findText.size();
    for (size_t p = 0; p + m <= t.size(); ++p) {
        bool equal = true;
        for (size_t i = 0; i < m && equal; ++i) {
            unsigned char a = (unsigned char)t[p + i], b = (unsigned char)o.findText[i];
            if (!o.matchCase) {
                a = (unsigned char)(a >= 'A' && a <= 'Z' ? a + 32 : a);
                b = (unsigned char)(b >= 'A' && b <= 'Z' ? b + 32 : b);
            }
            equal = a == b;
        }
        if (equal && Boundary(t, p, o.isLeadByte) && Boundary(t, p + m, o.isLeadByte))
            return (int32_t)p;
    }
    return -1;
}

} // namespace

// Input: one flag byte, then find text, replace text and text separated by 0x00 bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 4096)
        return 0;
    uint8_t flags = data[0];
    std::string rest((const char*)data + 1, size - 1);
    size_t a = rest.find('\0');
    size_t b = a == std::string::npos ? std::string::npos : rest.find('\0', a + 1);
    if (b == std::string::npos)
        return 0;
    FindOptions o;
    o.findText = rest.substr(0, a);
    o.replaceText = rest.substr(a + 1, b - a - 1);
    std::string text = rest.substr(b + 1);
    o.matchCase = flags & 1;
    o.wrapAround = flags & 2;
    o.regex = flags & 4;
    if (flags & 8)
        o.isLeadByte = FakeLeadByte;
    int32_t n = (int32_t)text.size();
    int32_t sel = n ? (int32_t)(flags >> 4) % (n + 1) : 0;
    FindInText(text, sel, sel, (flags & 0x10) != 0, o);
    CountInText(text, o);
    ReplaceAllResult all = ReplaceAllInText(text, o);
    std::string replacement, error;
    ReplacementForSelection(text, o, &replacement, &error);
    ReplacementToRegexFormat(o.replaceText);
    if (!o.regex && !o.findText.empty()) {
        if (FindTextForward(text.data(), n, 0, o) != Naive(text, o))
            abort();
        if ((all.count == 0) != (Naive(text, o) < 0))
            abort();
    }
    return 0;
}
