// Vim commands in a large document, under Wine: each command reads the whole text out of
// the control, and a substitution replaces the whole text. Beside them, in the same run,
// the bare EDIT control's own costs for one typed character and for taking a whole text.
//   xvfb-run -a build/wine-run.sh build/bench/vim_bench.exe

#include "app/main_window.h"
#include "document/document.h"
#include "document/undo.h"
#include "bench/bench_clock.h"
#include "bench/bench_editor.h"
#include "tests/unit/vim_keys.h"
#include "tests/window/harness.h"
#include "vim/vim.h"

#include <stdio.h>
#include <string>
#include <vector>

namespace {

std::string MakeText(size_t bytes)
{
    std::string text;
    text.reserve(bytes + 100);
    const char* line = "The quick brown fox jumps over the lazy dog; 0123456789 and some more text.\r\n";
    while (text.size() < bytes)
        text += line;
    return text;
}

// The keys straight to the editor, as the message loop would deliver them.
double TimeKeys(const char* keys)
{
    double t = BenchNow();
    for (const char* p = keys; *p; ++p) {
        KeyStroke k = StrokeOf(*p);
        SetModifiers(false, false, k.shift);
        SendMessageA(gEditorWnd, WM_KEYDOWN, k.vk, 1);
        SendMessageA(gEditorWnd, WM_CHAR, k.ch, 1);
    }
    double elapsed = BenchNow() - t;
    SetModifiers(false, false, false);
    return elapsed;
}

struct BareControl {
    HWND host = nullptr, edit = nullptr;
    BareControl()
    {
        RECT rc;
        GetWindowRect(gEditorWnd, &rc);
        host = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, rc.right - rc.left,
                               rc.bottom - rc.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                   ES_AUTOHSCROLL | ES_NOHIDESEL,
                               0, 0, rc.right - rc.left, rc.bottom - rc.top, host, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        SendMessageA(edit, WM_SETFONT, SendMessageA(gEditorWnd, WM_GETFONT, 0, 0), FALSE);
        SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);
    }
    ~BareControl() { DestroyWindow(host); }
};

void Measure(size_t bytes)
{
    std::string text = MakeText(bytes);
    const int rounds = 9;
    std::vector<double> bareChar, bareWhole;
    {
        BareControl bare;
        SetFocus(bare.edit);
        SetWindowTextA(bare.edit, text.c_str());
        for (int i = 0; i < rounds; ++i) {
            SendMessageA(bare.edit, EM_SETSEL, bytes / 2, bytes / 2);
            double t = BenchNow();
            SendMessageA(bare.edit, WM_CHAR, 'x', 1);
            bareChar.push_back(BenchNow() - t);
        }
        for (int i = 0; i < 3; ++i) {
            double t = BenchNow();
            SendMessageA(bare.edit, EM_SETSEL, 0, -1);
            SendMessageA(bare.edit, EM_REPLACESEL, TRUE, (LPARAM)text.c_str());
            bareWhole.push_back(BenchNow() - t);
        }
    }
    SetFocus(gEditorWnd);

    TabDocument* doc = GetActiveDocument();
    SetDocumentText(doc, text);
    ActivateSelectedTab();
    gVimEnabled = true;
    gVimMode = kVimNormal;
    std::vector<double> motion, deleteChar, deleteLine, undo, substitute, undoSubstitute;
    for (int i = 0; i < rounds; ++i) {
        SendMessageA(gEditorWnd, EM_SETSEL, bytes / 2, bytes / 2);
        motion.push_back(TimeKeys("w"));
        deleteChar.push_back(TimeKeys("x"));
        deleteLine.push_back(TimeKeys("dd"));
        undo.push_back(TimeKeys("u"));
    }
    for (int i = 0; i < 3; ++i) {
        substitute.push_back(TimeKeys(i % 2 ? ":%s/cat/fox/g\r" : ":%s/fox/cat/g\r"));
        double t = BenchNow();
        Undo(gEditorWnd);
        undoSubstitute.push_back(BenchNow() - t);
        Redo(gEditorWnd);
    }
    gVimEnabled = false;
    printf("%5.1f MB: bare WM_CHAR %.2f ms, bare whole-text replacement %.0f ms | Vim w %.2f ms, x %.2f ms, "
           "dd %.2f ms, u %.2f ms | :%%s/fox/cat/g %.0f ms, its undo %.0f ms\n",
           bytes / 1048576.0, BenchMedian(bareChar), BenchMedian(bareWhole), BenchMedian(motion),
           BenchMedian(deleteChar), BenchMedian(deleteLine), BenchMedian(undo), BenchMedian(substitute),
           BenchMedian(undoSubstitute));
    fflush(stdout);
}

} // namespace

int main()
{
    return MeasureAtOneAndTenMegabytes(Measure);
}
