#include <doctest/doctest.h>

#include "tests/window/harness.h"

#include "app/main_window.h"
#include "app/settings.h"
#include "app/tabs.h"
#include "document/undo.h"
#include "editor/block_mode.h"
#include "editor/editor_paint.h"
#include "editor/visual_columns_win.h"

#include <functional>
#include <stdio.h>
#include <string>
#include <vector>

namespace {

const COLORREF kAddedBand = RGB(220, 248, 220);
const COLORREF kRemovedBand = RGB(255, 228, 228);
const COLORREF kOccurrenceBox = RGB(186, 230, 186);
const COLORREF kMark = RGB(210, 120, 40);
const COLORREF kWhite = RGB(255, 255, 255);

struct PaintFixture {
    HWND hwnd;
    std::vector<std::string> files;
    PaintFixture()
    {
        RemoveProgramFiles();
        hwnd = CreateTestMainWindow();
    }
    ~PaintFixture()
    {
        gDiffMode = false;
        gWordHighlights.clear();
        DestroyTestMainWindow(hwnd);
        for (const std::string& file : files)
            DeleteFileA(file.c_str());
        RemoveProgramFiles();
    }
    // Opens the text in a tab of its own (a path already open would only be activated).
    void Open(const std::string& text)
    {
        files.push_back(ExeFolder() + "paint" + std::to_string(files.size()) + ".txt");
        WriteFileBytes(files.back(), text);
        OpenFileByPath(hwnd, files.back().c_str());
        PumpMessages(hwnd, 20);
    }
    int LineHeight() { return EditorLineHeight(gEditorWnd); }
    // The client position of a character of the editor.
    POINT At(int offset)
    {
        LRESULT p = SendMessageA(gEditorWnd, EM_POSFROMCHAR, offset, 0);
        REQUIRE(p != -1);
        return POINT{(short)LOWORD(p), (short)HIWORD(p)};
    }
    int LineStart(int line) { return (int)SendMessageA(gEditorWnd, EM_LINEINDEX, line, 0); }
    int RowTop(int line) { return At(LineStart(line)).y; }
};

} // namespace

TEST_CASE("diff mode bands added and removed lines in the editor and the gutter")
{
    PaintFixture f;
    REQUIRE(f.hwnd);
    f.Open("context\r\n+added\r\n-removed\r\n+++ b/file\r\n--- a/file\r\n  +indented\r\n \t \r\n"
           "\x96 dash\r\nend\r\n");
    struct Row {
        int line;
        COLORREF band; // 0: none
    } rows[] = {{0, 0}, {1, kAddedBand}, {2, kRemovedBand}, {3, 0}, {4, 0},
                {5, kAddedBand}, {6, 0}, {7, kRemovedBand}, {8, 0}};
    int lh = f.LineHeight();
    COLORREF face = GetSysColor(COLOR_BTNFACE);

    gDiffMode = true;
    Shot editor = TakeShot(gEditorWnd), gutter = TakeShot(gGutterWnd);
    for (const Row& row : rows) {
        CAPTURE(row.line);
        int mid = f.RowTop(row.line) + lh / 2;
        CHECK(editor.At(editor.w - 4, mid) == (row.band ? row.band : kWhite));
        CHECK(gutter.At(2, mid) == (row.band ? row.band : face));
    }
    // The band's text is drawn again in the band's colour.
    int top1 = f.RowTop(1), top2 = f.RowTop(2);
    CHECK(editor.Has(RGB(0, 128, 0), 0, top1, editor.w / 2, top1 + lh));
    CHECK(editor.Has(RGB(196, 0, 0), 0, top2, editor.w / 2, top2 + lh));

    gDiffMode = false;
    editor = TakeShot(gEditorWnd);
    gutter = TakeShot(gGutterWnd);
    for (const Row& row : rows) {
        CAPTURE(row.line);
        int mid = f.RowTop(row.line) + lh / 2;
        CHECK(editor.At(editor.w - 4, mid) == kWhite);
        CHECK(gutter.At(2, mid) == face);
    }
}

