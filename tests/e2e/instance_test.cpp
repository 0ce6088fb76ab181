#include <doctest/doctest.h>

#include "app/command_ids.h"
#include "app/handover_list.h"
#include "document/paths.h"
#include "document/session_format.h"
#include "tests/e2e/process.h"
#include "tests/window/harness.h"

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace {

const char kMutexName[] = "Local\\ZorvikSingleInstanceMutex";

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The paths of the tabs in the bytes of a session file.
std::vector<std::string> SessionPaths(const std::string& bytes)
{
    int32_t active = -1;
    std::vector<SessionTab> tabs;
    ParseSession(bytes.data(), bytes.size(), &active, tabs);
    std::vector<std::string> paths;
    for (const SessionTab& tab : tabs)
        paths.push_back(tab.path);
    return paths;
}

// Waits until the paths in the session file of the running instance pass done.
bool WaitForSession(const std::function<bool(const std::vector<std::string>&)>& done, const std::string& what)
{
    return WaitForFileBytes(
        ExeFolder() + "Zorvik.session", [&](const std::string& bytes) { return done(SessionPaths(bytes)); },
        kWaitMs, what);
}

LRESULT TabMessage(const ZorvikProcess& process, UINT message)
{
    return SendMessageA(GetDlgItem(process.window, IDC_TAB_BAR), message, 0, 0);
}

void Close(ZorvikProcess* process)
{
    if (!process->info.hProcess)
        return;
    PostMessageA(process->window, WM_CLOSE, 0, 0);
    if (WaitForExit(process, 10000) == -1)
        KillZorvik(process);
}

// A second start: its exit code, or -1 when it did not end in time; *sawWindow tells
// whether it ever showed a main window of its own.
int RunSecond(const std::string& exe, const std::string& arguments, const std::string& folder, bool* sawWindow)
{
    ZorvikProcess second;
    *sawWindow = false;
    if (!LaunchZorvik(exe, arguments, folder, &second))
        return -2;
    bool ended = WaitUntil(
        [&] {
            if (FindZorvikWindow(second.info.dwProcessId))
                *sawWindow = true;
            return WaitForSingleObject(second.info.hProcess, 0) == WAIT_OBJECT_0;
        },
        kWaitMs, "the second start ended");
    if (!ended) {
        KillZorvik(&second);
        return -1;
    }
    return WaitForExit(&second, 0);
}

// Stands in for a running instance that does not answer in time: it holds the mutex and
// owns a window of the main window's class in this process.
struct SilentReceiver {
    HANDLE mutex = nullptr;
    HWND window = nullptr;
    explicit SilentReceiver(WNDPROC proc)
    {
        mutex = CreateMutexA(nullptr, FALSE, kMutexName);
        WNDCLASSA wc;
        ZeroMemory(&wc, sizeof(wc));
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ZorvikWindowClass";
        RegisterClassA(&wc);
        window = CreateWindowExA(0, "ZorvikWindowClass", "receiver", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                 wc.hInstance, nullptr);
    }
    ~SilentReceiver()
    {
        DestroyWindow(window);
        UnregisterClassA("ZorvikWindowClass", GetModuleHandleA(nullptr));
        if (mutex)
            CloseHandle(mutex);
    }
};

UINT PendingOpenFilesMessage()
{
    return RegisterWindowMessageA("Zorvik_PendingOpenFiles");
}

std::string gTakenList;

LRESULT CALLBACK SlowReceiverProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COPYDATA) {
        // Busy past the sender's time-out of 2.5 s: the sleep is the busy time itself.
        Sleep(2700);
        return TRUE;
    }
    if (msg == PendingOpenFilesMessage()) {
        std::string path = HandOverFilePath(TempFolder(), (unsigned long)lParam);
        gTakenList = ReadFileBytes(path);
        DeleteFileA(path.c_str());
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

} // namespace

