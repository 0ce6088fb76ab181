#include <doctest/doctest.h>

#include "tests/window/harness.h"

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/save_as.h"
#include "app/settings.h"
#include "app/tabs.h"
#include "editor/clipboard.h"
#include "document/closed_tabs.h"
#include "document/document.h"
#include "document/save.h"
#include "document/undo.h"
#include "document/undo_core.h"
#include "document/session_format.h"
#include "document/undo_file.h"

#include <string>
#include <vector>

namespace {

using Fixture = TestWindow;

UndoHistory& History()
{
    return *GetActiveDocument()->history;
}

void Caret(int at)
{
    SendMessageA(gEditorWnd, EM_SETSEL, at, at);
}

void Backspace()
{
    SendMessageA(gEditorWnd, WM_KEYDOWN, VK_BACK, 1);
    SendMessageA(gEditorWnd, WM_CHAR, VK_BACK, 1);
}

} // namespace

TEST_CASE("typing in the editor records words as steps; undo and redo walk them")
{
    Fixture f;
    REQUIRE(f.hwnd);
    TypeText("ab cd");
    REQUIRE(History().undo.size() == 2);
    CHECK(History().undo[0].inserted == "ab ");
    CHECK(History().undo[1].inserted == "cd");
    CHECK(History().snapshot == EditorText());
    TypeText("\r");
    TypeText("x");
    CHECK(EditorText() == "ab cd\r\nx");
    REQUIRE(History().undo.size() == 3);
    CHECK(History().undo[2].inserted == "\r\nx");

    Backspace();
    Backspace();
    Backspace();
    // The x goes alone; the line break opens a new step that the d joins.
    CHECK(EditorText() == "ab c");
    REQUIRE(History().undo.size() == 5);
    CHECK(History().undo[3].removed == "x");
    CHECK(History().undo[4].removed == "d\r\n");
    CHECK(History().snapshot == EditorText());

    CHECK(Undo(gEditorWnd));
    CHECK(EditorText() == "ab cd\r\n");
    CHECK(StatusText() == "Undo (4 changes left)");
    for (int i = 0; i < 4; ++i)
        CHECK(Undo(gEditorWnd));
    CHECK(EditorText() == "");
    CHECK_FALSE(Undo(gEditorWnd));
    CHECK(StatusText() == "Already at oldest change");
    CHECK(Redo(gEditorWnd));
    CHECK(EditorText() == "ab ");
    CHECK(StatusText() == "Redo (4 redoes left)");
    TypeText("z");
    CHECK_FALSE(Redo(gEditorWnd));
    CHECK(StatusText() == "Already at newest change");

    // Typing over a selection, then more typing.
    SendMessageA(gEditorWnd, EM_SETSEL, 0, 2);
    TypeText("Q");
    TypeText("R");
    CHECK(EditorText() == "QR z");
    CHECK(History().undo[History().undo.size() - 2].kind == UndoStepKind::Replace);
    CHECK(History().undo.back().kind == UndoStepKind::Insert);
    CHECK(History().snapshot == EditorText());
}

TEST_CASE("the modified flag follows the save point, also after save, undo, type")
{
    Fixture f;
    std::string path = f.File("saved.txt", "base");
    OpenFileByPath(f.hwnd, path.c_str());
    Caret(4);
    TypeText("1");
    SendMessageA(f.hwnd, WM_COMMAND, IDM_FILE_SAVE, 0);
    CHECK_FALSE(GetActiveDocument()->modified);
    CHECK(Undo(gEditorWnd));
    CHECK(GetActiveDocument()->modified);
    CHECK(Redo(gEditorWnd));
    CHECK_FALSE(GetActiveDocument()->modified);
    CHECK(Undo(gEditorWnd));
    TypeText("2");
    CHECK(EditorText() == "base2");
    CHECK(GetActiveDocument()->modified);
    CHECK(Undo(gEditorWnd));
    CHECK(EditorText() == "base");
    CHECK(GetActiveDocument()->modified); // "base" is not what the file holds ("base1")
}

