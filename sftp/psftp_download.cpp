#include "sftp/psftp_download.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstring>

#include "document/paths.h"
#include "sftp/psftp_command.h"

HANDLE gSftpProcess = nullptr;
HANDLE gSftpThread = nullptr;
bool gSftpCancel = false;

namespace {

DWORD WINAPI SystemMsgWait(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD ms, DWORD wakeMask)
{
    return MsgWaitForMultipleObjects(count, handles, waitAll, ms, wakeMask);
}

} // namespace

DWORD(WINAPI* gSftpMsgWait)(DWORD, const HANDLE*, BOOL, DWORD, DWORD) = SystemMsgWait;

namespace {

// How long a download may take before its child is ended.
const DWORD kTimeoutMs = 30000;

const char kNoClient[] = "psftp.exe (SFTP client) could not be found or extracted.";
const char kNoCredentials[] =
    "Password or private key is required.\nEnter a password, or select a PuTTY .ppk key file.";
const char kLineBreak[] = "SFTP connection details must not contain line breaks.";
const char kNoScript[] = "Failed to create temporary SFTP script.";
const char kNoLaunch[] = "Failed to launch psftp process.";
const char kCancelled[] = "SFTP transfer cancelled.";
const char kTimedOut[] =
    "SFTP connection timed out (30s). Please check host address, port, password/key, and network.";
const char kTransferError[] = "SFTP transfer error:\n\n";
const char kTransferFailed[] =
    "SFTP transfer failed. File was not downloaded.\nPlease verify username, password/key, and remote path.";

// Windows 8 added touch and pointer input to QS_ALLINPUT (0x1CFF); earlier systems refuse
// that mask, and MsgWaitForMultipleObjects then fails at once on every call. The mask
// without them is what those systems call QS_ALLINPUT.
const DWORD kAllInputWin8 = 0x1CFF;
const DWORD kAllInputBefore8 = 0x04FF;
DWORD gWakeMask = kAllInputWin8;

// The child's output that a failed download shows: the last part of it, so that a
// chatty child cannot fill the message box or the memory.
const size_t kKeptOutput = 8192;
// At most this much is read per pass of the wait, so that a child that prints without
// end cannot hold up the message pump.
const DWORD kReadPerPass = 64 * 1024;

// Each started child gets a new number: a download whose child was stopped (and perhaps
// replaced by another download's child) during its wait sees that it no longer owns
// gSftpProcess.
unsigned gChildNumber = 0;

bool IsFile(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Bounded(std::string text)
{
    if (text.size() >= MAX_PATH)
        text.resize(MAX_PATH - 1);
    return text;
}

bool CopyPath(const std::string& path, char* buffer, int size)
{
    if ((int)path.size() >= size)
        return false;
    memcpy(buffer, path.c_str(), path.size() + 1);
    return true;
}

// Writes the stored client to target under a temporary name and renames it into place,
// so that no half-written psftp.exe ever carries the name that the search finds and runs.
bool WriteStoredClient(const std::string& target)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(2), RT_RCDATA);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    DWORD size = resource ? SizeofResource(module, resource) : 0;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0)
        return false;

    std::string part = target + "." + std::to_string(GetCurrentProcessId()) + ".part";
    HANDLE file = CreateFileA(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool complete = WriteFile(file, bytes, size, &written, nullptr) && written == size;
    complete = CloseHandle(file) && complete;
    if (!complete || !MoveFileExA(part.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(part.c_str());
        // Another instance may have put its own complete copy there in the meantime.
        return complete && IsFile(target);
    }
    return true;
}

bool Current(unsigned child)
{
    return gSftpProcess && gChildNumber == child;
}

// Appends what the pipe holds now (up to a bound) to output, each chunk up to its first
// 0 byte, keeping only the last kKeptOutput bytes. Returns the number of bytes read.
DWORD DrainPipe(HANDLE pipe, std::string* output, DWORD limit)
{
    DWORD total = 0;
    while (total < limit) {
        DWORD available = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) || available == 0)
            break;
        char chunk[1024];
        DWORD got = 0;
        if (!ReadFile(pipe, chunk, available < sizeof(chunk) - 1 ? available : sizeof(chunk) - 1, &got, nullptr) ||
            got == 0)
            break;
        total += got;
        chunk[got] = 0;
        output->append(chunk, strlen(chunk));
        if (output->size() > 2 * kKeptOutput)
            output->erase(0, output->size() - kKeptOutput);
    }
    return total;
}

enum WaitOutcome { kExited, kWaitTimedOut, kWaitCancelled };

struct QuitRequest {
    bool seen = false;
    int code = 0;
};

