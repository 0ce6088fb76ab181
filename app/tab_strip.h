#pragma once
// The tab images that mark a modified document.

#include <windows.h>
#include <commctrl.h>

#include "app/status_bar.h"

HBITMAP MakeTabIcon(bool modified);
HIMAGELIST CreateTabImageList();
void UpdateTabIcon(int index);
void UpdateAllTabIcons();
