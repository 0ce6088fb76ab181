// Typing one character into a block of many rows in a large document, under Wine: the
// whole keystroke as the user feels it (the edit, its undo step and the repaint) beside
// one bare WM_CHAR of a plain EDIT control holding the same text, in the same run. The
// rows grow, the document does not, and the other way round.
//   xvfb-run -a build/wine-run.sh build/bench/block_bench.exe

#include "app/main_window.h"
#include "document/document.h"
#include "editor/block_mode.h"
#include "bench/bench_editor.h"
#include "bench/bench_clock.h"
#include "tests/window/harness.h"

#include <stdio.h>
#include <string>
#include <vector>

namespace {

int LineCountOf(const std::string& text)
{
    int lines = 1;
    for (char c : text)
        lines += c == '\n';
    return lines;
}

// One WM_CHAR of a plain EDIT control with the program editor's styles, size and font,
// shown, with the same text: the control's own cost for a keystroke.
double BareCharacter(const std::string& text)
{
    HWND host;
    HWND bare = CreateBareEditLike(gEditorWnd, &host);
    SetFocus(bare);
    SetWindowTextA(bare, text.c_str());
    std::vector<double> times;
    for (int i = 0; i < 7; ++i) {
        SendMessageA(bare, EM_SETSEL, text.size() / 2, text.size() / 2);
        double t = BenchNow();
        SendMessageA(bare, WM_CHAR, 'x', 1);
        UpdateWindow(bare);
        times.push_back(BenchNow() - t);
    }
    DestroyWindow(host);
    SetFocus(gEditorWnd);
    return BenchMedian(times);
}

// A zero-width block of `rows` rows at column 10 from line `top`, as Alt+Shift+Down
// leaves it.
void PlaceBlock(int top, int rows)
{
    ResetBlockState();
    gBlockMode = true;
    gBlockAnchorLine = top;
    gBlockCaretLine = top + rows - 1;
    gBlockAnchorColumn = gBlockCaretColumn = 10;
    ColumnPlaceCaret(gEditorWnd);
}

// The median of a few typed characters (each edit, its undo step and the repaint).
double TypeIntoBlock(int top, int rows)
{
    PlaceBlock(top, rows);
    SendMessageA(gEditorWnd, EM_LINESCROLL, 0,
                 top - (int)SendMessageA(gEditorWnd, EM_GETFIRSTVISIBLELINE, 0, 0));
    UpdateWindow(gEditorWnd);
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        double t = BenchNow();
        SendMessageA(gEditorWnd, WM_CHAR, 'a' + i, 1);
        UpdateWindow(gEditorWnd);
        times.push_back(BenchNow() - t);
    }
    return BenchMedian(times);
}

void Measure(size_t bytes)
{
    std::string text = MakeBenchText(bytes);
    double bare = BareCharacter(text);
    TabDocument* doc = GetActiveDocument();
    SetDocumentText(doc, text);
    ActivateSelectedTab();
    int lines = LineCountOf(text);
    // The undo step of every block edit compares the whole text before and after: its
    // reads are the part of a keystroke that grows with the document.
    std::vector<double> reads;
    for (int i = 0; i < 5; ++i) {
        double t = BenchNow();
        std::string whole = GetEditorText();
        reads.push_back(BenchNow() - t);
    }
    printf("%5.1f MB, %d lines: bare WM_CHAR %.1f ms; one read of the whole text %.1f ms\n",
           bytes / 1048576.0, lines, bare, BenchMedian(reads));
    int rowCounts[] = {1, 10, 250, 500, 1000};
    for (int rows : rowCounts) {
        double middle = TypeIntoBlock(lines / 2, rows);
        double end = TypeIntoBlock(lines - rows - 2, rows);
        printf(
            "   block of %4d rows: %7.1f ms in the middle, %7.1f ms at the end (%.0fx the bare character)\n",
            rows, middle, end, middle / (bare > 0 ? bare : 1));
        fflush(stdout);
    }
}

} // namespace

int main()
{
    return MeasureAtOneAndTenMegabytes(Measure);
}
