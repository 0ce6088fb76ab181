#pragma once
// What the editor benchmarks share: their text, and the bare control they compare with:
// a plain EDIT with the editor's styles, size and font, shown like the program's editor
// (a hidden one would skip its own painting), nobody listening.

#include <windows.h>

#include "tests/window/harness.h"

#include <string>

// A text of at least `bytes` bytes in lines of 78 characters.
inline std::string MakeBenchText(size_t bytes)
{
    std::string text;
    text.reserve(bytes + 100);
    const char* line = "The quick brown fox jumps over the lazy dog; 0123456789 and some more text.\r\n";
    while (text.size() < bytes)
        text += line;
    return text;
}

// Creates it in a popup window of its own (*host, to destroy afterwards).
inline HWND CreateBareEditLike(HWND editor, HWND* host)
{
    RECT rc;
    GetWindowRect(editor, &rc);
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    *host = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, w, h, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    HWND bare = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                    ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL,
                                0, 0, w, h, *host, nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(bare, WM_SETFONT, SendMessageA(editor, WM_GETFONT, 0, 0), FALSE);
    SendMessageA(bare, EM_SETLIMITTEXT, 0, 0);
    return bare;
}

// The main of a benchmark that measures one main window at 1 MB and at 10 MB of text.
inline int MeasureAtOneAndTenMegabytes(void (*measure)(size_t bytes))
{
    RemoveProgramFiles();
    HWND mainWnd = CreateTestMainWindow();
    if (!mainWnd)
        return 1;
    measure(1 << 20);
    measure(10 << 20);
    DestroyTestMainWindow(mainWnd);
    RemoveProgramFiles();
    return 0;
}
