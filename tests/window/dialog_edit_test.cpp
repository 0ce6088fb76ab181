#include <doctest/doctest.h>

#include "tests/window/harness.h"

#include "app/dialog_edit.h"
#include "app/message_loop.h"
#include "editor/clipboard.h"
#include "search/find.h"
#include "search/find_ids.h"
#include "sftp/sftp_ids.h"
#include "sftp/sftp_window.h"

#include <string.h>

#include <string>
#include <vector>

namespace {

std::vector<int> gCommands;

LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND && lParam == 0) {
        gCommands.push_back(LOWORD(wParam));
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// A popup window with the kinds of fields the dialog windows create.
struct DialogFixture {
    HWND popup = nullptr;
    HWND single, multi, password, readOnly;
    DialogFixture()
    {
        static bool registered = false;
        HINSTANCE instance = GetModuleHandleA(nullptr);
        if (!registered) {
            WNDCLASSA wc;
            ZeroMemory(&wc, sizeof(wc));
            wc.lpfnWndProc = PopupProc;
            wc.hInstance = instance;
            wc.lpszClassName = "ZorvikDialogEditTestClass";
            registered = RegisterClassA(&wc) != 0;
        }
        popup = CreateWindowExA(0, "ZorvikDialogEditTestClass", "fields", WS_POPUP | WS_VISIBLE, 10, 10,
                                400, 200, nullptr, nullptr, instance, nullptr);
        single = Field(ES_AUTOHSCROLL, 1);
        multi = Field(ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 2);
        password = Field(ES_PASSWORD | ES_AUTOHSCROLL, 3);
        readOnly = Field(ES_READONLY | ES_AUTOHSCROLL, 4);
        SubclassDialogEdits(popup);
        SetForegroundWindow(popup);
        gCommands.clear();
    }
    ~DialogFixture()
    {
        ForgetPopupButtons(popup);
        SetModifiers(false, false, false);
        DestroyWindow(popup);
    }
    HWND Field(DWORD style, int id)
    {
        return CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 10,
                               10 + (id - 1) * 40, 300, 30, popup, (HMENU)(INT_PTR)id,
                               GetModuleHandleA(nullptr), nullptr);
    }
};

std::string Text(HWND field)
{
    char buffer[512] = "";
    GetWindowTextA(field, buffer, sizeof(buffer));
    return buffer;
}

void SetText(HWND field, const char* text, int caret)
{
    SetWindowTextA(field, text);
    SendMessageA(field, EM_SETSEL, caret, caret);
}

// A key sent straight to the field with the modifiers held.
void Key(HWND field, int vk, bool ctrl, bool shift = false, bool alt = false)
{
    SetModifiers(ctrl, alt, shift);
    SendMessageA(field, WM_KEYDOWN, vk, 1);
    SetModifiers(false, false, false);
}

// A key through the program's message loop, which offers it to IsDialogMessage of the
// modeless windows, then the characters it translates to.
void LoopKey(HWND field, int vk, bool shift)
{
    SetModifiers(false, false, shift);
    RunKeyThrough(field, vk, [](MSG* msg) {
        ProcessLoopMessage(nullptr, msg);
        return true;
    });
    SetModifiers(false, false, false);
}

// The same through the dialog manager of a modal window's own loop.
void DialogKey(HWND window, HWND field, int vk)
{
    RunKeyThrough(field, vk, [window](MSG* msg) { return IsDialogMessageA(window, msg) != FALSE; });
}

} // namespace

TEST_CASE("word deletion steps over blanks, then one run of word bytes or punctuation")
{
    struct Row {
        const char* text;
        int caret;
        bool backward;
        int start, end; // start == end: nothing
    } rows[] = {
        {"foo.bar  ", 9, true, 4, 9},
        {"foo.", 4, true, 3, 4},
        {"foo", 3, true, 0, 3},
        {"foo", 0, true, 0, 0},
        {"", 0, true, 0, 0},
        {"ab", 99, true, 0, 2},            // the caret never counts beyond the text
        {"  alpha beta", 0, false, 0, 7},
        {"alpha", 5, false, 0, 0},
        {"x", 1, false, 0, 0},
        {"a\tb", 1, false, 1, 3},          // a tab is a blank
        {"=>  x", 0, false, 0, 2},
        {"abc\xB0\xA1" "def ghi", 8, true, 0, 8}, // bytes 0x80 and above are word bytes
        {"(\xE9t\xE9)", 4, true, 1, 4},
        {"   ", 3, true, 0, 3},            // only blanks: they all go
    };
    for (const Row& row : rows) {
        CAPTURE(row.text);
        CAPTURE(row.caret);
        int start = -1, end = -1;
        bool found = FindWordDeletion(row.text, (int)strlen(row.text), row.caret, row.backward, &start, &end);
        CHECK(found == (row.start != row.end));
        if (found) {
            CHECK(start == row.start);
            CHECK(end == row.end);
        }
    }
}

