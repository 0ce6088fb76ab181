#include <doctest/doctest.h>

#include "tests/window/harness.h"

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/save_as.h"
#include "app/settings.h"
#include "app/tabs.h"
#include "document/closed_tabs.h"
#include "document/document.h"
#include "document/save.h"
#include "document/session.h"
#include "document/textcodec.h"
#include "document/undo.h"

#include <commctrl.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace {

using Fixture = TestWindow;

void Open(HWND hwnd, const std::string& path)
{
    OpenFileByPath(hwnd, path.c_str());
}

void Command(HWND hwnd, int id)
{
    SendMessageA(hwnd, WM_COMMAND, id, 0);
}

// Puts the caret at the end of the editor and types there.
void TypeAtEnd(const char* text)
{
    int length = GetWindowTextLengthA(gEditorWnd);
    SendMessageA(gEditorWnd, EM_SETSEL, length, length);
    TypeText(text);
}

} // namespace

TEST_CASE("open, edit and save keep each file's encoding, mark and line ends byte for byte")
{
    struct Row {
        std::string name, before, after;
    };
    const Row rows[] = {
        {"ansi_crlf.txt", "caf\xE9\r\nx", "caf\xE9\r\nx!"},
        {"utf8_lf.txt", "caf\xC3\xA9\nx", "caf\xC3\xA9\nx!"},
        {"utf8bom_cr.txt",
         "\xEF\xBB\xBF"
         "a\rb",
         "\xEF\xBB\xBF"
         "a\rb!"},
        {"ascii_lf.txt", "a\nb\n", "a\nb\n!"},
        {"utf16le_crlf.txt",
         std::string("\xFF\xFE"
                     "a\0\r\0\n\0b\0",
                     10),
         std::string("\xFF\xFE"
                     "a\0\r\0\n\0b\0!\0",
                     12)},
        {"utf16be_lf.txt", std::string("\xFE\xFF\0a\0\n\0b", 8), std::string("\xFE\xFF\0a\0\n\0b\0!", 10)},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        Fixture f;
        std::string path = f.File(row.name.c_str(), row.before);
        Open(f.hwnd, path);
        REQUIRE(TabCount() == 1);
        CHECK(TabTitle(0) == row.name);
        TypeAtEnd("!");
        Command(f.hwnd, IDM_FILE_SAVE);
        CHECK(ReadFileBytes(path) == row.after);
        CHECK_FALSE(GetActiveDocument()->modified);
        CHECK(gRecentFiles.front() == path);
    }

    // U+4E0A has no form in code page 1252 (it comes back as "?", so the file is not saved
    // over), but its low byte 0A must not be taken for a line end: the CR LF style stays.
    Fixture f;
    std::string path = f.File("utf16le_cjk.txt", std::string("\xFF\xFE\x0A\x4E\r\0\n\0", 8));
    std::string copy = ExeFolder() + "utf16le_cjk_copy.txt";
    f.files.push_back(copy);
    Open(f.hwnd, path);
    CHECK(GetActiveDocument()->eol == 0);
    CHECK(SaveActiveDocumentAs(f.hwnd, copy.c_str()));
    CHECK(ReadFileBytes(copy) == std::string("\xFF\xFE?\0\r\0\n\0", 8));
}

