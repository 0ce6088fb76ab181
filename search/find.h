#pragma once
// Find / Replace: the find settings, the engine's operations on the editor and the
// modeless Find window; Go to Line.

#include <windows.h>

#include <string>

#include "app/dialog_edit.h"
#include "editor/editor_text.h"

extern HWND gFindWnd;
extern std::string gFindText;
extern std::string gReplaceText;
extern bool gFindMatchCase;
extern bool gFindWrapAround;
extern bool gFindRegex;
extern bool gFindClassRegistered;
// Enter in a field of the Find window finds forward, Shift+Enter backward, Esc closes.
extern const PopupButtons kFindWindowButtons;

// The find settings of a fresh start: empty texts, only Wrap around on.
void ResetFindState();

// Each operation takes the Find window or null; with a window its status line gets the
// operation's texts.
bool FindInDocument(HWND findWnd, bool forward);
void CountMatches(HWND findWnd);
// Every match replaced as one undo step.
void ReplaceAll(HWND findWnd);
// The Replace button: replaces the selection when it is one match, then finds the next.
void ReplaceSelectionAndFindNext(HWND findWnd);
void FindNextOrOpenFindWindow(HWND owner, bool forward);

void ShowFindWindow(HWND owner, bool replaceMode);
void ReadFindWindowFields(HWND findWnd);
LRESULT CALLBACK FindReplaceWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

extern HWND gGoToLineEditor;
extern int gGoToLineCount;
extern HWND gGoToLineField;
extern bool gGoToLineClassRegistered;

// Runs the modal Go to Line window for the editor and returns when it is closed.
void ShowGoToLineWindow(HWND editor);
LRESULT CALLBACK GoToLineWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
