#include <doctest/doctest.h>

#include "tests/window/harness.h"

#include "app/command_ids.h"
#include "app/settings.h"
#include "app/main_window.h"
#include "app/message_loop.h"
#include "app/tabs.h"
#include "editor/block_state.h"
#include "editor/editor_keys.h"
#include "editor/editor_paint.h"
#include "editor/editor_window.h"
#include "search/find.h"
#include "vim/vim.h"

#include <string>
#include <utility>

namespace {

const COLORREF kOccurrenceBox = RGB(186, 230, 186);

struct KeysFixture : TestWindow {
    ~KeysFixture()
    {
        gVimEnabled = false;
        gVimMode = kVimNormal;
        if (gFindWnd)
            DestroyWindow(gFindWnd);
    }
    void Open(const std::string& text)
    {
        std::string name = "keys" + std::to_string(files.size()) + ".txt";
        OpenFileByPath(hwnd, File(name.c_str(), text).c_str());
        PumpMessages(hwnd, 20);
        SetFocus(gEditorWnd);
        REQUIRE(EditorText() == text);
    }
    int LineStart(int line) { return (int)SendMessageA(gEditorWnd, EM_LINEINDEX, line, 0); }
    // A key as the keyboard delivers it, modifiers first, through the message loop, with
    // the characters that TranslateMessage makes of it handled while the modifiers are
    // still down.
    void Press(int vk, bool ctrl = false, bool alt = false, bool shift = false)
    {
        HoldModifiers(hwnd, ctrl, alt, shift);
        KeyDown(hwnd, vk);
        PumpMessages(hwnd);
        SetModifiers(false, false, false);
    }
    // A key that reaches the editor past the message loop's table (as in another loop).
    void PressInEditor(int vk, bool ctrl = false, bool shift = false)
    {
        RunKeyThrough(gEditorWnd, vk, ctrl, false, shift, [](MSG*) { return false; });
    }
    // Alt with a key comes as WM_SYSKEYDOWN, here sent straight to the editor. Windows'
    // control takes Alt from the context bit (29) of lParam, Wine's from bit 13: both are
    // set.
    void SysKey(int vk, bool shift = false)
    {
        HoldModifiers(hwnd, false, true, shift, gEditorWnd);
        SendMessageA(gEditorWnd, WM_SYSKEYDOWN, vk, 1 | 0x2000 | (1 << 29));
        SetModifiers(false, false, false);
    }
    POINT At(int offset)
    {
        LRESULT p = SendMessageA(gEditorWnd, EM_POSFROMCHAR, offset, 0);
        REQUIRE(p != -1);
        return POINT{(short)LOWORD(p), (short)HIWORD(p)};
    }
    void Mouse(UINT msg, POINT p, bool shift = false)
    {
        if (shift)
            HoldModifiers(hwnd, false, false, true, gEditorWnd);
        SendMessageA(gEditorWnd, msg, (msg == WM_LBUTTONUP ? 0 : MK_LBUTTON) | (shift ? MK_SHIFT : 0),
                     MAKELPARAM((WORD)(short)p.x, (WORD)(short)p.y));
        SetModifiers(false, false, false);
    }
    // A click just right of the left edge of the character at offset.
    void Click(int offset, bool shift = false)
    {
        POINT p = At(offset);
        p.x += 1;
        p.y += 2;
        Mouse(WM_LBUTTONDOWN, p, shift);
        Mouse(WM_LBUTTONUP, p, shift);
    }
    void DoubleClick(int offset)
    {
        Click(offset);
        POINT p = At(offset);
        p.x += 1;
        p.y += 2;
        Mouse(WM_LBUTTONDBLCLK, p);
        Mouse(WM_LBUTTONUP, p);
    }
};

std::pair<int, int> Sel(int s, int e)
{
    return {s, e};
}

} // namespace

