#include "app/about.h"

#include "app/about_text.h"
#include "app/popup_window.h"
#include "app/settings.h"
#include "app/updater.h"
#include "document/document.h"
#include "editor/fonts.h"

#include <string>

HWND gAboutWnd = nullptr;
HWND gShortcutsWnd = nullptr;
bool gAboutClassRegistered = false;
bool gShortcutsClassRegistered = false;

namespace {

const char kAboutClass[] = "ZorvikAboutClass";
const char kShortcutsClass[] = "ZorvikShortcutsClass";
const DWORD kInfoStyle = WS_POPUPWINDOW | WS_VISIBLE | WS_DLGFRAME;
const DWORD kInfoExStyle = WS_EX_TOPMOST | WS_EX_DLGMODALFRAME;
const int kMinPlacement = 10;
const int kReferenceFontPoints = 13;

// Rows of the About window's control table.
enum { kAboutIcon = 0, kAboutFeatures = 5, kAboutControlCount = 9 };

// The icon of resource 1 is the window's own and goes with it; the system's stand-in is
// shared and stays.
HICON LoadAboutIcon(bool* owned)
{
    HICON icon = (HICON)LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON, 32, 32,
                                   LR_DEFAULTCOLOR);
    *owned = icon != nullptr;
    return icon ? icon : LoadIconA(nullptr, (LPCSTR)IDI_APPLICATION);
}

// The bullets are no character of every code page: the text goes in as UTF-16.
void SetTextUtf8(HWND control, const char* utf8)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (n <= 0)
        return;
    std::wstring wide((size_t)n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &wide[0], n);
    SetWindowTextW(control, wide.c_str());
}

void CreateAboutControls(HWND hwnd)
{
    std::string version = AboutVersionLine();
    std::string compiled = AboutCompiledLine(__DATE__, __TIME__);
    // clang-format off
    const PopupControl controls[kAboutControlCount] = {
        {"STATIC", nullptr, SS_ICON, 0, {20, 20, 32, 32}, 0, kControlOwnFont},
        {"STATIC", "Zorvik (zenithOrbitalReflectorVectorIndexKit)", SS_NOPREFIX, 0, {65, 18, 360, 20}},
        {"STATIC", version.c_str(), SS_NOPREFIX, 0, {65, 40, 360, 18}},
        {"STATIC", compiled.c_str(), SS_NOPREFIX, 0, {65, 60, 360, 18}},
        // "&&": a button shows a single ampersand as a mnemonic underline.
        {"BUTTON", "Key Features && Capabilities", BS_GROUPBOX, 0, {20, 88, 405, 180}},
        {"STATIC", nullptr, SS_NOPREFIX, 0, {35, 112, 380, 145}},
        {"BUTTON", "&Shortcuts...", WS_TABSTOP, 0, {20, 280, 105, 28}, IDC_ABOUT_SHORTCUTS},
        {"BUTTON", "Check for &Updates...", WS_TABSTOP, 0, {140, 280, 160, 28}, IDC_ABOUT_CHECK_UPDATES},
        {"BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, {315, 280, 110, 28}, IDOK},
    };
    // clang-format on
    HWND handles[kAboutControlCount] = {};
    CreatePopupControls(hwnd, controls, kAboutControlCount, handles);
    bool owned = false;
    HICON icon = LoadAboutIcon(&owned);
    SendMessageA(handles[kAboutIcon], STM_SETICON, (WPARAM)icon, 0);
    if (owned)
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)icon);
    SetTextUtf8(handles[kAboutFeatures], AboutFeatureTextUtf8());
}

void CreateShortcutsControls(HWND hwnd)
{
    // clang-format off
    const PopupControl controls[] = {
        {"EDIT", nullptr, WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL, WS_EX_CLIENTEDGE,
         {15, 15, 495, 340}, 0, kControlOwnFont},
        {"BUTTON", "Close", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, {410, 380, 95, 26}, IDOK},
    };
    // clang-format on
    HWND handles[2] = {};
    CreatePopupControls(hwnd, controls, 2, handles);
    HFONT font = CreateEditorFont(gFontName, kReferenceFontPoints);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)font);
    SendMessageA(handles[0], WM_SETFONT, (WPARAM)font, TRUE);
    SetWindowTextA(handles[0], ShortcutReferenceText().c_str());
}

HWND CreateInfoWindow(const char* className, const char* title, int width, int height, HWND owner)
{
    // clang-format off
    PopupWindowSpec spec = {className, title, kInfoStyle, kInfoExStyle, width, height, kPopupOuterSize,
                            kMinPlacement, owner};
    // clang-format on
    return CreatePopupWindow(spec);
}

// Only the window that the global still names clears it: an older window of the kind
// closing must not make the loop forget the newer one.
void ForgetWindow(HWND* global, HWND hwnd)
{
    if (*global == hwnd)
        *global = nullptr;
}

} // namespace

static LRESULT CALLBACK HandleAboutMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        CreateAboutControls(hwnd);
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            DestroyWindow(hwnd);
            return 0;
        case IDC_ABOUT_CHECK_UPDATES: {
            HWND owner = GetParent(hwnd);
            DestroyWindow(hwnd);
            ShowUpdateWindow(owner, false);
            return 0;
        }
        case IDC_ABOUT_SHORTCUTS:
            ShowShortcutsWindow(GetParent(hwnd));
            return 0;
        }
        break;
    case WM_DESTROY:
        ForgetWindow(&gAboutWnd, hwnd);
        return 0;
    case WM_NCDESTROY:
        // After the children: the icon control no longer shows it.
        if (HICON icon = (HICON)SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0))
            DestroyIcon(icon);
        break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

static LRESULT CALLBACK HandleShortcutsMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        CreateShortcutsControls(hwnd);
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            DestroyWindow(hwnd);
            return 0;
        }
        break;
    case WM_DESTROY:
        ForgetWindow(&gShortcutsWnd, hwnd);
        return 0;
    case WM_NCDESTROY:
        // After the children: the edit control no longer uses it.
        if (HFONT font = (HFONT)SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0))
            DeleteObject(font);
        break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK AboutWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return CallStoppingOutOfMemory(HandleAboutMessage, hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK ShortcutsWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return CallStoppingOutOfMemory(HandleShortcutsMessage, hwnd, msg, wParam, lParam);
}

void ShowAboutWindow(HWND mainWnd)
{
    if (!gAboutClassRegistered)
        gAboutClassRegistered = RegisterPopupClass(kAboutClass, AboutWndProc);
    HWND window = CreateInfoWindow(kAboutClass, "About Zorvik", 450, 330, mainWnd);
    if (!window)
        return;
    gAboutWnd = window;
    SetFocus(GetDlgItem(window, IDOK));
}

void ShowShortcutsWindow(HWND mainWnd)
{
    if (!gShortcutsClassRegistered)
        gShortcutsClassRegistered = RegisterPopupClass(kShortcutsClass, ShortcutsWndProc);
    HWND window = CreateInfoWindow(kShortcutsClass, "Zorvik Keyboard Shortcuts Reference", 540, 450, mainWnd);
    if (!window)
        return;
    gShortcutsWnd = window;
    SetFocus(GetDlgItem(window, IDOK));
}