TEST_CASE("Ctrl+Backspace and Ctrl+Delete in a field")
{
    DialogFixture d;
    REQUIRE(d.popup);
    SetText(d.single, "foo.bar  ", 9);
    Key(d.single, VK_BACK, true);
    CHECK(Text(d.single) == "foo.");
    Key(d.single, VK_BACK, true);
    CHECK(Text(d.single) == "foo");
    Key(d.single, VK_BACK, true);
    CHECK(Text(d.single) == "");

    SetText(d.single, "  alpha beta", 0);
    Key(d.single, VK_DELETE, true);
    CHECK(Text(d.single) == " beta");
    SendMessageA(d.single, EM_SETSEL, 1, 3);
    Key(d.single, VK_DELETE, true);
    CHECK(Text(d.single) == " ta"); // a selection: only the selection goes

    // The character of Ctrl+Backspace inserts nothing.
    SendMessageA(d.single, WM_CHAR, 0x7F, 1);
    CHECK(Text(d.single) == " ta");

    SetText(d.multi, "one two", 7);
    Key(d.multi, VK_BACK, true);
    CHECK(Text(d.multi) == "one ");

    SetText(d.readOnly, "fixed words", 11);
    Key(d.readOnly, VK_BACK, true);
    SendMessageA(d.readOnly, EM_SETSEL, 0, 5);
    Key(d.readOnly, VK_DELETE, true);
    CHECK(Text(d.readOnly) == "fixed words");
}

