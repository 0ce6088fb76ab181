#pragma once
#include <windows.h>

extern HWND gAboutWnd;
extern HWND gShortcutsWnd;

void ShowAboutWindow(HWND mainWnd);
void ShowShortcutsWindow(HWND mainWnd);
