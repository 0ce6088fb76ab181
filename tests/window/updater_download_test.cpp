// Update downloads from the loopback server (tests/updater/update_server.py), driven
// through the real main window: which downloads may replace the program or run as its
// installer, the restart a finished update asks for, and closing during a download. The
// program it replaces is a stand-in file in the test's folder.
#include <doctest/doctest.h>

#include "app/tabs.h"
#include "app/update_rules.h"
#include "app/updater.h"
#include "tests/updater/update_check.h"

#include <string>
#include <vector>

TEST_CASE("a download that is no whole program never replaces the executable")
{
    const std::string page = "<html><body>" + std::string(60000, 'x') + "</body></html>";
    struct Row {
        const char* name;
        std::string files; // a case folder of the server
        std::string downloadUrl;
        const char* error;
    };
    const Row rows[] = {
        {"404 at the address and at the server's newest", "d1", Root("d1") + "/files/missing.exe",
         "Failed to start download from update server."},
        {"cut off before its announced length", "d2", ServerRoot() + "/cut/d2/files/update.exe",
         "Downloaded update file is incomplete."},
        {"49,999 bytes", "d3", Root("d3") + "/files/short.exe", "Downloaded update file is incomplete."},
        {"an error page sent with status 200", "d4", Root("d4") + "/files/page.html",
         "Downloaded update file is not a Windows program."},
        {"a file address is not opened", "d5", "file:///" + SiteFolder() + "d5\\files\\update.exe",
         "Failed to start download from update server."},
        {"chunked, cut off half-way", "d6", ServerRoot() + "/chunkcut/d6/files/update.exe",
         "Downloaded update file is incomplete."},
        {"a Content-Length above 4 GB", "d7", ServerRoot() + "/badlength/d7/files/update.exe",
         "Downloaded update file is incomplete."},
        {"a Content-Length that is no number", "d8", ServerRoot() + "/nanlength/d8/files/update.exe",
         "Downloaded update file is incomplete."},
        {"starts with MZ but is no program", "d9", Root("d9") + "/files/mz.exe",
         "Downloaded update file is not a Windows program."},
    };
    for (const Row& row : rows) {
        const std::string name = row.name;
        INFO(name);
        UpdateCase update;
        WriteSiteFile(row.files + kDescriptionPath, ReleaseDescription("1.4.0", "", row.downloadUrl));
        WriteSiteFile(row.files + "/files/update.exe", ProgramBytes(120000));
        WriteSiteFile(row.files + "/files/short.exe", ProgramBytes(kMinimumDownloadBytes - 1));
        WriteSiteFile(row.files + "/files/mz.exe", ProgramLikeBytes(120000));
        WriteSiteFile(row.files + "/files/page.html", page);
        update.Servers(Root(row.files), DownServerRoot());
        std::vector<SeenBox> boxes = RunCheck(update.window.hwnd, {IDYES});
        REQUIRE(boxes.size() == 2);
        CHECK(boxes[0].title == kAvailableTitle);
        CheckBox(boxes[1], kErrorTitle, row.error);
        CHECK(update.ProgramUntouched());
        CHECK(TempFilesLike("Zorvik_update_*.exe").empty());
        CHECK(IsWindow(update.window.hwnd));
        CHECK_FALSE(RestartAfterExitPending());
    }
    // The file address was refused, not read: the server's newest was tried after it.
    CHECK(Requested("/d5/downloads/kelto/zorvik/latest"));
}

