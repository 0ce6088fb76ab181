#pragma once
// What the remote-file tests share: the client executables, private temporary and
// application-data folders, the stand-in client's settings and the loopback SSH server
// that the test run starts (tests/sftp/sshd-fixture.sh).

#include <windows.h>

#include <string>

#include "sftp/sftp_connection.h"

std::string FullPath(const std::string& path);
// The stand-in client of the tests and the real PSFTP client of this build.
std::string StandinClientPath();
std::string RealClientPath();

// Points TMP, TEMP and APPDATA of this process (and so of its children) at folders
// beside the test executable whose names hold blanks; creates them. Returns the
// temporary folder with its trailing backslash.
std::string UsePrivateFolders();
std::string PrivateAppData();

// Copies a client to psftp.exe beside the test executable (where the search looks
// first), or removes that copy.
void PlaceClientBesideProgram(const std::string& client);
void RemoveClientBesideProgram();

// The stand-in's behaviour for the next download (see psftp_standin.cpp); record is
// the file that receives its arguments.
struct StandinBehaviour {
    int exitCode = 0;
    bool createFile = true;
    std::string content = "remote text\r\n";
    std::string output;
    long flood = 0;
    DWORD sleepMs = 0;
    std::string record;
};
void SetStandinBehaviour(const StandinBehaviour& behaviour);

// psftp.exe processes whose parent is this process.
int RunningOwnClients();
// Files in the folder whose names match the pattern (e.g. "zrvk_sftp_*").
int CountFiles(const std::string& folder, const char* pattern);
void DeleteFiles(const std::string& folder, const char* pattern);

// The loopback OpenSSH server of the test run.
struct SshdFixture {
    bool available = false;
    std::string reason;  // why not, when not
    int port = 0;
    std::string user, password;
    std::string keyPpk;     // Windows path of the client key in PuTTY's format
    std::string remoteDir;  // remote folder of the test files (holds blanks), with "/"
};
const SshdFixture& Sshd();
// A connection to the fixture's server with its password.
SftpConnection SshdConnection(const std::string& remotePath);
// Runs the real client once without -batch and answers its host-key question with y,
// so that -batch runs accept the server (PuTTY keeps the key in the registry).
bool CacheHostKey(const std::string& host, int port);
// Removes the cached key of that host and port again.
void ForgetHostKey(const std::string& host, int port);
