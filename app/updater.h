#pragma once
// The update check: a progress window on the user-interface thread and a worker thread
// that fetches the release description, asks the user, downloads, and replaces the
// program or starts the installer. WinINet is loaded at run time.

#include <windows.h>

// The Update window while it exists.
extern HWND gUpdateWnd;
extern bool gUpdateClassRegistered;

// Private messages of the Update window.
const UINT WM_UPDATEWND_CLOSE = WM_USER + 101;
const UINT WM_UPDATEWND_SHOW = WM_USER + 102; // wParam: the ShowWindow command

// Starts a check, or brings the Update window of the check under way to the front.
// silent: the window is created hidden and no up-to-date message is shown.
void ShowUpdateWindow(HWND mainWnd, bool silent);
LRESULT CALLBACK UpdateProgressWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The main window's close was refused (a save question cancelled): an update that asked
// for the restart stays on disk but is not started.
void CancelRestartAfterExit();
// True while a finished update waits for the main window to close to start the program.
bool RestartAfterExitPending();
// For WinMain once its message loop has ended and the single-instance mutex is released:
// lets a replacement of the executable that is under way finish (renames and a copy on
// the local disk, never the network), then starts the updated program when an update
// asked for it. Starting it earlier would hand it to this dying instance.
void FinishUpdateAtExit();

// True while a worker thread of a check is running (it may outlive its window: a request
// to a server that never answers cannot be interrupted).
bool UpdateCheckRunning();

// Seams of the tests: the servers (scheme, host and port; null restores the program's
// own), the name of the WinINet library, and the executable that an update replaces and
// whose folder the installer is given (null: the program's own).
void SetUpdateServersForTesting(const char* primary, const char* fallback);
void SetUpdateLibraryForTesting(const char* libraryName);
void SetUpdatedExecutableForTesting(const char* exePath);
