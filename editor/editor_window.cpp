#include "editor/editor_window.h"

#include "document/document.h"
#include "document/undo.h"
#include "editor/block_keys.h"
#include "editor/block_mode.h"
#include "editor/clipboard.h"
#include "editor/control_drawing.h"
#include "editor/editor_keys.h"
#include "editor/editor_paint.h"
#include "editor/editor_text.h"
#include "editor/fonts.h"
#include "editor/gutter.h"

WNDPROC gEditorOrigProc = nullptr;
int gSelAnchor = -1;

void ResetEditorWindowState()
{
    ResetControlDrawingState();
    gSelAnchor = -1;
}

void RememberSelectionBeforeEdit(HWND editor)
{
    DWORD s = 0, e = 0;
    SendMessageA(editor, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    gSelBeforeEditStart = (int)s;
    gSelBeforeEditEnd = (int)e;
}

bool IsEditReadOnly(HWND edit)
{
    return (GetWindowLongA(edit, GWL_STYLE) & ES_READONLY) != 0;
}

static LRESULT PassOn(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(gEditorOrigProc, hwnd, msg, wParam, lParam);
}

// A message after which the control replaces the selection (or the character beside the
// caret) once: the selection is remembered for the undo step, and the change notification
// that the control sends meanwhile may record the step from the changed lines alone.
// What the control would draw of it waits for the next paint.
static LRESULT PassOnAsEdit(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    RememberSelectionBeforeEdit(hwnd);
    int before = gSelBeforeEditStart < gSelBeforeEditEnd ? gSelBeforeEditStart : gSelBeforeEditEnd;
    BeginKeystrokeEdit();
    LRESULT result;
    {
        ControlDrawingHold hold(hwnd);
        result = PassOn(hwnd, msg, wParam, lParam);
        DWORD s = 0, e = 0;
        SendMessageA(hwnd, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
        hold.Changed(before, (int)e);
    }
    EndKeystrokeEdit();
    return result;
}

// The control's own handling (which does nothing under Wine), and the system's for any
// window.
static LRESULT SetRedraw(HWND hwnd, WPARAM on, LPARAM lParam)
{
    if (!on)
        SetControlRedraw(hwnd, false);
    LRESULT result = PassOn(hwnd, WM_SETREDRAW, on, lParam);
    if (on)
        SetControlRedraw(hwnd, true);
    return result;
}

// Scrolling repaints everything once at the end, so the overlays never lag the text.
static LRESULT Scroll(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    SendMessageA(hwnd, WM_SETREDRAW, FALSE, 0);
    LRESULT result = PassOn(hwnd, msg, wParam, lParam);
    SendMessageA(hwnd, WM_SETREDRAW, TRUE, 0);
    RefreshGutter();
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
    return result;
}

static LRESULT CALLBACK HandleEditorMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_SETREDRAW:
        return SetRedraw(hwnd, wParam, lParam);
    case WM_SETTEXT:
        LeaveBlockMode();
        return PassOn(hwnd, msg, wParam, lParam);
    case WM_UNDO:
    case EM_UNDO:
        Undo(hwnd);
        return 0;
    case WM_CHAR:
    case WM_IME_CHAR:
        RememberSelectionBeforeEdit(hwnd);
        if (EditorCharacter(hwnd, msg, wParam))
            return 0;
        return PassOnAsEdit(hwnd, msg, wParam, lParam);
    case WM_CUT:
        RememberSelectionBeforeEdit(hwnd);
        EditCut(hwnd);
        return 0;
    case WM_PASTE:
        RememberSelectionBeforeEdit(hwnd);
        EditPaste(hwnd);
        return 0;
    case WM_CLEAR:
        return PassOnAsEdit(hwnd, msg, wParam, lParam);
    case WM_COPY:
        EditCopy(hwnd);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP: {
        if (EditorKey(hwnd, msg, (int)wParam))
            return 0;
        if (msg == WM_SYSKEYDOWN)
            break;
        bool edit = msg == WM_KEYDOWN && (wParam == VK_BACK || wParam == VK_DELETE);
        LRESULT result = edit ? PassOnAsEdit(hwnd, msg, wParam, lParam) : PassOn(hwnd, msg, wParam, lParam);
        RefreshGutter();
        return result;
    }
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_CAPTURECHANGED:
        if (BlockMouse(hwnd, msg, lParam) || EditorMouse(hwnd, msg, lParam))
            return 0;
        break;
    case WM_MOUSEWHEEL:
        if (GetKeyState(VK_CONTROL) < 0) {
            ZoomEditorFont(hwnd, (short)HIWORD(wParam));
            return 0;
        }
        return Scroll(hwnd, msg, wParam, lParam);
    case WM_HSCROLL:
    case WM_VSCROLL:
        return Scroll(hwnd, msg, wParam, lParam);
    case WM_PAINT:
        PaintEditor(hwnd);
        return 0;
    }
    return PassOn(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK EditorWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return CallStoppingOutOfMemory(HandleEditorMessage, hwnd, msg, wParam, lParam);
}
