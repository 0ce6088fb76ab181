// Opening a large UTF-8 log as the user waits for it, from a file that is not in the
// system's cache, beside the bare EDIT control and Wine's notepad in the same run:
//   1. in this process: LoadTextFile, the bare control's WM_SETTEXT with its first paint,
//      and the program's whole open (OpenFileByPath and the paint after it), with where
//      its time goes;
//   2. as whole programs: Zorvik.exe and notepad.exe started on the same file, timed until
//      their editor holds the text and has painted it, and the memory each then holds, split
//      into the bare control's share (measured with the same text), the document's copy and the rest.
//   xvfb-run -a build/wine-run.sh build/bench/open_bench.exe [--zorvik EXE] [MB ...]   (default: 1 10)
// --zorvik times another build's Zorvik.exe as the whole program (say the one before a
// change), beside the same notepad in the same run.

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/tabs.h"
#include "document/document.h"
#include "document/session.h"
#include "document/textfile.h"
#include "bench/bench_clock.h"
#include "bench/bench_editor.h"
#include "bench/bench_process.h"
#include "tests/window/harness.h"

#include <stdio.h>
#include <stdlib.h>
#include <string>

namespace {

// A log with accented words, so that the file is UTF-8 and must be decoded.
std::string MakeLog(size_t bytes)
{
    std::string text;
    text.reserve(bytes + 200);
    for (int i = 0; text.size() < bytes; ++i) {
        char line[160];
        snprintf(line, sizeof(line), "2026-12-10 10:%02d:%02d.%03d INFO r\xC3\xA9sum\xC3\xA9 request %d served in %d ms\n",
                 i / 60 % 60, i % 60, i % 1000, i, i % 97);
        text += line;
    }
    return text;
}

bool gCold = true;
// Each program's memory with a one-line file: what it holds besides the document.
double gZorvikBase = 0, gNotepadBase = 0;

void Cold(const std::string& path)
{
    if (!DropFromPageCache(path))
        gCold = false;
}

// The time until the window has painted what is pending.
double Paint(HWND window)
{
    double t = BenchNow();
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return BenchNow() - t;
}

struct InProcess {
    double load, bareSetText, barePaint, open, openPaint, session, reactivate;
    double bareMegabytes; // what the bare control holds with the text
    double documentMegabytes; // the document's own copy of it
};

InProcess MeasureInProcess(HWND mainWnd, const std::string& path)
{
    InProcess r = {};
    Cold(path);
    double t0 = BenchNow();
    std::string text;
    EncodingId encoding = Ansi;
    EolMode eol = Crlf;
    int32_t loss = 0;
    bool bom = false;
    LoadTextFileString(path.c_str(), &text, &encoding, &bom, &eol, &loss);
    r.load = BenchNow() - t0;

    HWND host;
    HWND bare = CreateBareEditLike(gEditorWnd, &host);
    // With the focus, as the program's editor has it: the control places its caret.
    SetFocus(bare);
    double before = ProcessMegabytes(GetCurrentProcess());
    t0 = BenchNow();
    SendMessageA(bare, WM_SETTEXT, 0, (LPARAM)text.c_str());
    r.bareSetText = BenchNow() - t0;
    r.barePaint = Paint(host);
    r.bareMegabytes = ProcessMegabytes(GetCurrentProcess()) - before;
    DestroyWindow(host);
    SetFocus(gEditorWnd);
    std::string().swap(text);

    Cold(path);
    t0 = BenchNow();
    OpenFileByPath(mainWnd, path.c_str());
    r.open = BenchNow() - t0;
    r.openPaint = Paint(mainWnd);
    r.documentMegabytes = DocumentText(GetActiveDocument()).size() / 1048576.0;
    // Where the open's time goes, each part once more on its own.
    t0 = BenchNow();
    SaveSession(mainWnd);
    r.session = BenchNow() - t0;
    t0 = BenchNow();
    ActivateSelectedTab();
    r.reactivate = BenchNow() - t0;
    SendMessageA(mainWnd, WM_COMMAND, IDM_FILE_CLOSE_TAB, 0);
    return r;
}

struct Whole {
    bool ok;
    double open, megabytes;
};

Whole MeasureProgram(const std::string& exe, const std::string& path, const char* topClass, int editId,
                     long length)
{
    Cold(path);
    DrivenProgram p;
    Whole w = {};
    w.ok = p.Start(exe, path, topClass, editId, length, 600000);
    w.open = BenchNow() - p.started;
    w.megabytes = p.Megabytes();
    p.Stop();
    return w;
}

void Measure(HWND mainWnd, size_t bytes, const std::string& zorvik)
{
    std::string path = ExeFolder() + "open_bench.log";
    std::string log = MakeLog(bytes);
    WriteFileBytes(path, log);
    // The editors hold CR LF line ends and one byte per accented character.
    long length = 0;
    for (char c : log)
        length += c == '\n' ? 2 : ((unsigned char)c & 0xC0) == 0x80 ? 0 : 1;
    std::string().swap(log);
    double mb = bytes / 1048576.0;

    InProcess r = MeasureInProcess(mainWnd, path);
    double bare = r.bareSetText + r.barePaint, whole = r.open + r.openPaint;
    printf("%5.0f MB UTF-8 in this process: LoadTextFile %.0f ms | bare WM_SETTEXT %.0f ms + paint %.0f ms = %.0f ms | "
           "whole open %.0f ms + paint %.0f ms = %.0f ms (x%.2f of the bare control)\n",
           mb, r.load, r.bareSetText, r.barePaint, bare, r.open, r.openPaint, whole, whole / bare);
    printf("      parts of the open, each again on its own: session write %.0f ms, loading the text into the editor "
           "(WM_SETTEXT, gutter, status) %.0f ms\n",
           r.session, r.reactivate);
    fflush(stdout);

    Whole z = MeasureProgram(zorvik, path, "ZorvikWindowClass", 2002, length);
    RemoveZorvikCopyFiles(zorvik);
    Whole n = MeasureProgram(NotepadPath(), path, "Notepad", 0, length);
    if (!z.ok || !n.ok) {
        printf("      whole programs: %s did not show the text\n", !z.ok ? "Zorvik.exe" : "notepad.exe");
    } else {
        printf("      whole programs, start to text painted: Zorvik.exe %.0f ms, notepad.exe %.0f ms (x%.2f) | "
               "memory %.0f MB (%.2f bytes per byte of the document above a one-line file) against %.0f MB (%.2f)\n",
               z.open, n.open, z.open / n.open, z.megabytes, (z.megabytes - gZorvikBase) / mb, n.megabytes,
               (n.megabytes - gNotepadBase) / mb);
        printf("      of the memory per byte: the bare control with the same text %.2f, the document's copy of the "
               "text %.2f, the rest %.2f\n",
               r.bareMegabytes / mb, r.documentMegabytes / mb,
               (z.megabytes - gZorvikBase - r.bareMegabytes - r.documentMegabytes) / mb);
        printf("      verdict: %s notepad, %s 10%% of the bare control, memory %s 3.5 bytes per byte\n",
               z.open <= n.open ? "no slower than" : "SLOWER than", whole <= 1.1 * bare ? "within" : "NOT within",
               (z.megabytes - gZorvikBase) / mb <= 3.5 ? "within" : "ABOVE");
    }
    fflush(stdout);
    DeleteFileA(path.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    RemoveProgramFiles();
    HWND mainWnd = CreateTestMainWindow();
    if (!mainWnd)
        return 1;
    std::string zorvik = PrepareZorvikCopy(ExeFolder(), TakeZorvikArgument(&argc, argv));
    std::string tiny = ExeFolder() + "open_bench_tiny.log";
    WriteFileBytes(tiny, "one line\r\n");
    gZorvikBase = MeasureProgram(zorvik, tiny, "ZorvikWindowClass", 2002, 10).megabytes;
    RemoveZorvikCopyFiles(zorvik);
    gNotepadBase = MeasureProgram(NotepadPath(), tiny, "Notepad", 0, 10).megabytes;
    DeleteFileA(tiny.c_str());
    if (argc > 1) {
        for (int i = 1; i < argc; ++i)
            Measure(mainWnd, (size_t)atoi(argv[i]) << 20, zorvik);
    } else {
        for (size_t mb : {1, 10})
            Measure(mainWnd, mb << 20, zorvik);
    }
    if (!gCold)
        printf("(the file could not be dropped from the cache: these reads may have come from memory)\n");
    DestroyTestMainWindow(mainWnd);
    RemoveProgramFiles();
    return 0;
}
