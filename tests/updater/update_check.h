#pragma once
// Update checks run through the real main window of a window test: the message loop runs
// while the worker's message boxes are answered from the test's thread.

#include "tests/updater/update_support.h"
#include "tests/window/harness.h"

#include <windows.h>

#include <string>
#include <vector>

extern const char kDescriptionPath[]; // "/downloads/kelto/zorvik/version.json"
extern const char kOldProgram[];      // what the stand-in program holds before an update
extern const char kUpdateTitle[];
extern const char kAvailableTitle[];
extern const char kErrorTitle[];
extern const char kCouldNotRetrieve[];
extern const char kUpdated[];
const DWORD kBoundMs = 60000;

// The server root of a case: "http://127.0.0.1:<port>/<name>".
std::string Root(const std::string& name);
// True when the server was asked for the path.
bool Requested(const std::string& path);

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
std::vector<SeenBox> FinishChecks(HWND mainWnd, std::vector<int> answers);
// Starts a check of the main window, then FinishChecks.
std::vector<SeenBox> RunCheck(HWND mainWnd, std::vector<int> answers = {});
void CheckBox(const SeenBox& box, const char* title, const std::string& text);
// Deletes the update downloads left in the temporary folder.
void DeleteDownloads();
// The status line of the Update window, its first control.
std::string UpdateStatusText();

// A main window, the stand-in program an update would replace (in the test's folder),
// and the seams pointed at a server that is down; every seam, download and waiting
// request is cleared again afterwards.
struct UpdateCase {
    TestWindow window;
    std::string exe;

    explicit UpdateCase(const char* folder = "installed");
    ~UpdateCase();
    void Servers(const std::string& primary, const std::string& fallback);
    // The stand-in unchanged and no .bak beside it.
    bool ProgramUntouched();
};
