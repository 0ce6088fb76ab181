#pragma once
// Building the menus from the tables, their state when they open, and the tab bar's
// context menus.

#include <windows.h>

// File, Edit, Search and Encoding into a new menu bar (before the settings are read).
HMENU BuildFirstMenus();
// Tools and Help, whose check marks show the loaded settings.
void BuildLastMenus(HMENU menuBar);
// WM_INITMENUPOPUP.
void UpdateMenuState(HMENU popup);
struct TabDocument;
// The context menu of one tab, greyed for that tab; the caller destroys it.
HMENU BuildTabContextMenu(int tab, int count, const TabDocument* doc);
// NM_RCLICK on the tab bar.
void ShowTabContextMenu(HWND mainWnd);
