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
    DWORD pid = program.info.dwProcessId;
    HWND dialog = WaitForWindow(
        "ZorvikSftpDialogClass", [pid](DWORD p) { return p == pid; }, kWaitMs, "the SFTP window showed");
    REQUIRE(dialog);
    // The window may show before its fields exist, and text set before them would be lost
    // (seen when the program runs slowly, under qemu).
    REQUIRE(WaitUntil([&] { return GetDlgItem(dialog, IDC_SFTP_REMOTE_PATH) != nullptr; }, kWaitMs,
                      "the SFTP window's fields were made"));
    SetDlgItemTextA(dialog, IDC_SFTP_HOST, "127.0.0.1");
    SetDlgItemTextA(dialog, IDC_SFTP_PORT, std::to_string(Sshd().port).c_str());
    SetDlgItemTextA(dialog, IDC_SFTP_USER, Sshd().user.c_str());
    SetDlgItemTextA(dialog, IDC_SFTP_PASSWORD, Sshd().password.c_str());
    SetDlgItemTextA(dialog, IDC_SFTP_REMOTE_PATH, (Sshd().remoteDir + "a b.txt").c_str());
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SFTP_OPEN, BN_CLICKED), 0);

    HWND editor = GetDlgItem(program.window, kEditorId);
    WaitUntil([&] { return WindowText(editor) == "first line\r\nsecond line\r\n"; }, kWaitMs,
              "the remote file's text reached the editor");
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
