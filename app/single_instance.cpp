#include "app/single_instance.h"

#include "app/cmdline.h"
#include "app/command_ids.h"
#include "app/globals.h"
#include "app/handover_list.h"
#include "app/main_window.h"
#include "document/paths.h"
#include "app/tabs.h"

#include <string.h>

#include <string>
#include <vector>

namespace {

typedef BOOL(WINAPI* ChangeWindowMessageFilterProc)(UINT message, DWORD flag);
typedef BOOL(WINAPI* ChangeWindowMessageFilterExProc)(HWND window, UINT message, DWORD action,
                                                       void* status);
typedef BOOL(WINAPI* AllowSetForegroundWindowProc)(DWORD processId);

const UINT kCopyGlobalData = 0x49;
const DWORD kMsgFilterAdd = 1, kMsgFilterAllow = 1;

const char kMutexName[] = "Local\\ZorvikSingleInstanceMutex";
const char kMutexFallbackName[] = "ZorvikSingleInstanceMutex";
const int kWindowSearchTries = 20;
const int kFileWaitChecks = 20;
const DWORD kStepMs = 50;
const UINT kCopyDataTimeoutMs = 2500;

// Paths handed over while a save question was open: they wait for it to end, so that no
// tab is added, selected or replaced under the question.
std::vector<std::string> gHandedOverWaiting;

FARPROC User32Function(const char* name)
{
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? GetProcAddress(user32, name) : nullptr;
}

void AllowForegroundFor(DWORD processId)
{
    AllowSetForegroundWindowProc allow =
        (AllowSetForegroundWindowProc)(void*)User32Function("AllowSetForegroundWindow");
    if (allow && processId)
        allow(processId);
}

// Not inheritable: a child process such as psftp must not keep the mutex alive after
// this instance ends. The null DACL lets every user and integrity level open it.
HANDLE CreateInstanceMutex(DWORD* lastError)
{
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), &descriptor, FALSE};
    const struct {
        const char* name;
        SECURITY_ATTRIBUTES* attributes;
    } attempts[] = {{kMutexName, &attributes}, {kMutexFallbackName, &attributes}, {kMutexFallbackName, nullptr}};
    for (const auto& attempt : attempts) {
        SetLastError(0);
        HANDLE mutex = CreateMutexA(attempt.attributes, FALSE, attempt.name);
        if (mutex) {
            *lastError = GetLastError();
            return mutex;
        }
    }
    return nullptr;
}

HWND FindRunningMainWindow()
{
    for (int i = 0; i < kWindowSearchTries; ++i) {
        HWND window = FindWindowA(kMainWindowClass, nullptr);
        if (window)
            return window;
        Sleep(kStepMs);
    }
    return nullptr;
}

std::string HandOverListFromCommandLine(const char* commandLine)
{
    std::vector<std::string> paths;
    const char* cursor = commandLine;
    char token[kCommandLineTokenSize];
    while (cursor && GetNextCommandLineToken(&cursor, token))
        paths.push_back(MakeFullPath(token));
    return BuildHandOverList(paths);
}

bool SendList(HWND running, const std::string& list)
{
    COPYDATASTRUCT data;
    data.dwData = kCopyDataOpenFiles;
    data.cbData = (DWORD)list.size() + 1;
    data.lpData = (void*)list.c_str();
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(running, WM_COPYDATA, 0, (LPARAM)&data, SMTO_BLOCK, kCopyDataTimeoutMs,
                               &result) != 0;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr) && written == bytes.size();
    ok = CloseHandle(file) && ok;
    return ok;
}

