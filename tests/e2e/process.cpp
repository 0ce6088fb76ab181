#include "tests/e2e/process.h"

#include "tests/window/harness.h"

namespace {

struct FindData {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindProc(HWND hwnd, LPARAM lParam)
{
    FindData* data = (FindData*)lParam;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[64] = "";
    GetClassNameA(hwnd, cls, sizeof(cls));
    if (pid == data->processId && strcmp(cls, "ZorvikWindowClass") == 0 && IsWindowVisible(hwnd)) {
        data->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND FindZorvikWindow(DWORD processId)
{
    FindData data = {processId, nullptr};
    EnumWindows(FindProc, (LPARAM)&data);
    return data.found;
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
    if (!LaunchZorvik(exe, arguments, "", out))
        return false;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        out->window = FindZorvikWindow(out->info.dwProcessId);
        if (out->window)
            return true;
        if (WaitForSingleObject(out->info.hProcess, 100) == WAIT_OBJECT_0)
            return false;
    }
    return false;
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

void SendKey(WORD vk, bool up)
{
    INPUT input;
    ZeroMemory(&input, sizeof(input));
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof(input));
}

void PressChord(WORD modifier, WORD vk)
{
    SendKey(modifier, false);
    SendKey(vk, false);
    SendKey(vk, true);
    SendKey(modifier, true);
}
