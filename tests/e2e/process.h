#pragma once
// End-to-end tests start the program itself: a private copy of Zorvik.exe in the test's
// own folder (settings, session and undo files live beside the executable).

#include "tests/wait_until.h"

#include <windows.h>

#include <functional>
#include <string>

struct ZorvikProcess {
    PROCESS_INFORMATION info;
    HWND window;
};

// Copies build\Zorvik.exe into the test's folder; returns the copy's path.
std::string PrepareZorvikCopy();
// Starts the copy with the command-line arguments and waits up to timeoutMs for its main
// window. False, with a failed check that says why, when it did not start, ended, or no
// window appeared.
bool StartZorvik(const std::string& exe, const std::string& arguments, ZorvikProcess* out,
                 DWORD timeoutMs = kWaitMs);
// Starts the copy with the command-line arguments in the folder (the test's folder when
// empty) and returns at once.
bool LaunchZorvik(const std::string& exe, const std::string& arguments, const std::string& folder,
                  ZorvikProcess* out);
// Waits for the process to end; returns its exit code, or -1 on a timeout.
int WaitForExit(ZorvikProcess* process, DWORD timeoutMs = 20000);
void KillZorvik(ZorvikProcess* process);
// A visible top-level window of the class whose process passes ofProcess, or null.
HWND FindVisibleWindow(const char* className, const std::function<bool(DWORD processId)>& ofProcess);
// Waits for such a window (WaitUntil, naming what); null after the time-out.
HWND WaitForWindow(const char* className, const std::function<bool(DWORD processId)>& ofProcess,
                   DWORD timeoutMs, const std::string& what);
// The visible main window of the process, or null.
HWND FindZorvikWindow(DWORD processId);

// True when both describe the same size and last write time of a file.
bool SameFileState(const WIN32_FILE_ATTRIBUTE_DATA& a, const WIN32_FILE_ATTRIBUTE_DATA& b);
// Waits until done holds for the bytes of a file that the program writes (WaitUntil, naming
// what). The file is read only when its size or write time has changed since the last read:
// the program replaces such a file, and a replace that meets another process's open of it
// fails, so a test reading it on every poll would make the program's writes fail.
bool WaitForFileBytes(const std::string& path, const std::function<bool(const std::string& bytes)>& done,
                      DWORD timeoutMs, const std::string& what);

// Brings the target's top-level window to the foreground and waits until the target has
// the keyboard focus of its thread; false when that never happens within timeoutMs.
bool WaitForKeyboardFocus(HWND target, DWORD timeoutMs = 10000);
// Keys through the system's input queue, so that the program's message loop sees them
// with the modifier state (GetKeyState) of a user's keys. Each first waits for the target
// to have the focus and fails the test when it never gets it: keys sent before that go
// to whichever window happens to be in front.
void SendKey(HWND target, WORD vk, bool up);
void PressChord(HWND target, WORD modifier, WORD vk);
