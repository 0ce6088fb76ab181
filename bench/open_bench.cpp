// Opening a large UTF-8 log: LoadTextFile alone and the whole open into the editor
// (OpenFileByPath), beside the bare EDIT control's WM_SETTEXT of the same text, in the
// same run under Wine.
//   xvfb-run -a build/wine-run.sh build/bench/open_bench.exe

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/tabs.h"
#include "document/document.h"
#include "document/textfile.h"
#include "bench/bench_clock.h"
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

void Measure(HWND mainWnd, size_t bytes)
{
    std::string path = ExeFolder() + "open_bench.log";
    WriteFileBytes(path, MakeLog(bytes));

    double t0 = BenchNow();
    int encoding = 0, eol = 0;
    bool bom = false;
    char* text = LoadTextFile(path.c_str(), &encoding, &bom, &eol);
    double load = BenchNow() - t0;

    HWND host = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    HWND bare = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL |
                                ES_AUTOHSCROLL, 0, 0, 600, 400, host, nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(bare, EM_SETLIMITTEXT, 0, 0);
    t0 = BenchNow();
    SendMessageA(bare, WM_SETTEXT, 0, (LPARAM)text);
    double setText = BenchNow() - t0;
    DestroyWindow(host);
    free(text);

    t0 = BenchNow();
    OpenFileByPath(mainWnd, path.c_str());
    double open = BenchNow() - t0;
    SendMessageA(mainWnd, WM_COMMAND, IDM_FILE_CLOSE_TAB, 0);

    double mb = bytes / 1048576.0;
    printf("%5.0f MB UTF-8: LoadTextFile %.0f ms (%.0f MB/s, %.1f%% of WM_SETTEXT) | whole open %.0f ms | bare "
           "WM_SETTEXT %.0f ms\n",
           mb, load, mb / (load / 1000.0), 100.0 * load / setText, open, setText);
    fflush(stdout);
    DeleteFileA(path.c_str());
}

} // namespace

int main()
{
    RemoveProgramFiles();
    HWND mainWnd = CreateTestMainWindow();
    if (!mainWnd)
        return 1;
    for (size_t mb : {1, 10, 50})
        Measure(mainWnd, mb << 20);
    DestroyTestMainWindow(mainWnd);
    RemoveProgramFiles();
    return 0;
}