TEST_CASE("smart Home alternates between the first letter and the line start")
{
    KeysFixture f;
    REQUIRE(f.hwnd);
    f.Open("first\r\n    word here\r\n");
    int start = f.LineStart(1);
    SelectInEditor(start + 6, start + 6);
    f.Press(VK_HOME);
    CHECK(EditorSelection() == Sel(start + 4, start + 4));
    f.Press(VK_HOME);
    CHECK(EditorSelection() == Sel(start, start));
    f.Press(VK_HOME, true); // Ctrl+Home is Home here
    CHECK(EditorSelection() == Sel(start + 4, start + 4));
    CHECK(EditorText() == "first\r\n    word here\r\n");

    // Shift+Home from inside the word selects back to its first letter; the fixed end
    // stays the anchor, so Left collapses to the letter.
    SelectInEditor(start + 6, start + 6);
    f.Press(VK_HOME, false, false, true);
    CHECK(EditorSelection() == Sel(start + 4, start + 6));
    CHECK(GetSelectionActiveEnd(gEditorWnd) == start + 4);
    f.Press(VK_LEFT);
    CHECK(EditorSelection() == Sel(start + 4, start + 4));
}

TEST_CASE("Tab indents the selected lines as one step, Shift+Tab takes it back")
{
    KeysFixture f;
    REQUIRE(f.hwnd);
    const std::string text = "one\r\ntwo\r\nthree\r\nfour\r\nfive\r\nsix\r\nseven\r\n";
    f.Open(text);
    // From the middle of line 3 to the very start of line 6: lines 3 to 5.
    int s = f.LineStart(2) + 2, e = f.LineStart(5);
    SelectInEditor(s, e);
    f.Press(VK_TAB);
    CHECK(EditorText() == "one\r\ntwo\r\n  three\r\n  four\r\n  five\r\nsix\r\nseven\r\n");
    CHECK(EditorSelection() == Sel(s, e + 6));
    f.Press(VK_TAB, false, false, true);
    CHECK(EditorText() == text);
    CHECK(EditorSelection() == Sel(s, e));
    f.Press(VK_TAB);
    f.Press('Z', true);
    CHECK(EditorText() == text);

    // Tab with an empty selection: two spaces at the caret, even inside a word.
    SelectInEditor(1, 1);
    f.Press(VK_TAB);
    CHECK(EditorText().substr(0, 7) == "o  ne\r\n");
    CHECK(EditorSelection() == Sel(3, 3));
}

TEST_CASE("Shift+Tab takes one tab or up to two spaces from each line")
{
    KeysFixture f;
    REQUIRE(f.hwnd);
    f.Open(" \tspace then tab\r\n   three\r\n\ttab\r\nnone\r\n");
    SelectInEditor(2, f.LineStart(3) + 2);
    f.Press(VK_TAB, false, false, true);
    CHECK(EditorText() == "\tspace then tab\r\n three\r\ntab\r\nnone\r\n");
    // The caret's line alone, with an empty selection.
    SelectInEditor(f.LineStart(1) + 3, f.LineStart(1) + 3);
    f.Press(VK_TAB, false, false, true);
    CHECK(EditorText() == "\tspace then tab\r\nthree\r\ntab\r\nnone\r\n");
    // An end inside the removed indentation stays on its line.
    f.Press('Z', true);
    f.Press('Z', true);
    SelectInEditor(0, f.LineStart(1) + 1);
    f.Press(VK_TAB, false, false, true);
    CHECK(EditorText() == "\tspace then tab\r\n three\r\n\ttab\r\nnone\r\n");
    CHECK(EditorSelection() == Sel(0, f.LineStart(1)));
}

