#include "app/globals.h"

#include "app/main_window.h"
#include "app/settings.h"
#include "app/tabs.h"
#include "document/closed_tabs.h"
#include "document/document.h"
#include "document/undo.h"
#include "editor/block_mode.h"
#include "editor/editor_paint.h"
#include "editor/editor_window.h"
#include "editor/gutter.h"
#include "search/find.h"
#include "vim/vim.h"

#include <string.h>

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

// Every global starts as its definition gives it before WinMain runs; this restores
// those values, so that a test can create a fresh main window in the same process.
void InitializeGlobals()
{
    ClearClosedTabs();
    gUndoCaptureText.clear();
    gRecentFiles.clear();
    gWordHighlights.clear();
    gFindText.clear();
    gReplaceText.clear();
    gFindMatchCase = false;
    gFindWrapAround = true;
    gFindRegex = false;

    gAutoSave = true;
    gDiffMode = false;
    gNewPageEncoding = 1;
    gNewPageBom = false;
    strcpy(gFontName, "GulimChe");
    gFontSize = 14;
    gGutterWidth = 40;
    gNextDocumentId = 1;
    gProgrammaticChange = false;
    gTabPressIndex = -1;
    gTabDropIndex = -1;
    gTabDragging = false;
    gMissingFilePromptOpen = false;
    gWordHighlightSelStart = -1;
    gWordHighlightSelEnd = -1;
    gSystemCaretHidden = false;
    gSelAnchor = -1;
    ResetBlockState();
    VimReset();
    gVimCommandLine[0] = 0;
    gVimCommandLength = 0;
    gVimVisualAnchor = -1;
    gVimVisualCursor = -1;
    gUndoCaptureOpen = false;
    gApplyingUndo = false;
    gSelBeforeEditStart = 0;
    gSelBeforeEditEnd = 0;
}
