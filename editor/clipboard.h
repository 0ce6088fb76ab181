#pragma once
// Cut, Copy and Paste through the program's own routines, and the one routine that puts
// text on the clipboard (as CF_UNICODETEXT converted from the ANSI code page and CF_TEXT).

#include <windows.h>

#include <string>

// Puts the text on a clipboard the caller has opened, then closes it; returns the
// result of CloseClipboard. False also when neither format could be placed.
bool SetClipboardText(const std::string& text);
bool CopyTextToClipboard(HWND owner, const std::string& text);
// Copy and Cut work on the editor or a dialog field; they return whether the text
// reached the clipboard.
bool EditCopy(HWND window);
void EditCut(HWND window);
void EditPaste(HWND editor);
