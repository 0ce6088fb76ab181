#include <doctest/doctest.h>

#include "tests/e2e/process.h"
#include "tests/window/harness.h"
#include "app/command_ids.h"

#include <commctrl.h>

#include <string>

TEST_CASE("three files from the command line; typing and Ctrl+S reach the file on disk")
{
    RemoveProgramFiles();
    std::string folder = ExeFolder();
    CreateDirectoryA((folder + "with blank").c_str(), nullptr);
    std::string first = folder + "one.txt", second = folder + "with blank\\two.txt", third = folder + "three.txt";
    WriteFileBytes(first, "first\r\n");
    WriteFileBytes(second, "second\n");
    WriteFileBytes(third, "third");

    std::string exe = PrepareZorvikCopy();
    ZorvikProcess process;
    REQUIRE(StartZorvik(exe, "one.txt \"" + second + "\" " + third, &process));
    HWND tabs = GetDlgItem(process.window, IDC_TAB_BAR);
    HWND editor = GetDlgItem(process.window, IDC_EDITOR);
    REQUIRE(tabs);
    REQUIRE(editor);
    WaitUntil([&] { return SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0) >= 3; }, kWaitMs,
              "the three files of the command line opened");
    CHECK(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0) == 3);
    CHECK(SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == 2);

    // The third file is active: type at its end and save with Ctrl+S.
    SendMessageA(editor, EM_SETSEL, 5, 5);
    SendMessageA(editor, WM_CHAR, '!', 1);
    PressChord(editor, VK_CONTROL, 'S');
    WaitForFileBytes(
        third, [](const std::string& bytes) { return bytes == "third!"; }, kWaitMs,
        "Ctrl+S wrote the typed text to the file");

    PostMessageA(process.window, WM_CLOSE, 0, 0);
    int code = WaitForExit(&process);
    if (code == -1)
        KillZorvik(&process);
    CHECK(code == 0);
    CHECK(ReadFileBytes(first) == "first\r\n");
    CHECK(ReadFileBytes(second) == "second\n");
    DeleteFileA(first.c_str());
    DeleteFileA(second.c_str());
    DeleteFileA(third.c_str());
    RemoveDirectoryA((folder + "with blank").c_str());
    RemoveProgramFiles();
}

namespace {

// The size of the save's temporary file beside path, or -1 while there is none.
long long TempFileSize(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "~zv*.tmp").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return -1;
    FindClose(find);
    return (long long)found.nFileSizeHigh << 32 | found.nFileSizeLow;
}

// Waits until the save shows: the temporary file holds at least tempBytes, or the file
// itself changes (a save that writes in place, or the final rename). It polls without a
// pause, to catch the save as early as it shows.
void WaitForSaveToShow(const std::string& folder, const std::string& path, long long tempBytes)
{
    WIN32_FILE_ATTRIBUTE_DATA before, now;
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &before);
    WaitUntil(
        [&] {
            return TempFileSize(folder) >= tempBytes ||
                   !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &now) ||
                   !SameFileState(before, now);
        },
        kWaitMs, "the save showed on disk (" + std::to_string(tempBytes) + " bytes in its temporary file)",
        [] { Sleep(0); });
}

} // namespace

TEST_CASE("killed while saving, the file holds its old or its new text, never a mix")
{
    RemoveProgramFiles();
    std::string folder = ExeFolder();
    std::string path = folder + "big.log";
    std::string old;
    for (int i = 0; old.size() < 2000000; ++i)
        old += "line " + std::to_string(i) + " of a log that is being saved while the editor is killed\r\n";
    const std::string saved = "X" + old;
    std::string exe = PrepareZorvikCopy();

    // The first round saves whole and measures how long that takes. Then the editor is
    // killed as soon as the save shows with its temporary file holding nothing, a third,
    // two thirds or all of the new text; then at points spread over the measured time.
    const long long stages[] = {0, 700000, 1400000, (long long)saved.size()};
    const int timed = 4;
    const int rounds = 1 + 4 + timed;
    DWORD saveTime = 0;
    for (int round = 0; round < rounds; ++round) {
        CAPTURE(round);
        RemoveProgramFiles();
        WriteFileBytes(path, old);
        ZorvikProcess process;
        REQUIRE(StartZorvik(exe, "big.log", &process));
        HWND editor = GetDlgItem(process.window, IDC_EDITOR);
        // GetWindowTextLength of another process's window reads no text: ask the control.
        if (!WaitUntil([&] { return SendMessageA(editor, WM_GETTEXTLENGTH, 0, 0) == (LRESULT)old.size(); },
                       kWaitMs, "the editor holds the whole file")) {
            KillZorvik(&process);
            break;
        }
        SendMessageA(editor, EM_SETSEL, 0, 0);
        SendMessageA(editor, WM_CHAR, 'X', 1);

        DWORD start = GetTickCount();
        PostMessageA(process.window, WM_COMMAND, IDM_FILE_SAVE, 0);
        if (round == 0) {
            // A finished save clears the editor's modification flag.
            WaitUntil([&] { return SendMessageA(editor, EM_GETMODIFY, 0, 0) == 0; }, kWaitMs,
                      "the first save finished", [] { Sleep(5); });
            saveTime = GetTickCount() - start;
        } else if (round <= 4) {
            WaitForSaveToShow(folder, path, stages[round - 1]);
        } else {
            // The kill comes at a point of the measured save time: the sleep is that point.
            Sleep(saveTime * (DWORD)(round - 5) / (DWORD)(timed - 1));
        }
        KillZorvik(&process);

        std::string bytes = ReadFileBytes(path);
        CAPTURE(bytes.size());
        CHECK((bytes == old || bytes == saved));
        if (round == 0)
            CHECK(bytes == saved);
        // A kill leaves the temporary file; the next save makes one of its own.
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((folder + "~zv*.tmp").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do
                DeleteFileA((folder + found.cFileName).c_str());
            while (FindNextFileA(find, &found));
            FindClose(find);
        }
    }
    DeleteFileA(path.c_str());
    RemoveProgramFiles();
}
