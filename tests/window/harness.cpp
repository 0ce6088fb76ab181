#include "tests/window/harness.h"

#include "app/globals.h"
#include "app/main_window.h"
#include "app/message_loop.h"
#include "document/document.h"

#include <commctrl.h>
#include <stdio.h>

std::string ExeFolder()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
    path[n < sizeof(path) ? n : 0] = 0;
    char* slash = strrchr(path, '\\');
    if (slash)
        slash[1] = 0;
    return path;
}

static void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string full = folder + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

void RemoveProgramFiles()
{
    std::string folder = ExeFolder();
    DeleteFileA((folder + "Zorvik.ini").c_str());
    DeleteFileA((folder + "Zorvik.session").c_str());
    RemoveTree(folder + "undo");
}

void WriteSettingsFile(const std::string& text)
{
    WriteFileBytes(ExeFolder() + "Zorvik.ini", text);
}

HWND CreateTestMainWindow()
{
    static bool registered = false;
    InitializeGlobals();
    if (!gPendingOpenFilesMsg)
        gPendingOpenFilesMsg = RegisterWindowMessageA("Zorvik_PendingOpenFiles");
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!registered)
        registered = RegisterMainWindowClass(instance, nullptr, nullptr);
    InstallShellHooks();
    HWND hwnd = CreateMainWindow(instance);
    if (!hwnd)
        return nullptr;
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    SetForegroundWindow(hwnd);
    SetFocus(gEditorWnd);
    PumpMessages(hwnd, 50);
    return hwnd;
}

void DestroyTestMainWindow(HWND hwnd)
{
    if (!hwnd || !IsWindow(hwnd))
        return;
    DestroyWindow(hwnd);
    // Swallow the WM_QUIT that WM_DESTROY posts, or the next window's pump would stop.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT)
            DispatchMessageA(&msg);
    }
    gMainWnd = gTabsWnd = gEditorWnd = gGutterWnd = gStatusWnd = nullptr;
}

TestWindow::TestWindow(const char* settings)
{
    RemoveProgramFiles();
    if (settings)
        WriteSettingsFile(settings);
    hwnd = CreateTestMainWindow();
}

TestWindow::~TestWindow()
{
    DestroyTestMainWindow(hwnd);
    for (const std::string& file : files) {
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(file.c_str());
    }
    RemoveProgramFiles();
}

std::string TestWindow::File(const char* name, const std::string& bytes)
{
    std::string path = ExeFolder() + name;
    WriteFileBytes(path, bytes);
    files.push_back(path);
    return path;
}

void PumpMessages(HWND mainWnd, int milliseconds)
{
    DWORD end = GetTickCount() + milliseconds;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return;
            ProcessLoopMessage(mainWnd, &msg);
        }
        if ((int)(GetTickCount() - end) >= 0)
            return;
        Sleep(10);
    }
}

void SetModifiers(bool ctrl, bool alt, bool shift)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    auto set = [&](int vk, bool down) { keys[vk] = down ? 0x80 : 0; };
    set(VK_CONTROL, ctrl);
    set(VK_LCONTROL, ctrl);
    set(VK_MENU, alt);
    set(VK_LMENU, alt);
    set(VK_SHIFT, shift);
    set(VK_LSHIFT, shift);
    SetKeyboardState(keys);
}

