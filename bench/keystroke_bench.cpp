// One keystroke and one undo step in a large document, under Wine: what the program adds
// to each keystroke (recording the undo step, refreshing the gutter) beside the EDIT
// control's own cost for the same WM_CHAR, measured in the same run.
//   xvfb-run -a build/wine-run.sh build/bench/keystroke_bench.exe

#include "app/main_window.h"
#include "app/scoped_flag.h"
#include "app/status_bar.h"
#include "document/document.h"
#include "document/undo.h"
#include "editor/editor_window.h"
#include "editor/gutter.h"
#include "bench/bench_editor.h"
#include "bench/bench_clock.h"
#include "tests/window/harness.h"

#include <algorithm>
#include <stdio.h>
#include <string>
#include <vector>

namespace {

void Measure(HWND mainWnd, size_t bytes)
{
    std::string text = MakeBenchText(bytes);
    const int rounds = 15;

    // The bare control with the same text.
    HWND host;
    HWND bare = CreateBareEditLike(gEditorWnd, &host);
    SetFocus(bare);
    double t0 = BenchNow();
    SetWindowTextA(bare, text.c_str());
    double setText = BenchNow() - t0;
    std::vector<double> bareChar;
    for (int i = 0; i < rounds; ++i) {
        SendMessageA(bare, EM_SETSEL, bytes / 2, bytes / 2);
        double t = BenchNow();
        SendMessageA(bare, WM_CHAR, 'x', 1);
        bareChar.push_back(BenchNow() - t);
    }
    DestroyWindow(host);
    SetFocus(gEditorWnd);

    // The program's editor: the control's WM_CHAR with recording held back, then the
    // work of the change notification on its own.
    TabDocument* doc = GetActiveDocument();
    SetDocumentText(doc, text);
    ActivateSelectedTab();
    std::vector<double> record, gutter, whole;
    for (int i = 0; i < rounds; ++i) {
        SendMessageA(gEditorWnd, EM_SETSEL, bytes / 2 + i, bytes / 2 + i);
        // As the editor does for a typed character, with the recording held back until
        // the control is done, so that it can be timed on its own.
        RememberSelectionBeforeEdit(gEditorWnd);
        BeginKeystrokeEdit();
        {
            ScopedFlag programmatic(gProgrammaticChange);
            CallWindowProcA(gEditorOrigProc, gEditorWnd, WM_CHAR, 'y', 1);
        }
        double t = BenchNow();
        RecordTypingChange();
        double t2 = BenchNow();
        RefreshGutter();
        double t3 = BenchNow();
        EndKeystrokeEdit();
        record.push_back(t2 - t);
        gutter.push_back(t3 - t2);
    }
    for (int i = 0; i < rounds; ++i) {
        double t = BenchNow();
        SendMessageA(gEditorWnd, WM_CHAR, 'z', 1);
        whole.push_back(BenchNow() - t);
    }
    // Where the rest of a whole keystroke goes: the subclass with recording held back,
    // and the control alone through the subclass's own procedure.
    std::vector<double> subclassOnly, controlOnly;
    for (int i = 0; i < rounds; ++i) {
        ScopedFlag programmatic(gProgrammaticChange);
        double t = BenchNow();
        SendMessageA(gEditorWnd, WM_CHAR, 'q', 1);
        subclassOnly.push_back(BenchNow() - t);
        t = BenchNow();
        CallWindowProcA(gEditorOrigProc, gEditorWnd, WM_CHAR, 'q', 1);
        controlOnly.push_back(BenchNow() - t);
    }
    printf("    subclass without recording %.2f ms, control through its own procedure %.2f ms\n",
           BenchMedian(subclassOnly), BenchMedian(controlOnly));
    // The status bar after a change: from the history's snapshot, against asking the
    // control for its length as a tab switch does.
    std::vector<double> statusAfterEdit, statusFull;
    for (int i = 0; i < rounds; ++i) {
        double t = BenchNow();
        UpdateStatusBarAfterEdit();
        double t2 = BenchNow();
        UpdateStatusBar();
        statusAfterEdit.push_back(t2 - t);
        statusFull.push_back(BenchNow() - t2);
    }
    printf("    status bar after a change %.2f ms (with the control's length %.2f ms)\n",
           BenchMedian(statusAfterEdit), BenchMedian(statusFull));
    std::vector<double> undo, redo;
    for (int i = 0; i < 5; ++i) {
        double t = BenchNow();
        Undo(gEditorWnd);
        double t2 = BenchNow();
        Redo(gEditorWnd);
        undo.push_back(t2 - t);
        redo.push_back(BenchNow() - t2);
    }
    printf("%5.1f MB: SetWindowText %.0f ms | bare WM_CHAR %.2f ms | RecordTypingChange %.2f ms + RefreshGutter "
           "%.2f ms = %.2f ms | whole keystroke in the program %.2f ms | Undo %.2f ms, Redo %.2f ms\n",
           bytes / 1048576.0, setText, BenchMedian(bareChar), BenchMedian(record), BenchMedian(gutter),
           BenchMedian(record) + BenchMedian(gutter), BenchMedian(whole), BenchMedian(undo), BenchMedian(redo));
    fflush(stdout);
}

} // namespace

int main()
{
    RemoveProgramFiles();
    HWND mainWnd = CreateTestMainWindow();
    if (!mainWnd)
        return 1;
    Measure(mainWnd, 1 << 20);
    Measure(mainWnd, 10 << 20);
    DestroyTestMainWindow(mainWnd);
    RemoveProgramFiles();
    return 0;
}