TEST_CASE("a second start hands three relative paths to the running instance and ends")
{
    RemoveProgramFiles();
    std::string folder = ExeFolder(), elsewhere = folder + "elsewhere\\";
    CreateDirectoryA(elsewhere.c_str(), nullptr);
    CreateDirectoryA((elsewhere + "sub").c_str(), nullptr);
    const std::vector<std::string> files = {elsewhere + "one.txt", elsewhere + "two words.txt",
                                            elsewhere + "sub\\three.txt"};
    for (const std::string& file : files)
        WriteFileBytes(file, "text of " + file);
    std::string exe = PrepareZorvikCopy();

    ZorvikProcess first;
    REQUIRE(StartZorvik(exe, "", &first));
    ShowWindow(first.window, SW_MINIMIZE);
    REQUIRE(
        WaitUntil([&] { return IsIconic(first.window) != 0; }, kWaitMs, "the first window was minimised"));

    // Relative to the second start's own folder, not the first's.
    bool sawWindow = true;
    CHECK(RunSecond(exe, "one.txt \"two words.txt\" sub\\three.txt", elsewhere, &sawWindow) == 0);
    CHECK_FALSE(sawWindow);
    // Auto Save is on: the session shows what the running instance holds.
    std::vector<std::string> saved;
    WaitForSession([&](const std::vector<std::string>& paths) { return (saved = paths).size() == 3; },
                   "the running instance saved a session with the three files");
    CHECK(saved == files);
    CHECK(TabMessage(first, TCM_GETITEMCOUNT) == 3);
    CHECK(TabMessage(first, TCM_GETCURSEL) == 2);
    CHECK_FALSE(IsIconic(first.window));
    CHECK(GetForegroundWindow() == first.window);

    // A path that is already open only selects its tab.
    CHECK(RunSecond(exe, "one.txt", elsewhere, &sawWindow) == 0);
    WaitUntil([&] { return TabMessage(first, TCM_GETCURSEL) == 0; }, kWaitMs,
              "the open file's tab was selected");
    CHECK(TabMessage(first, TCM_GETITEMCOUNT) == 3);

    Close(&first);
    for (const std::string& file : files)
        DeleteFileA(file.c_str());
    RemoveDirectoryA((elsewhere + "sub").c_str());
    RemoveDirectoryA(elsewhere.c_str());
    RemoveProgramFiles();
}