TEST_CASE("Ctrl+Left and Ctrl+Right move by words")
{
    KeysFixture f;
    REQUIRE(f.hwnd);
    f.Open("word   second\r\n\r\n  next foo.bar");
    SelectInEditor(0, 0);
    f.Press(VK_RIGHT, true);
    CHECK(EditorSelection() == Sel(7, 7));
    // At the end of a line: the first word of the next line that holds one.
    f.Press(VK_RIGHT, true);
    int next = f.LineStart(2) + 2;
    CHECK(EditorSelection() == Sel(next, next));
    // Back over two words joined by a full stop.
    int end = (int)EditorText().size();
    SelectInEditor(end, end);
    f.Press(VK_LEFT, true);
    CHECK(EditorSelection() == Sel(end - 3, end - 3));
    f.Press(VK_LEFT, true);
    CHECK(EditorSelection() == Sel(end - 4, end - 4));
    f.Press(VK_LEFT, true);
    CHECK(EditorSelection() == Sel(end - 7, end - 7));
    // The end of the text stays where it is.
    SelectInEditor(end, end);
    f.Press(VK_RIGHT, true);
    CHECK(EditorSelection() == Sel(end, end));

    // With Shift the start stays fixed; Right then collapses to the moving end without
    // going further, Left with the same selection backwards to its start.
    SelectInEditor(0, 0);
    f.Press(VK_RIGHT, true, false, true);
    f.Press(VK_RIGHT, true, false, true);
    CHECK(EditorSelection() == Sel(0, next));
    f.Press(VK_LEFT, true, false, true);
    CHECK(EditorSelection() == Sel(0, 7));
    f.Press(VK_RIGHT);
    CHECK(EditorSelection() == Sel(7, 7));
    SelectInEditor(7, 0);
    gSelAnchor = 7;
    f.Press(VK_RIGHT);
    CHECK(EditorSelection() == Sel(0, 0));
}

TEST_CASE("Ctrl+L writes the rule of hyphens, also in NORMAL and block mode")
{
    KeysFixture f;
    REQUIRE(f.hwnd);
    const std::string rule(22, '-');
    f.Open("ab\r\ncd\r\n");
    SelectInEditor(1, 1);
    f.Press('L', true);
    CHECK(EditorText() == "a" + rule + "b\r\ncd\r\n");
    f.Press('Z', true);
    CHECK(EditorText() == "ab\r\ncd\r\n");

    f.Press(VK_F12);
    REQUIRE(gVimEnabled);
    REQUIRE(gVimMode == kVimNormal);
    SelectInEditor(0, 0);
    f.Press('L', true);
    CHECK(EditorText() == rule + "ab\r\ncd\r\n");
    f.Press(VK_F12);
    REQUIRE_FALSE(gVimEnabled);

    // In block mode at the control's own caret, which the block caret placed.
    SelectInEditor(1, 1);
    f.SysKey(VK_DOWN, true);
    REQUIRE(gBlockMode);
    f.Press('L', true);
    CHECK(EditorText() == rule + "ab\r\nc" + rule + "d\r\n");
}

TEST_CASE("Ctrl shortcut characters never reach the text")
{
    KeysFixture f;
    REQUIRE(f.hwnd);
    f.Open("alpha\r\nbeta\r\n");
    SelectInEditor(2, 2);
    f.Press('A', true);
    CHECK(EditorSelection() == Sel(0, 13));
    SelectInEditor(2, 2);
    f.Press(VK_RETURN, true);
    f.Press(VK_BACK, true);
    f.Press('H', true);
    if (gFindWnd)
        DestroyWindow(gFindWnd);
    SetFocus(gEditorWnd);
    CHECK(EditorText() == "alpha\r\nbeta\r\n");

    // The same keys arriving past the message loop: the editor's own table takes them.
    f.PressInEditor('A', true);
    CHECK(EditorSelection() == Sel(0, 13));
    SelectInEditor(2, 2);
    f.PressInEditor('H', true);
    CHECK(gFindWnd != nullptr);
    if (gFindWnd)
        DestroyWindow(gFindWnd);
    SetFocus(gEditorWnd);
    f.PressInEditor(VK_RETURN, true);
    f.PressInEditor('J', true);
    CHECK(EditorText() == "alpha\r\nbeta\r\n");
    // Plain Enter still breaks the line.
    f.Press(VK_RETURN);
    CHECK(EditorText() == "al\r\npha\r\nbeta\r\n");
}

