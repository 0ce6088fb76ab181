#pragma once
// The editor control's subclass: routing of its messages.

#include <windows.h>

extern WNDPROC gEditorOrigProc;
extern int gSelAnchor;

// No selection anchor.
void ResetEditorWindowState();

LRESULT CALLBACK EditorWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// EM_GETSEL into gSelBeforeEditStart/End.
void RememberSelectionBeforeEdit(HWND editor);
// True for an edit control with ES_READONLY (a read-only document, a read-only field).
// EM_REPLACESEL ignores the style, so every insertion or deletion made by the program on
// the user's behalf asks this first.
bool IsEditReadOnly(HWND edit);