// Dispatches every waiting message; a WM_QUIT is kept for the program's own loop.
void PumpMessages(HWND window, QuitRequest* quit)
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit->seen = true;
            quit->code = (int)msg.wParam;
            continue;
        }
        if (window && IsWindow(window) && IsDialogMessageA(window, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

WaitOutcome WaitForChild(HWND window, unsigned child, HANDLE output, DWORD start, std::string* printed,
                         QuitRequest* quit)
{
    if (!Current(child) || gSftpCancel)
        return kWaitCancelled;
    // The wait does not wake for output: while the child is printing, look again soon,
    // or it would stall on a full pipe for most of every pass.
    DWORD waitMs = 200;
    for (;;) {
        HANDLE process = gSftpProcess;
        DWORD result = gSftpMsgWait(1, &process, FALSE, waitMs, gWakeMask);
        if (result == WAIT_FAILED) {
            if (gWakeMask != kAllInputBefore8) {
                gWakeMask = kAllInputBefore8;
            } else {
                Sleep(50);  // keeps a wait that cannot work from spinning until the time-out
            }
        }
        if (!Current(child) || gSftpCancel)
            return kWaitCancelled;
        if (result != WAIT_OBJECT_0) {
            PumpMessages(window, quit);
            if (!Current(child) || gSftpCancel)
                return kWaitCancelled;
        }
        // Reading while waiting: a child that prints more than the pipe holds would
        // otherwise block on its writes until the time-out ends it.
        waitMs = DrainPipe(output, printed, kReadPerPass) > 0 ? 10 : 200;
        // Looked at on every pass, not only when the wait says so: a wait that returned
        // for input or failed must not hide the child's end.
        if (WaitForSingleObject(gSftpProcess, 0) == WAIT_OBJECT_0)
            return kExited;
        if (GetTickCount() - start > kTimeoutMs) {
            TerminateProcess(gSftpProcess, 1);
            WaitForSingleObject(gSftpProcess, 3000);
            return kWaitTimedOut;
        }
    }
}

void CloseIfOpen(HANDLE* handle)
{
    if (*handle) {
        CloseHandle(*handle);
        *handle = nullptr;
    }
}

void DeleteCopy(const std::string& path)
{
    if (IsFile(path))
        DeleteFileA(path.c_str());
}

bool Fail(std::string* error, const std::string& text)
{
    *error = text;
    return false;
}

bool WriteScript(const std::string& path, const std::string& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

// Starts the client hidden, with "y\r\n" waiting on its standard input and its output
// and errors in one pipe; the child of an earlier download is stopped first. The caller
// keeps the two parent ends (which may be null when a pipe could not be made).
bool StartClient(const std::string& commandLine, HANDLE* inputWrite, HANDLE* outputRead, PROCESS_INFORMATION* info)
{
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    HANDLE inputRead = nullptr, outputWrite = nullptr;
    if (CreatePipe(&inputRead, inputWrite, &inheritable, 0))
        SetHandleInformation(*inputWrite, HANDLE_FLAG_INHERIT, 0);
    if (CreatePipe(outputRead, &outputWrite, &inheritable, 0))
        SetHandleInformation(*outputRead, HANDLE_FLAG_INHERIT, 0);
    if (*inputWrite) {
        DWORD written = 0;
        WriteFile(*inputWrite, "y\r\n", 3, &written, nullptr);
    }

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = inputRead;
    startup.hStdOutput = outputWrite;
    startup.hStdError = outputWrite;

    std::string writable = commandLine;
    StopSftpProcess();
    gSftpCancel = false;
    BOOL started = CreateProcessA(nullptr, &writable[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                  nullptr, &startup, info);
    CloseIfOpen(&inputRead);
    CloseIfOpen(&outputWrite);
    if (!started) {
        CloseIfOpen(inputWrite);
        CloseIfOpen(outputRead);
    }
    return started != FALSE;
}

FILETIME ProcessCreationTime(HANDLE process)
{
    FILETIME created = {}, exited, kernel, user;
    GetProcessTimes(process, &created, &exited, &kernel, &user);
    return created;
}

} // namespace

bool LocatePsftp(char* buffer, int size)
{
    if (!buffer || size <= 0)
        return false;
    std::string program = ExecutableFolder();
    std::string appData = AppDataFolder();
    std::string temp = TempFolder();
    std::string candidates[3];
    if (!program.empty())
        candidates[0] = Bounded(program + "\\psftp.exe");
    if (!appData.empty())
        candidates[1] = Bounded(appData + "\\Zorvik\\psftp.exe");
    if (!temp.empty())
        candidates[2] = Bounded(temp + "psftp.exe");
    for (const std::string& candidate : candidates) {
        if (!candidate.empty() && IsFile(candidate) && CopyPath(candidate, buffer, size))
            return true;
    }

    std::string target;
    if (!appData.empty()) {
        CreateDirectoryA(Bounded(appData + "\\Zorvik").c_str(), nullptr);
        target = candidates[1];
    } else if (!temp.empty()) {
        target = candidates[2];
    }
    if (!target.empty() && WriteStoredClient(target) && CopyPath(target, buffer, size))
        return true;

    DWORD length = SearchPathA(nullptr, "psftp.exe", nullptr, (DWORD)size, buffer, nullptr);
    return length >= 1 && length <= (DWORD)size - 1;
}

bool DownloadSftpFile(HWND window, const SftpConnection& connection, std::string* localPath, std::string* error)
{
    char client[MAX_PATH] = {};
    if (!LocatePsftp(client, sizeof(client)))
        return Fail(error, kNoClient);
    if (connection.password.empty() && connection.keyPath.empty())
        return Fail(error, kNoCredentials);
    if (ConnectionHasLineBreak(connection))
        return Fail(error, kLineBreak);

    std::string temp = TempFolder();
    unsigned tick = GetTickCount();
    std::string local = LocalDownloadPath(temp, tick, connection.remotePath);
    std::string script = ScriptPath(temp, tick);
    // A copy left under this name (same tick in an earlier run) would pass for the
    // download; only the file that this child writes may count.
    DeleteCopy(local);
    if (!WriteScript(script, BuildPsftpScript(connection.remotePath, local))) {
        DeleteFileA(script.c_str());
        return Fail(error, kNoScript);
    }
    std::string commandLine = BuildPsftpCommandLine(client, connection, script);

    HANDLE inputWrite = nullptr, outputRead = nullptr;
    PROCESS_INFORMATION info = {};
    if (!StartClient(commandLine, &inputWrite, &outputRead, &info)) {
        DeleteFileA(script.c_str());
        return Fail(error, kNoLaunch);
    }
    gSftpProcess = info.hProcess;
    gSftpThread = info.hThread;
    unsigned child = ++gChildNumber;
    DWORD start = GetTickCount();

    std::string printed;
    QuitRequest quit;
    WaitOutcome outcome = WaitForChild(window, child, outputRead, start, &printed, &quit);
    if (outputRead)
        DrainPipe(outputRead, &printed, MAXDWORD);
    if (printed.size() > kKeptOutput)
        printed.erase(0, printed.size() - kKeptOutput);

    DWORD exitCode = 1;
    if (Current(child)) {
        if (!GetExitCodeProcess(gSftpProcess, &exitCode))
            exitCode = 1;
        CloseIfOpen(&gSftpProcess);
        CloseIfOpen(&gSftpThread);
    }
    CloseIfOpen(&inputWrite);
    CloseIfOpen(&outputRead);
    DeleteFileA(script.c_str());
    if (quit.seen)
        PostQuitMessage(quit.code);

    // Only a child that ended by itself with exit code 0 and left a file has downloaded
    // it; anything it wrote otherwise is a partial copy that nothing refers to.
    bool downloaded = outcome == kExited && exitCode == 0 && IsFile(local);
    if (!downloaded)
        DeleteCopy(local);
    if (outcome == kWaitCancelled)
        return Fail(error, kCancelled);
    if (outcome == kWaitTimedOut)
        return Fail(error, kTimedOut);
    if (!downloaded)
        return Fail(error, printed.empty() ? std::string(kTransferFailed) : kTransferError + printed);
    *localPath = local;
    return true;
}

void StopSftpProcess()
{
    gSftpCancel = true;
    if (gSftpProcess) {
        DWORD exitCode = 0;
        if (GetExitCodeProcess(gSftpProcess, &exitCode) && exitCode == STILL_ACTIVE) {
            TerminateProcess(gSftpProcess, 1);
            WaitForSingleObject(gSftpProcess, 3000);
        }
    }
    CloseIfOpen(&gSftpProcess);
    CloseIfOpen(&gSftpThread);
}

void KillLeftoverSftpProcesses()
{
    StopSftpProcess();
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    const DWORD self = GetCurrentProcessId();
    const FILETIME selfCreated = ProcessCreationTime(GetCurrentProcess());
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == self || entry.th32ParentProcessID != self ||
            lstrcmpiA(entry.szExeFile, "psftp.exe") != 0)
            continue;
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE,
                                     entry.th32ProcessID);
        if (!process)
            continue;
        // A parent id can outlive its process and be given to this one: only a process
        // created after this one can be its child.
        FILETIME created = ProcessCreationTime(process);
        if (CompareFileTime(&created, &selfCreated) >= 0) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 2000);
        }
        CloseHandle(process);
    }
    CloseHandle(snapshot);
}
