// A keystroke as the user feels it, under Wine, in the same run:
//   1. whole programs: Zorvik.exe and Wine's notepad on the same 10 MB file, one character
//      typed at the end and in the middle of the text, each with the repaint it brings;
//   2. in this process: where the program's keystroke goes (the control, recording the
//      undo step, the gutter, the status bar), Undo and Redo of one step with their
//      repaint, and typing into a short line of an empty tab;
//   3. a 5 MB single line: opening it and one character typed in its middle, with the
//      repaint, beside the bare EDIT control with the same font and styles.
//   xvfb-run -a build/wine-run.sh build/bench/keystroke_bench.exe [--zorvik EXE] [--whole-only] [--no-long-line]
// --zorvik times another build's Zorvik.exe as the whole program (say the one before a
// change); --whole-only stops after the whole programs.

#include "app/main_window.h"
#include "app/status_bar.h"
#include "app/tabs.h"
#include "bench/bench_clock.h"
#include "bench/bench_editor.h"
#include "bench/bench_process.h"
#include "document/document.h"
#include "document/scoped_flag.h"
#include "document/undo.h"
#include "editor/editor_window.h"
#include "editor/gutter.h"
#include "tests/window/harness.h"

#include <algorithm>
#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

const int kRounds = 9;

double Low(const std::vector<double>& v)
{
    return *std::min_element(v.begin(), v.end());
}

double High(const std::vector<double>& v)
{
    return *std::max_element(v.begin(), v.end());
}