TEST_CASE("Convert to and Reload as")
{
    Fixture f;
    std::string path = f.File("convert.txt", "caf\xE9\r\n");
    Open(f.hwnd, path);
    struct Row {
        int command;
        std::string bytes;
    } converts[] = {
        {IDM_ENC_CONVERT_UTF8, "caf\xC3\xA9\r\n"},
        {IDM_ENC_CONVERT_UTF8_BOM, "\xEF\xBB\xBF" "caf\xC3\xA9\r\n"},
        {IDM_ENC_CONVERT_UTF16LE, std::string("\xFF\xFE" "c\0a\0f\0\xE9\0\r\0\n\0", 14)},
        {IDM_ENC_CONVERT_UTF16BE, std::string("\xFE\xFF\0c\0a\0f\0\xE9\0\r\0\n", 14)},
        {IDM_ENC_CONVERT_ANSI, "caf\xE9\r\n"},
    };
    for (const Row& row : converts) {
        CAPTURE(row.command);
        Command(f.hwnd, row.command);
        Command(f.hwnd, IDM_FILE_SAVE);
        CHECK(ReadFileBytes(path) == row.bytes);
    }
    Command(f.hwnd, IDM_EOL_LF);
    Command(f.hwnd, IDM_FILE_SAVE);
    CHECK(ReadFileBytes(path) == "caf\xE9\n");

    // The file is now ANSI; read it as UTF-8: E9 opens a three-byte sequence that the LF
    // breaks, and the two become one U+FFFD.
    Command(f.hwnd, IDM_ENC_RELOAD_UTF8);
    TabDocument* doc = GetActiveDocument();
    CHECK(doc->encoding == 1);
    CHECK_FALSE(doc->modified);
    CHECK(EditorText() == "caf?");
    // Written as UTF-16 LE with its mark; Reload as UTF-16 LE sets the mark and the text.
    WriteFileBytes(path, std::string("\xFF\xFE" "h\0i\0", 6));
    Command(f.hwnd, IDM_ENC_RELOAD_UTF16LE);
    CHECK(EditorText() == "hi");
    CHECK(doc->encoding == 2);
    CHECK(doc->bom);
    // Reload as ANSI drops the mark bytes.
    WriteFileBytes(path, "\xEF\xBB\xBF" "ok");
    Command(f.hwnd, IDM_ENC_RELOAD_ANSI);
    CHECK(EditorText() == "ok");
    CHECK_FALSE(doc->bom);

    // Unsaved changes: No keeps them.
    TypeAtEnd("?");
    {
        MessageBoxAnswers answers({IDNO});
        Command(f.hwnd, IDM_ENC_RELOAD_UTF8);
        REQUIRE(answers.seen.size() == 1);
        CHECK(answers.seen[0].title == "Zorvik - Reload with Encoding");
    }
    CHECK(EditorText() == "ok?");
}

TEST_CASE("a save that fails says so and keeps the tab modified with its text")
{
    Fixture f;
    std::string path = f.File("locked.txt", "old");
    Open(f.hwnd, path);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    TypeAtEnd(" new");
    {
        MessageBoxAnswers answers;
        Command(f.hwnd, IDM_FILE_SAVE);
        REQUIRE(answers.seen.size() == 1);
        CHECK(answers.seen[0].title == "Zorvik - Save Error");
        CHECK(answers.seen[0].text == "Failed to save \"locked.txt\".");
    }
    CHECK(GetActiveDocument()->modified);
    CHECK(EditorText() == "old new");
    CHECK(ReadFileBytes(path) == "old");

    // Save As into a folder that does not exist.
    std::string missing = ExeFolder() + "no_such_folder\\x.txt";
    {
        MessageBoxAnswers answers;
        CHECK_FALSE(SaveActiveDocumentAs(f.hwnd, missing.c_str()));
        CHECK(answers.seen.size() == 1);
    }
    TabDocument* doc = GetActiveDocument();
    CHECK(doc->modified);
    CHECK(std::string(doc->path) == path);
    CHECK(TabTitle(0) == "locked.txt");
}

TEST_CASE("one tab per file, whatever the spelling; a lone pristine tab is replaced")
{
    Fixture f;
    std::string path = f.File("Same.txt", "x");
    Open(f.hwnd, path);
    CHECK(TabCount() == 1);
    CHECK(TabTitle(0) == "Same.txt");
    std::string lower = path;
    for (char& c : lower)
        c = (char)tolower((unsigned char)c);
    SetCurrentDirectoryA(ExeFolder().c_str());
    Command(f.hwnd, IDM_FILE_NEW);
    CHECK(TabCount() == 2);
    Open(f.hwnd, lower);
    Open(f.hwnd, "Same.txt");
    Open(f.hwnd, ".\\sAME.txt");
    CHECK(TabCount() == 2);
    CHECK(SelectedTab() == 0);

    // A file that cannot be read changes nothing.
    {
        MessageBoxAnswers answers;
        Open(f.hwnd, ExeFolder() + "missing.txt");
        REQUIRE(answers.seen.size() == 1);
        CHECK(answers.seen[0].title == "Zorvik - Read Error");
        CHECK(answers.seen[0].text == "Failed to read file from disk.");
    }
    CHECK(TabCount() == 2);
}

