#include "app/about.h"

HWND gAboutWnd = nullptr;
HWND gShortcutsWnd = nullptr;

// The About and Keyboard Shortcuts windows arrive with their own work.
void ShowAboutWindow(HWND) {}
void ShowShortcutsWindow(HWND) {}
