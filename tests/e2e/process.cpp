#include "tests/e2e/process.h"

#include "tests/window/harness.h"

#include <doctest/doctest.h>

namespace {

struct WindowSearch {
    const char* className;
    const std::function<bool(DWORD)>* ofProcess;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam)
{
    WindowSearch* search = (WindowSearch*)lParam;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[64] = "";
    GetClassNameA(hwnd, cls, sizeof(cls));
    if (strcmp(cls, search->className) == 0 && IsWindowVisible(hwnd) && (*search->ofProcess)(pid)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND FindVisibleWindow(const char* className, const std::function<bool(DWORD processId)>& ofProcess)
{
    WindowSearch search = {className, &ofProcess, nullptr};
    EnumWindows(MatchWindow, (LPARAM)&search);
    return search.found;
}

HWND WaitForWindow(const char* className, const std::function<bool(DWORD processId)>& ofProcess,
                   DWORD timeoutMs, const std::string& what)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindVisibleWindow(className, ofProcess)) != nullptr; }, timeoutMs, what);
    return found;
}

HWND FindZorvikWindow(DWORD processId)
{
    return FindVisibleWindow("ZorvikWindowClass", [processId](DWORD pid) { return pid == processId; });
}

std::string PrepareZorvikCopy()
{
    std::string folder = ExeFolder();
    std::string source = folder + "..\\..\\Zorvik.exe";
    std::string copy = folder + "Zorvik.exe";
    CopyFileA(source.c_str(), copy.c_str(), FALSE);
    return copy;
}

bool LaunchZorvik(const std::string& exe, const std::string& arguments, const std::string& folder,
                  ZorvikProcess* out)
{
    ZeroMemory(out, sizeof(*out));
    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    std::string directory = folder.empty() ? ExeFolder() : folder;
    return CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &si,
                          &out->info) != 0;
}

bool StartZorvik(const std::string& exe, const std::string& arguments, ZorvikProcess* out, DWORD timeoutMs)
{
    if (!LaunchZorvik(exe, arguments, "", out)) {
        FAIL_CHECK("could not start " << exe << " (error " << GetLastError() << ")");
        return false;
    }
    bool ended = false;
    WaitUntil(
        [&] {
            out->window = FindZorvikWindow(out->info.dwProcessId);
            ended = !out->window && WaitForSingleObject(out->info.hProcess, 0) == WAIT_OBJECT_0;
            return out->window || ended;
        },
        timeoutMs, "the main window of " + exe + " " + arguments + " showed");
    if (ended)
        FAIL_CHECK(exe << " " << arguments << " ended before its main window showed");
    return out->window != nullptr;
}

int WaitForExit(ZorvikProcess* process, DWORD timeoutMs)
{
    if (WaitForSingleObject(process->info.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(process->info.hProcess, &code);
    CloseHandle(process->info.hProcess);
    CloseHandle(process->info.hThread);
    process->info.hProcess = process->info.hThread = nullptr;
    return (int)code;
}

void KillZorvik(ZorvikProcess* process)
{
    if (!process->info.hProcess)
        return;
    TerminateProcess(process->info.hProcess, 1);
    WaitForSingleObject(process->info.hProcess, 10000);
    CloseHandle(process->info.hProcess);
    CloseHandle(process->info.hThread);
    process->info.hProcess = process->info.hThread = nullptr;
}

bool SameFileState(const WIN32_FILE_ATTRIBUTE_DATA& a, const WIN32_FILE_ATTRIBUTE_DATA& b)
{
    return a.nFileSizeLow == b.nFileSizeLow && a.nFileSizeHigh == b.nFileSizeHigh &&
           CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0;
}

bool WaitForFileBytes(const std::string& path, const std::function<bool(const std::string& bytes)>& done,
                      DWORD timeoutMs, const std::string& what)
{
    WIN32_FILE_ATTRIBUTE_DATA read;
    bool readOnce = false;
    return WaitUntil(
        [&] {
            WIN32_FILE_ATTRIBUTE_DATA now;
            if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &now))
                return false;
            if (readOnce && SameFileState(read, now))
                return false;
            read = now;
            readOnce = true;
            return done(ReadFileBytes(path));
        },
        timeoutMs, what);
}

bool WaitForKeyboardFocus(HWND target, DWORD timeoutMs)
{
    HWND top = GetAncestor(target, GA_ROOT);
    DWORD thread = GetWindowThreadProcessId(target, nullptr);
    DWORD start = GetTickCount();
    int steady = 0;
    do {
        if (GetForegroundWindow() != top)
            SetForegroundWindow(top);
        // A round trip through the target's thread: by its end the thread has also taken in
        // the X server's focus events of the activation, which reset the modifier keys to
        // what the X keyboard holds. A Ctrl sent before that can be lost (seen under qemu).
        DWORD_PTR result;
        SendMessageTimeoutA(top, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &result);
        GUITHREADINFO info;
        ZeroMemory(&info, sizeof(info));
        info.cbSize = sizeof(info);
        bool focused = GetForegroundWindow() == top && GetGUIThreadInfo(thread, &info) && info.hwndFocus == target;
        steady = focused ? steady + 1 : 0;
        // Twice in a row, a little apart: the focus has settled.
        if (steady == 2)
            return true;
        Sleep(focused ? 150 : 50);
    } while (GetTickCount() - start < timeoutMs);
    return false;
}

namespace {

void RequireKeyboardFocus(HWND target)
{
    if (!WaitForKeyboardFocus(target)) {
        char cls[64] = "";
        GetClassNameA(target, cls, sizeof(cls));
        FAIL("the keys' target (a " << cls << " window, id " << GetDlgCtrlID(target)
                                     << ") never got the keyboard focus; the keys were not sent");
    }
}

void SendKeyInput(WORD vk, bool up)
{
    INPUT input;
    ZeroMemory(&input, sizeof(input));
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof(input));
}

} // namespace

void SendKey(HWND target, WORD vk, bool up)
{
    RequireKeyboardFocus(target);
    SendKeyInput(vk, up);
}

void PressChord(HWND target, WORD modifier, WORD vk)
{
    RequireKeyboardFocus(target);
    SendKeyInput(modifier, false);
    SendKeyInput(vk, false);
    SendKeyInput(vk, true);
    SendKeyInput(modifier, true);
}
