#include <doctest/doctest.h>

#include "tests/window/harness.h"

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/save_as.h"
#include "app/settings.h"
#include "app/status_bar.h"
#include "app/tabs.h"
#include "document/closed_tabs.h"
#include "document/document.h"
#include "document/save.h"
#include "document/session.h"
#include "document/undo.h"
#include "document/undo_core.h"
#include "sftp/sftp_window.h"

#include <commctrl.h>

#include <algorithm>
#include <new>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

// The seam the program offers its tests: copies of document text from gTextCopiesFailFrom
// bytes on fail. Every other large allocation of this test program fails with them, as
// it would in a 32-bit address space that is full.
void* operator new(std::size_t size)
{
    if (gTextCopiesFailFrom && size >= gTextCopiesFailFrom)
        throw std::bad_alloc();
    void* p = malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    return p;
}

void operator delete(void* p) noexcept
{
    free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    free(p);
}

namespace {

using Fixture = TestWindow;

void Command(HWND hwnd, int id)
{
    SendMessageA(hwnd, WM_COMMAND, id, 0);
}

// A text of about size bytes in lines of 80 characters.
std::string Lines(size_t size, char fill)
{
    std::string text;
    text.reserve(size + 82);
    while (text.size() < size)
        text += std::string(78, fill) + "\r\n";
    return text;
}

std::vector<std::string> FolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0)
            names.push_back(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// Writes pieces to a new file until the disk takes no more; returns the bytes written.
size_t FillDisk(const std::string& path)
{
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    REQUIRE(file != INVALID_HANDLE_VALUE);
    std::string piece(4096, 'f');
    size_t total = 0;
    DWORD written = 0;
    // Bounded: where the small disk is not what the Wine server writes to (it may see the
    // folder without the mount), this must not fill the real disk.
    while (total < (64u << 20) && WriteFile(file, piece.data(), (DWORD)piece.size(), &written, nullptr) &&
           written > 0)
        total += written;
    REQUIRE_MESSAGE(total < (64u << 20), "the small disk is not the disk written to");
    CloseHandle(file);
    return total;
}

} // namespace

TEST_CASE("a save onto a disk that fills up keeps the old file whole")
{
    const char* small = getenv("ZV_SMALL_DISK");
    if (!small || strcmp(small, "1") != 0) {
        MESSAGE("no small disk mounted (mounting a tmpfs needs root): the full-disk save went untested");
        return;
    }
    Fixture f;
    std::string folder = ExeFolder() + "small_disk\\";
    std::string path = folder + "doc.txt", filler = folder + "filler.bin";
    std::string old = Lines(300000, 'o');
    WriteFileBytes(path, old);
    // Room for about 200 KB more: less than the new text needs.
    size_t filled = FillDisk(filler);
    HANDLE file = CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(file != INVALID_HANDLE_VALUE);
    SetFilePointer(file, (LONG)(filled > 200000 ? filled - 200000 : 0), nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);

    OpenFileByPath(f.hwnd, path.c_str());
    std::string typed = Lines(600000, 'n');
    SendMessageA(gEditorWnd, EM_SETSEL, 0, -1);
    SendMessageA(gEditorWnd, EM_REPLACESEL, TRUE, (LPARAM)typed.c_str());
    REQUIRE(GetActiveDocument()->modified);
    {
        MessageBoxAnswers answers;
        CHECK_FALSE(SaveFile(f.hwnd));
        REQUIRE(answers.seen.size() == 1);
        CHECK(answers.seen[0].title == "Zorvik - Save Error");
        CHECK(answers.seen[0].text == "Failed to save \"doc.txt\".");
    }
    CHECK(ReadFileBytes(path) == old);
    CHECK(GetActiveDocument()->modified);
    CHECK(FolderNames(folder) == std::vector<std::string>{"doc.txt", "filler.bin"});

    // With room again the same save goes through.
    DeleteFileA(filler.c_str());
    CHECK(SaveFile(f.hwnd));
    CHECK(ReadFileBytes(path) == typed);
    CHECK(FolderNames(folder) == std::vector<std::string>{"doc.txt"});
    DeleteFileA(path.c_str());
}

