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
    for (int i = 0; i < 50 && SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0) < 3; ++i)
        Sleep(100);
    CHECK(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0) == 3);
    CHECK(SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == 2);

    // The third file is active: type at its end and save with Ctrl+S.
    SetForegroundWindow(process.window);
    SendMessageA(editor, EM_SETSEL, 5, 5);
    SendMessageA(editor, WM_CHAR, '!', 1);
    Sleep(200);
    PressChord(VK_CONTROL, 'S');
    for (int i = 0; i < 50 && ReadFileBytes(third) != "third!"; ++i)
        Sleep(100);
    CHECK(ReadFileBytes(third) == "third!");

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
