#pragma once
// The frame of the editor and the target of every command.

#include <windows.h>

#include "app/status_bar.h"

#include "document/document.h"
#include "editor/editor_window.h"
#include "editor/gutter.h"

extern HWND gMainWnd;
extern HWND gStatusWnd;

extern const char kMainWindowClass[];  // "ZorvikWindowClass"
extern const char kMainWindowTitle[];

// No main window or children yet.
void ResetMainWindowState();

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void LayoutMainWindow(HWND hwnd);

// Fills the hook tables of the lower layers (document/shell_hooks.h, editor/editor_hooks.h)
// with the shell's functions and the Vim mode's handlers; before the first main window.
void InstallShellHooks();

// Registers "ZorvikWindowClass" (false on failure) and creates the main window (null
// on failure); WinMain and the window tests share them.
bool RegisterMainWindowClass(HINSTANCE instance, HICON* largeIcon, HICON* smallIcon);
HWND CreateMainWindow(HINSTANCE instance);