TEST_CASE("a valid update replaces the executable, keeps the old one as .bak and closes for the restart")
{
    struct Row {
        const char* name;
        std::string files, downloadUrl;
        size_t size;
    };
    const Row rows[] = {
        {"with its length announced", "v1", Root("v1") + "/files/update.exe", 300000},
        {"without a Content-Length", "v2", ServerRoot() + "/nolength/v2/files/update.exe", 70000},
        {"in chunks", "v6", ServerRoot() + "/chunked/v6/files/update.exe", 90000},
        {"exactly 50,000 bytes", "v3", Root("v3") + "/files/update.exe", kMinimumDownloadBytes},
        {"no address: the server's newest", "v4", "", 60000},
        {"404 at the address, then the server's newest", "v5", Root("v5") + "/files/missing.exe", 60000},
    };
    for (const Row& row : rows) {
        const std::string name = row.name;
        INFO(name);
        UpdateCase update;
        const std::string program = ProgramBytes(row.size, 'n');
        WriteSiteFile(row.files + kDescriptionPath, ReleaseDescription("1.3.1", "", row.downloadUrl));
        WriteSiteFile(row.files + "/files/update.exe", program);
        WriteSiteFile(row.files + "/downloads/kelto/zorvik/latest", program);
        update.Servers(Root(row.files), DownServerRoot());
        std::vector<SeenBox> boxes = RunCheck(update.window.hwnd, {IDYES, IDOK});
        REQUIRE(boxes.size() == 2);
        CheckBox(boxes[0], kAvailableTitle, UpdateQuestion("1.3.1", ""));
        CheckBox(boxes[1], "Update Complete", kUpdated);
        CHECK(ReadFileBytes(update.exe) == program);
        CHECK(ReadFileBytes(update.exe + ".bak") == kOldProgram);
        CHECK(TempFilesLike("Zorvik_update_*.exe").empty());
        // The main window was asked to close; the restart waits for the end of the loop.
        CHECK(PumpUntil(update.window.hwnd, [&] { return !IsWindow(update.window.hwnd); }));
        CHECK(RestartAfterExitPending());
    }
}

TEST_CASE("without HttpQueryInfoA a download goes on without the status and the length")
{
    const std::string library = ExeFolder() + "..\\standin\\wininet_without_query.dll";
    struct Row {
        const char* name;
        std::string files, downloadUrl;
        const char* title;
        const char* text;
    };
    const Row rows[] = {
        {"a whole program", "q1", Root("q1") + "/files/update.exe", "Update Complete", kUpdated},
        {"cut off before its announced length", "q2", ServerRoot() + "/cut/q2/files/update.exe", kErrorTitle,
         "Downloaded update file is incomplete."},
    };
    for (const Row& row : rows) {
        const std::string name = row.name;
        INFO(name);
        UpdateCase update;
        SetUpdateLibraryForTesting(library.c_str());
        const std::string program = ProgramBytes(150000, 'q');
        WriteSiteFile(row.files + kDescriptionPath, ReleaseDescription("1.3.1", "", row.downloadUrl));
        WriteSiteFile(row.files + "/files/update.exe", program);
        update.Servers(Root(row.files), DownServerRoot());
        std::vector<SeenBox> boxes = RunCheck(update.window.hwnd, {IDYES, IDOK});
        REQUIRE(boxes.size() == 2);
        CHECK(boxes[0].title == kAvailableTitle);
        CheckBox(boxes[1], row.title, row.text);
        bool replaced = row.text == kUpdated;
        CHECK(update.ProgramUntouched() == !replaced);
        if (replaced)
            CHECK(ReadFileBytes(update.exe) == program);
        CHECK(TempFilesLike("Zorvik_update_*.exe").empty());
    }
}

TEST_CASE("a close refused at the save question keeps the update on disk but starts nothing")
{
    UpdateCase update;
    const std::string program = ProgramBytes(80000, 'k');
    WriteSiteFile("k1" + std::string(kDescriptionPath),
                  ReleaseDescription("1.3.1", "", Root("k1") + "/files/update.exe"));
    WriteSiteFile("k1/files/update.exe", program);
    update.Servers(Root("k1"), DownServerRoot());
    std::string notes = update.window.File("notes.txt", "kept\r\n");
    OpenFileByPath(update.window.hwnd, notes.c_str());
    TypeText("x");

    MessageBoxAnswers questions({IDCANCEL});
    std::vector<SeenBox> boxes = RunCheck(update.window.hwnd, {IDYES, IDOK});
    REQUIRE(boxes.size() == 2);
    CHECK(boxes[1].text == kUpdated);
    CHECK(PumpUntil(update.window.hwnd, [&] { return !questions.seen.empty(); }));
    PumpMessages(update.window.hwnd, 50);
    REQUIRE(questions.seen.size() == 1);
    CHECK(questions.seen[0].text.find("before closing?") != std::string::npos);
    CHECK(IsWindow(update.window.hwnd));
    CHECK(ReadFileBytes(update.exe) == program);
    CHECK_FALSE(RestartAfterExitPending());
}

