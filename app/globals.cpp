#include "app/globals.h"

#include "app/main_window.h"
#include "app/settings.h"
#include "app/single_instance.h"
#include "app/tabs.h"
#include "document/closed_tabs.h"
#include "document/document.h"
#include "document/session.h"
#include "document/undo.h"
#include "editor/block_mode.h"
#include "editor/editor_paint.h"
#include "editor/editor_window.h"
#include "editor/gutter.h"
#include "search/find.h"
#include "vim/vim_engine.h"

UINT gPendingOpenFilesMsg = 0;
HANDLE gInstanceMutex = nullptr;
bool gGetThreadIdResolved = false;
DWORD(WINAPI* gGetThreadIdProc)(HANDLE thread) = nullptr;

BOOL WINAPI XpSleepConditionVariableCS(void*, CRITICAL_SECTION*, DWORD)
{
    return TRUE;
}

void WINAPI XpWakeAllConditionVariable(void*) {}
void WINAPI XpWakeConditionVariable(void*) {}
void WINAPI XpInitializeConditionVariable(void*) {}

DWORD WINAPI XpGetThreadId(HANDLE thread)
{
    if (!gGetThreadIdResolved) {
        // Looked up at run time: GetThreadId exists only from Windows Vista on.
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        if (kernel)
            gGetThreadIdProc = (DWORD(WINAPI*)(HANDLE))(void*)GetProcAddress(kernel, "GetThreadId");
        gGetThreadIdResolved = true;
    }
    if (gGetThreadIdProc)
        return gGetThreadIdProc(thread);
    return GetCurrentThreadId();
}

const ThreadApiTable gThreadApiTable = {
    XpSleepConditionVariableCS, XpWakeAllConditionVariable, XpWakeConditionVariable,
    XpInitializeConditionVariable, XpGetThreadId,
};

void InitializeGlobals()
{
    ResetMainWindowState();
    ResetSettingsState();
    ResetTabsState();
    ResetSingleInstanceState();
    ResetDocumentState();
    ResetUndoState();
    ResetSessionState();
    ClearClosedTabs();
    ResetBlockState();
    ResetEditorPaintState();
    ResetEditorWindowState();
    ResetGutterState();
    ResetVimState();
    ResetFindState();
}
