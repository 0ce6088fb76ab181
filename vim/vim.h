#pragma once
// The Vim mode of the editor: the key and character handlers that the editor's subclass
// calls first while the mode is on, and the mode's suffix of the status text.

#include "vim/vim_engine.h"

#include <windows.h>

// A WM_KEYDOWN of the editor; controlProcedure is the control's own window procedure,
// which gets the arrow keys of h, j, k, l. True when the key was consumed.
bool VimHandleKeyDown(HWND editor, int virtualKey, WNDPROC controlProcedure);
// A WM_CHAR or WM_IME_CHAR of the editor; true when the character was consumed.
bool VimHandleChar(HWND editor, int character);
// F12 and Tools > Vim Mode: the mode goes on or off, starting in NORMAL.
void ToggleVimMode(HWND mainWnd);
// Hands the editor the Vim mode's key and character handlers and its F12.
void RegisterVimHooks();
// Removes an old " | VIM: ..." suffix from the status text and appends the current
// mode while Vim mode is on.
void VimUpdateStatus();
