// The program updates itself from the loopback server (tests/updater/update_server.py):
// the new executable replaces a copy of the program, starts once the old instance has
// ended (and so keeps running instead of handing over to the dying one), and the next
// start deletes the old executable that the update left as .bak.
#include <doctest/doctest.h>

#include "app/update_rules.h"
#include "tests/e2e/process.h"
#include "tests/updater/update_support.h"
#include "tests/window/harness.h"

#include <string>

namespace {

const int kCheckForUpdates = 8001;
const int kEditorId = 2002;
const DWORD kBoundMs = 60000;

// The next message box of the process other than the one already answered.
bool WaitForBox(DWORD processId, SeenBox* box, const std::string& what, HWND answered = nullptr)
{
    return WaitUntil([&] { return (!answered || !IsWindow(answered)) && FindMessageBox(processId, 0, box); },
                     kBoundMs, what);
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

TEST_CASE("the program replaces itself, restarts after its own end, and the next start deletes the .bak")
{
    REQUIRE_MESSAGE(!ServerRoot().empty(), "the loopback update server did not start");
    const std::string original = ReadFileBytes(ExeFolder() + "..\\standin\\zorvik_loopback_update.exe");
    REQUIRE(original.size() > kMinimumDownloadBytes);
    // Bytes after a program's image are not read: the update is the same program, marked.
    const std::string updated = original + "update served by the test's loopback server";
    WriteSiteFile("e2e/downloads/kelto/zorvik/version.json",
                  ReleaseDescription("1.3.1", "", ServerRoot() + "/e2e/files/Zorvik.exe"));
    WriteSiteFile("e2e/files/Zorvik.exe", updated);

    const std::string folder = ExeFolder() + "installed\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* name : {"Zorvik.ini", "Zorvik.session", "Zorvik.exe.bak", "notes.txt"})
        DeleteFileA((folder + name).c_str());
    const std::string exe = folder + "Zorvik.exe";
    WriteFileBytes(exe, original);
    const std::string notes = folder + "notes.txt";
    WriteFileBytes(notes, "notes\r\n");
    SetEnvironmentVariableA("ZV_UPDATE_ROOT", (ServerRoot() + "/e2e").c_str());

    // A modified file makes the close ask first, so the instance lives on after the update.
    ZorvikProcess old;
    REQUIRE(StartZorvik(exe, "\"" + notes + "\"", &old));
    DWORD oldProcess = old.info.dwProcessId;
    SendMessageA(GetDlgItem(old.window, kEditorId), WM_CHAR, 'x', 1);
    PostMessageA(old.window, WM_COMMAND, kCheckForUpdates, 0);
    SeenBox box;
    REQUIRE(WaitForBox(oldProcess, &box, "the program asked whether to update"));
    CHECK(box.title == "Zorvik Update Available");
    AnswerMessageBox(box.window, IDYES);
    HWND question = box.window;
    REQUIRE(WaitForBox(oldProcess, &box, "the program said the update is complete", question));
    CHECK(box.title == "Update Complete");
    // Replaced while the old instance still runs from the renamed file.
    CHECK(ReadFileBytes(exe) == updated);
    CHECK(ReadFileBytes(exe + ".bak") == original);
    AnswerMessageBox(box.window, IDOK);
    HWND complete = box.window;
    REQUIRE(WaitForBox(oldProcess, &box, "the program asked whether to save before closing", complete));
    CHECK(box.text == "Save file \"notes.txt\" before closing?");
    // A program started at the close would meanwhile have found this instance still
    // running, handed its (no) files over and ended; the updated one may start only now.
    // The sleep is the time such a wrong start is given to happen, not a wait for the program.
    Sleep(2000);
    AnswerMessageBox(box.window, IDNO);
    CHECK(WaitForExit(&old, kBoundMs) == 0);

    DWORD self = GetCurrentProcessId();
    HWND restarted = WaitForWindow(
        "ZorvikWindowClass", [&](DWORD pid) { return pid != oldProcess && pid != self; }, kBoundMs,
        "the updated program started and showed its main window");
    REQUIRE(restarted != nullptr);
    DWORD restartedProcess = 0;
    GetWindowThreadProcessId(restarted, &restartedProcess);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, restartedProcess);
    REQUIRE(process != nullptr);
    // It keeps running: it did not hand itself over to the instance that was ending. The
    // second is the time given to a wrong hand-over, not a wait for the program.
    CHECK(WaitForSingleObject(process, 1000) == WAIT_TIMEOUT);
    PostMessageA(restarted, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, kBoundMs) != WAIT_OBJECT_0) {
        TerminateProcess(process, 1);
        FAIL("the restarted program did not close");
    }
    CloseHandle(process);

    ZorvikProcess next;
    REQUIRE(StartZorvik(exe, "", &next));
    CHECK_FALSE(Exists(exe + ".bak"));
    PostMessageA(next.window, WM_CLOSE, 0, 0);
    if (WaitForExit(&next, kBoundMs) < 0)
        KillZorvik(&next);
    SetEnvironmentVariableA("ZV_UPDATE_ROOT", nullptr);
}

TEST_CASE("the program closed during a download leaves no partial download behind")
{
    REQUIRE_MESSAGE(!ServerRoot().empty(), "the loopback update server did not start");
    const std::string original = ReadFileBytes(ExeFolder() + "..\\standin\\zorvik_loopback_update.exe");
    REQUIRE(original.size() > kMinimumDownloadBytes);
    // The server sends the first 20,000 bytes and then keeps the download waiting.
    WriteSiteFile("e2e-stall/downloads/kelto/zorvik/version.json",
                  ReleaseDescription("1.3.1", "", ServerRoot() + "/stall/e2e-stall/files/Zorvik.exe"));
    WriteSiteFile("e2e-stall/files/Zorvik.exe", original);
    for (const std::string& file : TempFilesLike("Zorvik_update_*.exe"))
        DeleteFileA(file.c_str());

    const std::string folder = ExeFolder() + "closing\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* name : {"Zorvik.ini", "Zorvik.session", "Zorvik.exe.bak"})
        DeleteFileA((folder + name).c_str());
    const std::string exe = folder + "Zorvik.exe";
    WriteFileBytes(exe, original);
    SetEnvironmentVariableA("ZV_UPDATE_ROOT", (ServerRoot() + "/e2e-stall").c_str());

    ZorvikProcess running;
    REQUIRE(StartZorvik(exe, "", &running));
    PostMessageA(running.window, WM_COMMAND, kCheckForUpdates, 0);
    SeenBox box;
    REQUIRE(WaitForBox(running.info.dwProcessId, &box, "the program asked whether to update"));
    CHECK(box.title == "Zorvik Update Available");
    AnswerMessageBox(box.window, IDYES);
    REQUIRE(WaitUntil([] { return !TempFilesLike("Zorvik_update_*.exe").empty(); }, kBoundMs,
                      "the download began its file in the temporary folder"));

    PostMessageA(running.window, WM_CLOSE, 0, 0);
    int code = WaitForExit(&running, kBoundMs);
    if (code < 0)
        KillZorvik(&running);
    CHECK(code == 0);
    CHECK(TempFilesLike("Zorvik_update_*.exe").empty());
    CHECK(ReadFileBytes(exe) == original);
    CHECK_FALSE(Exists(exe + ".bak"));
    ReleaseServerRequests();
    SetEnvironmentVariableA("ZV_UPDATE_ROOT", nullptr);
}
