#include "app/popup_window.h"

#include "app/dialog_edit.h"

namespace {

bool Held(int vk)
{
    return GetKeyState(vk) < 0;
}

bool IsCtrlA(const MSG& msg)
{
    return msg.message == WM_KEYDOWN && msg.wParam == 'A' && Held(VK_CONTROL) && !Held(VK_MENU);
}

bool IsSingleLineEdit(const PopupControl& control)
{
    return lstrcmpiA(control.className, "EDIT") == 0 && !(control.style & ES_MULTILINE);
}

HINSTANCE ProgramInstance()
{
    return GetModuleHandleA(nullptr);
}

} // namespace

bool RegisterPopupClass(const char* className, WNDPROC proc)
{
    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExA(ProgramInstance(), className, &wc))
        return true;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = ProgramInstance();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    return RegisterClassExA(&wc) != 0;
}

bool CreatePopupControls(HWND window, const PopupControl* controls, int count, HWND* handles)
{
    HFONT font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    HINSTANCE instance = (HINSTANCE)GetWindowLongPtrA(window, GWLP_HINSTANCE);
    bool all = true;
    for (int i = 0; i < count; ++i) {
        const PopupControl& c = controls[i];
        DWORD style = WS_CHILD | c.style | ((c.flags & kControlHidden) ? 0 : WS_VISIBLE);
        HWND control =
            CreateWindowExA(c.exStyle, c.className, c.text ? c.text : "", style, c.rect.x, c.rect.y,
                            c.rect.width, c.rect.height, window, (HMENU)(INT_PTR)c.id, instance, nullptr);
        if (handles)
            handles[i] = control;
        if (!control) {
            all = false;
            continue;
        }
        if (!(c.flags & kControlOwnFont))
            SendMessageA(control, WM_SETFONT, (WPARAM)font, TRUE);
        if (IsSingleLineEdit(c))
            SubclassDialogEdit(control);
    }
    return all;
}

SIZE PopupOuterSize(int width, int height, DWORD style, DWORD exStyle)
{
    RECT rc = {0, 0, width, height};
    AdjustWindowRectEx(&rc, style, FALSE, exStyle);
    SIZE size = {rc.right - rc.left, rc.bottom - rc.top};
    return size;
}

POINT CenterOnOwner(HWND owner, int width, int height, int minCoordinate)
{
    RECT rc = {0, 0, 0, 0};
    if (!owner || !GetWindowRect(owner, &rc))
        GetWindowRect(GetDesktopWindow(), &rc);
    POINT at = {rc.left + (rc.right - rc.left - width) / 2, rc.top + (rc.bottom - rc.top - height) / 2};
    if (at.x < minCoordinate)
        at.x = minCoordinate;
    if (at.y < minCoordinate)
        at.y = minCoordinate;
    return at;
}

HWND CreatePopupWindow(const PopupWindowSpec& spec)
{
    int width = spec.width, height = spec.height;
    if (spec.sizeKind == kPopupClientSize) {
        SIZE outer = PopupOuterSize(width, height, spec.style, spec.exStyle);
        width = outer.cx;
        height = outer.cy;
    }
    POINT at = CenterOnOwner(spec.owner, width, height, spec.minCoordinate);
    return CreateWindowExA(spec.exStyle, spec.className, spec.title, spec.style, at.x, at.y, width, height,
                           spec.owner, nullptr, ProgramInstance(), spec.createParam);
}

HWND CreateModalPopup(const PopupWindowSpec& spec)
{
    if (spec.owner)
        EnableWindow(spec.owner, FALSE);
    HWND window = CreatePopupWindow(spec);
    if (!window && spec.owner)
        EnableWindow(spec.owner, TRUE);
    return window;
}

void RunModalPopupLoop(HWND window, HWND owner, HWND selectAllField)
{
    MSG msg;
    while (IsWindow(window)) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1)
            break;
        if (got == 0) {
            // The program's own loop must see the quit message too, or it would run on
            // without a window to end it.
            PostQuitMessage((int)msg.wParam);
            break;
        }
        if (IsCtrlA(msg) && selectAllField && IsWindow(selectAllField)) {
            SendMessageA(selectAllField, EM_SETSEL, 0, -1);
            continue;
        }
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
            continue;
        }
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) {
            HWND cancel = GetDlgItem(window, IDCANCEL);
            SendMessageA(window, WM_COMMAND, cancel && GetFocus() == cancel ? IDCANCEL : IDOK, 0);
            continue;
        }
        if (!IsDialogMessageA(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (owner)
        EnableWindow(owner, TRUE);
}

void CloseModalPopup(HWND window)
{
    HWND owner = GetWindow(window, GW_OWNER);
    if (owner)
        EnableWindow(owner, TRUE);
    DestroyWindow(window);
    // To this thread's own queue: the loop wakes and finds the window gone.
    PostMessageA(nullptr, WM_NULL, 0, 0);
}

bool OfferToPopup(HWND window, MSG* msg, bool selectAll)
{
    if (!window || !IsWindow(window))
        return false;
    if (selectAll && IsCtrlA(*msg)) {
        HWND focus = GetFocus();
        if (focus && (focus == window || IsChild(window, focus))) {
            SendMessageA(focus, EM_SETSEL, 0, -1);
            return true;
        }
    }
    return IsDialogMessageA(window, msg) != FALSE;
}