TEST_CASE("the editor's own Undo, Redo and Select All end block mode; its function keys")
{
    KeysFixture f;
    REQUIRE(f.hwnd);
    f.Open("ab\r\ncd\r\n");
    SelectInEditor(1, 1);
    TypeText("x");
    f.SysKey(VK_DOWN, true);
    REQUIRE(gBlockMode);
    f.PressInEditor('Z', true);
    CHECK_FALSE(gBlockMode);
    CHECK(EditorText() == "ab\r\ncd\r\n");
    f.SysKey(VK_DOWN, true);
    f.PressInEditor('Y', true);
    CHECK_FALSE(gBlockMode);
    CHECK(EditorText() == "axb\r\ncd\r\n");
    f.SysKey(VK_DOWN, true);
    f.PressInEditor('A', true, true);
    CHECK_FALSE(gBlockMode);
    CHECK(EditorSelection() == Sel(0, 9));

    // F12 and F11 with modifiers the message loop does not take.
    HMENU bar = GetMenu(f.hwnd);
    bool diff = gDiffMode;
    f.PressInEditor(VK_F12, true);
    CHECK(gVimEnabled);
    CHECK((GetMenuState(bar, IDM_TOOLS_VIM_MODE, MF_BYCOMMAND) & MF_CHECKED) != 0);
    f.PressInEditor(VK_F12, true);
    CHECK_FALSE(gVimEnabled);
    CHECK((GetMenuState(bar, IDM_TOOLS_VIM_MODE, MF_BYCOMMAND) & MF_CHECKED) == 0);
    f.PressInEditor(VK_F11, true);
    CHECK(gDiffMode != diff);
    f.PressInEditor(VK_F11, true);
    // F3 without a search text opens the Find window.
    CHECK(gFindWnd == nullptr);
    f.PressInEditor(VK_F3, true);
    CHECK(gFindWnd != nullptr);
}

TEST_CASE("Ctrl+Backspace and Alt+Backspace leave the text and its history alone")
{
    KeysFixture f;
    REQUIRE(f.hwnd);
    f.Open("start\r\n");
    SelectInEditor(5, 5);
    TypeText(" more");
    REQUIRE(EditorText() == "start more\r\n");
    // Windows makes Ctrl+Backspace the character 0x7F, Wine 0x08 with Ctrl held.
    f.Press(VK_BACK, true);
    SetModifiers(true, false, false);
    SendMessageA(gEditorWnd, WM_CHAR, 0x7F, 1);
    SetModifiers(false, false, false);
    f.SysKey(VK_BACK);
    CHECK(EditorText() == "start more\r\n");
    f.Press('Z', true);
    CHECK(EditorText() != "start more\r\n");
    f.Press('Y', true);
    CHECK(EditorText() == "start more\r\n");
    // A plain Backspace deletes as ever.
    f.Press(VK_BACK);
    CHECK(EditorText() == "start mor\r\n");
}

TEST_CASE("Ctrl+L, F5 and Tab change nothing in a read-only document")
{
    KeysFixture f;
    REQUIRE(f.hwnd);
    const std::string text = "keep\r\n  this\r\n";
    f.Open(text);
    SendMessageA(f.hwnd, WM_COMMAND, IDM_EDIT_READ_ONLY, 0);
    SelectInEditor(1, 1);
    f.Press('L', true);
    f.Press(VK_F5);
    f.Press(VK_TAB);
    SelectInEditor(0, 10);
    f.Press(VK_TAB);
    f.Press(VK_TAB, false, false, true);
    CHECK(EditorText() == text);

    SendMessageA(f.hwnd, WM_COMMAND, IDM_EDIT_READ_ONLY, 0);
    SelectInEditor(0, 0);
    f.Press(VK_F5);
    std::string stamped = EditorText();
    REQUIRE(stamped.size() == text.size() + 19);
    CHECK(stamped.substr(19) == text);
    for (int i : {4, 7})
        CHECK(stamped[i] == '-');
    CHECK(stamped[10] == ' ');
    for (int i : {13, 16})
        CHECK(stamped[i] == ':');
}

