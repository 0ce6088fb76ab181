#include "app/single_instance.h"

#include "app/globals.h"

namespace {

typedef BOOL(WINAPI* ChangeWindowMessageFilterProc)(UINT message, DWORD flag);
typedef BOOL(WINAPI* ChangeWindowMessageFilterExProc)(HWND window, UINT message, DWORD action,
                                                       void* status);

const UINT kCopyGlobalData = 0x49;

} // namespace

void AllowHandOverMessages(HWND window)
{
    HMODULE user32 = GetModuleHandleA("user32.dll");
    if (!user32)
        return;
    const UINT messages[] = {WM_COPYDATA, WM_DROPFILES, kCopyGlobalData, gPendingOpenFilesMsg};
    if (window) {
        ChangeWindowMessageFilterExProc filterEx =
            (ChangeWindowMessageFilterExProc)(void*)GetProcAddress(user32, "ChangeWindowMessageFilterEx");
        if (filterEx) {
            for (UINT message : messages)
                if (message)
                    filterEx(window, message, 1 /* MSGFLT_ALLOW */, nullptr);
            return;
        }
    }
    ChangeWindowMessageFilterProc filter =
        (ChangeWindowMessageFilterProc)(void*)GetProcAddress(user32, "ChangeWindowMessageFilter");
    if (filter)
        for (UINT message : messages)
            if (message)
                filter(message, 1 /* MSGFLT_ADD */);
}

// The hand-over between instances arrives with its own work: until then every start
// runs its own window.
bool HandOverToRunningInstance(const char*) { return false; }
void ReceivePendingOpenFiles(HWND, LPARAM) {}
bool ReceiveCopyData(HWND, const COPYDATASTRUCT*) { return false; }
