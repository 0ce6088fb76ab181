#include <doctest/doctest.h>

#include "tests/window/harness.h"

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/message_loop.h"
#include "app/tabs.h"
#include "editor/block_mode.h"
#include "editor/clipboard.h"
#include "editor/editor_paint.h"
#include "vim/vim.h"

#include <stdio.h>
#include <stdlib.h>
#include <string>

namespace {

struct BlockFixture : TestWindow {
    ~BlockFixture()
    {
        gVimEnabled = false;
        gVimMode = kVimNormal;
    }
    void Open(const std::string& text)
    {
        std::string name = "block" + std::to_string(files.size()) + ".txt";
        OpenFileByPath(hwnd, File(name.c_str(), text).c_str());
        PumpMessages(hwnd, 20);
        REQUIRE(EditorText() == text);
    }
    int LineStart(int line) { return (int)SendMessageA(gEditorWnd, EM_LINEINDEX, line, 0); }
    void Caret(int line, int offset)
    {
        int at = LineStart(line) + offset;
        SendMessageA(gEditorWnd, EM_SETSEL, at, at);
    }
    int CaretOffset()
    {
        DWORD s = 0, e = 0;
        SendMessageA(gEditorWnd, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
        return (int)e;
    }
    // A key as the keyboard delivers it, modifiers first, through the message loop.
    void Press(int vk, bool ctrl = false, bool alt = false, bool shift = false)
    {
        PressKey(hwnd, vk, ctrl, alt, shift, gEditorWnd);
    }
    void AltShift(int vk, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            Press(vk, false, true, true);
    }
    // The Edit menu's commands.
    void Command(int id) { SendMessageA(hwnd, WM_COMMAND, id, 0); }
    void Undo() { PressKey(hwnd, 'Z', true); }
    void Redo() { PressKey(hwnd, 'Y', true); }
    // A mouse message at a client point with the modifiers held.
    void Mouse(UINT msg, int x, int y, bool altShift)
    {
        if (altShift)
            HoldModifiers(hwnd, false, true, true, gEditorWnd);
        SendMessageA(gEditorWnd, msg, msg == WM_MOUSEMOVE || msg == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                     MAKELPARAM((WORD)(short)x, (WORD)(short)y));
        SetModifiers(false, false, false);
    }
    POINT At(int offset)
    {
        LRESULT p = SendMessageA(gEditorWnd, EM_POSFROMCHAR, offset, 0);
        REQUIRE(p != -1);
        return POINT{(short)LOWORD(p), (short)HIWORD(p)};
    }
};

int Count(const std::string& text, char c)
{
    int n = 0;
    for (char x : text)
        n += x == c;
    return n;
}

} // namespace

TEST_CASE("Alt+Shift+Down three times, then a character goes onto all four rows as one undo step")
{
    BlockFixture f;
    REQUIRE(f.hwnd);
    const std::string text = "line one\r\nab\r\n\r\nlonger line\r\nlast\r\n";
    f.Open(text);
    f.Caret(0, 5);
    f.AltShift(VK_DOWN, 3);
    CHECK(gBlockMode);
    CHECK((gBlockAnchorLine == 0 && gBlockCaretLine == 3));
    CHECK((gBlockAnchorColumn == 5 && gBlockCaretColumn == 5));
    // Block mode hides the control's caret and draws its own.
    CHECK(gSystemCaretHidden);
    TypeText("X");
    const std::string typed = "line Xone\r\nab   X\r\n     X\r\nlongeXr line\r\nlast\r\n";
    CHECK(EditorText() == typed);
    CHECK(gBlockMode);
    CHECK(gBlockCaretColumn == 6);
    TypeText("Y");
    CHECK(EditorText() == "line XYone\r\nab   XY\r\n     XY\r\nlongeXYr line\r\nlast\r\n");
    f.Undo();
    CHECK(EditorText() == typed);
    f.Undo();
    CHECK(EditorText() == text);
    f.Redo();
    CHECK(EditorText() == typed);
}

TEST_CASE("End, then Delete joins the rows with a caret at each junction")
{
    BlockFixture f;
    REQUIRE(f.hwnd);
    const std::string text = "first\r\na\r\nbb\r\nccc\r\ntail\r\n";
    f.Open(text);
    f.Caret(1, 0);
    f.AltShift(VK_DOWN, 2);
    f.Press(VK_END);
    f.Press(VK_DELETE);
    const std::string joined = "first\r\nabbccctail\r\n";
    CHECK(EditorText() == joined);
    CHECK(gMultiCaretOn);
    // The control's caret is at the last junction.
    CHECK(f.CaretOffset() == f.LineStart(1) + 6);
    TypeText(",");
    CHECK(EditorText() == "first\r\na,bb,ccc,tail\r\n");
    f.Press(VK_BACK);
    CHECK(EditorText() == joined);
    // Left and Right move every caret; typing follows them.
    f.Press(VK_LEFT);
    TypeText("-");
    CHECK(EditorText() == "first\r\n-ab-bcc-ctail\r\n");
    f.Undo();
    f.Undo();
    f.Undo();
    CHECK(EditorText() == joined);
    f.Undo();
    CHECK(EditorText() == text);
    // Esc leaves multi-caret and block mode with the control's caret at the last caret.
    f.Press(VK_ESCAPE);
    CHECK_FALSE(gBlockMode);
    CHECK_FALSE(gMultiCaretOn);
}

TEST_CASE("Ctrl+Right moves every row to its next word, Home to its indentation")
{
    BlockFixture f;
    REQUIRE(f.hwnd);
    f.Open("int x;\r\n  longer y\r\n");
    f.Caret(0, 0);
    f.AltShift(VK_DOWN);
    f.Press(VK_RIGHT, true);
    TypeText("_");
    CHECK(EditorText() == "int _x;\r\n  _longer y\r\n");
    f.Press(VK_RIGHT, true);
    TypeText("|");
    CHECK(EditorText() == "int _x|;\r\n  _longer |y\r\n");
    f.Press(VK_HOME);
    TypeText("#");
    CHECK(EditorText() == "#int _x|;\r\n  #_longer |y\r\n");
}

TEST_CASE("a block larger than a handful of rows is read from the whole text")
{
    BlockFixture f;
    REQUIRE(f.hwnd);
    std::string text, expected;
    for (int i = 0; i < 30; ++i) {
        std::string line = i % 3 ? "row " + std::to_string(i) : "";
        text += line + "\r\n";
        if (i >= 2 && i <= 25)
            line = line.size() >= 2 ? line.substr(0, 2) + "|" + line.substr(2)
                                    : line + std::string(2 - line.size(), ' ') + "|";
        expected += line + "\r\n";
    }
    f.Open(text);
    f.Caret(2, 2);
    f.AltShift(VK_DOWN, 23);
    TypeText("|");
    CHECK(EditorText() == expected);
    f.Undo();
    CHECK(EditorText() == text);
}

TEST_CASE("block copy and paste of 1, 2 and 4 lines into 3 rows")
{
    BlockFixture f;
    REQUIRE(f.hwnd);
    const std::string text = "abcdef\r\nab\r\nabcdef\r\nz\r\n";
    struct Row {
        std::string clip, expected;
    } rows[] = {
        {"XY", "aXYdef\r\naXY\r\naXYdef\r\nz\r\n"},
        {"1\r\n2\r\n", "a1def\r\na2\r\nadef\r\nz\r\n"},
        {"1\r\n2\r\n3\r\n4", "a1def\r\na2\r\na3def\r\nz\r\n"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.clip);
        f.Open(text);
        f.Caret(0, 1);
        f.AltShift(VK_DOWN, 2);
        f.AltShift(VK_RIGHT, 2);
        // The editor's own Ctrl+C and Ctrl+V; their characters never reach the rows.
        f.Press('C', true);
        PumpMessages(f.hwnd);
        CHECK(ClipboardTextBytes(f.hwnd) == "bc\r\nb\r\nbc");
        CHECK(EditorText() == text);
        REQUIRE(CopyTextToClipboard(f.hwnd, row.clip));
        f.Press('V', true);
        PumpMessages(f.hwnd);
        CHECK(EditorText() == row.expected);
        CHECK_FALSE(gBlockMode);
        // The caret stays after the text pasted into the top row.
        CHECK(f.CaretOffset() == 1 + (int)SplitPastedLines(row.clip)[0].size());
        f.Undo();
        CHECK(EditorText() == text);
    }
}

TEST_CASE("Cut takes only what it copied")
{
    BlockFixture f;
    REQUIRE(f.hwnd);
    const std::string text = "abcdef\r\nabcdef\r\n";
    f.Open(text);
    f.Caret(0, 2);
    f.AltShift(VK_DOWN);
    // A zero-width block copies empty slices and removes nothing.
    f.Command(IDM_EDIT_CUT);
    CHECK(ClipboardTextBytes(f.hwnd) == "\r\n");
    CHECK(EditorText() == text);
    f.AltShift(VK_RIGHT, 2);
    f.Press('X', true);
    PumpMessages(f.hwnd);
    CHECK(ClipboardTextBytes(f.hwnd) == "cd\r\ncd");
    CHECK(EditorText() == "abef\r\nabef\r\n");
    CHECK(gBlockMode);
    f.Undo();
    CHECK(EditorText() == text);
}

TEST_CASE("Shift+Delete in block mode deletes as Delete does and leaves the clipboard")
{
    BlockFixture f;
    REQUIRE(f.hwnd);
    const std::string text = "abcdef\r\nabcdef\r\n";
    f.Open(text);
    f.Caret(0, 2);
    f.AltShift(VK_DOWN);
    REQUIRE(CopyTextToClipboard(f.hwnd, "keep"));
    f.Press(VK_DELETE, false, false, true);
    CHECK(EditorText() == "abdef\r\nabdef\r\n");
    CHECK(ClipboardTextBytes(f.hwnd) == "keep");
    CHECK(gBlockMode);
    // Outside block mode Shift+Delete is Cut.
    f.Press(VK_ESCAPE);
    SelectInEditor(0, 2);
    f.Press(VK_DELETE, false, false, true);
    CHECK(EditorText() == "def\r\nabdef\r\n");
    CHECK(ClipboardTextBytes(f.hwnd) == "ab");
}

TEST_CASE("a read-only document refuses every block edit but copy")
{
    BlockFixture f;
    REQUIRE(f.hwnd);
    const std::string text = "abcdef\r\nab\r\nabcdef\r\n";
    f.Open(text);
    f.Caret(0, 1);
    f.AltShift(VK_DOWN, 2);
    f.AltShift(VK_RIGHT, 2);
    SendMessageA(gEditorWnd, EM_SETREADONLY, TRUE, 0);
    REQUIRE(CopyTextToClipboard(f.hwnd, "Q"));
    TypeText("x");
    f.Press(VK_DELETE);
    f.Press(VK_BACK);
    f.Press(VK_TAB);
    f.Press(VK_TAB, false, false, true);
    f.Command(IDM_EDIT_PASTE);
    f.Command(IDM_EDIT_CUT);
    CHECK(EditorText() == text);
    CHECK(gBlockMode);
    f.Command(IDM_EDIT_COPY);
    CHECK(ClipboardTextBytes(f.hwnd) == "bc\r\nb\r\nbc");
}

TEST_CASE("with Vim on and not inserting, a key runs its command and is not typed into every row")
{
    BlockFixture f;
    REQUIRE(f.hwnd);
    const std::string text = "abcdef\r\nabcdef\r\nabcdef\r\n";
    f.Open(text);
    f.Caret(0, 2);
    f.AltShift(VK_DOWN, 2);
    PressKey(f.hwnd, VK_F12);
    PumpMessages(f.hwnd);
    REQUIRE(gVimEnabled);
    // x in NORMAL mode deletes at the control's caret (the block caret); its character,
    // which TranslateMessage makes of the key, goes nowhere.
    PressKey(f.hwnd, 'X');
    PumpMessages(f.hwnd);
    CHECK(EditorText() == "abcdef\r\nabcdef\r\nabdef\r\n");
    // In INSERT mode the characters are typed into every row.
    PressKey(f.hwnd, 'I');
    PumpMessages(f.hwnd);
    REQUIRE(gVimMode == kVimInsert);
    TypeText("y");
    CHECK(Count(EditorText(), 'y') == 3);
}

TEST_CASE("a click, Esc, PgDn or a tab switch leaves block mode")
{
    BlockFixture f;
    REQUIRE(f.hwnd);
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    f.Open(text);
    auto enter = [&]() {
        f.Caret(3, 2);
        f.AltShift(VK_DOWN, 2);
        f.AltShift(VK_RIGHT);
        REQUIRE(gBlockMode);
    };

    enter();
    f.Press(VK_ESCAPE);
    CHECK_FALSE(gBlockMode);
    // The control's caret is where the block caret was.
    CHECK(f.CaretOffset() == f.LineStart(5) + 3);

    enter();
    POINT p = f.At(f.LineStart(1) + 4);
    f.Mouse(WM_LBUTTONDOWN, p.x + 1, p.y + 2, false);
    f.Mouse(WM_LBUTTONUP, p.x + 1, p.y + 2, false);
    CHECK_FALSE(gBlockMode);
    CHECK(f.CaretOffset() == f.LineStart(1) + 4);

    enter();
    f.Press(VK_NEXT);
    CHECK_FALSE(gBlockMode);
    // The control paged from the block caret.
    CHECK(SendMessageA(gEditorWnd, EM_LINEFROMCHAR, f.CaretOffset(), 0) > 5);

    // Keys that leave block mode and then go on to the control.
    struct Exit {
        const char* name;
        int vk;
        bool ctrl, alt, shift;
    };
    const Exit exits[] = {
        {"Shift+Home", VK_HOME, false, false, true},
        {"Ctrl+Alt+Home", VK_HOME, true, true, false},
        {"Ctrl+Alt+End", VK_END, true, true, false},
    };
    for (const Exit& exit : exits) {
        CAPTURE(exit.name);
        enter();
        f.Press(exit.vk, exit.ctrl, exit.alt, exit.shift);
        CHECK_FALSE(gBlockMode);
    }

    enter();
    p = f.At(f.LineStart(1) + 2);
    f.Mouse(WM_LBUTTONDBLCLK, p.x + 1, p.y + 2, false);
    f.Mouse(WM_LBUTTONUP, p.x + 1, p.y + 2, false);
    CHECK_FALSE(gBlockMode);

    f.Caret(3, 2);
    enter();
    f.Open("another\r\ntab\r\n");
    CHECK_FALSE(gBlockMode);
    CHECK_FALSE(gPerLineCaretColumnsOn);
}

TEST_CASE("Tab and Shift+Tab on a block are one undo step each and keep block mode")
{
    BlockFixture f;
    REQUIRE(f.hwnd);
    const std::string text = "abc\r\nde\r\nfghij\r\n";
    f.Open(text);
    f.Caret(0, 1);
    f.AltShift(VK_DOWN, 2);
    f.AltShift(VK_RIGHT);
    REQUIRE(gBlockMode);
    // A block with width: the whole lines are indented, the block moves with them.
    f.Press(VK_TAB);
    const std::string indented = "  abc\r\n  de\r\n  fghij\r\n";
    CHECK(EditorText() == indented);
    CHECK(gBlockMode);
    CHECK((gBlockAnchorColumn == 3 && gBlockCaretColumn == 4));
    f.Press(VK_TAB, false, false, true);
    CHECK(EditorText() == text);
    CHECK((gBlockAnchorColumn == 1 && gBlockCaretColumn == 2));
    f.Undo();
    CHECK(EditorText() == indented);
    f.Undo();
    CHECK(EditorText() == text);
}

TEST_CASE("an Alt+Shift drag selects a block and scrolls when it leaves the window")
{
    BlockFixture f;
    REQUIRE(f.hwnd);
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "0123456789 line " + std::to_string(i) + "\r\n";
    f.Open(text);
    SendMessageA(gEditorWnd, EM_LINESCROLL, 0, 50);
    int first = (int)SendMessageA(gEditorWnd, EM_GETFIRSTVISIBLELINE, 0, 0);
    POINT a = f.At(f.LineStart(first + 2) + 3), b = f.At(f.LineStart(first + 5) + 7);
    f.Caret(first + 1, 4);
    f.Mouse(WM_LBUTTONDOWN, a.x + 1, a.y + 2, true);
    CHECK(gBlockMode);
    CHECK(gBlockMouseDrag);
    f.Mouse(WM_MOUSEMOVE, b.x + 1, b.y + 2, true);
    CHECK((gBlockCaretLine == first + 5 && gBlockCaretColumn == 7));
    // The anchor came from the caret before the click.
    CHECK((gBlockAnchorLine == first + 1 && gBlockAnchorColumn == 4));
    // Above the window: one line up per movement.
    f.Mouse(WM_MOUSEMOVE, b.x, -5, true);
    f.Mouse(WM_MOUSEMOVE, b.x, -6, true);
    CHECK(SendMessageA(gEditorWnd, EM_GETFIRSTVISIBLELINE, 0, 0) == first - 2);
    f.Mouse(WM_LBUTTONUP, b.x, -6, true);
    CHECK(gBlockMode);
    CHECK_FALSE(gBlockMouseDrag);
    CHECK(GetCapture() != gEditorWnd);
}

TEST_CASE("the block shows inverted over the text, a zero-width row as a bar")
{
    BlockFixture f;
    REQUIRE(f.hwnd);
    f.Open("alpha beta\r\ngamma delta\r\nab\r\nepsilon\r\n");
    int cell = MeasureCellWidth(gEditorWnd), lh = EditorLineHeight(gEditorWnd);

    // The control's caret out of the way of the rows compared.
    f.Caret(3, 7);
    Shot plain = TakeShot(gEditorWnd);
    f.Caret(0, 2);
    f.AltShift(VK_DOWN, 2);
    f.AltShift(VK_RIGHT, 4);
    Shot block = TakeShot(gEditorWnd);
    POINT origin = f.At(0);
    auto inverted = [&](int x, int y) {
        COLORREF a = plain.At(x, y), b = block.At(x, y);
        return GetRValue(a) + GetRValue(b) == 255 && GetGValue(a) + GetGValue(b) == 255 &&
               GetBValue(a) + GetBValue(b) == 255;
    };
    for (int row = 0; row < 3; ++row) {
        CAPTURE(row);
        // Near the top of the row, clear of the whitespace marks drawn over the block.
        int y = origin.y + row * lh + 2;
        for (int column = 2; column < 6; ++column)
            CHECK(inverted(origin.x + column * cell + cell / 2, y));
        CHECK(block.At(origin.x + cell, y) == plain.At(origin.x + cell, y));
        CHECK(block.At(origin.x + 7 * cell, y) == plain.At(origin.x + 7 * cell, y));
    }
    // Below the block nothing changes.
    int below = origin.y + 3 * lh + lh / 2;
    CHECK(block.At(origin.x + 3 * cell, below) == plain.At(origin.x + 3 * cell, below));

    // A zero-width block: a 2-pixel bar on every row, also past the end of "ab".
    f.Press(VK_LEFT);
    Shot bars = TakeShot(gEditorWnd);
    for (int row = 0; row < 3; ++row) {
        int y = origin.y + row * lh + 2, x = origin.x + 2 * cell;
        CHECK(bars.At(x, y) != plain.At(x, y));
        CHECK(bars.At(x + 2, y) == plain.At(x + 2, y));
    }

    // A copy to look at: ZV_BLOCK_SHOT=folder writes block.bmp there.
    if (const char* folder = getenv("ZV_BLOCK_SHOT")) {
        Shot s = block;
        std::string path = std::string(folder) + "\\block.bmp";
        FILE* out = fopen(path.c_str(), "wb");
        if (out) {
            BITMAPFILEHEADER fh;
            BITMAPINFOHEADER ih;
            ZeroMemory(&fh, sizeof(fh));
            ZeroMemory(&ih, sizeof(ih));
            ih.biSize = sizeof(ih);
            ih.biWidth = s.w;
            ih.biHeight = -s.h;
            ih.biPlanes = 1;
            ih.biBitCount = 32;
            fh.bfType = 0x4D42;
            fh.bfOffBits = sizeof(fh) + sizeof(ih);
            fh.bfSize = fh.bfOffBits + (DWORD)s.px.size() * 4;
            fwrite(&fh, sizeof(fh), 1, out);
            fwrite(&ih, sizeof(ih), 1, out);
            // Opaque: viewers read the fourth byte as alpha.
            for (DWORD& px : s.px)
                px |= 0xFF000000;
            fwrite(s.px.data(), 4, s.px.size(), out);
            fclose(out);
        }
    }
}
