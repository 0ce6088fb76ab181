#include "search/find.h"

HWND gFindWnd = nullptr;
std::string gFindText;
std::string gReplaceText;
bool gFindMatchCase = false;
bool gFindWrapAround = true;
bool gFindRegex = false;

// Search arrives with its own work; until then these do nothing.
bool FindInDocument(HWND, bool) { return false; }
void ShowFindWindow(HWND, bool) {}
void FindNextOrOpenFindWindow(HWND, bool) {}
void ShowGoToLineWindow(HWND) {}
