#include <doctest/doctest.h>

#include "tests/window/harness.h"
#include "tests/unit/vim_keys.h"

#include "app/command_ids.h"
#include "app/main_window.h"
#include "document/document.h"
#include "document/undo_core.h"
#include "vim/vim.h"

#include <string>

namespace {

// Keys through the program's message loop: the key-down goes through the shortcut table
// and TranslateMessage, and the character it makes follows as the loop delivers it.
void VimKeys(HWND mainWnd, const char* keys)
{
    for (const char* p = keys; *p; ++p) {
        KeyStroke k = StrokeOf(*p);
        PressKey(mainWnd, k.vk, false, false, k.shift, gEditorWnd);
        PumpMessages(mainWnd);
    }
}

void CtrlKey(HWND mainWnd, int vk)
{
    PressKey(mainWnd, vk, true, false, false, gEditorWnd);
    PumpMessages(mainWnd);
}

void Caret(int at)
{
    SendMessageA(gEditorWnd, EM_SETSEL, at, at);
}

int CaretPosition()
{
    DWORD s = 0, e = 0;
    SendMessageA(gEditorWnd, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    return s == e ? (int)e : -1;
}

size_t UndoSteps()
{
    return GetActiveDocument()->history->undo.size();
}

} // namespace

TEST_CASE("F12 in the message loop switches the mode, its status suffix and check mark")
{
    TestWindow f;
    REQUIRE(f.hwnd);
    SetFocus(gEditorWnd);
    HMENU bar = GetMenu(f.hwnd);
    std::string plain = StatusText();
    CHECK(plain.find(" | VIM:") == std::string::npos);
    PressKey(f.hwnd, VK_F12);
    PumpMessages(f.hwnd);
    CHECK(gVimEnabled);
    CHECK(StatusText() == plain + " | VIM: NORMAL");
    CHECK((GetMenuState(bar, IDM_TOOLS_VIM_MODE, MF_BYCOMMAND) & MF_CHECKED) != 0);
    VimKeys(f.hwnd, "3d");
    CHECK(StatusText() == plain + " | VIM: NORMAL 3 (Pending: d)");
    VimKeys(f.hwnd, "\x1b:w");
    CHECK(StatusText() == plain + " | VIM: COMMAND :w");
    VimKeys(f.hwnd, "\x1b");
    PressKey(f.hwnd, VK_F12);
    PumpMessages(f.hwnd);
    CHECK_FALSE(gVimEnabled);
    CHECK(StatusText() == plain);
    CHECK((GetMenuState(bar, IDM_TOOLS_VIM_MODE, MF_BYCOMMAND) & MF_CHECKED) == 0);
}

TEST_CASE("the status text is read by its length, not into a fixed buffer")
{
    TestWindow f;
    REQUIRE(f.hwnd);
    std::string longText(900, 'z');
    SetStatusText((longText + " | VIM: INSERT").c_str());
    gVimEnabled = true;
    VimUpdateStatus();
    CHECK(StatusText() == longText + " | VIM: NORMAL");
    gVimEnabled = false;
    VimUpdateStatus();
    CHECK(StatusText() == longText);
}

TEST_CASE("keys reach the mode through the message loop and edit through the undo recorder")
{
    TestWindow f;
    REQUIRE(f.hwnd);
    SetFocus(gEditorWnd);
    TypeText("one\rtwo\rthree");
    REQUIRE(EditorText() == "one\r\ntwo\r\nthree");
    PressKey(f.hwnd, VK_F12);
    PumpMessages(f.hwnd);
    REQUIRE(gVimEnabled);

    Caret(5);
    VimKeys(f.hwnd, "yyp");
    CHECK(EditorText() == "one\r\ntwo\r\ntwo\r\nthree");
    CHECK(CaretPosition() == 10);
    CHECK(ClipboardTextBytes(f.hwnd) == "two\r\n");
    VimKeys(f.hwnd, "u");
    CHECK(EditorText() == "one\r\ntwo\r\nthree");

    // h, j, k, l go to the control itself, which keeps the column.
    Caret(1);
    VimKeys(f.hwnd, "2jl");
    CHECK(CaretPosition() == 12);
    VimKeys(f.hwnd, "dd");
    CHECK(EditorText() == "one\r\ntwo\r\n");
    VimKeys(f.hwnd, "gg3x");
    CHECK(EditorText() == "\r\ntwo\r\n");
    VimKeys(f.hwnd, "u");
    CHECK(EditorText() == "one\r\ntwo\r\n");

    // A substitution is one undo step, undone by Ctrl+Z in the message loop.
    size_t before = UndoSteps();
    VimKeys(f.hwnd, ":%s/o/0/g\r");
    CHECK(EditorText() == "0ne\r\ntw0\r\n");
    CHECK(UndoSteps() == before + 1);
    CtrlKey(f.hwnd, 'Z');
    CHECK(EditorText() == "one\r\ntwo\r\n");

    // Undo puts the caret back where it was before the command, not where the last
    // typed character left it.
    Caret(0);
    VimKeys(f.hwnd, "jdw");
    CHECK(EditorText() == "one\r\n");
    VimKeys(f.hwnd, "ggu");
    CHECK(EditorText() == "one\r\ntwo\r\n");
    CHECK(CaretPosition() == 5);

    // In INSERT the characters reach the text; Esc steps back one character.
    VimKeys(f.hwnd, "AXY\x1b");
    CHECK(EditorText() == "one\r\ntwoXY\r\n");
    CHECK(CaretPosition() == 9);
}

TEST_CASE("a key that sets the swallow flag without a character does not eat the next one")
{
    TestWindow f;
    REQUIRE(f.hwnd);
    SetFocus(gEditorWnd);
    PressKey(f.hwnd, VK_F12);
    PumpMessages(f.hwnd);
    // The key-down of i alone, as a program or a dead key may send it.
    SendMessageA(gEditorWnd, WM_KEYDOWN, 'I', 1);
    REQUIRE(gVimMode == kVimInsert);
    VimKeys(f.hwnd, "ab");
    CHECK(EditorText() == "ab");
}

TEST_CASE("a read-only document takes no Vim edits")
{
    TestWindow f;
    REQUIRE(f.hwnd);
    SetFocus(gEditorWnd);
    TypeText("abc\rdef");
    SendMessageA(f.hwnd, WM_COMMAND, IDM_EDIT_READ_ONLY, 0);
    REQUIRE((GetWindowLongA(gEditorWnd, GWL_STYLE) & ES_READONLY) != 0);
    PressKey(f.hwnd, VK_F12);
    PumpMessages(f.hwnd);
    Caret(0);
    VimKeys(f.hwnd, "xddJo\x1b:%s/a/b/g\r");
    CHECK(EditorText() == "abc\r\ndef");
    VimKeys(f.hwnd, "w");
    CHECK(CaretPosition() == 5);
}

TEST_CASE("shifted and Ctrl commands keep their operator and count through the modifier's key-down")
{
    TestWindow f;
    REQUIRE(f.hwnd);
    SetFocus(gEditorWnd);
    PressKey(f.hwnd, VK_F12);
    PumpMessages(f.hwnd);
    REQUIRE(gVimEnabled);
    struct Row {
        const char* text;
        int caret;
        const char* keys;
        const char* result;
        int resultCaret;
        const char* clipboard; // null: not looked at
    } rows[] = {
        {"ab cd\r\nef", 0, "d$", "\r\nef", 0, nullptr},
        {"(ab)c", 0, "d%", ")c", 0, nullptr},
        {"l1\r\nl2\r\nl3", 4, "dG", "l1\r\n", 4, nullptr},
        {"xyzabc", 5, "dFx", "c", 0, nullptr},
        {"ab cd\r\nef", 3, "c$X\x1b", "ab X\r\nef", 3, "cd"},
        {"ab cd\r\nef", 0, "y$", "ab cd\r\nef", 0, "ab cd"},
        {"1\r\n2\r\n3\r\n4\r\n5\r\n6", 0, "5G", "1\r\n2\r\n3\r\n4\r\n5\r\n6", 12, nullptr},
        {"a\r\nb\r\nc\r\nd", 0, "3J", "a b c d", 5, nullptr},
        {"abcd", 0, "3~", "ABCd", 3, nullptr},
        // A line's end in VISUAL takes the whole line break; the last line yanks as a line.
        {"ab\r\ncd", 0, "$vd", "abcd", 2, nullptr},
        {"one\r\nthree", 7, "yyp", "one\r\nthree\r\nthree\r\n", 12, "three\r\n"},
    };
    for (const Row& r : rows) {
        CAPTURE(r.text);
        CAPTURE(r.keys);
        SetWindowTextA(gEditorWnd, r.text);
        REQUIRE(EditorText() == r.text);
        Caret(r.caret);
        VimKeys(f.hwnd, r.keys);
        CHECK(EditorText() == r.result);
        CHECK(CaretPosition() == r.resultCaret);
        if (r.clipboard)
            CHECK(ClipboardTextBytes(f.hwnd) == r.clipboard);
        CHECK(gVimMode == kVimNormal);
    }
}

TEST_CASE("a count, then Ctrl+R, redoes as many steps")
{
    TestWindow f;
    REQUIRE(f.hwnd);
    SetFocus(gEditorWnd);
    TypeText("abc");
    PressKey(f.hwnd, VK_F12);
    PumpMessages(f.hwnd);
    REQUIRE(gVimEnabled);
    // Substitutions make one undo step each (typed changes in quick succession would
    // merge into one).
    VimKeys(f.hwnd, ":%s/a/x/\r:%s/b/y/\r:%s/c/z/\r");
    REQUIRE(EditorText() == "xyz");
    VimKeys(f.hwnd, "3u");
    REQUIRE(EditorText() == "abc");
    VimKeys(f.hwnd, "2");
    CtrlKey(f.hwnd, 'R');
    CHECK(EditorText() == "xyc");
}