namespace {

std::string SessionPath()
{
    return ExeFolder() + "Zorvik.session";
}

// The session files kept aside, by name; each is removed when removeThem is set.
std::vector<std::string> KeptSessions(bool removeThem = false)
{
    std::vector<std::string> names;
    for (const std::string& name : FolderNames(ExeFolder())) {
        if (name.compare(0, 12, "Zorvik-kept-") != 0)
            continue;
        names.push_back(name);
        if (removeThem)
            DeleteFileA((ExeFolder() + name).c_str());
    }
    return names;
}

} // namespace

TEST_CASE("a session of 501 tabs comes back as 500, and the whole file is kept aside")
{
    KeptSessions(true);
    Fixture f("[Settings]\r\nAutoSave=0\r\n");
    SendMessageA(gEditorWnd, EM_REPLACESEL, FALSE, (LPARAM) "first");
    for (int i = 1; i < 501; ++i)
        Command(f.hwnd, 1001);
    SendMessageA(gEditorWnd, EM_REPLACESEL, FALSE, (LPARAM) "last");
    REQUIRE(TabCount() == 501);
    SaveSessionNow(f.hwnd);
    std::string written = ReadFileBytes(SessionPath());

    REQUIRE(RestoreSession(f.hwnd));
    CHECK(TabCount() == 500);
    CHECK(TabTitle(499) == "new 500");
    std::vector<std::string> kept = KeptSessions();
    REQUIRE(kept.size() == 1);
    CHECK(StatusText() == "Restored 500 of the session's 501 tabs; it was kept as " + kept[0]);
    CHECK(ReadFileBytes(ExeFolder() + kept[0]) == written);
    KeptSessions(true);
}