TEST_CASE("the selected part of a banded line shows in the highlight colours")
{
    PaintFixture f;
    REQUIRE(f.hwnd);
    f.Open("x\r\n+added line\r\n");
    gDiffMode = true;
    int start = f.LineStart(1);
    SendMessageA(gEditorWnd, EM_SETSEL, start + 1, start + 6); // "added"
    Shot shot = TakeShot(gEditorWnd);
    int cell = MeasureCellWidth(gEditorWnd);
    int y = f.RowTop(1) + 1;
    COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    CHECK(shot.At(f.At(start).x + cell / 2, y) == kAddedBand);      // "+"
    CHECK(shot.At(f.At(start + 3).x + cell / 2, y) == highlight);   // "d"
    CHECK(shot.At(f.At(start + 5).x + cell - 1, y) == highlight);   // "d", its last column
    CHECK(shot.At(f.At(start + 6).x + cell / 2, y) == kAddedBand);  // the space after it
    CHECK(shot.Has(GetSysColor(COLOR_HIGHLIGHTTEXT), f.At(start + 1).x, f.RowTop(1),
                   f.At(start + 6).x, f.RowTop(1) + f.LineHeight()));
}

TEST_CASE("spaces show dots and tabs arrows, white inside the selection")
{
    PaintFixture f;
    REQUIRE(f.hwnd);
    // A diff line too: the marks go over the band. Blanks at a line start and after a tab
    // are where Wine's control misplaces positions.
    f.Open("a b\tc\r\n \t\r\n+x y\r\nab \t  \tc\r\nend\r\n");
    gDiffMode = true;
    int lh = f.LineHeight(), cell = MeasureCellWidth(gEditorWnd);
    int d = lh <= 21 ? 1 : 2;
    struct Mark {
        int line, column;
        int tabEnd; // 0: a space
    } marks[] = {{0, 1, 0}, {0, 3, 8}, {1, 0, 0}, {1, 1, 8}, {2, 2, 0},
                 {3, 2, 0}, {3, 3, 8}, {3, 8, 0}, {3, 9, 0}, {3, 10, 16}};

    auto check = [&](const Shot& shot, COLORREF colour) {
        for (const Mark& m : marks) {
            CAPTURE(m.line);
            CAPTURE(m.column);
            POINT origin = f.At(f.LineStart(m.line));
            int x = origin.x + m.column * cell, mid = origin.y + lh / 2;
            if (m.tabEnd) {
                int next = origin.x + m.tabEnd * cell;
                CHECK(shot.At(x + 3, mid) == colour);
                CHECK(shot.At(next - 3, mid) == colour);
                CHECK(shot.At(next - 3, mid - 1) == colour); // the arrow head
                CHECK(shot.At(x + 3, mid - 3) != colour);
                CHECK(shot.At(x + 1, mid) != colour);
            } else {
                int cx = x + cell / 2;
                // A square of 2d x 2d pixels and nothing around it.
                CHECK(shot.At(cx - d, mid - d) == colour);
                CHECK(shot.At(cx + d - 1, mid + d - 1) == colour);
                CHECK(shot.At(cx + d, mid) != colour);
                CHECK(shot.At(cx - d - 1, mid) != colour);
                CHECK(shot.At(cx, mid - d - 1) != colour);
            }
        }
    };
    check(TakeShot(gEditorWnd), kMark);
    SendMessageA(gEditorWnd, EM_SETSEL, 0, -1);
    Shot selected = TakeShot(gEditorWnd);
    check(selected, kWhite);
    POINT space = f.At(1);
    CHECK(selected.At(space.x + 1, space.y + 1) == GetSysColor(COLOR_HIGHLIGHT));
}

TEST_CASE("occurrences are boxed until the selection changes")
{
    PaintFixture f;
    REQUIRE(f.hwnd);
    f.Open("foo bar foo\r\n+foo\r\n");
    gDiffMode = true;
    SendMessageA(gEditorWnd, EM_SETSEL, 0, 3);
    int second = 8, third = f.LineStart(1) + 1;
    gWordHighlights = {{0, 3}, {second, second + 3}, {third, third + 3}};
    gWordHighlightSelStart = 0;
    gWordHighlightSelEnd = 3;
    int cell = MeasureCellWidth(gEditorWnd);
    Shot shot = TakeShot(gEditorWnd);
    auto top = [&](int offset) {
        POINT p = f.At(offset);
        return POINT{p.x + cell / 2, p.y + 1};
    };
    POINT p = top(0);
    CHECK(shot.At(p.x, p.y) == GetSysColor(COLOR_HIGHLIGHT)); // the selected one is not boxed
    p = top(second + 1);
    CHECK(shot.At(p.x, p.y) == kOccurrenceBox);
    p = top(third + 2);
    CHECK(shot.At(p.x, p.y) == kOccurrenceBox); // over the band
    int y = f.RowTop(1);
    CHECK(shot.Has(RGB(0, 128, 0), f.At(third).x, y, f.At(third + 3).x, y + f.LineHeight()));
    p = top(5);
    CHECK(shot.At(p.x, p.y) == kWhite);

    // An arrow key moves the caret: the next paint drops the list and draws no box.
    SendMessageA(gEditorWnd, EM_SETSEL, 5, 5);
    shot = TakeShot(gEditorWnd);
    CHECK(gWordHighlights.empty());
    CHECK(gWordHighlightSelStart == -1);
    p = top(second + 1);
    CHECK(shot.At(p.x, p.y) == kWhite);
    SendMessageA(gEditorWnd, EM_SETSEL, 0, 3);
    shot = TakeShot(gEditorWnd);
    CHECK(shot.At(p.x, p.y) == kWhite);
}

