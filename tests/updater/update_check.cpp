#include "tests/updater/update_check.h"

#include "app/updater.h"

#include <doctest/doctest.h>

#include <algorithm>

const char kDescriptionPath[] = "/downloads/kelto/zorvik/version.json";
const char kOldProgram[] = "MZ the program as it was before the update";
const char kUpdateTitle[] = "Zorvik Update";
const char kAvailableTitle[] = "Zorvik Update Available";
const char kErrorTitle[] = "Update Error";
const char kCouldNotRetrieve[] = "Could not retrieve update information from server.\n"
                                 "Please check your network connection and try again.";
const char kUpdated[] =
    "Zorvik has been updated successfully!\nZorvik will now restart with the new version.";

std::string Root(const std::string& name)
{
    return ServerRoot() + "/" + name;
}

bool Requested(const std::string& path)
{
    std::vector<std::string> requests = ServerRequests();
    return std::find(requests.begin(), requests.end(), path) != requests.end();
}

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

std::vector<SeenBox> RunCheck(HWND mainWnd, std::vector<int> answers)
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

UpdateCase::UpdateCase(const char* folder)
{
    REQUIRE_MESSAGE(!ServerRoot().empty(), "the loopback update server did not start");
    HoldServerRequests();
    DeleteDownloads();
    exe = ExeFolder() + folder + "\\Zorvik.exe";
    MakeFolders(exe);
    WriteFileBytes(exe, kOldProgram);
    DeleteFileA((exe + ".bak").c_str());
    SetUpdatedExecutableForTesting(exe.c_str());
    SetUpdateLibraryForTesting(nullptr);
    SetUpdateServersForTesting(DownServerRoot().c_str(), DownServerRoot().c_str());
}

UpdateCase::~UpdateCase()
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

void UpdateCase::Servers(const std::string& primary, const std::string& fallback)
{
    SetUpdateServersForTesting(primary.c_str(), fallback.c_str());
}

bool UpdateCase::ProgramUntouched()
{
    return ReadFileBytes(exe) == kOldProgram && ReadFileBytes(exe + ".bak").empty();
}

std::string UpdateStatusText()
{
    return gUpdateWnd ? WindowTextOf(GetWindow(gUpdateWnd, GW_CHILD)) : "";
}
