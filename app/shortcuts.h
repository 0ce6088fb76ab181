#pragma once
// Carrying out the keyboard shortcut tables of the message loop, the main window and
// the tab bar (the tables themselves are data in shortcut_table.h).

#include <windows.h>

#include "editor/shortcut_table.h"

struct ModifierState {
    bool ctrl, alt, shift;
};

// GetKeyState of Ctrl, Alt and Shift at this moment.
ModifierState ReadModifiers();

// The message loop's shortcut step: true when the key was in the table and was carried
// out (the message is then consumed).
bool HandleMessageLoopKey(HWND mainWnd, int vk);
// WM_KEYDOWN of the main window: every key is taken there.
void HandleMainWindowKey(HWND mainWnd, int vk);
// WM_KEYDOWN of the tab bar: true when handled.
bool HandleTabBarKey(HWND mainWnd, int vk);

void ExecuteShortcut(HWND mainWnd, const ShortcutAction& action);
// Select all in the focus window (the editor when nothing has the focus).
void SelectAllInFocusWindow();