TEST_CASE("Close All BUT This asks in tab order, then closes right to left and left to right")
{
    Fixture f;
    std::string a = f.File("a.txt", "a"), b = f.File("b.txt", "b"), c = f.File("c.txt", "c"),
                d = f.File("d.txt", "d");
    for (const std::string& path : {a, b, c, d}) {
        Open(f.hwnd, path);
        TypeAtEnd("+");
    }
    SwitchToTab(2);
    {
        MessageBoxAnswers answers({IDNO, IDNO, IDNO});
        Command(f.hwnd, IDM_FILE_CLOSE_OTHERS);
        REQUIRE(answers.seen.size() == 3);
        CHECK(answers.seen[0].text == "Save file \"a.txt\" before closing?");
        CHECK(answers.seen[1].text == "Save file \"b.txt\" before closing?");
        CHECK(answers.seen[2].text == "Save file \"d.txt\" before closing?");
    }
    REQUIRE(TabCount() == 1);
    CHECK(TabTitle(0) == "c.txt");
    REQUIRE(gClosedTabs.size() == 3);
    CHECK(gClosedTabs[0].title == "d.txt");
    CHECK(gClosedTabs[1].title == "b.txt");
    CHECK(gClosedTabs[2].title == "a.txt");
    Command(f.hwnd, IDM_FILE_REOPEN_CLOSED);
    CHECK(TabTitle(1) == "a.txt");
    CHECK(EditorText() == "a+");

    // Cancel on a question closes nothing and selects the tab the command began on.
    SwitchToTab(0);
    {
        MessageBoxAnswers answers({IDCANCEL});
        Command(f.hwnd, IDM_FILE_CLOSE_OTHERS);
    }
    CHECK(TabCount() == 2);
    CHECK(SelectedTab() == 0);
}

TEST_CASE("closing tabs: the question, the last tab, untitled blanks")
{
    Fixture f;
    Command(f.hwnd, IDM_FILE_CLOSE_TAB); // the pristine tab closes without a question
    CHECK(TabCount() == 1);
    CHECK(TabTitle(0) == "Untitled");
    TypeText("   ");
    {
        MessageBoxAnswers answers({IDNO});
        Command(f.hwnd, IDM_FILE_CLOSE_TAB);
        REQUIRE(answers.seen.size() == 1);
        CHECK(answers.seen[0].text == "Save file \"Untitled\" before closing?");
    }
    CHECK(TabCount() == 1);
    CHECK(EditorText() == "");
    CHECK_FALSE(GetActiveDocument()->modified);
    REQUIRE_FALSE(gClosedTabs.empty());
    CHECK(gClosedTabs.back().text == "   ");
}

TEST_CASE("moving tabs by command and by dragging")
{
    Fixture f;
    Command(f.hwnd, IDM_FILE_NEW);
    Command(f.hwnd, IDM_FILE_NEW);
    Command(f.hwnd, IDM_FILE_NEW);
    REQUIRE(TabCount() == 4);
    CHECK(TabTitle(0) == "Untitled");
    SwitchToTab(0);

    auto centre = [](int index) {
        RECT rc;
        TabCtrl_GetItemRect(gTabsWnd, index, &rc);
        return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    };
    auto leftHalf = [](int index) {
        RECT rc;
        TabCtrl_GetItemRect(gTabsWnd, index, &rc);
        return POINT{rc.left + 2, (rc.top + rc.bottom) / 2};
    };
    POINT start = centre(0), drop = leftHalf(3);
    SendMessageA(gTabsWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(start.x, start.y));
    SendMessageA(gTabsWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(start.x + 10, start.y));
    SendMessageA(gTabsWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(drop.x, drop.y));
    CHECK(gTabDrag.dropIndex == 3);
    SendMessageA(gTabsWnd, WM_LBUTTONUP, 0, MAKELPARAM(drop.x, drop.y));
    CHECK(TabTitle(2) == "Untitled");
    CHECK(SelectedTab() == 2);
    CHECK_FALSE(gTabDrag.dragging);

    // A move of 4 pixels is a click.
    start = centre(1);
    SendMessageA(gTabsWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(start.x, start.y));
    SendMessageA(gTabsWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(start.x + 4, start.y + 4));
    CHECK_FALSE(gTabDrag.dragging);
    SendMessageA(gTabsWnd, WM_LBUTTONUP, 0, MAKELPARAM(start.x + 4, start.y + 4));
    CHECK(TabTitle(2) == "Untitled");

    // The last tab dragged to the far left.
    SwitchToTab(3);
    std::string last = TabTitle(3);
    start = centre(3);
    SendMessageA(gTabsWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(start.x, start.y));
    SendMessageA(gTabsWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(start.x - 10, start.y));
    SendMessageA(gTabsWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(1, start.y));
    CHECK(gTabDrag.dropIndex == 0);
    SendMessageA(gTabsWnd, WM_LBUTTONUP, 0, MAKELPARAM(1, start.y));
    CHECK(TabTitle(0) == last);

    // Commands, with their bounds.
    SwitchToTab(0);
    Command(f.hwnd, IDM_TAB_MOVE_LEFT);
    CHECK(TabTitle(0) == last);
    Command(f.hwnd, IDM_TAB_MOVE_LAST);
    CHECK(TabTitle(3) == last);
    Command(f.hwnd, IDM_TAB_MOVE_RIGHT);
    CHECK(TabTitle(3) == last);
    Command(f.hwnd, IDM_TAB_MOVE_FIRST);
    CHECK(TabTitle(0) == last);
    CHECK(SelectedTab() == 0);
    CHECK_FALSE(MoveTab(f.hwnd, 0, 4));
    CHECK_FALSE(MoveTab(f.hwnd, -1, 0));
}