TEST_CASE("a session file that cannot be read is kept aside, never deleted")
{
    struct Row {
        const char* name;
        std::string bytes;
        bool locked;
        const char* status;
    };
    const Row rows[] = {
        {"not a session", "hello", false, "The session file could not be read; it was kept as "},
        {"no tabs", std::string("ZRVK_SESS_01\n\0\0\0\0\0\0\0\0", 21), false,
         "The session file could not be read; it was kept as "},
        {"held open by another program", "ZRVK_SESS_01\n", true,
         "The session file could not be read; it could not be kept aside"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        KeptSessions(true);
        Fixture f;
        WriteFileBytes(SessionPath(), row.bytes);
        HANDLE lock = row.locked ? CreateFileA(SessionPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                               0, nullptr)
                                 : INVALID_HANDLE_VALUE;
        CHECK_FALSE(RestoreSession(f.hwnd));
        CHECK(TabCount() == 1);
        std::vector<std::string> kept = KeptSessions();
        CHECK(StatusText() == row.status + (kept.empty() ? std::string() : kept[0]));
        // The lone empty tab deletes the session files; the kept one stays.
        SaveSession(f.hwnd);
        if (lock != INVALID_HANDLE_VALUE)
            CloseHandle(lock);
        if (row.locked) {
            CHECK(kept.empty());
            CHECK(ReadFileBytes(SessionPath()) == row.bytes);
            // Typed text while it is held back is no reason to replace it either; once the
            // other program lets go, the next write moves it aside first.
            SendMessageA(gEditorWnd, EM_REPLACESEL, FALSE, (LPARAM) "typed");
            SaveSession(f.hwnd);
            kept = KeptSessions();
            REQUIRE(kept.size() == 1);
            CHECK(ReadFileBytes(ExeFolder() + kept[0]) == row.bytes);
            CHECK(StatusText() == "The session file could not be read; it was kept as " + kept[0]);
            CHECK(ReadFileBytes(SessionPath()).compare(0, 13, "ZRVK_SESS_01\n") == 0);
        } else {
            REQUIRE(kept.size() == 1);
            CHECK(ReadFileBytes(ExeFolder() + kept[0]) == row.bytes);
        }
    }
    KeptSessions(true);
}

TEST_CASE(
    "text the code page cannot hold opens read-only, refuses Save over its file, and a whole reload frees it")
{
    // Wine's code page 1252 has no Korean; a NUL ends the text model's text.
    struct Row {
        std::string name;
        std::string bytes;
        const char* status;
        const char* refusal;
        int wholeReload;
        std::string reloaded;
        std::string saved; // what Save writes after the reload
    };
    const Row rows[] = {
        {"Korean in UTF-8", "\xED\x95\x9C\xEA\xB8\x80\r\n",
         "[Read-Only] | the file holds characters that code page 1252 cannot hold",
         "\"lossy.txt\" holds characters that code page 1252 cannot hold: saving would put \"?\" in their "
         "place.\nIt was not saved; Save As can write the text to another file.",
         5101, "\xED\x95\x9C\xEA\xB8\x80\r\n", "\xED\x95\x9C\xEA\xB8\x80\r\n"},
        {"UTF-16 without a mark", std::string("a\0b\0", 4),
         "[Read-Only] | the file holds NUL characters, which the editor cannot keep",
         "\"lossy.txt\" holds NUL characters, which the editor cannot keep: saving would cut the file "
         "short.\nIt was not saved; Save As can write the text to another file.",
         5104, "ab",
         std::string("\xFF\xFE"
                     "a\0b\0",
                     6)},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        Fixture f;
        std::string path = f.File("lossy.txt", row.bytes);
        OpenFileByPath(f.hwnd, path.c_str());
        CHECK(GetActiveDocument()->readOnly);
        CHECK((GetWindowLongA(gEditorWnd, GWL_STYLE) & ES_READONLY) != 0);
        CHECK(StatusText().find(row.status) != std::string::npos);
        // Even with Read-Only Mode switched off by hand, Save does not write over the file.
        Command(f.hwnd, 7017);
        {
            MessageBoxAnswers answers;
            CHECK_FALSE(SaveFile(f.hwnd));
            REQUIRE(answers.seen.size() == 1);
            CHECK(answers.seen[0].title == "Zorvik - Save Error");
            CHECK(answers.seen[0].text == row.refusal);
        }
        CHECK(ReadFileBytes(path) == row.bytes);

        // Read in an encoding that keeps the whole text, the document is writable again.
        Command(f.hwnd, 7017);
        REQUIRE(GetActiveDocument()->readOnly);
        Command(f.hwnd, row.wholeReload);
        CHECK_FALSE(GetActiveDocument()->readOnly);
        CHECK((GetWindowLongA(gEditorWnd, GWL_STYLE) & ES_READONLY) == 0);
        CHECK(EditorText() == row.reloaded);
        CHECK(SaveFile(f.hwnd));
        CHECK(ReadFileBytes(path) == row.saved);
    }

    // Save As to another file writes what the editor holds and makes that file the
    // document's: nothing of it is lost any more.
    Fixture f;
    std::string path = f.File("lossy.txt", rows[0].bytes);
    std::string copy = ExeFolder() + "lossy_copy.txt";
    f.files.push_back(copy);
    OpenFileByPath(f.hwnd, path.c_str());
    CHECK(SaveActiveDocumentAs(f.hwnd, copy.c_str()));
    CHECK(ReadFileBytes(copy) == "??\r\n");
    CHECK_FALSE(GetActiveDocument()->readOnly);
    CHECK(ReadFileBytes(path) == rows[0].bytes);
}

TEST_CASE("read-only documents save; only text that cannot be written back whole is refused")
{
    Fixture f;
    std::string path = f.File("ro.txt", "old");
    OpenFileByPath(f.hwnd, path.c_str());
    SendMessageA(gEditorWnd, EM_SETSEL, 3, 3);
    TypeText(" new");
    Command(f.hwnd, 7017);
    REQUIRE(GetActiveDocument()->readOnly);
    {
        MessageBoxAnswers answers;
        Command(f.hwnd, 1003);
        CHECK(answers.seen.empty());
    }
    CHECK(ReadFileBytes(path) == "old new");
    CHECK_FALSE(GetActiveDocument()->modified);

    // Undo and Redo say why they do nothing.
    CHECK_FALSE(Undo(gEditorWnd));
    CHECK(StatusText() == "Undo is off while the document is read-only (Edit > Read-Only Mode)");
    CHECK_FALSE(Redo(gEditorWnd));
    CHECK(StatusText() == "Redo is off while the document is read-only (Edit > Read-Only Mode)");

    // At exit, Yes writes a read-only document too, and the window closes.
    Command(f.hwnd, 7017);
    TypeText("!");
    Command(f.hwnd, 7017);
    {
        MessageBoxAnswers answers({IDYES});
        SendMessageA(f.hwnd, WM_CLOSE, 0, 0);
        REQUIRE(answers.seen.size() == 1);
        CHECK(answers.seen[0].text == "Save file \"ro.txt\" before closing?");
    }
    CHECK_FALSE(IsWindow(f.hwnd));
    CHECK(ReadFileBytes(path) == "old new!");
}

TEST_CASE("a tab restored unmodified takes its file's text when the file changed meanwhile")
{
    Fixture f;
    std::string pulled = f.File("pulled.txt", "old\r\n");
    std::string edited = f.File("edited.txt", "mine\r\n");
    OpenFileByPath(f.hwnd, pulled.c_str());
    OpenFileByPath(f.hwnd, edited.c_str());
    SendMessageA(gEditorWnd, EM_SETSEL, 0, 0);
    TypeText("typed ");
    SaveSessionNow(f.hwnd);

    // A pull changes both files behind the editor's back.
    WriteFileBytes(pulled, "pulled\n");
    WriteFileBytes(edited, "theirs\r\n");
    REQUIRE(RestoreSession(f.hwnd));
    REQUIRE(TabCount() == 2);
    TabDocument* first = GetTabDocument(0);
    CHECK(DocumentText(first) == "pulled\r\n");
    CHECK(first->eol == 1);
    CHECK_FALSE(first->modified);
    // The unsaved edits of the other tab are the user's work: they stay.
    TabDocument* second = GetTabDocument(1);
    CHECK(DocumentText(second) == "typed mine\r\n");
    CHECK(second->modified);

    // The next save of the first tab writes the pulled text, not the old one.
    TabCtrl_SetCurSel(gTabsWnd, 0);
    ActivateSelectedTab();
    SendMessageA(gEditorWnd, EM_SETSEL, 0, 0);
    TypeText("+");
    CHECK(SaveFile(f.hwnd));
    CHECK(ReadFileBytes(pulled) == "+pulled\n");
}

TEST_CASE("with Auto Save off, closing asks about typed untitled text")
{
    struct Row {
        const char* settings;
        std::vector<int> answers;
        size_t questions; // boxes seen: the question, then the Save As dialog
        bool stays;
    };
    const Row rows[] = {
        {"[Settings]\r\nAutoSave=1\r\n", {}, 0, false},
        {"[Settings]\r\nAutoSave=0\r\n", {IDCANCEL}, 1, true},
        {"[Settings]\r\nAutoSave=0\r\n", {IDYES, IDCANCEL}, 2, true},
        {"[Settings]\r\nAutoSave=0\r\n", {IDNO}, 1, false},
    };
    for (const Row& row : rows) {
        CAPTURE(row.settings);
        CAPTURE(row.answers.size());
        Fixture f(row.settings);
        TypeText("draft");
        Command(f.hwnd, 1001);
        {
            MessageBoxAnswers answers(row.answers);
            SendMessageA(f.hwnd, WM_CLOSE, 0, 0);
            REQUIRE(answers.seen.size() == row.questions);
            if (row.questions > 0) {
                CHECK(answers.seen[0].title == "Zorvik");
                CHECK(answers.seen[0].text == "Save file \"Untitled\" before closing?");
            }
        }
        CHECK(IsWindow(f.hwnd) == (row.stays ? TRUE : FALSE));
        if (row.stays) {
            // The tab asked about is the one shown.
            CHECK(SelectedTab() == 0);
            CHECK(EditorText() == "draft");
        }
    }
}

TEST_CASE("out of memory for a copy of the text, commands stop, the window lives and no text is lost")
{
    Fixture f;
    std::string other = f.File("other.txt", "other\r\n");
    std::string big = f.File("big.txt", Lines(200000, 'b'));
    OpenFileByPath(f.hwnd, other.c_str());
    OpenFileByPath(f.hwnd, big.c_str());
    REQUIRE(TabCount() == 2);
    SendMessageA(gEditorWnd, EM_SETSEL, 0, 0);
    TypeText("typed ");
    const std::string stored = DocumentText(GetActiveDocument());
    const std::string typed = "typed " + Lines(200000, 'b');
    REQUIRE(EditorText() == typed);

    std::string large = f.File("large.txt", Lines(300000, 'l'));
    gTextCopiesFailFrom = 100000;
    const char* report = "Not enough memory for a copy of the text: the command was not carried out";
    NMHDR change = {gTabsWnd, 2001, (UINT)TCN_SELCHANGING};
    CHECK(SendMessageA(f.hwnd, WM_NOTIFY, 2001, (LPARAM)&change) == TRUE);
    CycleTabs(true);
    Command(f.hwnd, IDM_FILE_NEW);
    Command(f.hwnd, IDM_TAB_MOVE_FIRST);
    Command(f.hwnd, IDM_FILE_CLOSE_TAB);
    CHECK_FALSE(SaveFile(f.hwnd));
    SendMessageA(f.hwnd, WM_CLOSE, 0, 0);
    {
        // A file too large to be read into memory is reported as a read failure.
        MessageBoxAnswers answers;
        OpenFileByPath(f.hwnd, large.c_str());
        CHECK(answers.seen.size() == 1);
    }
    CHECK(StatusText() == report);
    gTextCopiesFailFrom = 0;

    CHECK(IsWindow(f.hwnd));
    CHECK(TabCount() == 2);
    CHECK(SelectedTab() == 1);
    CHECK(TabTitle(1) == "big.txt");
    CHECK(EditorText() == typed);
    CHECK(DocumentText(GetActiveDocument()) == stored);
    CHECK(ReadFileBytes(big) == Lines(200000, 'b'));
    // With memory again, the typing is stored and saved.
    CHECK(SaveFile(f.hwnd));
    CHECK(ReadFileBytes(big) == typed);
}

TEST_CASE("out of memory for a new document, Reopen Closed Tab and a remote copy change no tab")
{
    Fixture f;
    const char* report = "Not enough memory for a copy of the text: the command was not carried out";
    std::string typed = f.File("typed.txt", "text\r\n");
    std::string plain = f.File("plain.txt", "plain\r\n");
    OpenFileByPath(f.hwnd, typed.c_str());
    OpenFileByPath(f.hwnd, plain.c_str());
    Command(f.hwnd, IDM_FILE_CLOSE_TAB);
    int length = GetWindowTextLengthA(gEditorWnd);
    SendMessageA(gEditorWnd, EM_SETSEL, length, length);
    TypeText("typed");
    {
        MessageBoxAnswers answers({IDNO});
        Command(f.hwnd, IDM_FILE_CLOSE_TAB);
    }
    REQUIRE(gClosedTabs.size() == 2);
    REQUIRE(TabCount() == 1);

    // The history of a new document is the first allocation this large.
    gTextCopiesFailFrom = sizeof(UndoHistory);
    for (int i = 0; i < 2; ++i) {
        SetStatusText("");
        Command(f.hwnd, IDM_FILE_REOPEN_CLOSED);
        CHECK(StatusText() == report);
    }
    SftpConnection c;
    c.host = "example.test";
    c.user = "tester";
    c.remotePath = "/srv/remote.txt";
    std::string copy = f.File("zrvk_sftp_1_remote.txt", "remote\r\n");
    SetStatusText("");
    CHECK_FALSE(OpenSftpDownloadInTab(f.hwnd, c, copy));
    CHECK(StatusText() == report);
    gTextCopiesFailFrom = 0;

    // Both closed tabs are still listed, and the lone empty tab is still there.
    CHECK(gClosedTabs.size() == 2);
    CHECK(TabCount() == 1);
    CHECK(TabTitle(0) == "Untitled");
    Command(f.hwnd, IDM_FILE_REOPEN_CLOSED);
    CHECK(TabTitle(SelectedTab()) == "typed.txt");
    CHECK(EditorText() == "text\r\ntyped");
    CHECK(GetActiveDocument()->modified);
    Command(f.hwnd, IDM_FILE_REOPEN_CLOSED);
    CHECK(TabTitle(SelectedTab()) == "plain.txt");
    CHECK(EditorText() == "plain\r\n");
    CHECK(gClosedTabs.empty());
}
