#pragma once
// Find / Replace: the find settings, the engine's operations on the editor and the
// modeless Find window; Go to Line.

#include <windows.h>

#include <string>

#include "app/dialog_edit.h"

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

// Ends block selection and multi-caret editing (when on) and repaints the editor: a
// command that moves the caret or replaces the text by itself starts from one caret.
void LeaveBlockMode();

// Replaces the editor's whole text with redrawing off, keeping block mode, and puts the
// caret at the start; the caller brackets it with the undo capture. canUndo: the control
// keeps the old text for its own undo (the program's undo never asks it).
void ReplaceWholeEditorText(const char* text, bool canUndo);

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
