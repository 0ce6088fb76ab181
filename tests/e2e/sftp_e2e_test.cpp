// The program itself, installed in a folder whose name holds a blank with the real client
// beside it, opens a file of the loopback SSH server through its SFTP window.
#include <doctest/doctest.h>

#include <windows.h>

#include <string>

#include "sftp/password_scramble.h"
#include "sftp/sftp_ids.h"
#include "tests/e2e/process.h"
#include "tests/window/harness.h"
#include "tests/window/sftp_support.h"

namespace {

const int kOpenSftp = 1025;
const int kEditorId = 2002;

struct WindowOfClass {
    DWORD processId;
    const char* className;
    HWND found;
};

BOOL CALLBACK FindOfClass(HWND hwnd, LPARAM lParam)
{
    WindowOfClass* data = (WindowOfClass*)lParam;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[64] = "";
    GetClassNameA(hwnd, cls, sizeof(cls));
    if (pid == data->processId && lstrcmpA(cls, data->className) == 0) {
        data->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForWindow(DWORD processId, const char* className, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    do {
        WindowOfClass data = {processId, className, nullptr};
        EnumWindows(FindOfClass, (LPARAM)&data);
        if (data.found)
            return data.found;
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

// GetWindowText does not ask a control of another process; WM_GETTEXT does.
std::string WindowText(HWND window)
{
    char text[4096] = "";
    SendMessageA(window, WM_GETTEXT, sizeof(text), (LPARAM)text);
    return text;
}

} // namespace

TEST_CASE("Open from SFTP in the program installed under a folder name with a blank")
{
    if (!Sshd().available) {
        MESSAGE("skipped: " << Sshd().reason);
        return;
    }
    UsePrivateFolders();
    REQUIRE(CacheHostKey("127.0.0.1", Sshd().port));
    std::string folder = ExeFolder() + "program folder\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    DeleteFileA((folder + "Zorvik.ini").c_str());
    DeleteFileA((folder + "Zorvik.session").c_str());
    REQUIRE(CopyFileA((ExeFolder() + "..\\..\\Zorvik.exe").c_str(), (folder + "Zorvik.exe").c_str(), FALSE));
    REQUIRE(CopyFileA(RealClientPath().c_str(), (folder + "psftp.exe").c_str(), FALSE));

    ZorvikProcess program;
    REQUIRE(StartZorvik(folder + "Zorvik.exe", "", &program));
    PostMessageA(program.window, WM_COMMAND, kOpenSftp, 0);
    HWND dialog = WaitForWindow(program.info.dwProcessId, "ZorvikSftpDialogClass", 10000);
    REQUIRE(dialog);
    // The window is listed as soon as it exists; its fields come a moment later, and text
    // set before them would be lost (seen when the program runs slowly, under qemu).
    for (DWORD start = GetTickCount();
         !(IsWindowVisible(dialog) && GetDlgItem(dialog, IDC_SFTP_REMOTE_PATH)) && GetTickCount() - start < 10000;)
        Sleep(50);
    REQUIRE(GetDlgItem(dialog, IDC_SFTP_REMOTE_PATH));
    SetDlgItemTextA(dialog, IDC_SFTP_HOST, "127.0.0.1");
    SetDlgItemTextA(dialog, IDC_SFTP_PORT, std::to_string(Sshd().port).c_str());
    SetDlgItemTextA(dialog, IDC_SFTP_USER, Sshd().user.c_str());
    SetDlgItemTextA(dialog, IDC_SFTP_PASSWORD, Sshd().password.c_str());
    SetDlgItemTextA(dialog, IDC_SFTP_REMOTE_PATH, (Sshd().remoteDir + "a b.txt").c_str());
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SFTP_OPEN, BN_CLICKED), 0);

    HWND editor = GetDlgItem(program.window, kEditorId);
    DWORD start = GetTickCount();
    while (WindowText(editor) != "first line\r\nsecond line\r\n" && GetTickCount() - start < 30000)
        Sleep(100);
    CHECK(WindowText(editor) == "first line\r\nsecond line\r\n");
    CHECK_FALSE(IsWindow(dialog));
    // The client beside the program ran; none was written out under APPDATA.
    CHECK(CountFiles(PrivateAppData() + "\\Zorvik\\", "psftp.exe") == 0);

    PostMessageA(program.window, WM_CLOSE, 0, 0);
    CHECK(WaitForExit(&program) == 0);
    char stored[2048] = "";
    GetPrivateProfileStringA("SFTP", "Password", "", stored, sizeof(stored), (folder + "Zorvik.ini").c_str());
    CHECK(UnscramblePassword(stored) == Sshd().password);
    DeleteFiles(ExeFolder() + "temp folder\\", "zrvk_sftp_*");
}
