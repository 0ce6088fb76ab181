// The update check against the loopback server (tests/updater/update_server.py), driven
// through the real main window: where the description comes from, which downloads may
// replace the program or run, Cancel against a server that never answers, and the
// missing library. The program it replaces is a stand-in file in the test's folder.
#include <doctest/doctest.h>

#include "app/tabs.h"
#include "app/update_rules.h"
#include "app/updater.h"
#include "tests/updater/update_support.h"
#include "tests/window/harness.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

const char kDescriptionPath[] = "/downloads/kelto/zorvik/version.json";
const char kOldProgram[] = "MZ the program as it was before the update";
const char kUpdateTitle[] = "Zorvik Update";
const char kAvailableTitle[] = "Zorvik Update Available";
const char kErrorTitle[] = "Update Error";
const char kCouldNotRetrieve[] = "Could not retrieve update information from server.\n"
                                 "Please check your network connection and try again.";
const char kUpdated[] =
    "Zorvik has been updated successfully!\nZorvik will now restart with the new version.";
const DWORD kBoundMs = 60000;

std::string Root(const std::string& name)
{
    return ServerRoot() + "/" + name;
}

bool Requested(const std::string& path)
{
    std::vector<std::string> requests = ServerRequests();
    return std::find(requests.begin(), requests.end(), path) != requests.end();
}

// Runs the message loop until the condition holds or the bound passes.
template <class Condition>
bool PumpUntil(HWND mainWnd, Condition condition, DWORD boundMs = kBoundMs)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > boundMs)
            return false;
        PumpMessages(mainWnd, 10);
    }
    return true;
}

// Runs the message loop until every worker of a check has ended, answering the message
// boxes of the workers with the answers in turn (then OK, or No for a question).
std::vector<SeenBox> FinishChecks(HWND mainWnd, std::vector<int> answers)
{
    std::vector<SeenBox> seen;
    HWND answered = nullptr;
    bool ended = PumpUntil(mainWnd, [&] {
        SeenBox box;
        if ((!answered || !IsWindow(answered)) &&
            FindMessageBox(GetCurrentProcessId(), GetCurrentThreadId(), &box)) {
            seen.push_back(box);
            int answer = IDOK;
            if (!answers.empty()) {
                answer = answers.front();
                answers.erase(answers.begin());
            }
            AnswerMessageBox(box.window, answer);
            answered = box.window;
        }
        return !UpdateCheckRunning();
    });
    CHECK(ended);
    PumpMessages(mainWnd, 0);
    return seen;
}

std::vector<SeenBox> RunCheck(HWND mainWnd, std::vector<int> answers = {})
{
    ShowUpdateWindow(mainWnd, false);
    return FinishChecks(mainWnd, answers);
}

void CheckBox(const SeenBox& box, const char* title, const std::string& text)
{
    CHECK(box.title == title);
    CHECK(box.text == text);
}

void DeleteDownloads()
{
    for (const char* pattern : {"Zorvik_update_*.exe", "Zorvik_Setup_*.exe"})
        for (const std::string& file : TempFilesLike(pattern))
            DeleteFileA(file.c_str());
}

// A main window, the program it would replace, and the seams pointed at the loopback
// server; every seam, download and waiting request is cleared again afterwards.
struct UpdateCase {
    TestWindow window;
    std::string exe;

