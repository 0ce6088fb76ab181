#pragma once
// The editor's keys, characters and mouse in block mode (and Alt+Shift, which starts it).
// Each returns true when it consumed the message, which then goes no further.

#include <windows.h>

// WM_KEYDOWN and WM_SYSKEYDOWN.
bool BlockKeyDown(HWND editor, UINT msg, int vk);
// WM_CHAR and WM_IME_CHAR.
bool BlockCharacter(HWND editor, UINT msg, WPARAM code);
// WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP, WM_LBUTTONDBLCLK and WM_CAPTURECHANGED.
bool BlockMouse(HWND editor, UINT msg, LPARAM lParam);