namespace {

// A key-down as a keyboard makes it with the modifiers held now. Windows' control takes
// Alt from the context bit (29) of lParam, Wine's from bit 13: with Alt both are set.
MSG KeyDownMessage(HWND target, int vk)
{
    bool ctrl = GetKeyState(VK_CONTROL) < 0, alt = GetKeyState(VK_MENU) < 0;
    MSG msg;
    ZeroMemory(&msg, sizeof(msg));
    msg.hwnd = target;
    msg.message = alt && !ctrl ? WM_SYSKEYDOWN : WM_KEYDOWN;
    msg.wParam = vk;
    msg.lParam = alt ? 1 | 0x2000 | (1 << 29) : 1;
    return msg;
}

// The key-downs of the modifiers, each made after the state of those before it was set.
void ModifierKeyDowns(HWND target, bool ctrl, bool alt, bool shift, const std::function<void(MSG*)>& deliver)
{
    struct Step {
        bool held;
        int vk;
    } steps[] = {{ctrl, VK_CONTROL}, {alt, VK_MENU}, {shift, VK_SHIFT}};
    bool down[3] = {false, false, false};
    for (int i = 0; i < 3; ++i) {
        if (!steps[i].held)
            continue;
        down[i] = true;
        SetModifiers(down[0], down[1], down[2]);
        MSG msg = KeyDownMessage(target, steps[i].vk);
        deliver(&msg);
    }
    SetModifiers(ctrl, alt, shift);
}

HWND KeyTarget(HWND target)
{
    return target ? target : (GetFocus() ? GetFocus() : gEditorWnd);
}

void RunThrough(MSG msg, const std::function<bool(MSG*)>& take)
{
    do {
        if (!take(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    } while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

} // namespace

void HoldModifiers(HWND mainWnd, bool ctrl, bool alt, bool shift, HWND target)
{
    ModifierKeyDowns(KeyTarget(target), ctrl, alt, shift, [&](MSG* msg) { ProcessLoopMessage(mainWnd, msg); });
}

void KeyDown(HWND mainWnd, int vk, HWND target)
{
    MSG msg = KeyDownMessage(KeyTarget(target), vk);
    ProcessLoopMessage(mainWnd, &msg);
}

void PressKey(HWND mainWnd, int vk, bool ctrl, bool alt, bool shift, HWND target)
{
    HoldModifiers(mainWnd, ctrl, alt, shift, target);
    KeyDown(mainWnd, vk, target);
    SetModifiers(false, false, false);
}

void RunKeyThrough(HWND focus, int vk, const std::function<bool(MSG*)>& take)
{
    SetFocus(focus);
    MSG msg;
    ZeroMemory(&msg, sizeof(msg));
    msg.hwnd = focus;
    msg.message = WM_KEYDOWN;
    msg.wParam = vk;
    msg.lParam = 1;
    RunThrough(msg, take);
}

void RunKeyThrough(HWND focus, int vk, bool ctrl, bool alt, bool shift, const std::function<bool(MSG*)>& take)
{
    SetFocus(focus);
    ModifierKeyDowns(focus, ctrl, alt, shift, [&](MSG* msg) { RunThrough(*msg, take); });
    RunThrough(KeyDownMessage(focus, vk), take);
    SetModifiers(false, false, false);
}

void TypeText(const char* text)
{
    for (const char* p = text; *p; ++p)
        SendMessageA(gEditorWnd, WM_CHAR, (unsigned char)*p, 1);
}

std::string EditorText()
{
    return GetEditorText();
}

void SelectInEditor(int start, int end)
{
    SendMessageA(gEditorWnd, EM_SETSEL, (WPARAM)start, (LPARAM)end);
}

std::pair<int, int> EditorSelection()
{
    DWORD s = 0, e = 0;
    SendMessageA(gEditorWnd, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    return {(int)s, (int)e};
}

std::string StatusText()
{
    char buffer[1024] = "";
    SendMessageA(gStatusWnd, SB_GETTEXTA, 0, (LPARAM)buffer);
    return buffer;
}

int TabCount()
{
    return TabCtrl_GetItemCount(gTabsWnd);
}

int SelectedTab()
{
    return TabCtrl_GetCurSel(gTabsWnd);
}

std::string TabTitle(int index)
{
    char buffer[MAX_PATH];
    GetTabTitle(index, buffer, sizeof(buffer), "");
    return buffer;
}

std::string ReadFileBytes(const std::string& path)
{
    std::string out;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return out;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0)
        out.append(buffer, n);
    fclose(f);
    return out;
}

std::string ClipboardTextBytes(HWND owner)
{
    std::string out;
    if (!OpenClipboard(owner))
        return "<closed>";
    HANDLE data = GetClipboardData(CF_TEXT);
    if (const char* p = data ? (const char*)GlobalLock(data) : nullptr) {
        out = p;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return out;
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

namespace {

MessageBoxAnswers* gAnswers = nullptr;
HHOOK gBoxHook = nullptr;

VOID CALLBACK AnswerBox(HWND box, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(box, timer);
    if (!gAnswers || !IsWindow(box))
        return;
    char title[256] = "", text[1024] = "";
    GetWindowTextA(box, title, sizeof(title));
    // The text of a message box is its static control with id 0xFFFF.
    GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
    gAnswers->seen.push_back({title, text});
    int answer = IDCANCEL;
    if (!gAnswers->answers.empty()) {
        answer = gAnswers->answers.front();
        gAnswers->answers.erase(gAnswers->answers.begin());
    } else if (!GetDlgItem(box, IDCANCEL)) {
        answer = IDOK;
    }
    if (!GetDlgItem(box, answer) && answer == IDCANCEL)
        answer = IDOK;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), (LPARAM)GetDlgItem(box, answer));
}

LRESULT CALLBACK BoxHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        HWND window = (HWND)wParam;
        char cls[16] = "";
        GetClassNameA(window, cls, sizeof(cls));
        if (strcmp(cls, "#32770") == 0)
            SetTimer(window, 0x5A5A, 10, AnswerBox);
    }
    return CallNextHookEx(gBoxHook, code, wParam, lParam);
}

} // namespace

MessageBoxAnswers::MessageBoxAnswers(std::vector<int> list) : answers(std::move(list))
{
    gAnswers = this;
    gBoxHook = SetWindowsHookExA(WH_CBT, BoxHook, nullptr, GetCurrentThreadId());
}

MessageBoxAnswers::~MessageBoxAnswers()
{
    if (gBoxHook)
        UnhookWindowsHookEx(gBoxHook);
    gBoxHook = nullptr;
    gAnswers = nullptr;
}

// Repaints the window, then reads its pixels back from the window DC.
Shot TakeShot(HWND window, bool invalidate)
{
    if (invalidate)
        InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    Shot s;
    RECT rc;
    GetClientRect(window, &rc);
    s.w = rc.right;
    s.h = rc.bottom;
    if (s.w <= 0 || s.h <= 0)
        return s;
    HDC screen = GetDC(window);
    BITMAPINFO bi;
    ZeroMemory(&bi, sizeof(bi));
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = s.w;
    bi.bmiHeader.biHeight = -s.h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, s.w, s.h, screen, 0, 0, SRCCOPY);
    GdiFlush();
    s.px.assign((DWORD*)bits, (DWORD*)bits + (size_t)s.w * s.h);
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(dib);
    ReleaseDC(window, screen);
    return s;
}
