// Replace All and Count as the editor runs them, under Wine: Replace All of 100,000 matches
// in 5 MB (plain and regular expression), timed step by step so that the program's own
// work (copying the text out, the engine, the undo step, the change notification, the
// gutter) stands apart from the EDIT control taking the new text; and Count of a word in a
// 50 MB document, end to end. bench/find_bench.sh runs it beside `sed`.
//   xvfb-run -a build/wine-run.sh build/bench/find_window_bench.exe

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/settings.h"
#include "bench/bench_clock.h"
#include "bench/find_bench_text.h"
#include "document/document.h"
#include "document/undo.h"
#include "editor/gutter.h"
#include "search/find.h"
#include "search/find_engine.h"
#include "tests/window/harness.h"

#include <stdio.h>
#include <string>
#include <vector>

namespace {

void LoadDocument(const std::string& text)
{
    TabDocument* doc = GetActiveDocument();
    SetDocumentText(doc, text);
    ActivateSelectedTab();
}

struct Steps {
    double own = 0;     // everything but the control's replacement
    double control = 0; // the control taking the new text
    double total = 0;
};

// The steps of ReplaceAll, each timed. The change notification that the control's
// replacement sends is the program's work: it is timed once more on its own and moved
// from the control's share to ours.
Steps TimedReplaceAll(HWND mainWnd, const FindOptions& options)
{
    double t0 = BenchNow();
    std::string text = GetEditorText();
    ReplaceAllResult r = ReplaceAllInText(text, options);
    text.clear();
    text.shrink_to_fit();
    RecordTypingChange();
    BeginUndoCapture();
    double t1 = BenchNow();
    ReplaceWholeEditorText(r.text.c_str(), false);
    double t2 = BenchNow();
    SendMessageA(mainWnd, WM_COMMAND, MAKEWPARAM(IDC_EDITOR, EN_CHANGE), (LPARAM)gEditorWnd);
    double t3 = BenchNow();
    EndUndoCapture();
    InvalidateRect(gEditorWnd, nullptr, FALSE);
    RefreshGutter();
    SetStatusText(ReplacedText(r.count).c_str());
    double t4 = BenchNow();
    Steps s;
    double notification = t3 - t2;
    s.control = (t2 - t1) - notification;
    s.own = (t1 - t0) + notification + (t4 - t3);
    s.total = (t2 - t1) + (t1 - t0) + (t4 - t3);
    return s;
}

void MeasureReplaceAll(HWND mainWnd, const char* what, const FindOptions& options, const std::string& log)
{
    LoadDocument(log);
    const int rounds = 3;
    std::vector<double> own, control, total;
    for (int i = 0; i < rounds; ++i) {
        Steps s = TimedReplaceAll(mainWnd, options);
        own.push_back(s.own);
        control.push_back(s.control);
        total.push_back(s.total);
        if (EditorText().size() == log.size()) {
            fprintf(stderr, "nothing was replaced\n");
            return;
        }
        Undo(gEditorWnd);
    }
    printf("  %-40s own %7.1f ms   control %8.1f ms   whole %8.1f ms   (medians of %d)\n", what,
           BenchMedian(own), BenchMedian(control), BenchMedian(total), rounds);

    // The command itself, once, end to end: it must cost what its steps cost.
    gFindText = options.findText;
    gReplaceText = options.replaceText;
    gFindMatchCase = options.matchCase;
    gFindRegex = options.regex;
    double t = BenchNow();
    ReplaceAll(nullptr);
    printf("  %-40s whole %8.1f ms   (%s)\n", "  ReplaceAll command, once", BenchNow() - t,
           StatusText().c_str());
    Undo(gEditorWnd);
}

void MeasureCount(HWND mainWnd)
{
    std::string big = MakeFindBenchLog(kFindBenchCountLines);
    double t = BenchNow();
    LoadDocument(big);
    printf("Count in %.2f MB (loading it into the control took %.1f s)\n", big.size() / 1048576.0,
           (BenchNow() - t) / 1000);
    big.clear();
    big.shrink_to_fit();
    gFindText = "timeout";
    gFindRegex = false;
    for (bool matchCase : {true, false}) {
        gFindMatchCase = matchCase;
        std::vector<double> runs;
        for (int i = 0; i < 7; ++i) {
            double start = BenchNow();
            CountMatches(nullptr);
            runs.push_back(BenchNow() - start);
        }
        printf("  %-40s first %7.1f ms   median %7.1f ms   (%s)\n",
               matchCase ? "CountMatches \"timeout\", match case" : "CountMatches \"timeout\", any case",
               runs[0], BenchMedian(runs), StatusText().c_str());
    }
    std::vector<double> copies;
    for (int i = 0; i < 7; ++i) {
        double start = BenchNow();
        std::string copy = GetEditorText();
        copies.push_back(BenchNow() - start);
    }
    printf("  %-40s median %7.1f ms\n", "  of which copying the text out", BenchMedian(copies));
}

} // namespace

int main()
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    TestWindow f;
    if (!f.hwnd) {
        fprintf(stderr, "no main window\n");
        return 1;
    }
    gAutoSave = false;
    std::string log = MakeFindBenchLog(kFindBenchReplaceLines);
    printf("Replace All in the editor, %.2f MB, %d matches\n", log.size() / 1048576.0,
           kFindBenchReplaceLines);
    FindOptions plain;
    plain.findText = "timeout";
    plain.replaceText = "deadline";
    plain.matchCase = true;
    MeasureReplaceAll(f.hwnd, "plain \"timeout\" -> \"deadline\"", plain, log);
    FindOptions regex = plain;
    regex.findText = "worker-(\\d+)";
    regex.replaceText = "w\\1";
    regex.regex = true;
    MeasureReplaceAll(f.hwnd, "regex \"worker-(\\d+)\" -> \"w\\1\"", regex, log);
    MeasureCount(f.hwnd);
    return 0;
}
