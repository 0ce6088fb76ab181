#pragma once
// One instance per user session: a second start hands its files to the running window.

#include <windows.h>

// Lets the hand-over messages through the user-interface privilege filter where the
// system has one (Vista and later; looked up at run time).
void AllowHandOverMessages(HWND window);
// True when the process must end: the files went to the running instance (or, without
// files, the running instance was brought to the front). False: start normally.
bool HandOverToRunningInstance(const char* commandLine);
// Takes the hand-over file of the sender (process id, or 0 for none) or every hand-over
// file left in the temporary folder, and opens the paths; also opens the paths that waited
// for a save question to end.
void ReceivePendingOpenFiles(HWND mainWnd, LPARAM senderProcessId);
// WM_COPYDATA of the main window: false when it is no hand-over the program accepts.
bool ReceiveCopyData(HWND mainWnd, const COPYDATASTRUCT* data);
// Brings a window of another process to the front (its open dialog, when it has one).
void ForceForeground(HWND window);
// Opens the paths that were handed over while a save question was open, once no question
// is open any more.
void OpenHandedOverPathsWaiting(HWND mainWnd);
// Forgets the paths still waiting for a question to end (a fresh main window has none).
void ResetSingleInstanceState();
