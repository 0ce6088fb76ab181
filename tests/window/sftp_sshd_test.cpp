// Real downloads with the real client from the loopback OpenSSH server of the test run.
#include <doctest/doctest.h>

#include <winsock2.h>
#include <windows.h>

#include <string>

#include "sftp/psftp_download.h"
#include "tests/window/harness.h"
#include "tests/window/sftp_support.h"

namespace {

// The real client under APPDATA\Zorvik (a folder name with a blank), private folders
// (with blanks), the host key of 127.0.0.1 cached. False, with the reason shown, where
// the server is not there.
bool Prepare(std::string* temp)
{
    if (!Sshd().available) {
        MESSAGE("skipped: " << Sshd().reason);
        return false;
    }
    *temp = UsePrivateFolders();
    RemoveClientBesideProgram();
    CreateDirectoryA((PrivateAppData() + "\\Zorvik").c_str(), nullptr);
    CopyFileA(RealClientPath().c_str(), (PrivateAppData() + "\\Zorvik\\psftp.exe").c_str(), FALSE);
    static bool cached = CacheHostKey("127.0.0.1", Sshd().port);
    REQUIRE(cached);
    return true;
}

struct Result {
    bool ok;
    std::string local, error;
};

Result Fetch(const SftpConnection& c)
{
    Result r;
    r.ok = DownloadSftpFile(nullptr, c, &r.local, &r.error);
    return r;
}

bool Contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

// A loopback port on which nothing listens (just freed by this process).
int FreePort()
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, (sockaddr*)&address, sizeof(address));
    int length = sizeof(address);
    getsockname(s, (sockaddr*)&address, &length);
    closesocket(s);
    return ntohs(address.sin_port);
}

} // namespace

TEST_CASE("downloads with a password and with a .ppk key, over paths with blanks")
{
    std::string temp;
    if (!Prepare(&temp))
        return;
    struct Row {
        std::string what, remoteName, localName, content;
        bool withKey;
    };
    const Row rows[] = {
        {"password", "a b.txt", "a b.txt", "first line\r\nsecond line\r\n", false},
        {"key file", "a b.txt", "a b.txt", "first line\r\nsecond line\r\n", true},
        {"a quote in the remote name", "q\"uote.txt", "q_uote.txt", "quoted name\n", false},
    };
    for (const Row& row : rows) {
        CAPTURE(row.what);
        SftpConnection c = SshdConnection(Sshd().remoteDir + row.remoteName);
        if (row.withKey) {
            c.password = "";
            c.keyPath = Sshd().keyPpk;
        }
        Result r = Fetch(c);
        CHECK_MESSAGE(r.ok, r.error);
        CHECK(r.local.rfind(temp + "zrvk_sftp_", 0) == 0);
        CHECK(r.local.size() > row.localName.size());
        CHECK(r.local.substr(r.local.size() - row.localName.size() - 1) == "_" + row.localName);
        CHECK(ReadFileBytes(r.local) == row.content);
        DeleteFileA(r.local.c_str());
    }
    CHECK(CountFiles(temp, "zrvk_sftp_*") == 0);
    CHECK(RunningOwnClients() == 0);
}

TEST_CASE("the client's own words for what went wrong")
{
    std::string temp;
    if (!Prepare(&temp))
        return;
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    struct Row {
        std::string what;
        SftpConnection connection;
        const char* words;
    };
    SftpConnection missing = SshdConnection(Sshd().remoteDir + "no such file.txt");
    SftpConnection wrongPassword = SshdConnection(Sshd().remoteDir + "a b.txt");
    wrongPassword.password = "pa ss\"word";  // the real one without its trailing backslash
    SftpConnection refused = SshdConnection(Sshd().remoteDir + "a b.txt");
    refused.port = FreePort();
    // The same server with its key taken out of the cache for this row (another name for it,
    // such as localhost, could reach an address other than 127.0.0.1).
    SftpConnection uncached = SshdConnection(Sshd().remoteDir + "a b.txt");
    const Row rows[] = {
        {"missing remote file", missing, "no such file or directory"},
        {"wrong password", wrongPassword, "Configured password was not accepted"},
        {"refused port", refused, "Connection refused"},
        {"uncached host key", uncached, "The host key is not cached for this server"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.what);
        bool forget = &row == &rows[3];
        if (forget)
            ForgetHostKey(uncached.host, Sshd().port);
        Result r = Fetch(row.connection);
        if (forget)
            CHECK(CacheHostKey(uncached.host, Sshd().port));
        CHECK_FALSE(r.ok);
        CHECK(r.error.rfind("SFTP transfer error:\n\n", 0) == 0);
        CHECK_MESSAGE(Contains(r.error, row.words), r.error);
        CHECK(CountFiles(temp, "zrvk_sftp_*") == 0);
    }
    WSACleanup();
}