void Repaint(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// 1. Whole programs on the same file.
void WholePrograms(const std::string& text, const char* zorvikSource)
{
    std::string path = ExeFolder() + "keystroke_bench.txt";
    WriteFileBytes(path, text);
    std::string zorvik = PrepareZorvikCopy(ExeFolder(), zorvikSource);
    long length = (long)text.size();
    struct Place {
        const char* name;
        long offset;
    } places[] = {{"end", length}, {"middle", length / 2}};
    DrivenProgram z, n;
    bool ok = z.Start(zorvik, path, "ZorvikWindowClass", 2002, length, 600000) &&
              n.Start(NotepadPath(), path, "Notepad", 0, length, 600000);
    if (!ok) {
        printf("whole programs: %s did not show the text\n", z.edit ? "notepad.exe" : "Zorvik.exe");
    } else {
        for (const Place& place : places) {
            std::vector<double> zt, nt;
            // Alternating, so that both meet the same load of the machine.
            for (int i = 0; i < kRounds; ++i) {
                zt.push_back(z.Keystroke(place.offset + i, 'k'));
                nt.push_back(n.Keystroke(place.offset + i, 'k'));
            }
            double zm = BenchMedian(zt), nm = BenchMedian(nt);
            printf("%.0f MB, keystroke at the %s with its repaint: Zorvik.exe %.1f ms (%.1f-%.1f), notepad.exe "
                   "%.1f ms (%.1f-%.1f): x%.2f, %s\n",
                   text.size() / 1048576.0, place.name, zm, Low(zt), High(zt), nm, Low(nt), High(nt), zm / nm,
                   zm <= 1.5 * nm ? "within 1.5x" : "ABOVE 1.5x");
            fflush(stdout);
        }
    }
    z.Stop();
    n.Stop();
    RemoveZorvikCopyFiles(zorvik);
    DeleteFileA(path.c_str());
}

// 2. The parts of one keystroke, Undo and Redo.
void InProcess(const std::string& text)
{
    size_t bytes = text.size();
    TabDocument* doc = GetActiveDocument();
    SetDocumentText(doc, text);
    ActivateSelectedTab();
    Repaint(gEditorWnd);
    std::vector<double> control, record, gutter, status, whole;
    for (int i = 0; i < kRounds; ++i) {
        SendMessageA(gEditorWnd, EM_SETSEL, bytes / 2 + i, bytes / 2 + i);
        // As the editor does for a typed character, with the recording held back until
        // the control is done, so that each part is timed on its own.
        RememberSelectionBeforeEdit(gEditorWnd);
        BeginKeystrokeEdit();
        double t = BenchNow();
        {
            ScopedFlag programmatic(gProgrammaticChange);
            CallWindowProcA(gEditorOrigProc, gEditorWnd, WM_CHAR, 'y', 1);
        }
        double t1 = BenchNow();
        RecordTypingChange();
        double t2 = BenchNow();
        RefreshGutter();
        double t3 = BenchNow();
        UpdateStatusBarAfterEdit();
        double t4 = BenchNow();
        EndKeystrokeEdit();
        control.push_back(t1 - t);
        record.push_back(t2 - t1);
        gutter.push_back(t3 - t2);
        status.push_back(t4 - t3);
        Repaint(gEditorWnd);
    }
    for (int i = 0; i < kRounds; ++i) {
        SendMessageA(gEditorWnd, EM_SETSEL, bytes, bytes);
        Repaint(GetParent(gEditorWnd));
        double t = BenchNow();
        SendMessageA(gEditorWnd, WM_CHAR, 'z', 1);
        Repaint(GetParent(gEditorWnd));
        whole.push_back(BenchNow() - t);
    }
    printf("in this process, %.0f MB: the control's WM_CHAR %.2f ms | RecordTypingChange %.2f ms | RefreshGutter "
           "%.2f ms | status bar %.2f ms | whole keystroke at the end with the repaint %.1f ms (%.1f-%.1f)\n",
           bytes / 1048576.0, BenchMedian(control), BenchMedian(record), BenchMedian(gutter), BenchMedian(status),
           BenchMedian(whole), Low(whole), High(whole));
    std::vector<double> undo, redo;
    for (int i = 0; i < kRounds; ++i) {
        double t = BenchNow();
        Undo(gEditorWnd);
        Repaint(GetParent(gEditorWnd));
        double t2 = BenchNow();
        Redo(gEditorWnd);
        Repaint(GetParent(gEditorWnd));
        undo.push_back(t2 - t);
        redo.push_back(BenchNow() - t2);
    }
    printf("    Undo of one step with its repaint %.1f ms (%.1f-%.1f), Redo %.1f ms (%.1f-%.1f): %s 50 ms\n",
           BenchMedian(undo), Low(undo), High(undo), BenchMedian(redo), Low(redo), High(redo),
           std::max(BenchMedian(undo), BenchMedian(redo)) < 50 ? "under" : "NOT under");
    fflush(stdout);
}

// Typing 2,048 characters into one line of an empty tab, one message each.
void ShortLine()
{
    TabDocument* doc = GetActiveDocument();
    SetDocumentText(doc, "", 0);
    ActivateSelectedTab();
    std::vector<double> typed;
    for (int i = 0; i < 2048; ++i) {
        double t = BenchNow();
        SendMessageA(gEditorWnd, WM_CHAR, 'a' + i % 26, 1);
        typed.push_back(BenchNow() - t);
    }
    double t = BenchNow();
    Repaint(GetParent(gEditorWnd));
    printf("typing 2,048 characters into one line of an empty tab: %.2f ms per character (%.2f-%.2f), then one "
           "repaint %.1f ms\n",
           BenchMedian(typed), Low(typed), High(typed), BenchNow() - t);
    fflush(stdout);
}

// 3. A 5 MB single line.
void LongLine(HWND mainWnd)
{
    std::string line = "[";
    for (int i = 0; line.size() < (5u << 20); ++i) {
        char item[96];
        snprintf(item, sizeof(item), "%s{\"id\": %d, \"name\": \"item %d\", \"tags\": [\"a\", \"b\"]}", i ? ", " : "", i,
                 i);
        line += item;
    }
    line += "]";
    std::string path = ExeFolder() + "keystroke_bench.json";
    WriteFileBytes(path, line);

    // Each control has the focus while it works, as the one the user types into does: its
    // caret is placed after every change.
    HWND host;
    HWND bare = CreateBareEditLike(gEditorWnd, &host);
    SetFocus(bare);
    double t = BenchNow();
    SendMessageA(bare, WM_SETTEXT, 0, (LPARAM)line.c_str());
    Repaint(host);
    double bareOpen = BenchNow() - t;
    SetFocus(gEditorWnd);
    t = BenchNow();
    OpenFileByPath(mainWnd, path.c_str());
    Repaint(mainWnd);
    double open = BenchNow() - t;
    printf("5 MB single line: open with its paint %.0f ms, bare control's WM_SETTEXT with its paint %.0f ms: x%.2f, "
           "%s\n",
           open, bareOpen, open / bareOpen, open <= 1.2 * bareOpen ? "within 1.2x" : "ABOVE 1.2x");
    fflush(stdout);

    long middle = (long)line.size() / 2;
    // A character typed at the offset of an edit control that has the focus, with the
    // repaint of its top window.
    auto typeAt = [](HWND edit, HWND top, long offset) {
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, offset, offset);
        SendMessageA(edit, EM_SCROLLCARET, 0, 0);
        Repaint(top);
        double t = BenchNow();
        SendMessageA(edit, WM_CHAR, 'x', 1);
        Repaint(top);
        return BenchNow() - t;
    };
    std::vector<double> ours, theirs;
    for (int i = 0; i < 3; ++i) {
        theirs.push_back(typeAt(bare, host, middle + i));
        ours.push_back(typeAt(gEditorWnd, mainWnd, middle + i));
    }
    DestroyWindow(host);
    double o = BenchMedian(ours), b = BenchMedian(theirs);
    printf("    keystroke in its middle with the repaint %.0f ms (%.0f-%.0f), bare control %.0f ms (%.0f-%.0f): x%.2f, "
           "%s\n",
           o, Low(ours), High(ours), b, Low(theirs), High(theirs), o / b, o <= 1.2 * b ? "within 1.2x" : "ABOVE 1.2x");
    fflush(stdout);
    DeleteFileA(path.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    const char* zorvik = TakeZorvikArgument(&argc, argv);
    bool longLine = true, wholeOnly = false;
    for (int i = 1; i < argc; ++i) {
        longLine = longLine && strcmp(argv[i], "--no-long-line") != 0;
        wholeOnly = wholeOnly || strcmp(argv[i], "--whole-only") == 0;
    }
    std::string text = MakeBenchText(10 << 20);
    WholePrograms(text, zorvik);
    if (wholeOnly)
        return 0;
    RemoveProgramFiles();
    HWND mainWnd = CreateTestMainWindow();
    if (!mainWnd)
        return 1;
    InProcess(text);
    ShortLine();
    if (longLine)
        LongLine(mainWnd);
    DestroyTestMainWindow(mainWnd);
    RemoveProgramFiles();
    return 0;
}
