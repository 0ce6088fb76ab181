#pragma once
// Find/Replace and Go to Line.

#include <windows.h>

#include <string>

extern HWND gFindWnd;
extern std::string gFindText;
extern std::string gReplaceText;
extern bool gFindMatchCase;
extern bool gFindWrapAround;
extern bool gFindRegex;

bool FindInDocument(HWND findWnd, bool forward);
void ShowFindWindow(HWND mainWnd, bool replaceMode);
void FindNextOrOpenFindWindow(HWND mainWnd, bool forward);
void ShowGoToLineWindow(HWND editor);