TEST_CASE("Ctrl+A selects all, but not with Shift or Alt")
{
    DialogFixture d;
    REQUIRE(d.popup);
    for (HWND field : {d.single, d.multi, d.readOnly}) {
        SetText(field, "some text", 2);
        Key(field, 'A', true);
        DWORD s = 9, e = 0;
        SendMessageA(field, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
        CHECK(s == 0);
        CHECK(e == 9);
        SendMessageA(field, EM_SETSEL, 2, 2);
        Key(field, 'A', true, true);
        Key(field, 'A', true, false, true);
        SendMessageA(field, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
        CHECK(s == 2);
        CHECK(e == 2);
        SendMessageA(field, WM_CHAR, 0x01, 1);
        CHECK(Text(field) == "some text");
    }
}

TEST_CASE("paste into a single-line field drops the line breaks")
{
    DialogFixture d;
    REQUIRE(d.popup);
    REQUIRE(CopyTextToClipboard(d.popup, "a\r\nb\nc"));
    SetText(d.single, "[]", 1);
    SendMessageA(d.single, WM_PASTE, 0, 0);
    CHECK(Text(d.single) == "[abc]");
    SetText(d.password, "", 0);
    SendMessageA(d.password, WM_PASTE, 0, 0);
    CHECK(Text(d.password) == "abc");
    SetText(d.multi, "", 0);
    SendMessageA(d.multi, WM_PASTE, 0, 0);
    CHECK(Text(d.multi) == "a\r\nb\nc");
    SetText(d.readOnly, "ro", 1);
    SendMessageA(d.readOnly, WM_PASTE, 0, 0);
    CHECK(Text(d.readOnly) == "ro");

    // Only line breaks on the clipboard: the selection is deleted.
    REQUIRE(CopyTextToClipboard(d.popup, "\r\n\r\n"));
    SetText(d.single, "keep cut", 0);
    SendMessageA(d.single, EM_SETSEL, 4, 8);
    SendMessageA(d.single, WM_PASTE, 0, 0);
    CHECK(Text(d.single) == "keep");
}

TEST_CASE("cut and copy respect password and read-only fields")
{
    DialogFixture d;
    REQUIRE(d.popup);
    REQUIRE(CopyTextToClipboard(d.popup, "start"));
    SetText(d.password, "secret", 0);
    SendMessageA(d.password, EM_SETSEL, 0, -1);
    SendMessageA(d.password, WM_COPY, 0, 0);
    SendMessageA(d.password, WM_CUT, 0, 0);
    CHECK(Text(d.password) == "secret");
    CHECK(ClipboardTextBytes(d.popup) == "start");

    SetText(d.readOnly, "shown", 0);
    SendMessageA(d.readOnly, EM_SETSEL, 0, -1);
    SendMessageA(d.readOnly, WM_CUT, 0, 0);
    CHECK(Text(d.readOnly) == "shown");
    CHECK(ClipboardTextBytes(d.popup) == "start");
    SendMessageA(d.readOnly, WM_COPY, 0, 0);
    CHECK(ClipboardTextBytes(d.popup) == "shown");

    SetText(d.single, "plain text", 0);
    SendMessageA(d.single, EM_SETSEL, 0, 5);
    SendMessageA(d.single, WM_CUT, 0, 0);
    CHECK(Text(d.single) == " text");
    CHECK(ClipboardTextBytes(d.popup) == "plain");
}

TEST_CASE("Enter and Esc get past IsDialogMessage to the field and press the window's buttons")
{
    DialogFixture d;
    REQUIRE(d.popup);
    SetText(d.single, "typed", 5);

    SetPopupButtons(d.popup, kFindWindowButtons);
    LoopKey(d.single, VK_RETURN, false);
    CHECK(gCommands == std::vector<int>{IDOK});
    gCommands.clear();
    LoopKey(d.single, VK_RETURN, true);
    CHECK(gCommands == std::vector<int>{IDC_FIND_PREV});
    gCommands.clear();
    LoopKey(d.single, VK_ESCAPE, false);
    CHECK(gCommands == std::vector<int>{IDCANCEL});

    SetPopupButtons(d.popup, kSftpWindowButtons);
    gCommands.clear();
    LoopKey(d.single, VK_RETURN, false);
    CHECK(gCommands == std::vector<int>{IDC_SFTP_OPEN});
    gCommands.clear();
    LoopKey(d.password, VK_ESCAPE, false);
    CHECK(gCommands == std::vector<int>{IDC_SFTP_CANCEL});
    ForgetPopupButtons(d.popup);

    // Any other window, with its own dialog loop, as Go to Line runs it.
    gCommands.clear();
    DialogKey(d.popup, d.single, VK_RETURN);
    CHECK(gCommands == std::vector<int>{IDOK});
    gCommands.clear();
    DialogKey(d.popup, d.single, VK_ESCAPE);
    CHECK(gCommands == std::vector<int>{IDCANCEL});
    CHECK(Text(d.single) == "typed");

    // A multi-line field keeps Enter for itself.
    gCommands.clear();
    SetText(d.multi, "a", 1);
    SendMessageA(d.multi, WM_KEYDOWN, VK_RETURN, 1);
    CHECK(gCommands.empty());
}

TEST_CASE("a field is subclassed once and its old procedure is kept")
{
    DialogFixture d;
    REQUIRE(d.popup);
    LONG_PTR subclass = (LONG_PTR)DialogEditProc;
    CHECK(GetWindowLongPtrA(d.single, GWLP_WNDPROC) == subclass);
    HANDLE old = GetPropA(d.single, "zv_OldEditProc");
    REQUIRE(old);
    CHECK((LONG_PTR)old != subclass);
    CHECK((LONG_PTR)gDialogEditOrigProc != 0);
    SubclassDialogEdits(d.popup);
    SubclassDialogEdit(d.single);
    SubclassDialogEdit(nullptr);
    SubclassDialogEdit((HWND)(INT_PTR)0x7FFF0);
    CHECK(GetPropA(d.single, "zv_OldEditProc") == old);
    SetText(d.single, "still works", 0);
    CHECK(Text(d.single) == "still works");

    // A button is no EDIT field and stays as it is.
    HWND button = CreateWindowExA(0, "BUTTON", "b", WS_CHILD, 0, 0, 10, 10, d.popup, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    SubclassDialogEdits(d.popup);
    CHECK_FALSE(GetPropA(button, "zv_OldEditProc"));
}
