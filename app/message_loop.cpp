#include "app/message_loop.h"

#include "app/about.h"
#include "app/popup_window.h"
#include "app/shortcuts.h"
#include "search/find.h"
#include "sftp/sftp_window.h"

void ProcessLoopMessage(HWND mainWnd, MSG* msg)
{
    // Ctrl+A selects the focused field of these windows, then the dialog manager gets
    // the message; the About window has no field.
    HWND modeless[] = {gFindWnd, gSftpDialogWnd, gShortcutsWnd};
    for (HWND window : modeless)
        if (OfferToPopup(window, msg, true))
            return;
    if (OfferToPopup(gAboutWnd, msg, false))
        return;
    if (msg->message == WM_KEYDOWN && HandleMessageLoopKey(mainWnd, (int)msg->wParam))
        return;
    TranslateMessage(msg);
    DispatchMessageA(msg);
}

int RunMessageLoop(HWND mainWnd)
{
    MSG msg;
    msg.wParam = 0;
    for (;;) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1)
            break;
        ProcessLoopMessage(mainWnd, &msg);
    }
    return (int)msg.wParam;
}
