#include <doctest/doctest.h>

#include "tests/window/harness.h"

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/tabs.h"
#include "editor/clipboard.h"

#include <string>
#include <vector>

namespace {

struct ClipboardFixture : TestWindow {
    // Opens the text in a tab of its own: the document's undo history starts there.
    void Open(const std::string& text)
    {
        std::string name = "clip" + std::to_string(files.size()) + ".txt";
        OpenFileByPath(hwnd, File(name.c_str(), text).c_str());
        PumpMessages(hwnd, 20);
        REQUIRE(EditorText() == text);
    }
    void Select(int start, int end) { SendMessageA(gEditorWnd, EM_SETSEL, start, end); }
    std::pair<int, int> Selection()
    {
        DWORD s = 0, e = 0;
        SendMessageA(gEditorWnd, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
        return {(int)s, (int)e};
    }
    void Command(int id) { SendMessageA(hwnd, WM_COMMAND, id, 0); }
    void Undo() { PressKey(hwnd, 'Z', true); }
};


std::wstring ClipboardUnicode(HWND owner)
{
    std::wstring out;
    if (!OpenClipboard(owner))
        return L"<closed>";
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (const wchar_t* p = data ? (const wchar_t*)GlobalLock(data) : nullptr) {
        out = p;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return out;
}

void PutClipboard(HWND owner, const std::string& text)
{
    REQUIRE(CopyTextToClipboard(owner, text));
}

// Another thread keeps the clipboard open, as another program would, while it lives.
struct ClipboardHolder {
    HANDLE opened, release, thread;
    static DWORD WINAPI Hold(void* self)
    {
        ClipboardHolder* h = (ClipboardHolder*)self;
        OpenClipboard(nullptr);
        SetEvent(h->opened);
        WaitForSingleObject(h->release, 10000);
        CloseClipboard();
        return 0;
    }
    ClipboardHolder()
    {
        opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread = CreateThread(nullptr, 0, Hold, this, 0, nullptr);
        WaitForSingleObject(opened, 10000);
    }
    ~ClipboardHolder()
    {
        SetEvent(release);
        WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
        CloseHandle(opened);
        CloseHandle(release);
    }
};

} // namespace

TEST_CASE("copy puts the ANSI bytes in CF_TEXT and their characters in CF_UNICODETEXT")
{
    ClipboardFixture f;
    REQUIRE(f.hwnd);
    REQUIRE(GetACP() == 1252);
    const std::string text = "caf\xE9 \x80 \x93q\x94\r\nnext";
    f.Open(text);
    f.Select(0, 12);
    SendMessageA(gEditorWnd, WM_COPY, 0, 0);
    CHECK(ClipboardTextBytes(f.hwnd) == text.substr(0, 12));
    CHECK(ClipboardUnicode(f.hwnd) == L"caf\u00e9 \u20ac \u201cq\u201d\r\n");

    // The Edit menu's Copy, with the selection made from its end.
    f.Select(16, 12);
    f.Command(IDM_EDIT_COPY);
    CHECK(ClipboardTextBytes(f.hwnd) == "next");
    CHECK(ClipboardUnicode(f.hwnd) == L"next");

    // An empty selection, also at the very end, copies nothing.
    f.Select(16, 16);
    SendMessageA(gEditorWnd, WM_COPY, 0, 0);
    f.Select(3, 3);
    f.Command(IDM_EDIT_COPY);
    CHECK(ClipboardTextBytes(f.hwnd) == "next");
    CHECK(EditorText() == text);
}

TEST_CASE("paste makes every line end CR LF and is one undo step")
{
    ClipboardFixture f;
    REQUIRE(f.hwnd);
    f.Open("xy");
    PutClipboard(f.hwnd, "a\nb\rc");
    f.Select(1, 1);
    SendMessageA(gEditorWnd, WM_PASTE, 0, 0);
    CHECK(EditorText() == "xa\r\nb\r\ncy");
    CHECK(SendMessageA(gEditorWnd, EM_GETLINECOUNT, 0, 0) == 3);
    f.Undo();
    CHECK(EditorText() == "xy");
    CHECK(f.Selection() == std::make_pair(1, 1));
    f.Undo();
    CHECK(EditorText() == "xy");

    // The menu's Paste over a selection: Undo brings back the text and that selection.
    PutClipboard(f.hwnd, "1\r\n2\n\n3");
    f.Select(1, 2);
    f.Command(IDM_EDIT_PASTE);
    CHECK(EditorText() == "x1\r\n2\r\n\r\n3");
    f.Undo();
    CHECK(EditorText() == "xy");
    CHECK(f.Selection() == std::make_pair(1, 2));

    // A clipboard without text pastes nothing.
    REQUIRE(OpenClipboard(f.hwnd));
    EmptyClipboard();
    CloseClipboard();
    SendMessageA(gEditorWnd, WM_PASTE, 0, 0);
    CHECK(EditorText() == "xy");
}

TEST_CASE("cut, then undo, restores the text and keeps the clipboard")
{
    ClipboardFixture f;
    REQUIRE(f.hwnd);
    f.Open("hello world");
    f.Select(6, 11);
    SendMessageA(gEditorWnd, WM_CUT, 0, 0);
    CHECK(EditorText() == "hello ");
    CHECK(ClipboardTextBytes(f.hwnd) == "world");
    f.Undo();
    CHECK(EditorText() == "hello world");
    CHECK(f.Selection() == std::make_pair(6, 11));
    CHECK(ClipboardTextBytes(f.hwnd) == "world");

    // The menu's Cut arrives without WM_CUT: Undo still restores the selection of the cut.
    f.Select(0, 5);
    f.Command(IDM_EDIT_CUT);
    CHECK(EditorText() == " world");
    CHECK(ClipboardTextBytes(f.hwnd) == "hello");
    f.Undo();
    CHECK(EditorText() == "hello world");
    CHECK(f.Selection() == std::make_pair(0, 5));
}

TEST_CASE("cut removes nothing when the clipboard cannot take the text")
{
    ClipboardFixture f;
    REQUIRE(f.hwnd);
    f.Open("keep this");
    PutClipboard(f.hwnd, "before");
    f.Select(0, 4);
    {
        ClipboardHolder holder;
        CHECK_FALSE(OpenClipboard(f.hwnd));
        SendMessageA(gEditorWnd, WM_CUT, 0, 0);
        f.Command(IDM_EDIT_CUT);
        CHECK(EditorText() == "keep this");
        CHECK(f.Selection() == std::make_pair(0, 4));
        CHECK_FALSE(EditCopy(gEditorWnd));
    }
    CHECK(ClipboardTextBytes(f.hwnd) == "before");
    SendMessageA(gEditorWnd, WM_CUT, 0, 0);
    CHECK(EditorText() == " this");
    CHECK(ClipboardTextBytes(f.hwnd) == "keep");
}

TEST_CASE("a read-only document refuses cut and paste but copies")
{
    ClipboardFixture f;
    REQUIRE(f.hwnd);
    f.Open("fixed text");
    f.Command(IDM_EDIT_READ_ONLY);
    REQUIRE((GetWindowLongA(gEditorWnd, GWL_STYLE) & ES_READONLY) != 0);
    PutClipboard(f.hwnd, "pasted");
    f.Select(0, 5);
    SendMessageA(gEditorWnd, WM_PASTE, 0, 0);
    f.Command(IDM_EDIT_PASTE);
    SendMessageA(gEditorWnd, WM_CUT, 0, 0);
    f.Command(IDM_EDIT_CUT);
    CHECK(EditorText() == "fixed text");
    CHECK(ClipboardTextBytes(f.hwnd) == "pasted");
    SendMessageA(gEditorWnd, WM_COPY, 0, 0);
    CHECK(ClipboardTextBytes(f.hwnd) == "fixed");

    f.Command(IDM_EDIT_READ_ONLY);
    PutClipboard(f.hwnd, "loose");
    f.Select(0, 5);
    f.Command(IDM_EDIT_PASTE);
    CHECK(EditorText() == "loose text");
}

TEST_CASE("Shift+Insert, Shift+Delete and Ctrl+Insert go through the program's clipboard commands")
{
    ClipboardFixture f;
    REQUIRE(f.hwnd);
    REQUIRE(CopyTextToClipboard(f.hwnd, "a\nb"));
    SetWindowTextA(gEditorWnd, "xy");
    SendMessageA(gEditorWnd, EM_SETSEL, 1, 1);
    SetModifiers(false, false, true);
    SendMessageA(gEditorWnd, WM_KEYDOWN, VK_INSERT, 1);
    SetModifiers(false, false, false);
    CHECK(EditorText() == "xa\r\nby");

    SendMessageA(gEditorWnd, EM_SETSEL, 0, 1);
    SetModifiers(true, false, false);
    SendMessageA(gEditorWnd, WM_KEYDOWN, VK_INSERT, 1);
    SetModifiers(false, false, false);
    CHECK(ClipboardTextBytes(f.hwnd) == "x");

    SendMessageA(gEditorWnd, EM_SETSEL, 1, 2);
    SetModifiers(false, false, true);
    SendMessageA(gEditorWnd, WM_KEYDOWN, VK_DELETE, 1);
    SetModifiers(false, false, false);
    CHECK(EditorText() == "x\r\nby");
    CHECK(ClipboardTextBytes(f.hwnd) == "a");
}
