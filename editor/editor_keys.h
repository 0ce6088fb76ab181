#pragma once
// The editor's keys, characters and mouse outside block mode, and the order in which a
// key meets block mode, the Vim mode and the editor's own key commands. Each handler
// returns true when it consumed the message; otherwise the message goes on to the control.

#include <windows.h>

// WM_KEYDOWN, WM_SYSKEYDOWN and WM_KEYUP.
bool EditorKey(HWND editor, UINT msg, int vk);
// WM_CHAR and WM_IME_CHAR, after the selection was remembered for undo.
bool EditorCharacter(HWND editor, UINT msg, WPARAM code);
// WM_LBUTTONDOWN and WM_LBUTTONDBLCLK that block mode left alone.
bool EditorMouse(HWND editor, UINT msg, LPARAM lParam);

// The moving end of the selection: the control does not tell which end its caret is at.
int GetSelectionActiveEnd(HWND editor);
// With an empty selection its position becomes the anchor; returns the selection start.
int RememberSelectionAnchor(HWND editor);
// The full offset of the character nearest a client point; -1 when the control gives
// none. EM_CHARFROMPOS alone is only good up to 65,535.
int EditorCharFromPoint(HWND editor, POINT point);
