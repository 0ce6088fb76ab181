#pragma once
#include <windows.h>

// Handles one message as the program's message loop does: the modeless windows' dialog
// keys, then the shortcut table for WM_KEYDOWN, then translation and dispatch.
void ProcessLoopMessage(HWND mainWnd, MSG* msg);
// Runs until WM_QUIT (or a GetMessageA failure); returns the last message's wParam.
int RunMessageLoop(HWND mainWnd);
