#include "document/codepage.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// 0x80-0x9F of Windows-1252; 0 marks the five bytes the code page leaves undefined,
// which Windows maps to the C1 control of the same value.
const char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char16_t Cp1252ToUnit(unsigned char b)
{
    if (b >= 0x80 && b <= 0x9F && kCp1252High[b - 0x80])
        return kCp1252High[b - 0x80];
    return b;
}

std::u16string Cp1252ToUtf16(const std::string& ansi)
{
    std::u16string out;
    out.reserve(ansi.size());
    for (unsigned char b : ansi)
        out.push_back(Cp1252ToUnit(b));
    return out;
}

bool Cp1252FromUnit(char16_t u, unsigned char* out)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
        *out = (unsigned char)u;
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        char16_t mapped = kCp1252High[i] ? kCp1252High[i] : (char16_t)(0x80 + i);
        if (mapped == u) {
            *out = (unsigned char)(0x80 + i);
            return true;
        }
    }
    return false;
}

// A high surrogate at i followed by a low one: one character in two units.
bool SurrogatePairAt(const std::u16string& text, size_t i)
{
    return text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
           text[i + 1] <= 0xDFFF;
}

std::string Cp1252FromUtf16(const std::u16string& text, bool exact, bool* usedDefault)
{
    std::string out;
    out.reserve(text.size());
    bool defaulted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t u = text[i];
        unsigned char b;
        if (Cp1252FromUnit(u, &b)) {
            out.push_back((char)b);
            continue;
        }
        // A surrogate pair is one character: one default character for both units.
        if (SurrogatePairAt(text, i))
            ++i;
        out.push_back('?');
        defaulted = true;
    }
    (void)exact;
    if (usedDefault)
        *usedDefault = defaulted;
    return out;
}

bool NoLeadBytes(unsigned char)
{
    return false;
}

#ifdef _WIN32
std::u16string WindowsToUtf16(const std::string& ansi)
{
    if (ansi.empty())
        return std::u16string();
    int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), (int)ansi.size(), nullptr, 0);
    if (n <= 0)
        return std::u16string();
    std::u16string out((size_t)n, u'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), (int)ansi.size(), (LPWSTR)&out[0], n);
    return out;
}

std::string WindowsFromUtf16(const std::u16string& text, bool exact, bool* usedDefault)
{
    return WindowsFromUtf16In(GetACP(), text, exact, usedDefault);
}

bool WindowsIsLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != FALSE;
}
#endif

} // namespace

#ifdef _WIN32
std::string WindowsFromUtf16In(unsigned codePage, const std::u16string& text, bool exact, bool* usedDefault)
{
    if (usedDefault)
        *usedDefault = false;
    if (text.empty())
        return std::string();
    LPCWSTR src = (LPCWSTR)text.data();
    // Windows set to UTF-8 as its ANSI code page refuses WC_NO_BEST_FIT_CHARS and the
    // default-character arguments for it (the call fails and gives nothing). There every
    // character has its bytes; only a lone surrogate has none and becomes U+FFFD.
    bool utf8 = codePage == CP_UTF8;
    DWORD flags = exact && !utf8 ? WC_NO_BEST_FIT_CHARS : 0;
    int n = WideCharToMultiByte(codePage, flags, src, (int)text.size(), nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string out((size_t)n, '\0');
    BOOL defaulted = FALSE;
    WideCharToMultiByte(codePage, flags, src, (int)text.size(), &out[0], n, nullptr,
                        usedDefault && !utf8 ? &defaulted : nullptr);
    if (utf8 && usedDefault) {
        for (size_t i = 0; i < text.size() && !defaulted; ++i) {
            if (SurrogatePairAt(text, i))
                ++i;
            else if (text[i] >= 0xD800 && text[i] <= 0xDFFF)
                defaulted = TRUE;
        }
    }
    if (usedDefault)
        *usedDefault = defaulted != FALSE;
    return out;
}
#endif

const CodePage& Cp1252CodePage()
{
    static const CodePage page = {Cp1252ToUtf16, Cp1252FromUtf16, NoLeadBytes};
    return page;
}

#ifdef _WIN32
const CodePage& WindowsAnsiCodePage()
{
    static const CodePage page = {WindowsToUtf16, WindowsFromUtf16, WindowsIsLeadByte};
    return page;
}
#endif
