#pragma once
// The line-number gutter left of the editor.

#include <windows.h>

extern HWND gGutterWnd;
extern WNDPROC gGutterOrigProc;
extern int gGutterWidth;

// The gutter's narrowest width.
void ResetGutterState();

LRESULT CALLBACK GutterWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
int CalcGutterWidth(HWND gutter, int lineCount);
void RefreshGutter();
void LayoutMainWindowIfReady(HWND mainWnd);
