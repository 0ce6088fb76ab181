#pragma once
#include <windows.h>

void ShowUpdateWindow(HWND mainWnd, bool hidden);
