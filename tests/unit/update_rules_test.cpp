#include <doctest/doctest.h>

#include "app/update_rules.h"
#include "tests/updater/program_image.h"

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

TEST_CASE("the Content-Length a download is held to")
{
    struct Row {
        const char* value;
        bool read;
        unsigned long length;
    };
    const Row rows[] = {
        {"60000", true, 60000},
        {" 60000\t", true, 60000},
        {"0", true, 0},
        {"4294967295", true, 4294967295UL},
        // Above 4 GB: no 32-bit count of the bytes received can be held to it.
        {"4294967296", false, 0},
        {"5000000000", false, 0},
        {"", false, 0},
        {"  ", false, 0},
        {"-1", false, 0},
        {"+60000", false, 0},
        {"60000x", false, 0},
        {"6 0000", false, 0},
        {"60000, 60000", false, 0},
        {"0x1000", false, 0},
    };
    for (const Row& row : rows) {
        CAPTURE(row.value);
        unsigned long length = 7;
        CHECK(ParseContentLength(row.value, &length) == row.read);
        CHECK(length == (row.read ? row.length : 7UL));
    }
}

TEST_CASE("what the headers say of a file as a 32-bit Windows program")
{
    struct Row {
        const char* name;
        ProgramShape shape;
        size_t sizeGiven; // the length judged (0: the bytes' own), as a download cut short
        ProgramImage image;
    };
    auto shape = [](void (*change)(ProgramShape&)) {
        ProgramShape s;
        change(s);
        return s;
    };
    const Row rows[] = {
        {"a whole program", ProgramShape(), 0, ProgramImage::Whole},
        {"one section", shape([](ProgramShape& s) { s.sections = 1; }), 0, ProgramImage::Whole},
        {"bytes after the last section", shape([](ProgramShape& s) { s.rawEndShift = -5000; }), 0,
         ProgramImage::Whole},
        {"the last section ends a byte past the file", shape([](ProgramShape& s) { s.rawEndShift = 1; }), 0,
         ProgramImage::Cut},
        {"cut inside its last section", ProgramShape(), 50000, ProgramImage::Cut},
        {"no signature at e_lfanew", shape([](ProgramShape& s) { s.signature = "PX\0\0"; }), 0,
         ProgramImage::NotProgram},
        {"\"PE\" without its two zeros", shape([](ProgramShape& s) { s.signature = "PE\0p"; }), 0,
         ProgramImage::NotProgram},
        {"a 64-bit program", shape([](ProgramShape& s) { s.machine = 0x8664; }), 0, ProgramImage::NotProgram},
        {"no sections", shape([](ProgramShape& s) { s.sections = 0; }), 0, ProgramImage::NotProgram},
        {"e_lfanew past the file's end", shape([](ProgramShape& s) { s.lfanew = 0x7FFFFFF0; }), 0,
         ProgramImage::NotProgram},
        {"e_lfanew whose file header runs past the end", ProgramShape(), 0x80 + 20, ProgramImage::NotProgram},
        {"a section table past the headers looked at",
         shape([](ProgramShape& s) { s.optionalHeaderSize = 0xFFFF; }), 0, ProgramImage::NotProgram},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        std::string bytes = ProgramImageBytes(row.shape);
        size_t size = row.sizeGiven ? row.sizeGiven : bytes.size();
        CHECK(JudgeProgramImage(bytes.substr(0, size), (unsigned long)size) == row.image);
    }
    // Only the bytes held count, however long the file is said to be.
    CHECK(JudgeProgramImage("MZ", 60000) == ProgramImage::NotProgram);
    CHECK(JudgeProgramImage("", 0) == ProgramImage::NotProgram);
    std::string page = "<html>" + std::string(60000, 'x');
    CHECK(JudgeProgramImage(page, (unsigned long)page.size()) == ProgramImage::NotProgram);
}

TEST_CASE("what a finished download may be used for")
{
    const std::string program = ProgramImageBytes();
    const unsigned long whole = (unsigned long)program.size();
    ProgramShape big;
    big.size = 200000;
    const std::string bigProgram = ProgramImageBytes(big);
    std::string mz(60000, 'z');
    mz[0] = 'M';
    mz[1] = 'Z';
    ProgramShape tiny;
    tiny.size = kMinimumDownloadBytes - 1;
    struct Row {
        const char* name;
        unsigned long announced;
        bool lengthUnreadable;
        unsigned long received;
        bool failed;
        std::string head;
        DownloadVerdict verdict;
    };
    const Row rows[] = {
        {"program of announced size", whole, false, whole, false, program, DownloadVerdict::Accepted},
        {"program of unknown size", 0, false, whole, false, program, DownloadVerdict::Accepted},
        {"a program below 50,000 bytes", 0, false, kMinimumDownloadBytes - 1, false,
         ProgramImageBytes(tiny), DownloadVerdict::Incomplete},
        {"cut short of its announced size", 90000, false, whole, false, program, DownloadVerdict::Incomplete},
        {"longer than announced", whole - 1, false, whole, false, program, DownloadVerdict::Incomplete},
        {"a read or write failed", 0, false, whole, true, program, DownloadVerdict::Incomplete},
        {"a length that cannot be read", 0, true, whole, false, program, DownloadVerdict::Incomplete},
        // A chunked body cut off, or a length the 32-bit query could not give: the size is
        // unknown, and the image shows the cut.
        {"of unknown size, cut inside its sections", 0, false, 120000, false,
         bigProgram.substr(0, kProgramHeadBytes), DownloadVerdict::Incomplete},
        {"of unknown size, starts with MZ but is no program", 0, false, 60000, false, mz,
         DownloadVerdict::NotProgram},
        {"an error page", 0, false, 60000, false, "<!DOCTYPE html>", DownloadVerdict::NotProgram},
        {"lower-case mz", 0, false, 60000, false, "mz", DownloadVerdict::NotProgram},
        {"no head", 0, false, 60000, false, "", DownloadVerdict::NotProgram},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        FinishedDownload download;
        download.announced = row.announced;
        download.lengthUnreadable = row.lengthUnreadable;
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