TEST_CASE("a minimized window and a zero-sized editor paint without failing")
{
    PaintFixture f;
    REQUIRE(f.hwnd);
    f.Open("+added\r\nb c\r\n");
    gDiffMode = true;
    ShowWindow(f.hwnd, SW_MINIMIZE);
    PumpMessages(f.hwnd, 50);
    RECT rc;
    GetClientRect(gEditorWnd, &rc);
    CHECK(rc.bottom <= 0);
    InvalidateRect(gEditorWnd, nullptr, FALSE);
    UpdateWindow(gEditorWnd);
    CHECK(SendMessageA(gEditorWnd, WM_PAINT, 0, 0) == 0);
    HDC dc = GetDC(gEditorWnd);
    RenderEditor(gEditorWnd, dc, 0, 0);
    RenderEditor(gEditorWnd, dc, 10, -5);
    ReleaseDC(gEditorWnd, dc);

    ShowWindow(f.hwnd, SW_RESTORE);
    PumpMessages(f.hwnd, 50);
    Shot shot = TakeShot(gEditorWnd);
    REQUIRE(shot.h > 0);
    CHECK(shot.At(shot.w - 4, f.RowTop(0) + f.LineHeight() / 2) == kAddedBand);
}

// The control's own drawing is held while the text changes (Wine's control ignores
// WM_SETREDRAW and would draw its scroll bars inside every typed character): what the
// change needs must still reach the screen with the next paint, without a full repaint.
TEST_CASE("typing and edits with redrawing off reach the screen with the next paint")
{
    PaintFixture f;
    REQUIRE(f.hwnd);
    f.Open("");
    UpdateWindow(gEditorWnd);
    int mid = f.LineHeight() / 2;
    // The dot of the space between two typed letters is drawn by the paint alone.
    auto dotBetween = [&](int line, int before) {
        Shot shot = TakeShot(gEditorWnd, false);
        POINT space = f.At(f.LineStart(line) + before);
        return shot.Has(kMark, space.x, f.RowTop(line) + mid - 2, space.x + 16, f.RowTop(line) + mid + 3);
    };

    TypeText("a b");
    CHECK((GetWindowLongA(gEditorWnd, GWL_STYLE) & WS_VISIBLE) != 0);
    CHECK(dotBetween(0, 1));

    SendMessageA(gEditorWnd, WM_SETREDRAW, FALSE, 0);
    SendMessageA(gEditorWnd, EM_SETSEL, 3, 3);
    SendMessageA(gEditorWnd, EM_REPLACESEL, TRUE, (LPARAM)"\r\nc d");
    SendMessageA(gEditorWnd, WM_SETREDRAW, TRUE, 0);
    CHECK(IsWindowVisible(gEditorWnd));
    CHECK(dotBetween(1, 1));

    // A line that outgrows the view moves the horizontal scroll bar.
    std::string wide(400, 'w');
    TypeText(wide.c_str());
    SCROLLINFO si = {sizeof(si), SIF_RANGE | SIF_POS};
    GetScrollInfo(gEditorWnd, SB_HORZ, &si);
    RECT rc;
    GetClientRect(gEditorWnd, &rc);
    CHECK(si.nMax > rc.right);
    CHECK(si.nPos > 0);
    CHECK((GetWindowLongA(gEditorWnd, GWL_STYLE) & WS_VISIBLE) != 0);
}

