#pragma once
// The JSON and HTML commands on the editor's selection or whole text.

#include <windows.h>

#include "tools/json/json.h"

void RunJsonTool(HWND mainWnd, JsonToolMode mode);
void RunHtmlBeautifier(HWND mainWnd);