TEST_CASE("an installer download runs the installer, told the program's folder unless it is a passing place")
{
    std::string standin = ReadFileBytes(ExeFolder() + "..\\standin\\installer_standin.exe");
    REQUIRE(standin.compare(0, 2, "MZ") == 0);
    if (standin.size() < 60000)
        standin.resize(60000, '\0'); // what follows a program's image is not read
    const std::string log = ExeFolder() + "installer.log";
    SetEnvironmentVariableA("ZV_INSTALLER_LOG", log.c_str());
    struct Row {
        const char* folder;
        bool told;
    };
    const Row rows[] = {{"installed", true}, {"on the Desktop\\tools", false}};
    for (const Row& row : rows) {
        CAPTURE(row.folder);
        UpdateCase update(row.folder);
        std::string folder = update.exe.substr(0, update.exe.rfind('\\'));
        if (row.told && InstallerParameters(update.exe).empty()) {
            MESSAGE("skipped: the test's own folder looks like a temporary or desktop folder: " << folder);
            continue;
        }
        DeleteFileA(log.c_str());
        WriteSiteFile("i1" + std::string(kDescriptionPath),
                      ReleaseDescription("2.0.0", "", Root("i1") + "/files/update.exe",
                                         Root("i1") + "/files/setup.exe"));
        WriteSiteFile("i1/files/setup.exe", standin);
        update.Servers(Root("i1"), DownServerRoot());
        std::vector<SeenBox> boxes = RunCheck(update.window.hwnd, {IDYES});
        REQUIRE(boxes.size() == 1);
        CHECK(boxes[0].title == kAvailableTitle);
        CHECK(PumpUntil(update.window.hwnd,
                        [&] { return ReadFileBytes(log).find("\r\n") != std::string::npos; }));
        std::string commandLine = ReadFileBytes(log);
        CHECK(commandLine.find("Zorvik_Setup_") != std::string::npos);
        if (row.told)
            CHECK(commandLine.find(" /D=" + folder + "\r\n") != std::string::npos);
        else
            CHECK(commandLine.find("/D=") == std::string::npos);
        CHECK_FALSE(Requested("/i1/files/update.exe"));
        CHECK(update.ProgramUntouched());
        CHECK(PumpUntil(update.window.hwnd, [&] { return !IsWindow(update.window.hwnd); }));
        CHECK_FALSE(RestartAfterExitPending());
        // The installer stays in the temporary folder; the test's copy goes once it has ended.
        PumpUntil(update.window.hwnd, [] {
            DeleteDownloads();
            return TempFilesLike("Zorvik_Setup_*.exe").empty();
        });
    }
    SetEnvironmentVariableA("ZV_INSTALLER_LOG", nullptr);
}

TEST_CASE("closing during a download stops it and deletes the partial file")
{
    enum How { kCloseBox, kMainWindowCloses };
    const How hows[] = {kCloseBox, kMainWindowCloses};
    for (How how : hows) {
        CAPTURE(how);
        UpdateCase update;
        WriteSiteFile("s1" + std::string(kDescriptionPath),
                      ReleaseDescription("1.3.1", "", ServerRoot() + "/stall/s1/files/update.exe"));
        WriteSiteFile("s1/files/update.exe", ProgramBytes(200000));
        update.Servers(Root("s1"), DownServerRoot());
        ShowUpdateWindow(update.window.hwnd, false);
        SeenBox question;
        REQUIRE(PumpUntil(update.window.hwnd, [&] {
            return FindMessageBox(GetCurrentProcessId(), GetCurrentThreadId(), &question);
        }));
        CHECK(question.title == kAvailableTitle);
        AnswerMessageBox(question.window, IDYES);
        REQUIRE(PumpUntil(update.window.hwnd, [] {
            return UpdateStatusText().compare(0, 12, "Downloading:") == 0 &&
                   !TempFilesLike("Zorvik_update_*.exe").empty();
        }));
        HWND window = gUpdateWnd;
        if (how == kCloseBox)
            SendMessageA(window, WM_CLOSE, 0, 0);
        else
            SendMessageA(update.window.hwnd, WM_CLOSE, 0, 0);
        CHECK_FALSE(IsWindow(window));
        CHECK(gUpdateWnd == nullptr);
        CHECK(IsWindow(update.window.hwnd) == (how == kCloseBox));

        ReleaseServerRequests();
        std::vector<SeenBox> boxes = FinishChecks(update.window.hwnd, {});
        CHECK(boxes.empty());
        CHECK(TempFilesLike("Zorvik_update_*.exe").empty());
        CHECK(update.ProgramUntouched());
        CHECK_FALSE(RestartAfterExitPending());
    }
}
