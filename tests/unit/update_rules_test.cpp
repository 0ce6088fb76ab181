#include <doctest/doctest.h>

#include "app/update_rules.h"

#include <string>

TEST_CASE("a server release is newer by version, then by build stamp")
{
    struct Row {
        const char* version;
        const char* stamp;
        bool newer;
    };
    const Row rows[] = {
        {"1.3.1", "", true},
        {"1.4", "", true},
        {"2.0.0", "19990101_000000", true},
        {"1.3.0", "20261110_110012", true},
        // Equal over the own stamp's 15 bytes: the longer stamp is the newer.
        {"1.3.0", "20261110_1100110", true},
        {"1.3.0", "20261110_110011", false},
        {"1.3.0", "20261110_11001", false},
        {"1.3.0", "20261110_110010", false},
        {"1.3.0", "", false},
        {"1.3", "20261110_110012", true}, // the missing patch counts as 0
        {"1.2.9", "99999999_999999", false},
        {"1.2.10", "", false},
        {"0.9.9", "", false},
        {"1.10.0", "", true},  // numbers, not text
        {"v1.4.0", "", false}, // no number converted: 0.0.0
        {"buildTimestamp", "20261110_110012", false},
    };
    for (const Row& row : rows) {
        CAPTURE(row.version);
        CAPTURE(row.stamp);
        CHECK(IsNewerRelease(row.version, row.stamp) == row.newer);
    }
}

TEST_CASE("version numbers: the count converted, the others left alone")
{
    struct Row {
        const char* text;
        int count, major, minor, patch;
    };
    const Row rows[] = {
        {"1.3.0", 3, 1, 3, 0},    {"2.5", 2, 2, 5, -1},    {"7", 1, 7, -1, -1},    {"", 0, -1, -1, -1},
        {"x.1.2", 0, -1, -1, -1}, {"3.x.1", 1, 3, -1, -1}, {" 4.5.6", 3, 4, 5, 6}, {"1.2.3.4", 3, 1, 2, 3},
    };
    for (const Row& row : rows) {
        CAPTURE(row.text);
        int major = -1, minor = -1, patch = -1;
        CHECK(ParseVersionNumbers(row.text, &major, &minor, &patch) == row.count);
        CHECK(major == row.major);
        CHECK(minor == row.minor);
        CHECK(patch == row.patch);
    }
}

TEST_CASE("the release description's fields as the minimal reader takes them")
{
    const std::string description =
        "{\n  \"version\": \"1.4.0\",\n  \"buildTimestamp\" : \"20270101_000000\",\n"
        "  \"downloadUrl\":\"http://h/z.exe\", \"setupUrl\": \"\"\n}";
    struct Row {
        std::string json;
        const char* key;
        const char* value;
    };
    const Row rows[] = {
        {description, "version", "1.4.0"},
        {description, "buildTimestamp", "20270101_000000"},
        {description, "downloadUrl", "http://h/z.exe"},
        {description, "setupUrl", ""},
        {description, "missing", ""},
        // A number is no string: the next quoted text is taken.
        {"{\"version\": 2, \"buildTimestamp\": \"x\"}", "version", "buildTimestamp"},
        // Escapes stay as they are, and an escaped quote ends the value.
        {"{\"downloadUrl\": \"C:\\\\a\\\"b\"}", "downloadUrl", "C:\\\\a\\"},
        // The key must stand in quotes of its own.
        {"{\"myversion\": \"9.9.9\", \"version\": \"1.0.0\"}", "version", "1.0.0"},
        {"{\"version\" \"1.0.0\"}", "version", ""},
        {"{\"version\": 1}", "version", ""},
        {"{\"version\": \"1.0", "version", ""},
        {"", "version", ""},
        {"<html><body>404 Not Found</body></html>", "version", ""},
    };
    for (const Row& row : rows) {
        CAPTURE(row.json);
        CHECK(ExtractJsonStringField(row.json, row.key) == row.value);
    }
}

TEST_CASE("the messages of an up-to-date check and of an available update")
{
    CHECK(UpToDateMessage("1.3.0", "20261110_110011") ==
          "You are already using the latest version of Zorvik!\n\n"
          "Current Version: v1.3.0 (Build 20261110_110011)\nServer Version:  v1.3.0 (Build 20261110_110011)");
    CHECK(UpdateQuestion("1.4.0", "") == "A new version of Zorvik is available!\n\n"
                                         "Current Version: v1.3.0 (Build 20261110_110011)\n"
                                         "Latest Version:  v1.4.0 (Build )\n\n"
                                         "Would you like to download and install this update now?");
}

TEST_CASE("only http and https addresses are opened for a download")
{
    struct Row {
        const char* url;
        bool allowed;
    };
    const Row rows[] = {
        {"http://update.example/z.exe", true},
        {"https://update.example/z.exe", true},
        {"HTTP://update.example:8080/z.exe", true},
        {"http://127.0.0.1:7002/downloads/kelto/zorvik/latest", true},
        {"file:///C:/Windows/notepad.exe", false},
        {"file://server/share/z.exe", false},
        {"ftp://update.example/z.exe", false},
        {"C:\\Temp\\z.exe", false},
        {"\\\\server\\share\\z.exe", false},
        {"http:/update.example/z.exe", false},
        {"http://", false},
        {"http:///z.exe", false},
        {"httpx://update.example", false},
        {"http://update.example/z .exe", false},
        {"http://update.example/z.exe\r\nHost: other", false},
        {"", false},
    };
    for (const Row& row : rows) {
        CAPTURE(row.url);
        CHECK(IsDownloadUrlAllowed(row.url) == row.allowed);
    }
}

