// The update check against the loopback server (tests/updater/update_server.py), driven
// through the real main window: where the release description comes from and what it
// says, Cancel against a server that never answers, and the missing library.
#include <doctest/doctest.h>

#include "app/tabs.h"
#include "app/update_rules.h"
#include "app/updater.h"
#include "tests/updater/update_check.h"

#include <string>
#include <vector>

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