TEST_CASE("a capture is one step; a stale step never touches the text")
{
    Fixture f;
    TypeText("hello");
    BeginUndoCapture();
    SendMessageA(gEditorWnd, EM_SETSEL, 0, 1);
    SendMessageA(gEditorWnd, EM_REPLACESEL, FALSE, (LPARAM) "J");
    SendMessageA(gEditorWnd, EM_SETSEL, 5, 5);
    SendMessageA(gEditorWnd, EM_REPLACESEL, FALSE, (LPARAM) "!");
    EndUndoCapture();
    CHECK(EditorText() == "Jello!");
    REQUIRE(History().undo.size() == 2);
    CHECK(History().undo.back().kind == UndoStepKind::Replace);
    CHECK(Undo(gEditorWnd));
    CHECK(EditorText() == "hello");

    // A history that does not fit the text (a damaged undo file) is dropped, not applied.
    CHECK(Redo(gEditorWnd));
    History().undo.back().inserted = "xyz";
    CHECK_FALSE(Undo(gEditorWnd));
    CHECK(EditorText() == "Jello!");
    CHECK(History().undo.empty());
    CHECK(StatusText() == "Undo history does not match the text; history dropped");
}

TEST_CASE("closed tabs: 100 are kept, and a reopened tab brings its text, state and history")
{
    Fixture f;
    TypeText("first");
    for (int i = 0; i < 101; ++i) {
        SendMessageA(f.hwnd, WM_COMMAND, IDM_FILE_NEW, 0);
        SendMessageA(f.hwnd, WM_COMMAND, IDM_FILE_CLOSE_TAB, 0); // an empty new tab closes without a question
    }
    CHECK(gClosedTabs.size() == 100);
    CHECK(TabCount() == 1);
    CHECK(EditorText() == "first");
    {
        MessageBoxAnswers answers({IDNO});
        SendMessageA(f.hwnd, WM_COMMAND, IDM_FILE_CLOSE_TAB, 0);
    }
    CHECK(TabCount() == 1);
    // Undo in the empty fresh tab with nothing to undo brings back the tab closed last.
    CHECK(EditorText() == "");
    CHECK(Undo(gEditorWnd));
    CHECK(TabCount() == 1); // the lone pristine tab was replaced
    CHECK(EditorText() == "first");
    CHECK(StatusText() == "Restored closed tab: Untitled");
    CHECK(GetActiveDocument()->modified);
    CHECK(Undo(gEditorWnd));
    CHECK(EditorText() == "");
}

TEST_CASE("Save As moves the history to the new path's undo file; a reopened file finds it")
{
    Fixture f;
    std::string path = f.File("history.txt", "one");
    OpenFileByPath(f.hwnd, path.c_str());
    Caret(3);
    TypeText("2");
    SendMessageA(f.hwnd, WM_COMMAND, IDM_FILE_SAVE, 0);
    std::string undoFile = History().undoFilePath;
    CHECK(ReadFileBytes(undoFile).compare(0, 13, "ZRVK_UNDO_02\n") == 0);
    SendMessageA(f.hwnd, WM_COMMAND, IDM_FILE_CLOSE_TAB, 0);
    gClosedTabs.clear();

    OpenFileByPath(f.hwnd, path.c_str());
    CHECK(EditorText() == "one2");
    REQUIRE(History().undo.size() == 1);
    CHECK_FALSE(GetActiveDocument()->modified);
    CHECK(Undo(gEditorWnd));
    CHECK(EditorText() == "one");
    CHECK(GetActiveDocument()->modified);

    std::string other = ExeFolder() + "history2.txt";
    f.files.push_back(other);
    CHECK(SaveActiveDocumentAs(f.hwnd, other.c_str()));
    CHECK(History().undoFilePath != undoFile);
    CHECK(TabTitle(0) == "history2.txt");
    CHECK(ReadFileBytes(other) == "one");
    CHECK(gRecentFiles.front() == other);
}

