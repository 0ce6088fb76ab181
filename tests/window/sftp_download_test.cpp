// The download with the stand-in client: what the child receives, how its outcome is
// judged, the wait, and where the client is found or written out.
#include <doctest/doctest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sftp/psftp_command.h"
#include "sftp/psftp_download.h"
#include "tests/window/harness.h"
#include "tests/window/sftp_support.h"

namespace {

const char kNoCredentials[] =
    "Password or private key is required.\nEnter a password, or select a PuTTY .ppk key file.";
const char kTransferFailed[] =
    "SFTP transfer failed. File was not downloaded.\nPlease verify username, password/key, and remote path.";

struct Download {
    bool ok = false;
    std::string local, error;
    DWORD ms = 0;
};

Download Run(const SftpConnection& c, HWND window = nullptr)
{
    Download d;
    d.error = "untouched";
    d.local = "untouched";
    DWORD start = GetTickCount();
    d.ok = DownloadSftpFile(window, c, &d.local, &d.error);
    d.ms = GetTickCount() - start;
    return d;
}

SftpConnection StandinConnection()
{
    SftpConnection c;
    c.host = "example.test";
    c.port = 2222;
    c.user = "tester";
    c.password = "secret";
    c.remotePath = "/home/tester/notes file.txt";
    return c;
}

// The stand-in as the client the search finds first, with private folders.
struct StandinSetup {
    std::string temp;
    std::string record = ExeFolder() + "standin record.txt";
    StandinSetup()
    {
        temp = UsePrivateFolders();
        PlaceClientBesideProgram(StandinClientPath());
        DeleteFileA(record.c_str());
    }
    ~StandinSetup()
    {
        SetStandinBehaviour(StandinBehaviour());
        DeleteFiles(temp, "zrvk_sftp_*");
        DeleteFileA(record.c_str());
    }
    // The stand-in as it is by default, recording how it is started.
    void RecordRuns() const
    {
        StandinBehaviour b;
        b.record = record;
        SetStandinBehaviour(b);
    }
    // The lines the stand-in recorded: the command line, then [argument] per argument,
    // then "script:" and the script's bytes.
    std::vector<std::string> Arguments() const
    {
        std::string text = ReadFileBytes(record);
        std::vector<std::string> args;
        size_t pos = text.find('\n') + 1;
        while (pos < text.size() && text[pos] == '[') {
            size_t end = text.find("]\n", pos);
            args.push_back(text.substr(pos + 1, end - pos - 1));
            pos = end + 2;
        }
        return args;
    }
    std::string CommandLine() const
    {
        std::string text = ReadFileBytes(record);
        return text.substr(0, text.find('\n'));
    }
    std::string Script() const
    {
        std::string text = ReadFileBytes(record);
        size_t at = text.find("script:");
        return at == std::string::npos ? std::string() : text.substr(at + 7);
    }
};

VOID CALLBACK StopFromTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    StopSftpProcess();
}

// Windows before 8 refuses the touch and pointer bits of the wake mask.
std::vector<DWORD> gMasks;
DWORD WINAPI WaitBeforeWindows8(DWORD count, const HANDLE* handles, BOOL all, DWORD ms, DWORD mask)
{
    gMasks.push_back(mask);
    if (mask & 0x1800) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    return MsgWaitForMultipleObjects(count, handles, all, ms, mask);
}

DWORD WINAPI WaitThatMissesTheEnd(DWORD, const HANDLE*, BOOL, DWORD, DWORD)
{
    // A wait that times out: the sleep is its time.
    Sleep(20);
    return WAIT_TIMEOUT;
}

Download gNested;
VOID CALLBACK NestedDownload(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    StandinBehaviour quick;
    SetStandinBehaviour(quick);
    gNested = Run(StandinConnection());
}

} // namespace