TEST_CASE("the addresses a download tries in turn")
{
    const std::string server = "http://s";
    const std::string latest = server + kLatestExecutablePath, setup = server + kLatestInstallerPath;
    struct Row {
        const char* name;
        std::string downloadUrl, setupUrl;
        std::vector<DownloadTry> tries;
    };
    const Row rows[] = {
        {"executable", "http://d/z.exe", "", {{"http://d/z.exe", false}, {latest, false}}},
        {"no address: the server's newest", "", "", {{latest, false}, {latest, false}}},
        {"installer first",
         "http://d/z.exe",
         "http://d/setup.exe",
         {{"http://d/setup.exe", true}, {setup, true}, {latest, false}}},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        std::vector<DownloadTry> tries = DownloadTries(row.downloadUrl, row.setupUrl, server);
        REQUIRE(tries.size() == row.tries.size());
        for (size_t i = 0; i < tries.size(); ++i) {
            CHECK(tries[i].url == row.tries[i].url);
            CHECK(tries[i].installer == row.tries[i].installer);
        }
    }
}

TEST_CASE("download progress")
{
    struct Row {
        unsigned long received, size;
        int percent;
        const char* text;
    };
    const Row rows[] = {
        {16384, 1048576, 1, "Downloading: 16 KB / 1024 KB (1%)..."},
        {1048575, 1048576, 99, "Downloading: 1023 KB / 1024 KB (99%)..."},
        {1048576, 1048576, 100, "Downloading: 1024 KB / 1024 KB (100%)..."},
        // A server that sends more than it announced stays at 100.
        {2000000, 1048576, 100, "Downloading: 1953 KB / 1024 KB (100%)..."},
        {1023, 0, 0, "Downloading: 0 KB..."},
        {51200, 0, 0, "Downloading: 50 KB..."},
    };
    for (const Row& row : rows) {
        CAPTURE(row.received);
        CHECK(DownloadPercent(row.received, row.size) == row.percent);
        CHECK(DownloadProgressText(row.received, row.size) == row.text);
    }
}

TEST_CASE("what a finished download may be used for")
{
    struct Row {
        const char* name;
        unsigned long announced, received;
        bool failed;
        const char* head;
        DownloadVerdict verdict;
    };
    const Row rows[] = {
        {"program of announced size", 60000, 60000, false, "MZ", DownloadVerdict::Accepted},
        {"program of unknown size", 0, 50000, false, "MZ", DownloadVerdict::Accepted},
        {"one byte too short", 0, 49999, false, "MZ", DownloadVerdict::Incomplete},
        {"cut short of its announced size", 90000, 60000, false, "MZ", DownloadVerdict::Incomplete},
        {"longer than announced", 60000, 70000, false, "MZ", DownloadVerdict::Incomplete},
        {"a read or write failed", 0, 60000, true, "MZ", DownloadVerdict::Incomplete},
        {"an error page", 0, 60000, false, "<!", DownloadVerdict::NotProgram},
        {"lower-case mz", 0, 60000, false, "mz", DownloadVerdict::NotProgram},
        {"no head", 0, 60000, false, "", DownloadVerdict::NotProgram},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        FinishedDownload download;
        download.announced = row.announced;
        download.received = row.received;
        download.failed = row.failed;
        download.head = row.head;
        CHECK(JudgeDownload(download) == row.verdict);
    }
}

TEST_CASE("the downloaded file's name in the temporary folder")
{
    CHECK(DownloadTargetPath("C:\\T\\", false, 42) == "C:\\T\\Zorvik_update_42.exe");
    CHECK(DownloadTargetPath("C:\\T", true, 42) == "C:\\T\\Zorvik_Setup_42.exe");
    CHECK(DownloadTargetPath("C:/T/", true, 4294967295UL) == "C:/T/Zorvik_Setup_4294967295.exe");
}

TEST_CASE("the installer is told the program's folder unless it is a passing place")
{
    struct Row {
        const char* exe;
        const char* parameters;
    };
    const Row rows[] = {
        {"C:\\Program Files\\Zorvik\\Zorvik.exe", "/D=C:\\Program Files\\Zorvik"},
        {"D:\\Tools\\Zorvik.exe", "/D=D:\\Tools"},
        {"C:\\Zorvik.exe", "/D=C:"},
        {"C:\\Users\\me\\AppData\\Local\\Temp\\Zorvik.exe", ""},
        {"C:\\temp\\Zorvik.exe", ""},
        {"C:\\Users\\me\\Downloads\\Zorvik.exe", ""},
        {"C:\\Users\\me\\downloads\\Zorvik.exe", ""},
        {"C:\\Users\\me\\Desktop\\Zorvik.exe", ""},
        {"C:\\Users\\me\\desktop\\tools\\Zorvik.exe", ""},
        {"C:\\Contemporary\\Zorvik.exe", ""}, // "temp" inside a word counts too
        // The words count only as written.
        {"C:\\TEMP\\Zorvik.exe", "/D=C:\\TEMP"},
        {"C:\\DESKTOP\\Zorvik.exe", "/D=C:\\DESKTOP"},
        // Only the folder is looked at, not the program's own name.
        {"C:\\Tools\\Desktop.exe", "/D=C:\\Tools"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.exe);
        CHECK(InstallerParameters(row.exe) == row.parameters);
    }
}