TEST_CASE("No at the exit question puts the disk text into the session as one undo step")
{
    Fixture f;
    std::string path = f.File("exit.txt", "disk");
    OpenFileByPath(f.hwnd, path.c_str());
    Caret(4);
    TypeText("X");
    {
        MessageBoxAnswers answers({IDNO});
        SendMessageA(f.hwnd, WM_CLOSE, 0, 0);
        REQUIRE(answers.seen.size() == 1);
        CHECK(answers.seen[0].text == "Save file \"exit.txt\" before closing?");
    }
    f.hwnd = nullptr;
    // The undo file holds the edit and the reload, and its save point is the disk text.
    // The session holds the file as it is on disk, unmodified.
    std::string session = ReadFileBytes(ExeFolder() + "Zorvik.session");
    int32_t active = -1;
    std::vector<SessionTab> tabs;
    REQUIRE(ParseSession(session.data(), session.size(), &active, tabs) == SessionRead::Complete);
    REQUIRE(tabs.size() == 1);
    CHECK(tabs[0].text == "disk");
    CHECK_FALSE(tabs[0].modified);

    std::vector<UndoStep> undo, redo;
    int32_t savedIndex = -5;
    std::string undoPath = BuildUndoFilePath(path.c_str(), 1);
    REQUIRE(LoadUndoFile(undoPath, undo, redo, &savedIndex));
    REQUIRE(undo.size() == 2);
    CHECK(savedIndex == 2);
    CHECK(undo[0].inserted == "X");
    CHECK(undo[1].removed == "X");
}

TEST_CASE("Yes at the exit question saves, and the session shows the file unmodified")
{
    Fixture f;
    std::string path = f.File("exit_yes.txt", "disk");
    OpenFileByPath(f.hwnd, path.c_str());
    Caret(4);
    TypeText("Y");
    {
        MessageBoxAnswers answers({IDYES});
        SendMessageA(f.hwnd, WM_CLOSE, 0, 0);
    }
    f.hwnd = nullptr;
    CHECK(ReadFileBytes(path) == "diskY");
    std::string session = ReadFileBytes(ExeFolder() + "Zorvik.session");
    int32_t active = -1;
    std::vector<SessionTab> tabs;
    REQUIRE(ParseSession(session.data(), session.size(), &active, tabs) == SessionRead::Complete);
    REQUIRE(tabs.size() == 1);
    CHECK(tabs[0].text == "diskY");
    CHECK_FALSE(tabs[0].modified);
}

TEST_CASE("a line-end change keeps the document modified through later undo")
{
    Fixture f;
    std::string path = f.File("eol.txt", "a\r\nb");
    OpenFileByPath(f.hwnd, path.c_str());
    SendMessageA(f.hwnd, WM_COMMAND, IDM_EOL_LF, 0);
    Caret(4);
    TypeText("x");
    CHECK(Undo(gEditorWnd));
    CHECK(EditorText() == "a\r\nb");
    CHECK(GetActiveDocument()->modified); // the file on disk still has CR LF
}

TEST_CASE("a history that does not fit its text is dropped on disk too")
{
    Fixture f;
    std::string path = f.File("stale.txt", "abc");
    OpenFileByPath(f.hwnd, path.c_str());
    Caret(3);
    TypeText("d");
    SendMessageA(f.hwnd, WM_COMMAND, IDM_FILE_SAVE, 0);
    std::string undoFile = History().undoFilePath;
    REQUIRE(GetFileAttributesA(undoFile.c_str()) != INVALID_FILE_ATTRIBUTES);
    History().undo.back().inserted = "zz";
    CHECK_FALSE(Undo(gEditorWnd));
    CHECK(EditorText() == "abcd");
    CHECK(GetFileAttributesA(undoFile.c_str()) == INVALID_FILE_ATTRIBUTES);
}

