#include <doctest/doctest.h>

#include "tests/window/harness.h"

#include "app/command_ids.h"
#include "app/main_window.h"
#include "document/undo.h"
#include "editor/block_mode.h"
#include "search/find.h"
#include "search/find_engine.h"
#include "search/find_ids.h"

#include <string>

namespace {

void SetText(const char* text)
{
    SetWindowTextA(gEditorWnd, text);
}

std::string WindowText(HWND window)
{
    char buffer[2048] = "";
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

std::string Field(int id)
{
    return WindowText(GetDlgItem(gFindWnd, id));
}

std::string FindStatus()
{
    return Field(IDC_FIND_STATUS);
}

void SetField(int id, const char* text)
{
    SetDlgItemTextA(gFindWnd, id, text);
}

void Check(int id, bool on)
{
    CheckDlgButton(gFindWnd, id, on ? BST_CHECKED : BST_UNCHECKED);
}

void Command(HWND mainWnd, int id)
{
    SendMessageA(mainWnd, WM_COMMAND, (WPARAM)id, 0);
}

// Presses a key in a field of the Find window, as the message loop hands it on.
void KeyInField(HWND mainWnd, int id, int vk, bool shift = false)
{
    HWND field = GetDlgItem(gFindWnd, id);
    SetFocus(field);
    PressKey(mainWnd, vk, false, false, shift, field);
    PumpMessages(mainWnd);
}

void Button(int id)
{
    SendMessageA(gFindWnd, WM_COMMAND, (WPARAM)id, 0);
}

std::pair<int, int> FieldSelection(int id)
{
    DWORD s = 0, e = 0;
    SendDlgItemMessageA(gFindWnd, id, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    return {(int)s, (int)e};
}

} // namespace

TEST_CASE("the Find window: its fields, the selection it takes, and its title")
{
    TestWindow f;
    REQUIRE(f.hwnd);
    std::string line255(255, 'x');
    std::string text = "abc\r\n" + line255 + "y\r\nnext";
    SetText(text.c_str());

    // 255 bytes of one line fill the find field.
    SelectInEditor(5, 5 + 255);
    Command(f.hwnd, IDM_SEARCH_FIND);
    REQUIRE(gFindWnd);
    CHECK(WindowText(gFindWnd) == "Find");
    CHECK(Field(IDC_FIND_WHAT) == line255);
    CHECK(GetFocus() == GetDlgItem(gFindWnd, IDC_FIND_WHAT));
    CHECK(FieldSelection(IDC_FIND_WHAT) == std::make_pair(0, 255));
    CHECK(FindStatus() == "Ready");
    CHECK(IsDlgButtonChecked(gFindWnd, IDC_WRAP_AROUND) == BST_CHECKED);
    CHECK(IsDlgButtonChecked(gFindWnd, IDC_MATCH_CASE) == BST_UNCHECKED);
    CHECK(IsDlgButtonChecked(gFindWnd, IDC_USE_REGEX) == BST_UNCHECKED);
    CHECK(WindowText(GetDlgItem(gFindWnd, IDC_USE_REGEX)) ==
          "Regular expression (captures: $1..$9, \\1..\\9)");
    RECT client;
    GetClientRect(gFindWnd, &client);
    CHECK(client.right == 430);
    CHECK(client.bottom == 204);

    // 256 bytes, or a line break, leave the field as it was; Replace keeps the title "Find"
    // and moves to the replace field.
    SetField(IDC_REPLACE_WITH, "with");
    SelectInEditor(5, 5 + 256);
    Command(f.hwnd, IDM_SEARCH_REPLACE);
    CHECK(Field(IDC_FIND_WHAT) == line255);
    SelectInEditor(1, 6);
    Command(f.hwnd, IDM_SEARCH_REPLACE);
    CHECK(Field(IDC_FIND_WHAT) == line255);
    CHECK(WindowText(gFindWnd) == "Find");
    CHECK(GetFocus() == GetDlgItem(gFindWnd, IDC_REPLACE_WITH));
    CHECK(FieldSelection(IDC_REPLACE_WITH) == std::make_pair(0, 4));
    SelectInEditor(0, 2);
    Command(f.hwnd, IDM_SEARCH_REPLACE);
    CHECK(Field(IDC_FIND_WHAT) == "ab");

    // Esc closes it; the editor has the focus again.
    KeyInField(f.hwnd, IDC_FIND_WHAT, VK_ESCAPE);
    CHECK(gFindWnd == nullptr);
    CHECK(GetFocus() == gEditorWnd);

    // Opened by Replace, the window is titled for it; nothing was pressed, so the
    // settings are as they were.
    SelectInEditor(0, 0);
    Command(f.hwnd, IDM_SEARCH_REPLACE);
    REQUIRE(gFindWnd);
    CHECK(WindowText(gFindWnd) == "Find / Replace");
    CHECK(Field(IDC_FIND_WHAT) == "");
    CHECK(Field(IDC_REPLACE_WITH) == "");
    SendMessageA(gFindWnd, WM_CLOSE, 0, 0);
    CHECK(gFindWnd == nullptr);
    CHECK(GetFocus() == gEditorWnd);
}

TEST_CASE("the Find window's keys: Enter finds next, Shift+Enter previous, settings live on")
{
    TestWindow f;
    REQUIRE(f.hwnd);
    SetText("one two\r\nTWO two");
    SelectInEditor(0, 0);
    Command(f.hwnd, IDM_SEARCH_FIND);
    REQUIRE(gFindWnd);
    SetField(IDC_FIND_WHAT, "two");
    KeyInField(f.hwnd, IDC_FIND_WHAT, VK_RETURN);
    CHECK(EditorSelection() == std::make_pair(4, 7));
    CHECK(FindStatus() == "Found at line 1, col 5");
    CHECK(StatusText() == "Found at line 1, col 5");
    KeyInField(f.hwnd, IDC_FIND_WHAT, VK_RETURN);
    CHECK(EditorSelection() == std::make_pair(9, 12));
    CHECK(FindStatus() == "Found at line 2, col 1");
    KeyInField(f.hwnd, IDC_FIND_WHAT, VK_RETURN, true);
    CHECK(EditorSelection() == std::make_pair(4, 7));
    // Ctrl+A selects the whole field.
    HWND what = GetDlgItem(gFindWnd, IDC_FIND_WHAT);
    SetFocus(what);
    SendMessageA(what, EM_SETSEL, 1, 1);
    PressKey(f.hwnd, 'A', true, false, false, what);
    CHECK(FieldSelection(IDC_FIND_WHAT) == std::make_pair(0, 3));

    // Match case, without a button press, does not count for F3.
    Check(IDC_MATCH_CASE, true);
    SelectInEditor(8, 8);
    PressKey(f.hwnd, VK_F3, false, false, false, gEditorWnd);
    CHECK(EditorSelection() == std::make_pair(9, 12));
    Button(IDOK);
    CHECK(EditorSelection() == std::make_pair(13, 16));
    CHECK(gFindMatchCase);

    // Without wrap-around, nothing after the last one: a beep and the two texts.
    Check(IDC_WRAP_AROUND, false);
    Button(IDOK);
    CHECK(EditorSelection() == std::make_pair(13, 16));
    CHECK(FindStatus() == "Text not found");
    CHECK(StatusText() == "Search text not found");

    // Count; a long find text counts with its first 1023 bytes.
    Button(IDC_COUNT);
    CHECK(FindStatus() == "Count: 2 matches");
    CHECK(StatusText() == "Count: 2 matches");
    std::string longFind = std::string(1023, 'z') + std::string(477, 'q');
    SetText((std::string(1023, 'z') + "!").c_str());
    SetField(IDC_FIND_WHAT, longFind.c_str());
    Button(IDC_COUNT);
    CHECK(gFindText == std::string(1023, 'z'));
    CHECK(FindStatus() == "Count: 1 matches");

    // Closed and opened again: the texts and options of the last button press.
    Button(IDCANCEL);
    CHECK(gFindWnd == nullptr);
    CHECK(GetFocus() == gEditorWnd);
    SelectInEditor(0, 0);
    Command(f.hwnd, IDM_SEARCH_FIND);
    REQUIRE(gFindWnd);
    CHECK(Field(IDC_FIND_WHAT) == std::string(1023, 'z'));
    CHECK(IsDlgButtonChecked(gFindWnd, IDC_MATCH_CASE) == BST_CHECKED);
    CHECK(IsDlgButtonChecked(gFindWnd, IDC_WRAP_AROUND) == BST_UNCHECKED);
}

TEST_CASE("empty find text, empty document, regular-expression errors")
{
    TestWindow f;
    REQUIRE(f.hwnd);
    // Find Next from the menu, and F3, without a find text open the window instead.
    Command(f.hwnd, IDM_SEARCH_FIND_NEXT);
    REQUIRE(gFindWnd);
    Button(IDCANCEL);
    PressKey(f.hwnd, VK_F3, false, false, false, gEditorWnd);
    REQUIRE(gFindWnd);
    Button(IDOK);
    CHECK(FindStatus() == "Find text is empty");
    SetField(IDC_FIND_WHAT, "a");
    Button(IDOK);
    CHECK(FindStatus() == "Document is empty");
    Button(IDC_COUNT);
    CHECK(FindStatus() == "Count: 0 matches");
    Button(IDC_REPLACE_ALL);
    CHECK(FindStatus() == "Document is empty");

    SetText("abc");
    SetField(IDC_FIND_WHAT, "(");
    Check(IDC_USE_REGEX, true);
    Button(IDOK);
    CHECK(FindStatus().rfind("Regex error: ", 0) == 0);
    CHECK(FindStatus().size() > std::string("Regex error: ").size());
    Button(IDC_COUNT);
    CHECK(FindStatus().rfind("Regex error", 0) == std::string::npos);
    CHECK_FALSE(FindStatus().empty());

    // With the window closed the error comes as a message box.
    Button(IDCANCEL);
    MessageBoxAnswers boxes;
    PressKey(f.hwnd, VK_F3, false, false, false, gEditorWnd);
    REQUIRE(boxes.seen.size() == 1);
    CHECK(boxes.seen[0].title == "Regex Error");
    CHECK(boxes.seen[0].text.rfind("Regex error: ", 0) == 0);
}

TEST_CASE("Replace and Replace All: one change each, undone with one Ctrl+Z; read-only refused")
{
    TestWindow f;
    REQUIRE(f.hwnd);
    SetText("cat dog cat dog cat");
    SelectInEditor(0, 0);
    Command(f.hwnd, IDM_SEARCH_REPLACE);
    REQUIRE(gFindWnd);
    SetField(IDC_FIND_WHAT, "cat");
    SetField(IDC_REPLACE_WITH, "bird");

    // A selection that does not match is left alone: the next occurrence is selected.
    SelectInEditor(4, 7);
    Button(IDC_REPLACE);
    CHECK(EditorText() == "cat dog cat dog cat");
    CHECK(EditorSelection() == std::make_pair(8, 11));
    CHECK(FindStatus() == "Found at line 1, col 9");
    // A matching one is replaced, then the next is selected.
    Button(IDC_REPLACE);
    CHECK(EditorText() == "cat dog bird dog cat");
    CHECK(EditorSelection() == std::make_pair(17, 20));
    CHECK(FindStatus() == "Found at line 1, col 18");

    // Replace All: one undo step, which one Ctrl+Z takes back; the editor keeps block mode.
    gBlockMode = true;
    Button(IDC_REPLACE_ALL);
    CHECK(EditorText() == "bird dog bird dog bird");
    CHECK(FindStatus() == "Replaced 2 occurrences");
    CHECK(StatusText() == "Replaced 2 occurrences");
    CHECK(gBlockMode);
    gBlockMode = false;
    ColumnResetRows();
    Button(IDC_REPLACE_ALL);
    CHECK(FindStatus() == "No occurrences found");
    SetFocus(gEditorWnd);
    PressKey(f.hwnd, 'Z', true, false, false, gEditorWnd);
    CHECK(EditorText() == "cat dog bird dog cat");
    PressKey(f.hwnd, 'Z', true, false, false, gEditorWnd);
    CHECK(EditorText() == "cat dog cat dog cat");

    // Regular expressions with groups; "\1" and a 0 stay group 1 and a digit.
    SetField(IDC_FIND_WHAT, "(c)at");
    SetField(IDC_REPLACE_WITH, "\\10\\n");
    Check(IDC_USE_REGEX, true);
    Button(IDC_REPLACE_ALL);
    CHECK(EditorText() == "c0\r\n dog c0\r\n dog c0\r\n");
    PressKey(f.hwnd, 'Z', true, false, false, gEditorWnd);
    CHECK(EditorText() == "cat dog cat dog cat");

    // A read-only document: nothing changes, and the status says why.
    Command(f.hwnd, IDM_EDIT_READ_ONLY);
    Button(IDC_REPLACE_ALL);
    CHECK(EditorText() == "cat dog cat dog cat");
    CHECK(FindStatus() == kReadOnlyRefusal);
    CHECK(StatusText() == kReadOnlyRefusal);
    SelectInEditor(0, 3);
    Button(IDC_REPLACE);
    CHECK(EditorText() == "cat dog cat dog cat");
    CHECK(StatusText() == kReadOnlyRefusal);
    CHECK(EditorSelection() == std::make_pair(0, 3));
    // Finding still works.
    Button(IDOK);
    CHECK(EditorSelection() == std::make_pair(8, 11));
}

TEST_CASE("a successful find leaves block mode; Count does not")
{
    TestWindow f;
    REQUIRE(f.hwnd);
    SetText("ab\r\nab");
    gFindText = "b";
    gBlockMode = true;
    gPerLineCaretColumns = {1, 1};
    CountMatches(nullptr);
    CHECK(StatusText() == "Count: 2 matches");
    CHECK(gBlockMode);
    SelectInEditor(6, 6);
    gFindWrapAround = false;
    CHECK_FALSE(FindInDocument(nullptr, true));
    CHECK(gBlockMode);
    CHECK(FindInDocument(nullptr, false));
    CHECK_FALSE(gBlockMode);
    CHECK(gPerLineCaretColumns.empty());
    CHECK(EditorSelection() == std::make_pair(5, 6));
    CHECK(StatusText() == "Found at line 2, col 2");
}