TEST_CASE("a file deleted behind the editor's back is noticed when its tab is activated")
{
    Fixture f;
    std::string a = f.File("gone.txt", "a"), b = f.File("stays.txt", "b");
    Open(f.hwnd, a);
    Open(f.hwnd, b);
    DeleteFileA(a.c_str());
    {
        MessageBoxAnswers answers({IDYES});
        SwitchToTab(0);
        REQUIRE(answers.seen.size() == 1);
        CHECK(answers.seen[0].title == "Keep Non-Existing File");
        CHECK(answers.seen[0].text == "The file \"" + a + "\" doesn't exist anymore.\n\nDo you want to keep this file in the editor?");
    }
    TabDocument* doc = GetActiveDocument();
    CHECK(doc->modified);
    CHECK(doc->keptMissing);
    {
        MessageBoxAnswers answers;
        SwitchToTab(1);
        SwitchToTab(0);
        CHECK(answers.seen.empty());
    }
    DeleteFileA(b.c_str());
    {
        MessageBoxAnswers answers({IDNO});
        SwitchToTab(1);
        CHECK(answers.seen.size() == 1);
    }
    CHECK(TabCount() == 1);
    CHECK(TabTitle(0) == "gone.txt");
    CHECK(gClosedTabs.back().title == "stays.txt");
}