TEST_CASE("Reopen Closed Tab keeps the typing of the tab it switches away from")
{
    Fixture f("[Settings]\r\nAutoSave=0\r\n");
    SendMessageA(f.hwnd, WM_COMMAND, IDM_FILE_NEW, 0);
    TypeText("closing");
    {
        MessageBoxAnswers answers({IDNO});
        SendMessageA(f.hwnd, WM_COMMAND, IDM_FILE_CLOSE_TAB, 0);
    }
    TypeText("typed");
    SendMessageA(f.hwnd, WM_COMMAND, IDM_FILE_REOPEN_CLOSED, 0);
    CHECK(EditorText() == "closing");
    SwitchToTab(0);
    CHECK(EditorText() == "typed");
    CHECK(History().snapshot == "typed");
}

TEST_CASE("a paste of many lines is recorded as one step that undo takes back")
{
    Fixture f;
    TypeText("head ");
    std::string lines;
    for (int i = 0; i < 500; ++i)
        lines += "line " + std::to_string(i) + "\r\n";
    REQUIRE(CopyTextToClipboard(f.hwnd, lines));
    SendMessageA(gEditorWnd, WM_PASTE, 0, 0);
    CHECK(EditorText() == "head " + lines);
    CHECK(History().undo.back().inserted == lines);
    CHECK(History().snapshot == EditorText());
    CHECK(Undo(gEditorWnd));
    CHECK(EditorText() == "head ");
    CHECK(Redo(gEditorWnd));
    CHECK(EditorText() == "head " + lines);
}

namespace {

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// An untitled tab with a typed word and its undo file on disk; returns that file.
std::string TypedUntitledTab(HWND hwnd, const char* word)
{
    SendMessageA(hwnd, WM_COMMAND, IDM_FILE_NEW, 0);
    TypeText(word);
    std::string path = History().undoFilePath;
    WriteUndoFile(path, History().undo, History().redo, History().savedIndex);
    return path;
}

} // namespace

TEST_CASE("untitled undo files go when their tab closes for good and at exit; others stay")
{
    Fixture f;
    // A file of another run, and the undo file of a document with a path.
    std::string other = ExeFolder() + "undo\\untitled_12345_1.und";
    CreateDirectoryA((ExeFolder() + "undo").c_str(), nullptr);
    WriteFileBytes(other, "not ours");
    std::string named = f.File("named.txt", "text");
    OpenFileByPath(f.hwnd, named.c_str());
    TypeText("x");
    REQUIRE(SaveFile(f.hwnd));
    std::string namedUndo = History().undoFilePath;
    REQUIRE(FileExists(namedUndo));

    // Closed, the tab can still come back with its history: the file stays until 100
    // later closes push it off the list.
    std::string closed = TypedUntitledTab(f.hwnd, "closed");
    CloseTabAt(f.hwnd, SelectedTab());
    CHECK(FileExists(closed));
    for (int i = 0; i < 99; ++i) {
        SendMessageA(f.hwnd, WM_COMMAND, IDM_FILE_NEW, 0);
        CloseTabAt(f.hwnd, SelectedTab());
    }
    CHECK(FileExists(closed));
    SendMessageA(f.hwnd, WM_COMMAND, IDM_FILE_NEW, 0);
    CloseTabAt(f.hwnd, SelectedTab());
    CHECK_FALSE(FileExists(closed));

    // Save As moves the history to the new path's file.
    std::string savedAs = TypedUntitledTab(f.hwnd, "saved");
    std::string target = ExeFolder() + "saved_as.txt";
    f.files.push_back(target);
    REQUIRE(SaveActiveDocumentAs(f.hwnd, target.c_str()));
    CHECK_FALSE(FileExists(savedAs));
    CHECK(FileExists(History().undoFilePath));

    // At exit: the open untitled tab's file and the one on the closed-tab list.
    std::string open = TypedUntitledTab(f.hwnd, "open");
    std::string listed = TypedUntitledTab(f.hwnd, "listed");
    CloseTabAt(f.hwnd, SelectedTab());
    REQUIRE(FileExists(open));
    REQUIRE(FileExists(listed));
    DestroyTestMainWindow(f.hwnd);
    CHECK_FALSE(FileExists(open));
    CHECK_FALSE(FileExists(listed));
    CHECK(FileExists(namedUndo));
    CHECK(ReadFileBytes(other) == "not ours");
    DeleteFileA(other.c_str());
}