// Under Wine each row the control paints costs a walk of its line list: a change asks the
// next paint for the rows it changed, as the control itself would.
TEST_CASE("a keystroke, a new line and Undo ask the next paint for the rows they changed")
{
    PaintFixture f;
    REQUIRE(f.hwnd);
    std::string text;
    for (int i = 0; i < 30; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    f.Open(text);
    RECT client;
    GetClientRect(gEditorWnd, &client);
    int lh = f.LineHeight(), row2 = f.RowTop(2);
    auto pending = [&]() {
        RECT r = {};
        GetUpdateRect(gEditorWnd, &r, FALSE);
        UpdateWindow(gEditorWnd);
        return std::make_pair(r.top, r.bottom);
    };
    UpdateWindow(gEditorWnd);
    // The line break typed after "line 2x" is recorded as the one at the start of line 3
    // (the text before it already ended in one), so its Undo changes the rows from there.
    struct Step {
        const char* what;
        std::function<void()> act;
        int top, bottom; // of the rows asked for
    } steps[] = {
        {"a typed character", [&] { SelectInEditor(f.LineStart(2) + 6, f.LineStart(2) + 6); TypeText("x"); }, row2,
         row2 + lh},
        {"a new line", [&] { TypeText("\r"); }, row2, client.bottom},
        {"Undo of the new line", [&] { Undo(gEditorWnd); }, row2 + lh, client.bottom},
        {"Undo of the character", [&] { Undo(gEditorWnd); }, row2, row2 + lh},
    };
    for (const Step& step : steps) {
        CAPTURE(std::string(step.what));
        step.act();
        std::pair<int, int> rows = pending();
        CHECK(rows.first == step.top);
        CHECK(rows.second == step.bottom);
    }
    CHECK(EditorText() == text);
}

namespace {

// Counts the frame paints the editor is sent, in front of its own window procedure.
int gFramePaints = 0;
WNDPROC gCountedProc = nullptr;
LRESULT CALLBACK CountFramePaints(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCPAINT)
        ++gFramePaints;
    return CallWindowProcA(gCountedProc, hwnd, msg, wParam, lParam);
}

} // namespace

// Wine marks the frame of a window made visible again as due for painting; the scroll bars
// would be drawn again after every change.
TEST_CASE("a change leaves the frame alone unless a scroll bar moved or the frame was due anyway")
{
    PaintFixture f;
    REQUIRE(f.hwnd);
    f.Open("short line\r\nanother line\r\n");
    gCountedProc = (WNDPROC)SetWindowLongPtrA(gEditorWnd, GWLP_WNDPROC, (LONG_PTR)CountFramePaints);
    // Every window painted, as between two keys the user presses.
    auto paintAll = [&] { RedrawWindow(f.hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); };
    paintAll();
    std::string wide(400, 'w');
    struct Step {
        const char* what;
        std::function<void()> act;
        bool framePainted;
    } steps[] = {
        {"a typed character", [&] { SelectInEditor(5, 5); TypeText("x"); }, false},
        {"its Undo", [&] { Undo(gEditorWnd); }, false},
        {"a key pressed through the message loop",
         [&] {
             PostMessageA(gEditorWnd, WM_KEYDOWN, 'Z', 0x002C0001);
             PostMessageA(gEditorWnd, WM_KEYUP, 'Z', 0xC02C0001);
             PumpMessages(f.hwnd);
         },
         false},
        {"a line that outgrows the view", [&] { TypeText(wide.c_str()); }, true},
        {"a character typed while the frame is due",
         [&] {
             RedrawWindow(gEditorWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOERASE);
             TypeText("y");
         },
         true},
    };
    for (const Step& step : steps) {
        CAPTURE(std::string(step.what));
        gFramePaints = 0;
        step.act();
        paintAll();
        CHECK((gFramePaints > 0) == step.framePainted);
    }
    // The key pressed through the loop was typed.
    CHECK(EditorText().compare(0, 6, "shortz") == 0);
    SetWindowLongPtrA(gEditorWnd, GWLP_WNDPROC, (LONG_PTR)gCountedProc);
}

TEST_CASE("a long line and scrolling far down paint the visible lines")
{
    PaintFixture f;
    REQUIRE(f.hwnd);
    std::string text(70000, 'x');
    text += " \t-\r\n";
    for (int i = 0; i < 300; ++i)
        text += i % 2 ? "-removed \tline\r\n" : "+added line\r\n";
    f.Open(text);
    gDiffMode = true;
    Shot shot = TakeShot(gEditorWnd);
    CHECK(shot.At(shot.w - 4, f.RowTop(1) + f.LineHeight() / 2) == kAddedBand);
    SendMessageA(gEditorWnd, EM_LINESCROLL, 0, 250);
    int first = (int)SendMessageA(gEditorWnd, EM_GETFIRSTVISIBLELINE, 0, 0);
    REQUIRE(first > 200);
    shot = TakeShot(gEditorWnd);
    CHECK(f.RowTop(first) == f.At(f.LineStart(first)).y);
    COLORREF expected = (first - 1) % 2 ? kRemovedBand : kAddedBand;
    CHECK(shot.At(shot.w - 4, f.RowTop(first) + f.LineHeight() / 2) == expected);
}

