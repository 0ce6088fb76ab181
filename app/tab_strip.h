#pragma once
// The tab images that mark a modified document, and the status bar's description of the
// active document.

#include <windows.h>
#include <commctrl.h>

HBITMAP MakeTabIcon(bool modified);
HIMAGELIST CreateTabImageList();
void UpdateTabIcon(int index);
void UpdateAllTabIcons();
void UpdateStatusBar();
