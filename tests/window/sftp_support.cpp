#include "tests/window/sftp_support.h"

#include <tlhelp32.h>

#include <doctest/doctest.h>

#include <cstdio>
#include <cstdlib>

#include "sftp/psftp_command.h"
#include "tests/window/harness.h"

std::string FullPath(const std::string& path)
{
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(path.c_str(), sizeof(full), full, nullptr);
    return length > 0 && length < sizeof(full) ? std::string(full) : path;
}

std::string StandinClientPath()
{
    return FullPath(ExeFolder() + "..\\standin\\psftp_standin.exe");
}

std::string RealClientPath()
{
    return FullPath(ExeFolder() + "..\\..\\psftp\\psftp.exe");
}

std::string PrivateAppData()
{
    return ExeFolder() + "app data";
}

std::string UsePrivateFolders()
{
    std::string temp = ExeFolder() + "temp folder\\";
    CreateDirectoryA(temp.c_str(), nullptr);
    CreateDirectoryA(PrivateAppData().c_str(), nullptr);
    SetEnvironmentVariableA("TMP", temp.c_str());
    SetEnvironmentVariableA("TEMP", temp.c_str());
    SetEnvironmentVariableA("APPDATA", PrivateAppData().c_str());
    return temp;
}

void PlaceClientBesideProgram(const std::string& client)
{
    CopyFileA(client.c_str(), (ExeFolder() + "psftp.exe").c_str(), FALSE);
}

void RemoveClientBesideProgram()
{
    DeleteFileA((ExeFolder() + "psftp.exe").c_str());
}

void SetStandinBehaviour(const StandinBehaviour& b)
{
    SetEnvironmentVariableA("ZV_STANDIN_EXIT", std::to_string(b.exitCode).c_str());
    SetEnvironmentVariableA("ZV_STANDIN_CONTENT", b.createFile ? b.content.c_str() : nullptr);
    SetEnvironmentVariableA("ZV_STANDIN_OUTPUT", b.output.empty() ? nullptr : b.output.c_str());
    SetEnvironmentVariableA("ZV_STANDIN_FLOOD", std::to_string(b.flood).c_str());
    SetEnvironmentVariableA("ZV_STANDIN_SLEEP_MS", std::to_string(b.sleepMs).c_str());
    SetEnvironmentVariableA("ZV_STANDIN_RECORD", b.record.empty() ? nullptr : b.record.c_str());
}

int RunningOwnClients()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    int count = 0;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID == GetCurrentProcessId() && lstrcmpiA(entry.szExeFile, "psftp.exe") == 0)
            ++count;
    }
    CloseHandle(snapshot);
    return count;
}

int CountFiles(const std::string& folder, const char* pattern)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do {
        ++count;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return count;
}

void DeleteFiles(const std::string& folder, const char* pattern)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string path = folder + data.cFileName;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveDirectoryA(path.c_str());
        else
            DeleteFileA(path.c_str());
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

namespace {

// The fixture writes Unix paths; Wine shows the Unix root as drive Z:.
std::string WindowsPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

SshdFixture ReadFixture()
{
    SshdFixture fixture;
    std::string text = ReadFileBytes(ExeFolder() + "..\\sshd fixture\\fixture.txt");
    if (text.empty()) {
        fixture.reason = "the sshd fixture did not run (tests/sftp/sshd-fixture.sh)";
        return fixture;
    }
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        if (key == "available")
            fixture.available = value == "1";
        else if (key == "reason")
            fixture.reason = value;
        else if (key == "port")
            fixture.port = atoi(value.c_str());
        else if (key == "user")
            fixture.user = value;
        else if (key == "password")
            fixture.password = value;
        else if (key == "key")
            fixture.keyPpk = WindowsPath(value);
        else if (key == "remote")
            fixture.remoteDir = value;
    }
    return fixture;
}

// Runs the real client with the command line and standard input; returns its exit code
// and what it printed.
int RunClient(const std::string& arguments, const std::string& input, std::string* printed)
{
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    HANDLE inRead, inWrite, outRead, outWrite;
    CreatePipe(&inRead, &inWrite, &inheritable, 0);
    CreatePipe(&outRead, &outWrite, &inheritable, 0);
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    DWORD written;
    WriteFile(inWrite, input.data(), (DWORD)input.size(), &written, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead;
    startup.hStdOutput = outWrite;
    startup.hStdError = outWrite;
    std::string line = QuoteCommandLineArgument(RealClientPath()) + " " + arguments;
    PROCESS_INFORMATION info = {};
    BOOL started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                                  &startup, &info);
    CloseHandle(inRead);
    CloseHandle(outWrite);
    DWORD code = (DWORD)-1;
    if (started) {
        char chunk[1024];
        DWORD got;
        while (ReadFile(outRead, chunk, sizeof(chunk), &got, nullptr) && got > 0)
            printed->append(chunk, got);
        WaitForSingleObject(info.hProcess, 30000);
        GetExitCodeProcess(info.hProcess, &code);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    CloseHandle(inWrite);
    CloseHandle(outRead);
    return (int)code;
}

std::string HostKeyValueSuffix(const std::string& host, int port)
{
    return "@" + std::to_string(port) + ":" + host;
}

} // namespace

const SshdFixture& Sshd()
{
    static SshdFixture fixture = ReadFixture();
    return fixture;
}

SftpConnection SshdConnection(const std::string& remotePath)
{
    SftpConnection c;
    c.host = "127.0.0.1";
    c.port = Sshd().port;
    c.user = Sshd().user;
    c.password = Sshd().password;
    c.remotePath = remotePath;
    return c;
}

bool CacheHostKey(const std::string& host, int port)
{
    std::string script = ExeFolder() + "quit script.txt";
    WriteFileBytes(script, "quit\r\n");
    std::string printed;
    std::string arguments = "-P " + std::to_string(port) + " -l " + QuoteCommandLineArgument(Sshd().user) + " -pw " +
                            QuoteCommandLineArgument(Sshd().password) + " -b " + QuoteCommandLineArgument(script) +
                            " " + QuoteCommandLineArgument(host);
    int code = RunClient(arguments, "y\r\n", &printed);
    DeleteFileA(script.c_str());
    if (code != 0)
        MESSAGE("caching the host key failed: " << printed);
    return code == 0;
}

void ForgetHostKey(const std::string& host, int port)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\SimonTatham\\PuTTY\\SshHostKeys", 0, KEY_ALL_ACCESS, &key) !=
        ERROR_SUCCESS)
        return;
    std::string suffix = HostKeyValueSuffix(host, port);
    for (DWORD index = 0;;) {
        char name[512];
        DWORD nameSize = sizeof(name);
        if (RegEnumValueA(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        std::string value = name;
        if (value.size() > suffix.size() && value.compare(value.size() - suffix.size(), suffix.size(), suffix) == 0)
            RegDeleteValueA(key, name);
        else
            ++index;
    }
    RegCloseKey(key);
}