TEST_CASE("cell width and visual columns of the editor's lines")
{
    PaintFixture f;
    REQUIRE(f.hwnd);
    HDC dc = GetDC(gEditorWnd);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(gEditorWnd, WM_GETFONT, 0, 0));
    SIZE zeros = {0, 0};
    GetTextExtentPoint32A(dc, "00000000", 8, &zeros);
    SelectObject(dc, old);
    ReleaseDC(gEditorWnd, dc);
    int fromFont = zeros.cx < 8 ? 8 : zeros.cx / 8;

    CHECK(MeasureCellWidth(gEditorWnd) == fromFont); // empty editor
    std::string ones;
    for (int i = 0; i < 45; ++i)
        ones += "a\r\n";
    f.Open(ones + "abcdef\r\n"); // the first 40 lines are all one character long
    CHECK(MeasureCellWidth(gEditorWnd) == fromFont);
    f.Open("a\tb\r\n\r\nabc\r\n");
    CHECK(MeasureCellWidth(gEditorWnd) == f.At(1).x - f.At(0).x);
    CHECK(MeasureCellWidth(gEditorWnd) >= 1);

    CHECK(OffsetToVisualColumn(gEditorWnd, 0, 2) == 8);
    CHECK(OffsetToVisualColumn(gEditorWnd, 0, 1) == 1);
    CHECK(OffsetToVisualColumn(gEditorWnd, 0, 50) == 9);
    CHECK(OffsetToVisualColumn(gEditorWnd, 1, 3) == 0); // empty line
    CHECK(OffsetToVisualColumn(gEditorWnd, 40, 3) == 0); // no such line
    CHECK(GetLineVisualWidth(gEditorWnd, 0) == 9);
    CHECK(GetLineVisualWidth(gEditorWnd, 1) == 0);
    CHECK(GetLineVisualWidth(gEditorWnd, 2) == 3);
    CHECK(GetLineVisualWidth(gEditorWnd, -1) == 0);

    EditLine line;
    CHECK(ReadEditLine(gEditorWnd, 1, &line));
    CHECK(line.count == 0);
    REQUIRE(line.bytes);
    CHECK(line.bytes[0] == 0);
    CHECK(ReadEditLine(gEditorWnd, 2, &line));
    CHECK(std::string(line.bytes, line.count) == "abc");
    CHECK(line.start == f.LineStart(2));
    CHECK_FALSE(ReadEditLine(gEditorWnd, 99, &line));
}

TEST_CASE("lines after a soft line break (CR CR LF) get their marks and selection right")
{
    PaintFixture f;
    REQUIRE(f.hwnd);
    // CR CR LF is a soft line break to the control: the next line starts 3 bytes on, so
    // the paint must ask the control for each line's start.
    f.Open("");
    SetWindowTextA(gEditorWnd, "x\r\r\n+a b\r\nend");
    gDiffMode = true;
    int start = f.LineStart(1);
    REQUIRE(start == 4);
    SendMessageA(gEditorWnd, EM_SETSEL, start + 2, start + 3); // the space
    Shot shot = TakeShot(gEditorWnd);
    int lh = f.LineHeight(), cell = MeasureCellWidth(gEditorWnd);
    POINT origin = f.At(start);
    CHECK(shot.At(shot.w - 4, origin.y + lh / 2) == kAddedBand);
    int cx = origin.x + 2 * cell + cell / 2;
    CHECK(shot.At(cx, origin.y + lh / 2) == kWhite);
    CHECK(shot.At(cx, origin.y + 1) == GetSysColor(COLOR_HIGHLIGHT));
}

TEST_CASE("a view scrolled more than 32767 pixels to the right still shows marks and band text")
{
    PaintFixture f;
    REQUIRE(f.hwnd);
    std::string line(6000, 'a');
    for (int i = 4400; i < 6000; i += 6)
        line[i] = ' ';
    f.Open(line + "\r\n+" + line + "\r\nend\r\n");
    SendMessageA(gEditorWnd, EM_LINESCROLL, 4400, 0);
    PumpMessages(f.hwnd, 5);
    int lh = f.LineHeight();
    int y0 = f.RowTop(0), y1 = f.RowTop(1);
    Shot shot = TakeShot(gEditorWnd);
    CHECK(shot.Has(kMark, 0, y0, shot.w, y0 + lh));
    gDiffMode = true;
    shot = TakeShot(gEditorWnd);
    CHECK(shot.Has(RGB(0, 128, 0), 0, y1, shot.w, y1 + lh));
    CHECK(shot.Has(kMark, 0, y1, shot.w, y1 + lh));
    gDiffMode = false;
}
