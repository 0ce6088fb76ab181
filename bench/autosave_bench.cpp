// The pause of an auto-save (what the timer 1.5 s after typing does: store the editor text
// and write the session with the undo files), under Wine, with its parts beside it:
//   - the control's GetWindowTextA of the same text,
//   - writing the same number of bytes safely (temporary file, flush, rename),
//   - the same session built in memory first, as every tab's text copied into records and
//     then into one buffer (how it was written before),
// for one large tab, and for ten 1 MB tabs of which one changed since the last write.
//   xvfb-run -a build/wine-run.sh build/bench/autosave_bench.exe

#include "app/command_ids.h"
#include "app/main_window.h"
#include "document/document.h"
#include "document/safe_write.h"
#include "document/session.h"
#include "document/session_format.h"
#include "bench/bench_clock.h"
#include "bench/bench_editor.h"
#include "tests/window/harness.h"

#include <algorithm>
#include <stdio.h>
#include <string>
#include <vector>

namespace {

const int kRounds = 5;

// A typed character at the end of the active tab, recorded as typing is.
void Type(char c)
{
    int length = GetWindowTextLengthA(gEditorWnd);
    SendMessageA(gEditorWnd, EM_SETSEL, length, length);
    SendMessageA(gEditorWnd, WM_CHAR, (unsigned char)c, 1);
}

void NewTabWith(HWND mainWnd, const std::string& text)
{
    SendMessageA(mainWnd, WM_COMMAND, IDM_FILE_NEW, 0);
    SetDocumentText(GetActiveDocument(), text);
    ActivateSelectedTab();
}

// The read of the editor text and the safe write of bytes of the session's size, each timed.
void TimeReadAndWrite(const std::string& scratch, const std::string& written, std::vector<double>* read,
                      std::vector<double>* write)
{
    std::string current;
    double t = BenchNow();
    ReadEditorText(&current);
    read->push_back(BenchNow() - t);
    t = BenchNow();
    WriteFileSafely(scratch, written.empty() ? current : written);
    write->push_back(BenchNow() - t);
}

// The old way, for comparison: every text copied into a record, then into one buffer.
double BuildInMemoryAndWrite(const std::string& path)
{
    double t = BenchNow();
    std::vector<SessionTab> tabs;
    for (int i = 0; i < GetTabCount(); ++i) {
        SessionTab tab;
        TabDocument* doc = GetTabDocument(i);
        tab.path = doc->path ? doc->path : "";
        tab.text = DocumentText(doc);
        tab.title = "t";
        tabs.push_back(std::move(tab));
    }
    WriteFileSafely(path, SerializeSession(0, tabs));
    return BenchNow() - t;
}

void Report(const char* what, size_t bytes, const std::vector<double>& pause, const std::vector<double>& read,
            const std::vector<double>& write, const std::vector<double>& old)
{
    double p = BenchMedian(pause), r = BenchMedian(read), w = BenchMedian(write);
    printf("%s: pause %.0f ms (range %.0f-%.0f) | GetWindowTextA %.0f ms + safe write of %.1f MB %.0f ms = %.0f ms "
           "(pause x%.2f of it) | built in memory first, as before: %.0f ms more than the write alone\n",
           what, p, *std::min_element(pause.begin(), pause.end()), *std::max_element(pause.begin(), pause.end()), r,
           bytes / 1048576.0, w, r + w, p / (r + w), BenchMedian(old) - w);
    fflush(stdout);
}

void OneLargeTab(HWND mainWnd, size_t bytes)
{
    std::string text = MakeBenchText(bytes);
    NewTabWith(mainWnd, text);
    std::string scratch = ExeFolder() + "autosave_bench.tmp";
    std::vector<double> pause, read, write, old;
    for (int i = 0; i < kRounds; ++i) {
        Type('a' + i);
        double t = BenchNow();
        SaveSessionNow(mainWnd);
        pause.push_back(BenchNow() - t);
        TimeReadAndWrite(scratch, std::string(), &read, &write);
        old.push_back(BuildInMemoryAndWrite(scratch));
    }
    DeleteFileA(scratch.c_str());
    char what[64];
    snprintf(what, sizeof(what), "one %.0f MB tab", bytes / 1048576.0);
    Report(what, bytes, pause, read, write, old);
}

void TenTabsOneChanged(HWND mainWnd)
{
    const size_t each = 1 << 20;
    std::string text = MakeBenchText(each);
    for (int i = 0; i < 10; ++i) {
        NewTabWith(mainWnd, text);
        Type('x');
    }
    SaveSessionNow(mainWnd); // every undo file written once
    std::string scratch = ExeFolder() + "autosave_bench.tmp";
    std::vector<double> pause, read, write, old, unchanged;
    for (int i = 0; i < kRounds; ++i) {
        double t = BenchNow();
        SaveSessionNow(mainWnd);
        unchanged.push_back(BenchNow() - t);
        Type('a' + i);
        t = BenchNow();
        SaveSessionNow(mainWnd);
        pause.push_back(BenchNow() - t);
        std::string all;
        for (int k = 0; k < GetTabCount(); ++k)
            all += DocumentText(GetTabDocument(k));
        TimeReadAndWrite(scratch, all, &read, &write);
        old.push_back(BuildInMemoryAndWrite(scratch));
    }
    DeleteFileA(scratch.c_str());
    Report("ten 1 MB tabs, one changed", 10 * each, pause, read, write, old);
    printf("    the same ten with nothing changed: %.0f ms\n", BenchMedian(unchanged));
    fflush(stdout);
}

} // namespace

// Each case in a fresh main window.
template <typename Case>
bool Run(Case run)
{
    RemoveProgramFiles();
    HWND mainWnd = CreateTestMainWindow();
    if (!mainWnd)
        return false;
    run(mainWnd);
    DestroyTestMainWindow(mainWnd);
    RemoveProgramFiles();
    return true;
}

int main()
{
    bool ok = Run([](HWND w) { OneLargeTab(w, 10 << 20); }) && Run([](HWND w) { OneLargeTab(w, 50 << 20); }) &&
              Run(TenTabsOneChanged);
    return ok ? 0 : 1;
}