// The slow path: the list in a file the receiver is told about and also finds by its
// poll. True when the receiver took it.
bool HandOverByFile(HWND running, const std::string& list)
{
    std::string temp = TempFolder();
    if (temp.empty())
        return false;
    DWORD self = GetCurrentProcessId();
    std::string path = HandOverFilePath(temp, self), partial = HandOverPartialFilePath(temp, self);
    // Written whole under another name first: a receiver's poll never sees half a list.
    if (!WriteWholeFile(partial, list) || !MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(partial.c_str());
        return false;
    }
    if (gPendingOpenFilesMsg)
        PostMessageA(running, gPendingOpenFilesMsg, 0, (LPARAM)self);
    PostMessageA(running, WM_COMMAND, IDM_HANDOVER_FILES, (LPARAM)self);
    DWORD receiver = 0;
    if (GetWindowThreadProcessId(running, &receiver))
        AllowForegroundFor(receiver);
    for (int i = 0; i < kFileWaitChecks; ++i) {
        Sleep(kStepMs);
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            return true;
    }
    // The receiver holds the file open without sharing until it has read and deleted it:
    // when the file cannot be deleted now, it is being taken, and this process must not
    // open the same paths in a window of its own.
    return !DeleteFileA(path.c_str());
}

// Bring the window up before the paths open in it.
void RaiseMainWindow(HWND mainWnd)
{
    if (IsIconic(mainWnd))
        ShowWindow(mainWnd, SW_RESTORE);
    ShowWindow(mainWnd, SW_SHOW);
    BringWindowToTop(mainWnd);
    SetForegroundWindow(mainWnd);
}

void OpenPaths(HWND mainWnd, const std::vector<std::string>& paths)
{
    for (const std::string& path : paths)
        OpenFileByPath(mainWnd, path.c_str());
    if (gEditorWnd)
        SetFocus(gEditorWnd);
}

void OpenHandedOverList(HWND mainWnd, const std::string& list)
{
    RaiseMainWindow(mainWnd);
    if (list.empty())
        return;
    std::vector<std::string> paths = SplitHandOverList(list);
    if (gTabQuestionLoop) {
        gHandedOverWaiting.insert(gHandedOverWaiting.end(), paths.begin(), paths.end());
        return;
    }
    OpenPaths(mainWnd, paths);
}

enum class FileRead { Taken, Refused, NotOpened };

// Opened without sharing and deleted when closed, so that the sender sees it taken only
// once it is read, and nobody reads it twice.
FileRead ReadHandOverFile(const std::string& path, std::string* list)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FileRead::NotOpened;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) && HandOverFileSizeAccepted((unsigned long long)size.QuadPart);
    if (ok) {
        try {
            list->assign((size_t)size.QuadPart, '\0');
            DWORD got = 0;
            ok = ReadFile(file, &(*list)[0], (DWORD)size.QuadPart, &got, nullptr) && got == size.QuadPart;
            list->resize(strnlen(list->c_str(), list->size()));
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    CloseHandle(file);
    return ok ? FileRead::Taken : FileRead::Refused;
}

bool ProcessRuns(DWORD processId)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    // Another user's process cannot be opened, but it runs.
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    bool runs = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return runs;
}

unsigned long long AgeMs(const FILETIME& written)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER a, b;
    a.LowPart = now.dwLowDateTime;
    a.HighPart = now.dwHighDateTime;
    b.LowPart = written.dwLowDateTime;
    b.HighPart = written.dwHighDateTime;
    // A file from the future (the clock was set back) counts as new.
    return a.QuadPart > b.QuadPart ? (a.QuadPart - b.QuadPart) / 10000 : 0;
}

// A sender that died while writing its list left its partial file: nobody else would
// ever delete it.
void DeleteAbandonedPartialFiles(const std::string& temp)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(HandOverPartialFilePattern(temp).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        unsigned long sender = 0;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && ParseHandOverPartialName(data.cFileName, &sender) &&
            HandOverPartialAbandoned(ProcessRuns(sender), AgeMs(data.ftLastWriteTime)))
            DeleteFileA((temp + data.cFileName).c_str());
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

void TakeEveryHandOverFile(HWND mainWnd, const std::string& temp)
{
    DeleteAbandonedPartialFiles(temp);
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(HandOverFilePattern(temp).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    for (const std::string& name : names) {
        std::string path = temp + name, list;
        FileRead read = ReadHandOverFile(path, &list);
        if (read == FileRead::NotOpened)
            DeleteFileA(path.c_str());
        else if (read == FileRead::Taken)
            OpenHandedOverList(mainWnd, list);
    }
}

} // namespace

