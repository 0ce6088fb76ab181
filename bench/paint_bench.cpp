// One full repaint of the editor (memory bitmap, the control's WM_PRINTCLIENT, the
// overlays) with diff mode and whitespace marks on, beside the bare control's own paint,
// at 1 MB and 10 MB of text, with the view at the top, the middle and the end.
//
//   xvfb-run -a build/wine-run.sh build/bench/paint_bench.exe

#include "bench/bench_clock.h"
#include "tests/window/harness.h"

#include "app/main_window.h"
#include "app/settings.h"
#include "document/document.h"
#include "document/scoped_flag.h"
#include "editor/editor_paint.h"

#include <algorithm>
#include <stdio.h>
#include <string>
#include <vector>

namespace {

// Lines of code with indentation, tabs and diff marks, about 50 bytes each.
std::string MakeText(size_t bytes)
{
    static const char* const kLines[] = {
        "+    int value = compute(alpha, beta);\t// added\r\n",
        "-    int value = compute(alpha);\t\t// removed\r\n",
        "     return value * 2 + offset;   \t\r\n",
        "\tif (value > limit) {  call(value); }\r\n",
        "  - a list item with  two  spaces\r\n",
        "+++ b/file.c\r\n",
    };
    std::string text;
    text.reserve(bytes + 64);
    for (size_t i = 0; text.size() < bytes; ++i)
        text += kLines[i % (sizeof(kLines) / sizeof(kLines[0]))];
    return text;
}


struct Figures {
    double bare, printClient, full;
};

Figures Measure(int runs)
{
    std::vector<double> bare, print, full;
    RECT rc;
    GetClientRect(gEditorWnd, &rc);
    HDC screen = GetDC(gEditorWnd);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, rc.right, rc.bottom);
    HGDIOBJ old = SelectObject(mem, bitmap);
    for (int i = 0; i < runs; ++i) {
        // The control's own WM_PAINT, as it paints when nobody subclasses it.
        InvalidateRect(gEditorWnd, nullptr, FALSE);
        double t0 = BenchNow();
        CallWindowProcA(gEditorOrigProc, gEditorWnd, WM_PAINT, 0, 0);
        double t1 = BenchNow();
        CallWindowProcA(gEditorOrigProc, gEditorWnd, WM_PRINTCLIENT, (WPARAM)mem,
                        PRF_CLIENT | PRF_ERASEBKGND);
        double t2 = BenchNow();
        InvalidateRect(gEditorWnd, nullptr, FALSE);
        double t3 = BenchNow();
        SendMessageA(gEditorWnd, WM_PAINT, 0, 0);
        double t4 = BenchNow();
        bare.push_back(t1 - t0);
        print.push_back(t2 - t1);
        full.push_back(t4 - t3);
    }
    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(gEditorWnd, screen);
    return Figures{BenchMedian(bare), BenchMedian(print), BenchMedian(full)};
}


// Occurrences of "value" in text order, at most the 100,000 the list may hold.
void ListOccurrences(const std::string& text)
{
    gWordHighlights.clear();
    for (size_t at = text.find("value"); at != std::string::npos && gWordHighlights.size() < 100000;
         at = text.find("value", at + 5))
        gWordHighlights.push_back({(int)at, (int)at + 5});
}

// Shows the line at the top of the editor; with the occurrence list, the selection is
// the first listed occurrence from that line on (the last one past the list's end), as
// after a double click there.
void ShowLine(int line, bool occurrences)
{
    if (occurrences) {
        int start = (int)SendMessageA(gEditorWnd, EM_LINEINDEX, line, 0);
        size_t i = 0;
        while (i + 1 < gWordHighlights.size() && gWordHighlights[i].start < start)
            ++i;
        gWordHighlightSelStart = gWordHighlights[i].start;
        gWordHighlightSelEnd = gWordHighlights[i].end;
        SendMessageA(gEditorWnd, EM_SETSEL, gWordHighlightSelStart, gWordHighlightSelEnd);
    } else {
        gWordHighlights.clear();
    }
    int first = (int)SendMessageA(gEditorWnd, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageA(gEditorWnd, EM_LINESCROLL, 0, line - first);
}

} // namespace

int main()
{
    RemoveProgramFiles();
    HWND hwnd = CreateTestMainWindow();
    if (!hwnd) {
        printf("no main window\n");
        return 1;
    }
    SetWindowPos(hwnd, nullptr, 0, 0, 1000, 800, SWP_NOZORDER | SWP_NOMOVE);
    PumpMessages(hwnd, 50);
    RECT rc;
    GetClientRect(gEditorWnd, &rc);
    gDiffMode = true;
    printf("editor client %ldx%ld, times in ms (median of 15 paints)\n", rc.right, rc.bottom);
    printf("%-6s %-8s %-10s %10s %12s %10s %10s\n", "size", "view", "occurrences", "bare paint",
           "printclient", "full paint", "overlays");
    const size_t sizes[] = {1u << 20, 10u << 20};
    for (size_t size : sizes) {
        std::string text = MakeText(size);
        double loaded;
        {
            ScopedFlag programmatic(gProgrammaticChange);
            double t0 = BenchNow();
            SetWindowTextA(gEditorWnd, text.c_str());
            loaded = BenchNow() - t0;
        }
        int lines = (int)SendMessageA(gEditorWnd, EM_GETLINECOUNT, 0, 0);
        printf("-- %zu bytes, %d lines, WM_SETTEXT %.0f ms\n", text.size(), lines, loaded);
        fflush(stdout);
        struct View {
            const char* name;
            int line;
        } views[] = {{"top", 0}, {"middle", lines / 2}, {"end", lines - 10}};
        for (int withWords = 0; withWords < 2; ++withWords) {
            if (withWords)
                ListOccurrences(text);
            for (const View& view : views) {
                ShowLine(view.line, withWords != 0);
                Figures f = Measure(15);
                printf("%-6s %-8s %-10s %10.2f %12.2f %10.2f %10.2f\n",
                       size == sizes[0] ? "1 MB" : "10 MB", view.name, withWords ? "yes" : "no",
                       f.bare, f.printClient, f.full, f.full - f.printClient);
                fflush(stdout);
            }
        }
    }
    gWordHighlights.clear();
    DestroyTestMainWindow(hwnd);
    RemoveProgramFiles();
    return 0;
}
