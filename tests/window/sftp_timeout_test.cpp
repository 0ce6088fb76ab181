// A server that accepts the connection and never says anything: the real client waits
// for ever, and the download must end it after 30 seconds. A program of its own, so that
// its half minute runs beside the other tests.
#include <doctest/doctest.h>

#include <winsock2.h>
#include <windows.h>

#include <string>

#include "sftp/psftp_download.h"
#include "tests/window/harness.h"
#include "tests/window/sftp_support.h"

TEST_CASE("a silent server: the 30 s time-out, and no client left running")
{
    std::string temp = UsePrivateFolders();
    PlaceClientBesideProgram(RealClientPath());
    WSADATA wsa;
    REQUIRE(WSAStartup(MAKEWORD(2, 2), &wsa) == 0);
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    REQUIRE(bind(listener, (sockaddr*)&address, sizeof(address)) == 0);
    REQUIRE(listen(listener, 4) == 0);
    int length = sizeof(address);
    getsockname(listener, (sockaddr*)&address, &length);

    SftpConnection c;
    c.host = "127.0.0.1";
    c.port = ntohs(address.sin_port);
    c.user = "nobody";
    c.password = "x";
    c.remotePath = "/silent.txt";
    std::string local = "untouched", error;
    DWORD start = GetTickCount();
    CHECK_FALSE(DownloadSftpFile(nullptr, c, &local, &error));
    DWORD took = GetTickCount() - start;
    CHECK(error == "SFTP connection timed out (30s). Please check host address, port, password/key, and network.");
    CHECK(local == "untouched");
    CHECK(took >= 30000);
    CHECK(took < 40000);
    CHECK(RunningOwnClients() == 0);
    CHECK(CountFiles(temp, "zrvk_sftp_*") == 0);
    closesocket(listener);
    WSACleanup();
}
