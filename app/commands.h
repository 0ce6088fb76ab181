#pragma once
#include <windows.h>

#include "document/textcodec.h"

// WM_COMMAND of the main window: one table from id to handler.
void DispatchCommand(HWND mainWnd, int id, LPARAM lParam);
// The commands the main window carries out itself.
void ToggleDiffMode(HWND mainWnd);
void ToggleAutoSave(HWND mainWnd);
void ToggleReadOnly(HWND mainWnd);
void SetLineEnds(HWND mainWnd, EolMode eol);
void ConvertEncoding(HWND mainWnd, EncodingId encoding, bool bom);