TEST_CASE("the client receives each value as one argument and the script's exact bytes")
{
    StandinSetup setup;
    setup.RecordRuns();

    SftpConnection c = StandinConnection();
    c.password = "pa ss\"word\\";
    c.user = "te\"ster";
    c.keyPath = "C:\\my keys\\id key.ppk\\";
    c.remotePath = "/srv/a \"b\".txt";
    c.port = 0;
    Download d = Run(c);
    REQUIRE(d.ok);
    CHECK(d.error == "untouched");
    std::vector<std::string> args = setup.Arguments();
    REQUIRE(args.size() == 13);
    std::string client = ExeFolder() + "psftp.exe";
    std::string script = args[11];
    const std::vector<std::string> expected = {client, "-P", "22", "-l", "te\"ster", "-pw", "pa ss\"word\\",
                                               "-i", "C:\\my keys\\id key.ppk\\", "-batch", "-b", script};
    CHECK(std::vector<std::string>(args.begin(), args.end() - 1) == expected);
    CHECK(args.back() == "example.test");
    CHECK(setup.CommandLine() == BuildPsftpCommandLine(client, c, script));

    // The script lay in the temporary folder under its tick, and is gone afterwards.
    CHECK(script.rfind(setup.temp + "zrvk_sftp_cmd_", 0) == 0);
    CHECK(script.substr(script.size() - 4) == ".txt");
    CHECK(GetFileAttributesA(script.c_str()) == INVALID_FILE_ATTRIBUTES);
    std::string tick = script.substr(setup.temp.size() + 14, script.size() - setup.temp.size() - 18);
    CHECK(d.local == setup.temp + "zrvk_sftp_" + tick + "_a _b_.txt");
    CHECK(setup.Script() == "get \"/srv/a \"\"b\"\".txt\" \"" + d.local + "\"\r\nquit\r\n");
    CHECK(ReadFileBytes(d.local) == "remote text\r\n");
}

TEST_CASE("only a password or only a key: the other option is left out")
{
    StandinSetup setup;
    setup.RecordRuns();
    SftpConnection c = StandinConnection();
    REQUIRE(Run(c).ok);
    CHECK(setup.Arguments() == std::vector<std::string>{ExeFolder() + "psftp.exe", "-P", "2222", "-l", "tester", "-pw",
                                                        "secret", "-batch", "-b", setup.Arguments()[9],
                                                        "example.test"});
    c.password = "";
    c.keyPath = "k.ppk";
    REQUIRE(Run(c).ok);
    CHECK(setup.Arguments()[5] == "-i");
    CHECK(setup.Arguments()[6] == "k.ppk");
}

TEST_CASE("the outcome: exit code, the local file and what the client printed")
{
    StandinSetup setup;
    struct Row {
        std::string what;
        int exitCode;
        bool createFile;
        std::string output;
        bool ok;
        std::string error;
    };
    const Row rows[] = {
        {"success", 0, true, "", true, "untouched"},
        {"success that printed", 0, true, "Remote working directory is /\n", true, "untouched"},
        {"no file, nothing printed", 0, false, "", false, kTransferFailed},
        {"no file, a reason", 2, false, "open for read: no such file or directory\n", false,
         "SFTP transfer error:\n\nopen for read: no such file or directory\n"},
        {"a file but a failing exit code", 1, true, "FATAL ERROR: Network error: Software caused connection abort\n",
         false, "SFTP transfer error:\n\nFATAL ERROR: Network error: Software caused connection abort\n"},
        {"a file but a failing exit code, nothing printed", 3, true, "", false, kTransferFailed},
    };
    for (const Row& row : rows) {
        CAPTURE(row.what);
        StandinBehaviour b;
        b.exitCode = row.exitCode;
        b.createFile = row.createFile;
        b.output = row.output;
        SetStandinBehaviour(b);
        Download d = Run(StandinConnection());
        CHECK(d.ok == row.ok);
        CHECK(d.error == row.error);
        if (row.ok) {
            CHECK(ReadFileBytes(d.local) == "remote text\r\n");
        } else {
            CHECK(d.local == "untouched");
            // A partial copy is not left behind, nor is the script.
            CHECK(CountFiles(setup.temp, "zrvk_sftp_*") == 0);
        }
        DeleteFiles(setup.temp, "zrvk_sftp_*");
    }
}

