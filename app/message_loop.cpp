#include "app/message_loop.h"

#include "app/about.h"
#include "app/shortcuts.h"
#include "search/find.h"
#include "sftp/sftp_window.h"

namespace {

bool IsSelfOrDescendant(HWND window, HWND candidate)
{
    return candidate && (candidate == window || IsChild(window, candidate));
}

// Ctrl+A selects the focused field of a modeless window, then the dialog manager gets
// the message. True when the message was taken.
bool OfferToModelessWindow(HWND window, MSG* msg)
{
    if (!window || !IsWindow(window))
        return false;
    if (msg->message == WM_KEYDOWN && msg->wParam == 'A') {
        ModifierState m = ReadModifiers();
        HWND focus = GetFocus();
        if (m.ctrl && !m.alt && IsSelfOrDescendant(window, focus)) {
            SendMessageA(focus, EM_SETSEL, 0, -1);
            return true;
        }
    }
    return IsDialogMessageA(window, msg) != FALSE;
}

} // namespace

void ProcessLoopMessage(HWND mainWnd, MSG* msg)
{
    HWND modeless[] = {gFindWnd, gSftpDialogWnd, gShortcutsWnd};
    for (HWND window : modeless)
        if (OfferToModelessWindow(window, msg))
            return;
    if (gAboutWnd && IsWindow(gAboutWnd) && IsDialogMessageA(gAboutWnd, msg))
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
