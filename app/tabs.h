#pragma once
// Changing the set and order of the tabs: new, open, close, the vanished-file check,
// moving by command and by dragging, and the tab bar's subclass.

#include "document/document.h"

#include <windows.h>

// A tab dragged with the mouse: pressed, then moved more than 4 pixels with the button
// down, dropped into the gap under the mouse.
struct TabDrag {
    int pressIndex = -1; // the tab the left button went down on; -1 for none
    int pressX = 0, pressY = 0;
    bool dragging = false;
    int dropIndex = -1;  // the gap (0..count) the tab would land in; -1 before the first move
};
extern TabDrag gTabDrag;
extern bool gMissingFilePromptOpen;

// The state of this module as a fresh main window wants it.
void ResetTabsState();

void NewTab(HWND mainWnd);
void OpenFileByPath(HWND mainWnd, const char* path);
void ChooseAndOpenFile(HWND owner);
bool CloseActiveTab(HWND owner);
void CloseOtherTabs(HWND owner);
void CloseTabAt(HWND mainWnd, int index);
void CloseTabIfValid(HWND mainWnd, int index);
bool CheckActiveFileExists(HWND owner);
bool MoveTab(HWND mainWnd, int from, int to);
void MoveActiveTabCommand(HWND mainWnd, int command);
LRESULT CALLBACK TabBarWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void DrawTabDropMarker(HWND tabBar, int index);
// The drop index for a mouse x during a drag: the first tab whose middle lies right of x.
int TabDropIndexAt(HWND tabBar, int x);

void CycleTabs(bool forward);

// The name the questions show for a document: the file name of its path, else the title.
void QuestionNameForDocument(const char* path, const char* title, char* buffer, int size);