TEST_CASE("a child that prints more than the pipe holds is read while it runs")
{
    StandinSetup setup;
    StandinBehaviour b;
    b.flood = 200000;
    SetStandinBehaviour(b);
    Download d = Run(StandinConnection());
    CHECK(d.ok);
    CHECK(d.ms < 15000);

    // Its failure shows the end of what it printed, within a bound.
    b.exitCode = 1;
    b.createFile = false;
    b.output = "";
    SetStandinBehaviour(b);
    d = Run(StandinConnection());
    CHECK_FALSE(d.ok);
    CHECK(d.ms < 15000);
    REQUIRE(d.error.rfind("SFTP transfer error:\n\n", 0) == 0);
    CHECK(d.error.size() <= 22 + 8192);
    CHECK(d.error.size() > 22 + 4096);
    CHECK(d.error.substr(d.error.size() - 2) == "x\n");
}

TEST_CASE("a copy left under the download's name does not pass for the download")
{
    StandinSetup setup;
    // The name holds the tick count at the start of the download, so stale files are laid
    // out for a stretch of ticks just ahead, and the download starts inside it (tried
    // again further ahead where making the files took too long).
    struct Row {
        bool directories;
        bool clientWritesFile;  // into a directory it cannot
    };
    for (Row row : {Row{false, false}, Row{true, true}}) {
        CAPTURE(row.directories);
        StandinBehaviour b;
        b.createFile = row.clientWritesFile;
        b.record = setup.record;
        SetStandinBehaviour(b);
        const DWORD count = 150;
        DWORD lead = 300;
        bool hit = false;
        for (int attempt = 0; attempt < 6 && !hit; ++attempt, lead *= 2) {
            DeleteFiles(setup.temp, "zrvk_sftp_*");
            DWORD first = GetTickCount() + lead;
            for (DWORD t = first; t < first + count; ++t) {
                std::string path = setup.temp + "zrvk_sftp_" + std::to_string(t) + "_notes file.txt";
                if (row.directories)
                    CreateDirectoryA(path.c_str(), nullptr);
                else
                    WriteFileBytes(path, "stale");
            }
            // Until the clock reaches the first tick named by a file: elapsed time itself.
            while ((int)(GetTickCount() - first) < 0)
                Sleep(1);
            if (GetTickCount() - first > count / 2)
                continue;
            Download d = Run(StandinConnection());
            std::string script = setup.Script();
            size_t at = script.find("\"" + setup.temp);
            REQUIRE(at != std::string::npos);
            std::string local = script.substr(at + 1, script.find('"', at + 1) - at - 1);
            DWORD tick = strtoul(local.c_str() + setup.temp.size() + 10, nullptr, 10);
            hit = tick >= first && tick < first + count;
            if (!hit)
                continue;
            CHECK_FALSE(d.ok);
            CHECK(d.error == kTransferFailed);
            if (row.directories)
                CHECK((GetFileAttributesA(local.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0);
            else
                CHECK(GetFileAttributesA(local.c_str()) == INVALID_FILE_ATTRIBUTES);
        }
        CHECK(hit);
        DeleteFiles(setup.temp, "zrvk_sftp_*");
    }
}

TEST_CASE("refusals before any child starts")
{
    StandinSetup setup;
    setup.RecordRuns();

    SftpConnection c = StandinConnection();
    c.password = "";
    Download d = Run(c);
    CHECK_FALSE(d.ok);
    CHECK(d.error == kNoCredentials);
    for (std::string* field : {&c.host, &c.user, &c.password, &c.remotePath}) {
        c = StandinConnection();
        *field += "\r\n-i evil";
        d = Run(c);
        CHECK_FALSE(d.ok);
        CHECK(d.error == "SFTP connection details must not contain line breaks.");
    }
    CHECK(GetFileAttributesA(setup.record.c_str()) == INVALID_FILE_ATTRIBUTES);
    CHECK(CountFiles(setup.temp, "zrvk_sftp_*") == 0);

    // A temporary folder that does not exist takes no script.
    SetEnvironmentVariableA("TMP", (ExeFolder() + "no such folder\\").c_str());
    d = Run(StandinConnection());
    CHECK(d.error == "Failed to create temporary SFTP script.");
    UsePrivateFolders();

    // A client that is no program cannot be started; the script goes again.
    WriteFileBytes(ExeFolder() + "psftp.exe", "not a program");
    d = Run(StandinConnection());
    CHECK(d.error == "Failed to launch psftp process.");
    CHECK(CountFiles(setup.temp, "zrvk_sftp_*") == 0);
}

TEST_CASE("the wait: an older Windows's wake mask, a missed end, a quit request")
{
    StandinSetup setup;
    StandinBehaviour b;
    b.sleepMs = 300;
    SetStandinBehaviour(b);

    gMasks.clear();
    auto restore = gSftpMsgWait;

    SUBCASE("a system that refuses the touch and pointer bits")
    {
        gSftpMsgWait = WaitBeforeWindows8;
        Download d = Run(StandinConnection());
        CHECK(d.ok);
        CHECK(d.ms < 5000);
        REQUIRE(gMasks.size() >= 2);
        CHECK(gMasks.back() == 0x04FF);
        // Once refused, the mask is not tried again on every pass.
        CHECK(std::count(gMasks.begin(), gMasks.end(), 0x1CFFu) <= 1);
    }
    SUBCASE("a wait that never reports the child's end")
    {
        gSftpMsgWait = WaitThatMissesTheEnd;
        Download d = Run(StandinConnection());
        CHECK(d.ok);
        CHECK(d.ms < 5000);
    }
    SUBCASE("a quit request taken by the wait's pump is posted again")
    {
        PostQuitMessage(7);
        Download d = Run(StandinConnection());
        CHECK(d.ok);
        MSG msg;
        REQUIRE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        CHECK(msg.wParam == 7);
    }
    gSftpMsgWait = restore;
}

TEST_CASE("stopping the child during the wait")
{
    StandinSetup setup;
    StandinBehaviour b;
    b.sleepMs = 20000;
    SetStandinBehaviour(b);

    SUBCASE("StopSftpProcess, as closing the main window does")
    {
        SetTimer(nullptr, 0, 300, StopFromTimer);
        Download d = Run(StandinConnection());
        CHECK_FALSE(d.ok);
        CHECK(d.error == "SFTP transfer cancelled.");
        CHECK(d.ms < 5000);
        CHECK(RunningOwnClients() == 0);
        CHECK(gSftpProcess == nullptr);
    }
    SUBCASE("a second download started during the wait")
    {
        gNested = Download();
        SetTimer(nullptr, 0, 300, NestedDownload);
        Download d = Run(StandinConnection());
        CHECK(gNested.ok);
        CHECK_FALSE(d.ok);
        CHECK(d.error == "SFTP transfer cancelled.");
        CHECK(d.ms < 5000);
        CHECK(RunningOwnClients() == 0);
    }
    CHECK(CountFiles(setup.temp, "zrvk_sftp_cmd_*") == 0);
}

TEST_CASE("leftover clients: only this program's own children are ended")
{
    StandinSetup setup;
    StandinBehaviour b;
    b.sleepMs = 20000;
    SetStandinBehaviour(b);
    std::string client = ExeFolder() + "psftp.exe";

    // One started by this program, one by another program (which then ends).
    std::string own = "\"" + client + "\" -b nothing";
    STARTUPINFOA startup = {sizeof(startup)};
    PROCESS_INFORMATION ownInfo = {};
    REQUIRE(CreateProcessA(nullptr, &own[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                           &ownInfo));
    std::string spawner = ExeFolder() + "spawner.exe";
    std::string spawned = ExeFolder() + "spawned.txt";
    CopyFileA(StandinClientPath().c_str(), spawner.c_str(), FALSE);
    SetEnvironmentVariableA("ZV_STANDIN_SPAWN", client.c_str());
    SetEnvironmentVariableA("ZV_STANDIN_SPAWNED", spawned.c_str());
    std::string line = "\"" + spawner + "\"";
    PROCESS_INFORMATION spawnerInfo = {};
    REQUIRE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                           &spawnerInfo));
    SetEnvironmentVariableA("ZV_STANDIN_SPAWN", nullptr);
    WaitForSingleObject(spawnerInfo.hProcess, 10000);
    DWORD otherId = strtoul(ReadFileBytes(spawned).c_str(), nullptr, 10);
    REQUIRE(otherId != 0);
    HANDLE other = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, otherId);
    REQUIRE(other);

    KillLeftoverSftpProcesses();
    CHECK(WaitForSingleObject(ownInfo.hProcess, 0) == WAIT_OBJECT_0);
    CHECK(WaitForSingleObject(other, 0) == WAIT_TIMEOUT);

    TerminateProcess(other, 0);
    WaitForSingleObject(other, 5000);
    for (HANDLE h : {other, ownInfo.hProcess, ownInfo.hThread, spawnerInfo.hProcess, spawnerInfo.hThread})
        CloseHandle(h);
    DeleteFileA(spawner.c_str());
    DeleteFileA(spawned.c_str());
}

