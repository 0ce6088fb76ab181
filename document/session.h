#pragma once
// The session file "Zorvik.session": every open tab, written after a pause in typing and
// at exit, and restored at the next start.

#include <windows.h>

// Auto Save: the session is written again after each change of the tabs (a setting).
extern bool gAutoSave;

void ResetSessionState();
void GetPortableSessionPath(char* buffer, int size);
void DeleteSessionFiles();
void SaveSession(HWND owner);
// SaveSession while Auto Save is on.
void AutoSaveSession(HWND owner);
void SaveSessionNow(HWND owner);
bool RestoreSession(HWND mainWnd);