    explicit UpdateCase(const char* folder = "installed")
    {
        REQUIRE_MESSAGE(!ServerRoot().empty(), "the loopback update server did not start");
        HoldServerRequests();
        DeleteDownloads();
        std::string dir = ExeFolder() + folder;
        for (size_t at = dir.find('\\', 3); at != std::string::npos; at = dir.find('\\', at + 1))
            CreateDirectoryA(dir.substr(0, at).c_str(), nullptr);
        CreateDirectoryA(dir.c_str(), nullptr);
        exe = dir + "\\Zorvik.exe";
        WriteFileBytes(exe, kOldProgram);
        DeleteFileA((exe + ".bak").c_str());
        SetUpdatedExecutableForTesting(exe.c_str());
        SetUpdateLibraryForTesting(nullptr);
        SetUpdateServersForTesting(DownServerRoot().c_str(), DownServerRoot().c_str());
    }
    ~UpdateCase()
    {
        ReleaseServerRequests();
        PumpUntil(window.hwnd, [] { return !UpdateCheckRunning(); });
        HoldServerRequests();
        if (gUpdateWnd)
            DestroyWindow(gUpdateWnd);
        SetUpdateServersForTesting(nullptr, nullptr);
        SetUpdatedExecutableForTesting(nullptr);
        SetUpdateLibraryForTesting(nullptr);
        CancelRestartAfterExit();
        DeleteDownloads();
    }
    void Servers(const std::string& primary, const std::string& fallback)
    {
        SetUpdateServersForTesting(primary.c_str(), fallback.c_str());
    }
    bool ProgramUntouched()
    {
        return ReadFileBytes(exe) == kOldProgram && ReadFileBytes(exe + ".bak").empty();
    }
};

// The status line of the Update window, its first control.
std::string UpdateStatusText()
{
    return gUpdateWnd ? WindowTextOf(GetWindow(gUpdateWnd, GW_CHILD)) : "";
}

} // namespace

TEST_CASE("where the release description comes from, and what it says")
{
    const std::string ownStamp = kProgramBuildStamp;
    const std::string current = ReleaseDescription("1.3.0", ownStamp);
    struct Row {
        const char* name;
        std::string primary, fallback; // case names on the server; empty: a server that is down
        std::string primaryDescription, fallbackDescription;
        std::vector<SeenBox> boxes;
        std::vector<std::string> notAsked;
    };
    const std::string bigPadding(kMaxReleaseDescriptionBytes, ' ');
    const Row rows[] = {
        {"primary down, the fallback answers",
         "",
         "fb1",
         "",
         current,
         {{nullptr, kUpdateTitle, UpToDateMessage("1.3.0", ownStamp)}}},
        {"both down", "", "", "", "", {{nullptr, kUpdateTitle, kCouldNotRetrieve}}},
        {"the primary answers 404: the fallback is not asked",
         "p404",
         "fb3",
         "",
         ReleaseDescription("9.9.9", ownStamp),
         {{nullptr, kUpdateTitle, kCouldNotRetrieve}},
         {std::string("/fb3") + kDescriptionPath}},
        {"a description past 64 KiB is none",
         "big",
         "",
         current + bigPadding,
         "",
         {{nullptr, kUpdateTitle, kCouldNotRetrieve}}},
        {"a description just within 64 KiB",
         "fits",
         "",
         current + bigPadding.substr(current.size()),
         "",
         {{nullptr, kUpdateTitle, UpToDateMessage("1.3.0", ownStamp)}}},
        {"a version given as a number takes the next quoted text",
         "num",
         "",
         "{\"version\": 2, \"buildTimestamp\": \"x\"}",
         "",
         {{nullptr, kUpdateTitle, UpToDateMessage("buildTimestamp", "x")}}},
        {"a newer release declined: nothing is downloaded",
         "no",
         "",
         ReleaseDescription("1.4.0", "", Root("no") + "/files/update.exe"),
         "",
         {{nullptr, kAvailableTitle, UpdateQuestion("1.4.0", "")}},
         {"/no/files/update.exe"}},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        UpdateCase update;
        if (!row.primaryDescription.empty())
            WriteSiteFile(row.primary + kDescriptionPath, row.primaryDescription);
        if (!row.fallbackDescription.empty())
            WriteSiteFile(row.fallback + kDescriptionPath, row.fallbackDescription);
        update.Servers(row.primary.empty() ? DownServerRoot() : Root(row.primary),
                       row.fallback.empty() ? DownServerRoot() : Root(row.fallback));
        std::vector<SeenBox> boxes = RunCheck(update.window.hwnd, {IDNO});
        REQUIRE(boxes.size() == row.boxes.size());
        for (size_t i = 0; i < boxes.size(); ++i)
            CheckBox(boxes[i], row.boxes[i].title.c_str(), row.boxes[i].text);
        for (const std::string& path : row.notAsked)
            CHECK_FALSE(Requested(path));
        CHECK(gUpdateWnd == nullptr);
        CHECK(IsWindow(update.window.hwnd));
        CHECK(update.ProgramUntouched());
    }
}

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
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        UpdateCase update;
        WriteSiteFile(row.files + kDescriptionPath, ReleaseDescription("1.4.0", "", row.downloadUrl));
        WriteSiteFile(row.files + "/files/update.exe", ProgramLikeBytes(120000));
        WriteSiteFile(row.files + "/files/short.exe", ProgramLikeBytes(kMinimumDownloadBytes - 1));
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
        {"exactly 50,000 bytes", "v3", Root("v3") + "/files/update.exe", kMinimumDownloadBytes},
        {"no address: the server's newest", "v4", "", 60000},
        {"404 at the address, then the server's newest", "v5", Root("v5") + "/files/missing.exe", 60000},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        UpdateCase update;
        const std::string program = ProgramLikeBytes(row.size, 'n');
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

