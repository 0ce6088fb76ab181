#pragma once
// The tab images that mark a modified document.

#include <windows.h>
#include <commctrl.h>

#include "app/status_bar.h"

HBITMAP MakeTabIcon(bool modified);
HIMAGELIST CreateTabImageList();
// The modified mark of one tab or of all; every layer calls them through the hooks of
// document/shell_hooks.h (UpdateTabIcon, UpdateAllTabIcons).
void RefreshTabIcon(int index);
void RefreshAllTabIcons();
