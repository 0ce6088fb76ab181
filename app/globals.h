#pragma once
// Process-wide state of start-up: the hand-over message, the single-instance mutex and
// the thread-function table that stands in for functions Windows XP lacks.

#include <windows.h>

extern UINT gPendingOpenFilesMsg;
extern HANDLE gInstanceMutex;

// The runtime's thread support calls these instead of importing them.
struct ThreadApiTable {
    BOOL(WINAPI* sleepConditionVariableCS)(void* conditionVariable, CRITICAL_SECTION* cs,
                                           DWORD milliseconds);
    void(WINAPI* wakeAllConditionVariable)(void* conditionVariable);
    void(WINAPI* wakeConditionVariable)(void* conditionVariable);
    void(WINAPI* initializeConditionVariable)(void* conditionVariable);
    DWORD(WINAPI* getThreadId)(HANDLE thread);
};
extern const ThreadApiTable gThreadApiTable;
extern bool gGetThreadIdResolved;
extern DWORD(WINAPI* gGetThreadIdProc)(HANDLE thread);

BOOL WINAPI XpSleepConditionVariableCS(void* conditionVariable, CRITICAL_SECTION* cs, DWORD ms);
void WINAPI XpWakeAllConditionVariable(void* conditionVariable);
void WINAPI XpWakeConditionVariable(void* conditionVariable);
void WINAPI XpInitializeConditionVariable(void* conditionVariable);
DWORD WINAPI XpGetThreadId(HANDLE thread);

// Gives the state of every module its first value (each module's ResetXxxState): WinMain
// calls it first, the window tests before each fresh main window. Process-wide state (the
// hand-over message, the mutex, registered window classes, the first dialog field's
// procedure, the SFTP password cache) is left alone, and so are the popup windows' handles,
// which each window clears in its own WM_DESTROY, and the SFTP window's saved connections,
// which it reads afresh whenever it opens.
void InitializeGlobals();
