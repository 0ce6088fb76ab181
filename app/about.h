#pragma once
// The About window and the Keyboard Shortcuts Reference: informational popups, topmost and
// centred on their owner, closed by their button, Esc, Enter or the close box.

#include <windows.h>

// The most recently opened window of each kind (each command opens a further one).
extern HWND gAboutWnd;
extern HWND gShortcutsWnd;
extern bool gAboutClassRegistered;
extern bool gShortcutsClassRegistered;

enum AboutControlId {
    IDC_ABOUT_CHECK_UPDATES = 9001,
    IDC_ABOUT_SHORTCUTS = 9002,
};

void ShowAboutWindow(HWND mainWnd);
void ShowShortcutsWindow(HWND mainWnd);
LRESULT CALLBACK AboutWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ShortcutsWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