TEST_CASE("dropped files open in drop order and leave the focus in the editor")
{
    Fixture f;
    std::vector<std::string> paths = {f.File("drop1.txt", "1"), f.File("drop2.txt", "2"), f.File("drop3.txt", "3")};
    std::string names;
    for (const std::string& path : paths)
        names += path + '\0';
    names += '\0';
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
    DROPFILES* drop = (DROPFILES*)GlobalLock(block);
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    memcpy((char*)drop + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(block);
    SetFocus(gTabsWnd);
    SendMessageA(f.hwnd, WM_DROPFILES, (WPARAM)block, 0);
    REQUIRE(TabCount() == 3);
    CHECK(TabTitle(0) == "drop1.txt");
    CHECK(TabTitle(1) == "drop2.txt");
    CHECK(TabTitle(2) == "drop3.txt");
    CHECK(GetFocus() == gEditorWnd);
}

TEST_CASE("the exit questions do not run the vanished-file check under themselves")
{
    Fixture f;
    std::string a = f.File("exit_a.txt", "a"), b = f.File("exit_b.txt", "b");
    Open(f.hwnd, a);
    TypeAtEnd("1");
    Open(f.hwnd, b);
    TypeAtEnd("2");
    DeleteFileA(a.c_str());
    {
        MessageBoxAnswers answers({IDNO, IDCANCEL});
        SendMessageA(f.hwnd, WM_CLOSE, 0, 0);
        REQUIRE(answers.seen.size() == 2);
        CHECK(answers.seen[0].text == "Save file \"exit_a.txt\" before closing?");
        CHECK(answers.seen[1].text == "Save file \"exit_b.txt\" before closing?");
    }
    // Cancel kept the window; No on the vanished file kept its edited text.
    REQUIRE(IsWindow(f.hwnd));
    CHECK(TabCount() == 2);
    TabDocument* first = GetTabDocument(0);
    REQUIRE(first);
    CHECK(DocumentText(first) == "a1");
}

TEST_CASE("Close All BUT This on a tab whose file vanished keeps at least one tab")
{
    Fixture f;
    std::string a = f.File("keep_a.txt", "a"), b = f.File("keep_b.txt", "b"), c = f.File("keep_c.txt", "c");
    for (const std::string& path : {a, b, c})
        Open(f.hwnd, path);
    DeleteFileA(c.c_str());
    {
        MessageBoxAnswers answers({IDNO});
        Command(f.hwnd, IDM_FILE_CLOSE_OTHERS);
        REQUIRE(answers.seen.size() == 1);
        CHECK(answers.seen[0].title == "Keep Non-Existing File");
    }
    REQUIRE(TabCount() == 1);
    CHECK(TabTitle(0) == "Untitled");
    CHECK(SelectedTab() == 0);
    REQUIRE(gClosedTabs.size() == 3);
    CHECK(gClosedTabs.back().title == "keep_c.txt");
}

TEST_CASE("a tab closed because its file vanished keeps its latest typing")
{
    Fixture f("[Settings]\r\nAutoSave=0\r\n");
    std::string a = f.File("typed.txt", "a");
    Open(f.hwnd, a);
    TypeAtEnd("+typed");
    DeleteFileA(a.c_str());
    {
        MessageBoxAnswers answers({IDNO});
        CheckActiveFileExists(f.hwnd);
        CHECK(answers.seen.size() == 1);
    }
    REQUIRE_FALSE(gClosedTabs.empty());
    CHECK(gClosedTabs.back().text == "a+typed");
}

TEST_CASE("a file with NUL bytes stays read-only when reloaded and when its session comes back")
{
    Fixture f;
    std::string path = f.File("nul_again.txt", std::string("x\0y", 3));
    Open(f.hwnd, path);
    TabDocument* doc = GetActiveDocument();
    doc->readOnly = false;
    SendMessageA(gEditorWnd, EM_SETREADONLY, FALSE, 0);
    Command(f.hwnd, IDM_ENC_RELOAD_ANSI);
    doc = GetActiveDocument();
    CHECK(doc->readOnly);
    CHECK((GetWindowLongA(gEditorWnd, GWL_STYLE) & ES_READONLY) != 0);

    SaveSessionNow(f.hwnd);
    REQUIRE(RestoreSession(f.hwnd));
    REQUIRE(TabCount() == 1);
    CHECK(GetActiveDocument()->readOnly);
    CHECK((GetWindowLongA(gEditorWnd, GWL_STYLE) & ES_READONLY) != 0);
}

TEST_CASE("a read-only document is not saved over its own file, and refuses undo")
{
    Fixture f;
    std::string path = f.File("nul_save.txt", std::string("ab\0cd", 5));
    Open(f.hwnd, path);
    REQUIRE(GetActiveDocument()->readOnly);
    {
        MessageBoxAnswers answers;
        Command(f.hwnd, IDM_FILE_SAVE);
        REQUIRE(answers.seen.size() == 1);
        CHECK(answers.seen[0].title == "Zorvik - Save Error");
        CHECK(answers.seen[0].text ==
              "\"nul_save.txt\" holds NUL characters, which the editor cannot keep: saving "
              "would cut the file short.\nIt was not saved; Save As can write the text to "
              "another file.");
    }
    CHECK(ReadFileBytes(path) == std::string("ab\0cd", 5));
    std::string copy = ExeFolder() + "nul_copy.txt";
    f.files.push_back(copy);
    CHECK(SaveActiveDocumentAs(f.hwnd, copy.c_str()));
    CHECK(ReadFileBytes(copy) == "ab");

    // A writable document's history, then read-only: Undo changes nothing.
    Command(f.hwnd, IDM_FILE_NEW);
    TypeAtEnd("typed");
    Command(f.hwnd, IDM_EDIT_READ_ONLY);
    CHECK_FALSE(Undo(gEditorWnd));
    CHECK(EditorText() == "typed");
}

TEST_CASE("a Save As dialog inside Close All BUT This keeps the vanished-file check off")
{
    Fixture f;
    TypeAtEnd("draft");
    std::string path = f.File("vanish_k.txt", "k");
    Open(f.hwnd, path);
    REQUIRE(TabCount() == 2);
    DeleteFileA(path.c_str());
    {
        // Yes to the question of the untitled tab opens Save As; the dialog is cancelled,
        // which cancels the command. Reselecting the tab the command began on must not
        // ask about its vanished file: the command closes nothing.
        MessageBoxAnswers answers({IDYES, IDCANCEL, IDNO});
        Command(f.hwnd, IDM_FILE_CLOSE_OTHERS);
        REQUIRE(answers.seen.size() >= 2);
        CHECK(answers.seen[0].text == "Save file \"Untitled\" before closing?");
        CHECK(answers.seen.size() == 2);
    }
    CHECK_FALSE(gTabQuestionLoop);
    REQUIRE(TabCount() == 2);
    CHECK(SelectedTab() == 1);
    CHECK(TabTitle(1) == "vanish_k.txt");
}

TEST_CASE("No at the exit question takes the file's encoding, mark and line ends back")
{
    Fixture f;
    std::string path = f.File("revert.txt", "caf\xE9\r\nx");
    Open(f.hwnd, path);
    Command(f.hwnd, IDM_EOL_LF);
    Command(f.hwnd, IDM_ENC_CONVERT_UTF16LE);
    TypeAtEnd("!");
    StoreEditorTextInTab();
    TabDocument* doc = GetActiveDocument();
    REQUIRE(doc->modified);
    RevertDocumentAtExit(doc);
    CHECK(DocumentText(doc) == "caf\xE9\r\nx");
    CHECK(doc->encoding == 0);
    CHECK_FALSE(doc->bom);
    CHECK(doc->eol == 0);
    CHECK_FALSE(doc->modified);
}

TEST_CASE("a moved tab keeps a title of 259 characters")
{
    Fixture f;
    Command(f.hwnd, IDM_FILE_NEW);
    std::string title(259, 't');
    title[258] = 'z';
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = &title[0];
    SendMessageA(gTabsWnd, TCM_SETITEMA, 1, (LPARAM)&item);
    REQUIRE(TabTitle(1) == title);
    CHECK(MoveTab(f.hwnd, 1, 0));
    CHECK(TabTitle(0) == title);
}

TEST_CASE("Reopen Closed Tab takes the file's text for a tab that closed unmodified, the closed copy for a modified one")
{
    Fixture f;
    std::string pulled = f.File("pulled.txt", "old\r\n");
    std::string edited = f.File("edited.txt", "mine\r\n");
    std::string gone = f.File("gone.txt", "kept\r\n");
    Open(f.hwnd, pulled);
    Open(f.hwnd, edited);
    Open(f.hwnd, gone);
    Command(f.hwnd, IDM_FILE_CLOSE_TAB);
    SwitchToTab(1);
    TypeAtEnd("typed");
    {
        MessageBoxAnswers answers({IDNO});
        Command(f.hwnd, IDM_FILE_CLOSE_TAB);
        REQUIRE(answers.seen.size() == 1);
    }
    Command(f.hwnd, IDM_FILE_CLOSE_TAB);
    REQUIRE(gClosedTabs.size() == 3);

    // A pull changes the files behind the editor's back; one of them goes.
    WriteFileBytes(pulled, "pulled\n");
    WriteFileBytes(edited, "theirs\r\n");
    DeleteFileA(gone.c_str());

    Command(f.hwnd, IDM_FILE_REOPEN_CLOSED);
    CHECK(TabTitle(SelectedTab()) == "pulled.txt");
    CHECK(EditorText() == "pulled\r\n");
    CHECK(GetActiveDocument()->eol == Lf);
    CHECK_FALSE(GetActiveDocument()->modified);
    // The next save writes what the file holds now, not the text it had at closing.
    TypeAtEnd("+");
    CHECK(SaveFile(f.hwnd));
    CHECK(ReadFileBytes(pulled) == "pulled\n+");

    // The unsaved typing of the modified tab is the user's work: its closed copy comes back.
    Command(f.hwnd, IDM_FILE_REOPEN_CLOSED);
    CHECK(TabTitle(SelectedTab()) == "edited.txt");
    CHECK(EditorText() == "mine\r\ntyped");
    CHECK(GetActiveDocument()->modified);

    // A file that cannot be read any more leaves the closed copy, kept when the user says so.
    {
        MessageBoxAnswers answers({IDYES});
        Command(f.hwnd, IDM_FILE_REOPEN_CLOSED);
        CHECK(answers.seen.size() == 1);
    }
    CHECK(TabTitle(SelectedTab()) == "gone.txt");
    CHECK(EditorText() == "kept\r\n");
}