TEST_CASE("a close refused at the save question keeps the update on disk but starts nothing")
{
    UpdateCase update;
    const std::string program = ProgramLikeBytes(80000, 'k');
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

TEST_CASE("Cancel closes the Update window at once while the server keeps silent")
{
    UpdateCase update;
    update.Servers(ServerRoot() + "/silent/c1", DownServerRoot());
    ShowUpdateWindow(update.window.hwnd, false);
    HWND first = gUpdateWnd;
    REQUIRE(IsWindow(first));
    CHECK(GetWindow(first, GW_OWNER) == update.window.hwnd);
    CHECK(UpdateStatusText() == "Checking for updates from server...");
    REQUIRE(PumpUntil(update.window.hwnd,
                      [] { return Requested(std::string("/silent/c1") + kDescriptionPath); }));

    // A second check while this one runs only brings its window to the front.
    ShowUpdateWindow(update.window.hwnd, false);
    CHECK(gUpdateWnd == first);

    SendMessageA(GetDlgItem(first, IDCANCEL), BM_CLICK, 0, 0);
    CHECK_FALSE(IsWindow(first));
    CHECK(gUpdateWnd == nullptr);
    // The worker still waits for the server: the window did not wait for it.
    CHECK(UpdateCheckRunning());

    // A new check may start meanwhile.
    update.Servers(DownServerRoot(), DownServerRoot());
    ShowUpdateWindow(update.window.hwnd, false);
    CHECK(gUpdateWnd != nullptr);
    CHECK(gUpdateWnd != first);

    ReleaseServerRequests();
    std::vector<SeenBox> boxes = FinishChecks(update.window.hwnd, {});
    // Only the new check speaks; the cancelled one ends without a word.
    REQUIRE(boxes.size() == 1);
    CHECK(boxes[0].text == kCouldNotRetrieve);
    CHECK(IsWindow(update.window.hwnd));
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
        WriteSiteFile("s1/files/update.exe", ProgramLikeBytes(200000));
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

TEST_CASE("without WinINet the check says so")
{
    const char* const libraries[] = {"zorvik_no_such_library.dll", "kernel32.dll"};
    for (const char* library : libraries) {
        CAPTURE(library);
        UpdateCase update;
        SetUpdateLibraryForTesting(library);
        std::vector<SeenBox> boxes = RunCheck(update.window.hwnd);
        REQUIRE(boxes.size() == 1);
        CheckBox(boxes[0], kUpdateTitle,
                 "WinINet library is unavailable on this system.\nUnable to check for updates.");
        CHECK(gUpdateWnd == nullptr);
    }
}
