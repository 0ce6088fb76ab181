#pragma once
// The editor control's subclass: routing of its messages.

#include <windows.h>

extern int gSelAnchor;

LRESULT CALLBACK EditorWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// EM_GETSEL into gSelBeforeEditStart/End.
void RememberSelectionBeforeEdit(HWND editor);