TEST_CASE("where the client is found, and the stored client written out")
{
    std::string temp = UsePrivateFolders();
    std::string beside = ExeFolder() + "psftp.exe";
    std::string appData = PrivateAppData() + "\\Zorvik\\psftp.exe";
    std::string inTemp = temp + "psftp.exe";
    std::string stored = ReadFileBytes(RealClientPath());
    REQUIRE(stored.size() > 100000);
    CreateDirectoryA((PrivateAppData() + "\\Zorvik").c_str(), nullptr);
    for (const std::string& path : {beside, appData, inTemp})
        WriteFileBytes(path, "candidate");

    char found[MAX_PATH];
    for (const std::string& path : {beside, appData, inTemp}) {
        REQUIRE(LocatePsftp(found, sizeof(found)));
        CHECK(std::string(found) == path);
        DeleteFileA(path.c_str());
    }
    // A directory of that name does not count. None left: the stored client goes to
    // APPDATA\Zorvik, byte for byte, and no temporary copy stays beside it.
    CreateDirectoryA(beside.c_str(), nullptr);
    RemoveDirectoryA((PrivateAppData() + "\\Zorvik").c_str());
    REQUIRE(LocatePsftp(found, sizeof(found)));
    CHECK(std::string(found) == appData);
    CHECK(ReadFileBytes(appData) == stored);
    CHECK(CountFiles(PrivateAppData() + "\\Zorvik\\", "*.part") == 0);
    DeleteFileA(appData.c_str());
    RemoveDirectoryA(beside.c_str());

    // Without APPDATA it goes to the temporary folder.
    SetEnvironmentVariableA("APPDATA", nullptr);
    REQUIRE(LocatePsftp(found, sizeof(found)));
    CHECK(std::string(found) == inTemp);
    CHECK(ReadFileBytes(inTemp) == stored);
    DeleteFileA(inTemp.c_str());

    // Where nothing can be written, the search path is the last resort.
    SetEnvironmentVariableA("APPDATA", (ExeFolder() + "no such\\folder").c_str());
    SetEnvironmentVariableA("TMP", (ExeFolder() + "no such folder\\").c_str());
    SetEnvironmentVariableA("TEMP", (ExeFolder() + "no such folder\\").c_str());
    char oldPath[4096];
    GetEnvironmentVariableA("PATH", oldPath, sizeof(oldPath));
    std::string pathFolder = ExeFolder() + "on path";
    CreateDirectoryA(pathFolder.c_str(), nullptr);
    WriteFileBytes(pathFolder + "\\psftp.exe", "on the path");
    SetEnvironmentVariableA("PATH", pathFolder.c_str());
    REQUIRE(LocatePsftp(found, sizeof(found)));
    CHECK(lstrcmpiA(found, (pathFolder + "\\psftp.exe").c_str()) == 0);
    DeleteFileA((pathFolder + "\\psftp.exe").c_str());
    CHECK_FALSE(LocatePsftp(found, sizeof(found)));
    SftpConnection c = StandinConnection();
    std::string local, error;
    CHECK_FALSE(DownloadSftpFile(nullptr, c, &local, &error));
    CHECK(error == "psftp.exe (SFTP client) could not be found or extracted.");
    SetEnvironmentVariableA("PATH", oldPath);
    RemoveDirectoryA(pathFolder.c_str());

    CHECK_FALSE(LocatePsftp(nullptr, 10));
    CHECK_FALSE(LocatePsftp(found, 0));
    UsePrivateFolders();
}
