#pragma once
// Cut, Copy and Paste through the program's own routines, and the one routine that puts
// text on the clipboard (as CF_UNICODETEXT converted from the ANSI code page and CF_TEXT).

#include <windows.h>

#include <string>

// Puts the text on a clipboard the caller has opened, then closes it; returns the
// result of CloseClipboard, and false also when neither format could be placed.
bool SetClipboardText(const std::string& text);
// OpenClipboard(owner), then SetClipboardText; false when the clipboard cannot be opened.
bool CopyTextToClipboard(HWND owner, const std::string& text);
// Copy for the editor or a dialog field; true when the text reached the clipboard.
bool EditCopy(HWND window);
// Cut for the editor or a dialog field: the selection is removed only after it reached
// the clipboard, and never from a read-only control.
void EditCut(HWND window);
// Paste for the editor with CR LF line ends; nothing in a read-only document.
void EditPaste(HWND editor);