TEST_CASE("a double click boxes the word's other whole-word occurrences until an arrow key")
{
    KeysFixture f;
    REQUIRE(f.hwnd);
    const std::string text = "value x Value values _value (VALUE)\r\nvalue2 value.\r\n";
    f.Open(text);
    SelectInEditor(0, 0);
    f.DoubleClick(2);
    CHECK(EditorSelection() == Sel(0, 5));
    CHECK(gSelAnchor == 0);
    int second = f.LineStart(1) + 7;
    REQUIRE(gWordHighlights.size() == 4);
    CHECK(gWordHighlights[1].start == 8);
    CHECK(gWordHighlights[2].start == 29);
    CHECK(gWordHighlights[3].start == second);

    int cell = MeasureCellWidth(gEditorWnd);
    auto inside = [&](int offset) {
        POINT p = f.At(offset);
        return POINT{p.x + cell / 2, p.y + 1};
    };
    Shot shot = TakeShot(gEditorWnd);
    for (int boxed : {9, 30, second + 1}) {
        CAPTURE(boxed);
        POINT p = inside(boxed);
        CHECK(shot.At(p.x, p.y) == kOccurrenceBox);
    }
    for (int plain : {15, 22}) { // "values" and "_value"
        CAPTURE(plain);
        POINT p = inside(plain);
        CHECK(shot.At(p.x, p.y) != kOccurrenceBox);
    }

    f.Press(VK_RIGHT);
    CHECK(EditorSelection() == Sel(5, 5));
    shot = TakeShot(gEditorWnd);
    CHECK(gWordHighlights.empty());
    POINT p = inside(9);
    CHECK(shot.At(p.x, p.y) != kOccurrenceBox);

    // Punctuation is selected without boxes; a word that occurs once gets none either.
    f.DoubleClick(34);
    CHECK(EditorSelection() == Sel(34, 35));
    CHECK(gWordHighlights.empty());
    f.DoubleClick(6);
    CHECK(EditorSelection() == Sel(6, 7));
    CHECK(gWordHighlights.empty());
}

TEST_CASE("clicks, anchors and double clicks past 65,535 bytes land where they point")
{
    KeysFixture f;
    REQUIRE(f.hwnd);
    // 1,000 lines of 77 letters: offset 70,000 is column 6 of line 886.
    std::string text;
    for (int i = 0; i < 1000; ++i) {
        std::string line = "row" + std::to_string(1000 + i) + " ";
        while (line.size() < 77)
            line += "word ";
        text += line.substr(0, 77) + "\r\n";
    }
    f.Open(text);
    const int target = 70000;
    REQUIRE(f.LineStart(886) + 6 == target);
    SelectInEditor(target, target);
    SendMessageA(gEditorWnd, EM_SCROLLCARET, 0, 0);
    SelectInEditor(target - 3 * 79, target - 3 * 79); // a few lines up, on the same screen
    f.Click(target);
    CHECK(EditorSelection() == Sel(target, target));
    CHECK(gSelAnchor == target);
    // Shift+click extends from there; the anchor is the caret it started from.
    f.Click(target + 10, true);
    CHECK(EditorSelection() == Sel(target, target + 10));
    CHECK(gSelAnchor == target);
    CHECK(GetSelectionActiveEnd(gEditorWnd) == target + 10);

    // The moving end found from the caret alone (no anchor known).
    gSelAnchor = -1;
    CHECK(GetSelectionActiveEnd(gEditorWnd) == target + 10);
    f.Press(VK_LEFT);
    CHECK(EditorSelection() == Sel(target + 10, target + 10));

    // "row1886 word word ...": a double click on the third word selects it there.
    int word = f.LineStart(886) + 13;
    f.DoubleClick(word + 1);
    CHECK(EditorSelection() == Sel(word, word + 4));
    CHECK(gSelAnchor == word);
}
