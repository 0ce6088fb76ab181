#pragma once
// The ANSI code page as the pure modules see it. The Windows program passes the
// platform's own conversions (WindowsAnsiCodePage); native tests pass a built-in
// table (Cp1252CodePage), so the same text logic runs with and without windows.h.

#include <string>

struct CodePage {
    // ANSI bytes to UTF-16 units, as MultiByteToWideChar(CP_ACP, 0) does.
    std::u16string (*toUtf16)(const std::string& ansi);
    // UTF-16 units to ANSI bytes, as WideCharToMultiByte(CP_ACP) does. With exact
    // false the platform may map a missing character to a look-alike (best fit);
    // with exact true it may not. Either way a character the code page cannot hold
    // becomes the default character, and *usedDefault (when given) is set then.
    std::string (*fromUtf16)(const std::u16string& text, bool exact, bool* usedDefault);
    // True for the first byte of a double-byte character (IsDBCSLeadByte).
    bool (*isLeadByte)(unsigned char byte);
};

// Windows-1252, built in: the single-byte code page of the default Windows setup.
const CodePage& Cp1252CodePage();

#ifdef _WIN32
// The system's ANSI code page through kernel32.
const CodePage& WindowsAnsiCodePage();
// Its fromUtf16 for a given code page (the system's is GetACP()).
std::string WindowsFromUtf16In(unsigned codePage, const std::u16string& text, bool exact, bool* usedDefault);
#endif
