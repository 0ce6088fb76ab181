#pragma once
// One instance per user session: a second start hands its files to the running window.

#include <windows.h>

// Lets the hand-over messages through the user-interface privilege filter where the
// system has one (Vista and later; looked up at run time).
void AllowHandOverMessages(HWND window);
// True when the process must end: the files went to the running instance.
bool HandOverToRunningInstance(const char* commandLine);
void ReceivePendingOpenFiles(HWND mainWnd, LPARAM senderProcessId);
bool ReceiveCopyData(HWND mainWnd, const COPYDATASTRUCT* data);
