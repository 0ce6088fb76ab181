// The process: single-instance check, the main window, the session, the files named on
// the command line, then the message loop.

#include "app/cmdline.h"
#include "app/globals.h"
#include "app/main_window.h"
#include "app/message_loop.h"
#include "app/settings.h"
#include "app/shell_integration.h"
#include "app/single_instance.h"
#include "app/tabs.h"
#include "app/updater.h"
#include "document/session.h"

#include <string.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
    InitializeGlobals();
    gPendingOpenFilesMsg = RegisterWindowMessageA("Zorvik_PendingOpenFiles");
    AllowHandOverMessages(nullptr);
    if (HandOverToRunningInstance(commandLine))
        return 0;

    HICON largeIcon = nullptr, smallIcon = nullptr;
    if (!RegisterMainWindowClass(instance, &largeIcon, &smallIcon))
        return 0;

    // A self-update leaves the old executable beside the new one.
    char exe[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, exe, sizeof(exe));
    if (n > 0 && n + 4 < sizeof(exe)) {
        exe[n] = 0;
        strcat(exe, ".bak");
        DeleteFileA(exe);
    }

    InstallShellHooks();
    HWND hwnd = CreateMainWindow(instance);
    if (!hwnd)
        return 0;
    SendMessageA(hwnd, WM_SETICON, ICON_BIG, (LPARAM)largeIcon);
    SendMessageA(hwnd, WM_SETICON, ICON_SMALL, (LPARAM)smallIcon);
    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);

    RegisterTextFileAssociation(false);
    if (gAutoSave)
        RestoreSession(hwnd);
    if (commandLine && commandLine[0]) {
        const char* cursor = commandLine;
        char token[kCommandLineTokenSize];
        while (GetNextCommandLineToken(&cursor, token))
            OpenFileByPath(hwnd, token);
    }
    SetFocus(gEditorWnd);

    int code = RunMessageLoop(hwnd);
    if (gInstanceMutex) {
        CloseHandle(gInstanceMutex);
        gInstanceMutex = nullptr;
    }
    FinishUpdateAtExit();
    return code;
}