TEST_CASE("a second start without files only brings the running window to the front")
{
    RemoveProgramFiles();
    std::string exe = PrepareZorvikCopy();
    ZorvikProcess first;
    REQUIRE(StartZorvik(exe, "", &first));
    HWND other = CreateWindowExA(0, "STATIC", "in front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(other);
    ShowWindow(first.window, SW_MINIMIZE);
    REQUIRE(
        WaitUntil([&] { return IsIconic(first.window) != 0; }, kWaitMs, "the first window was minimised"));

    bool sawWindow = true;
    CHECK(RunSecond(exe, "", "", &sawWindow) == 0);
    CHECK_FALSE(sawWindow);
    WaitUntil([&] { return !IsIconic(first.window) && GetForegroundWindow() == first.window; }, kWaitMs,
              "the running window was restored and brought to the front");
    CHECK(TabMessage(first, TCM_GETITEMCOUNT) == 1);

    DestroyWindow(other);
    Close(&first);
    RemoveProgramFiles();
}

TEST_CASE("hand-over files left in the temporary folder: one is opened and deleted, an empty one only deleted")
{
    RemoveProgramFiles();
    std::string exe = PrepareZorvikCopy();
    std::string left = ExeFolder() + "left over.txt";
    WriteFileBytes(left, "left");
    ZorvikProcess first;
    REQUIRE(StartZorvik(exe, "", &first));
    // Timed from the program's message loop on, where its poll timer runs: a window can show
    // before the start has reached it.
    REQUIRE(WaitUntil(
        [&] {
            DWORD_PTR result;
            return SendMessageTimeoutA(first.window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) != 0;
        },
        kWaitMs, "the program's message loop answered"));

    std::string temp = TempFolder();
    std::string crashed = HandOverFilePath(temp, 4000000001UL), empty = HandOverFilePath(temp, 4000000002UL);
    WriteFileBytes(empty, "");
    WriteFileBytes(crashed, "\"" + left + "\"");
    DWORD start = GetTickCount();
    // The once-a-second poll takes them without any message.
    WaitUntil([&] { return !Exists(crashed) && !Exists(empty); }, kWaitMs,
              "the left-over hand-over files were taken");
    CHECK(GetTickCount() - start < 2500);
    WaitForSession(
        [&](const std::vector<std::string>& paths) { return paths == std::vector<std::string>{left}; },
        "the session holds the file of the left-over hand-over");
    CHECK(TabMessage(first, TCM_GETITEMCOUNT) == 1);

    Close(&first);
    DeleteFileA(crashed.c_str());
    DeleteFileA(empty.c_str());
    DeleteFileA(left.c_str());
    RemoveProgramFiles();
}

TEST_CASE("a running instance that does not answer: the second start falls back to the file, then starts itself")
{
    RemoveProgramFiles();
    std::string exe = PrepareZorvikCopy();
    std::string mine = ExeFolder() + "mine.txt";
    WriteFileBytes(mine, "mine");

    SilentReceiver receiver(DefWindowProcA);
    REQUIRE(receiver.mutex);
    REQUIRE(receiver.window);
    // This thread pumps nothing while the second start waits: neither the WM_COPYDATA nor
    // the file is taken.
    DWORD start = GetTickCount();
    ZorvikProcess second;
    REQUIRE(StartZorvik(exe, "mine.txt", &second));
    CHECK(GetTickCount() - start >= 3000);
    HWND editor = GetDlgItem(second.window, IDC_EDITOR);
    WaitUntil([&] { return SendMessageA(editor, WM_GETTEXTLENGTH, 0, 0) == 4; }, kWaitMs,
              "the editor holds mine.txt");

    // The file was announced, then deleted again by the sender.
    MSG msg;
    REQUIRE(PeekMessageA(&msg, receiver.window, PendingOpenFilesMessage(), PendingOpenFilesMessage(), PM_REMOVE));
    CHECK(msg.lParam == (LPARAM)second.info.dwProcessId);
    REQUIRE(PeekMessageA(&msg, receiver.window, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    CHECK(msg.wParam == IDM_HANDOVER_FILES);
    CHECK(msg.lParam == (LPARAM)second.info.dwProcessId);
    CHECK_FALSE(Exists(HandOverFilePath(TempFolder(), second.info.dwProcessId)));
    CHECK_FALSE(Exists(HandOverPartialFilePath(TempFolder(), second.info.dwProcessId)));

    // Started as a normal instance, it holds no mutex of its own.
    CloseHandle(receiver.mutex);
    receiver.mutex = nullptr;
    HANDLE again = CreateMutexA(nullptr, FALSE, kMutexName);
    CHECK(GetLastError() != ERROR_ALREADY_EXISTS);
    CloseHandle(again);

    Close(&second);
    DeleteFileA(mine.c_str());
    RemoveProgramFiles();
}

TEST_CASE("a running instance busy past the WM_COPYDATA time-out takes the whole list from the file")
{
    RemoveProgramFiles();
    std::string exe = PrepareZorvikCopy();
    std::string folder = ExeFolder();
    gTakenList.clear();
    SilentReceiver receiver(SlowReceiverProc);
    REQUIRE(receiver.mutex);

    ZorvikProcess second;
    REQUIRE(LaunchZorvik(exe, "a.txt \"b c.txt\"", "", &second));
    bool sawWindow = false;
    // The receiver's window lives in this thread: its messages are handled while waiting.
    auto handleMessages = [&] {
        MsgWaitForMultipleObjects(1, &second.info.hProcess, FALSE, 100, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    };
    WaitUntil(
        [&] {
            sawWindow = sawWindow || FindZorvikWindow(second.info.dwProcessId);
            return WaitForSingleObject(second.info.hProcess, 0) == WAIT_OBJECT_0;
        },
        kWaitMs, "the second start ended", handleMessages);
    int code = WaitForExit(&second, 0);
    if (code == -1)
        KillZorvik(&second);
    CHECK(code == 0);
    CHECK_FALSE(sawWindow);
    CHECK(gTakenList == "\"" + folder + "a.txt\" \"" + folder + "b c.txt\"");
    RemoveProgramFiles();
}