void AllowHandOverMessages(HWND window)
{
    const UINT messages[] = {WM_COPYDATA, WM_DROPFILES, kCopyGlobalData, gPendingOpenFilesMsg};
    ChangeWindowMessageFilterProc filter =
        (ChangeWindowMessageFilterProc)(void*)User32Function("ChangeWindowMessageFilter");
    if (filter)
        for (UINT message : messages)
            if (message)
                filter(message, kMsgFilterAdd);
    ChangeWindowMessageFilterExProc filterEx =
        (ChangeWindowMessageFilterExProc)(void*)User32Function("ChangeWindowMessageFilterEx");
    if (filterEx && window)
        for (UINT message : messages)
            if (message)
                filterEx(window, message, kMsgFilterAllow, nullptr);
}

bool HandOverToRunningInstance(const char* commandLine)
{
    if (!gPendingOpenFilesMsg)
        gPendingOpenFilesMsg = RegisterWindowMessageA("Zorvik_PendingOpenFiles");
    gInstanceMutex = nullptr;
    DWORD error = 0;
    HANDLE mutex = CreateInstanceMutex(&error);
    if (!mutex)
        return false;
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED) {
        gInstanceMutex = mutex;
        return false;
    }
    HWND running = FindRunningMainWindow();
    if (!running) {
        CloseHandle(mutex);
        return false;
    }
    std::string list = HandOverListFromCommandLine(commandLine);
    if (!list.empty() && !SendList(running, list) && !HandOverByFile(running, list)) {
        CloseHandle(mutex);
        return false;
    }
    if (IsWindow(running))
        ForceForeground(running);
    CloseHandle(mutex);
    return true;
}

bool ReceiveCopyData(HWND mainWnd, const COPYDATASTRUCT* data)
{
    std::string list;
    if (!data || !AcceptHandOverCopyData((unsigned long)data->dwData, data->lpData, data->cbData, &list))
        return false;
    OpenHandedOverList(mainWnd, list);
    return true;
}

void ReceivePendingOpenFiles(HWND mainWnd, LPARAM senderProcessId)
{
    if (!mainWnd || !IsWindow(mainWnd))
        return;
    OpenHandedOverPathsWaiting(mainWnd);
    std::string temp = TempFolder();
    if (temp.empty())
        return;
    if (senderProcessId) {
        std::string list;
        if (ReadHandOverFile(HandOverFilePath(temp, (unsigned long)senderProcessId), &list) == FileRead::Taken) {
            OpenHandedOverList(mainWnd, list);
            return;
        }
    }
    TakeEveryHandOverFile(mainWnd, temp);
}

void ResetSingleInstanceState()
{
    gHandedOverWaiting.clear();
}

void OpenHandedOverPathsWaiting(HWND mainWnd)
{
    if (gTabQuestionLoop || gHandedOverWaiting.empty())
        return;
    // Opening can run message loops (a read error's box) that come back here.
    std::vector<std::string> paths;
    paths.swap(gHandedOverWaiting);
    OpenPaths(mainWnd, paths);
}

void ForceForeground(HWND window)
{
    // An open dialog of the running instance comes to the front rather than its owner.
    HWND target = GetLastActivePopup(window);
    if (!target || !IsWindow(target))
        target = window;
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    ShowWindow(target, SW_SHOW);
    DWORD processId = 0;
    DWORD thread = GetWindowThreadProcessId(target, &processId);
    AllowForegroundFor(processId);
    DWORD current = GetCurrentThreadId();
    if (current && thread && current != thread) {
        BOOL attached = AttachThreadInput(current, thread, TRUE);
        BringWindowToTop(target);
        SetForegroundWindow(target);
        if (attached)
            AttachThreadInput(current, thread, FALSE);
    } else {
        BringWindowToTop(target);
        SetForegroundWindow(target);
    }
    if (GetForegroundWindow() != target)
        FlashWindow(target, TRUE);
}
