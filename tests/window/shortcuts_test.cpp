#include <doctest/doctest.h>

#include "tests/window/harness.h"

#include "app/command_ids.h"
#include "app/main_window.h"
#include "document/document.h"
#include "search/find.h"

#include <string>
#include <vector>

namespace {

// Records the command ids that reach the main window and keeps them from running, so
// that commands which open dialogs do not block the test. The editor's change
// notifications pass.
std::vector<int> gCommands;
WNDPROC gRealMainProc = nullptr;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND && lParam == 0) {
        gCommands.push_back(LOWORD(wParam));
        return 0;
    }
    return CallWindowProcA(gRealMainProc, hwnd, msg, wParam, lParam);
}

struct KeyFixture {
    HWND hwnd;
    KeyFixture()
    {
        RemoveProgramFiles();
        hwnd = CreateTestMainWindow();
    }
    ~KeyFixture()
    {
        StopRecording();
        DestroyTestMainWindow(hwnd);
        RemoveProgramFiles();
    }
    void StartRecording()
    {
        gCommands.clear();
        gRealMainProc = (WNDPROC)SetWindowLongPtrA(hwnd, GWLP_WNDPROC, (LONG_PTR)RecordingProc);
    }
    void StopRecording()
    {
        if (gRealMainProc) {
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, (LONG_PTR)gRealMainProc);
            gRealMainProc = nullptr;
        }
    }
};

struct KeyRow {
    int vk;
    bool ctrl, alt, shift;
    int command; // 0: no command
};

enum { kPgUp = VK_PRIOR, kPgDn = VK_NEXT };

std::string Describe(const KeyRow& r)
{
    std::string s;
    if (r.ctrl)
        s += "Ctrl+";
    if (r.alt)
        s += "Alt+";
    if (r.shift)
        s += "Shift+";
    return s + std::to_string(r.vk);
}

void CheckRows(HWND mainWnd, const std::vector<KeyRow>& rows, HWND target, bool direct)
{
    for (const KeyRow& row : rows) {
        CAPTURE(Describe(row));
        gCommands.clear();
        if (direct) {
            SetModifiers(row.ctrl, row.alt, row.shift);
            SendMessageA(target, WM_KEYDOWN, row.vk, 1);
            SetModifiers(false, false, false);
        } else {
            PressKey(mainWnd, row.vk, row.ctrl, row.alt, row.shift, target);
        }
        std::vector<int> expected;
        if (row.command)
            expected.push_back(row.command);
        CHECK(gCommands == expected);
    }
}

} // namespace

TEST_CASE("the message loop's key table sends its commands")
{
    KeyFixture f;
    REQUIRE(f.hwnd);
    f.StartRecording();
    const std::vector<KeyRow> rows = {
        {'N', true, false, false, IDM_FILE_NEW},
        {'N', true, false, true, IDM_FILE_NEW},
        {'O', true, false, false, IDM_FILE_OPEN},
        {'O', true, false, true, IDM_FILE_OPEN_SFTP},
        {'S', true, false, false, IDM_FILE_SAVE},
        {'S', true, false, true, IDM_FILE_SAVE},
        {'S', true, true, false, IDM_FILE_SAVE_AS},
        {'S', true, true, true, IDM_FILE_SAVE_AS},
        {'W', true, false, false, IDM_FILE_CLOSE_TAB},
        {'W', true, false, true, IDM_FILE_CLOSE_TAB},
        {'F', true, false, false, IDM_SEARCH_FIND},
        {'F', true, true, false, IDM_TOOLS_FONT},
        {'H', true, false, false, IDM_SEARCH_REPLACE},
        {'H', true, false, true, IDM_TOOLS_HTML_BEAUTIFY},
        {'G', true, false, false, IDM_SEARCH_GOTO_LINE},
        {'J', true, false, true, IDM_TOOLS_JSON_LINT},
        {'J', true, true, false, IDM_TOOLS_JSON_FORMAT},
        {'J', true, true, true, IDM_TOOLS_JSON_FORMAT},
        {'R', true, false, true, IDM_FILE_REFRESH_SFTP},
        {kPgUp, true, false, true, IDM_TAB_MOVE_LEFT},
        {kPgDn, true, false, true, IDM_TAB_MOVE_RIGHT},
        {VK_F11, false, false, false, IDM_TOOLS_DIFF_MODE},
        {VK_F11, false, false, true, IDM_TOOLS_DIFF_MODE},
        {VK_F12, false, false, false, IDM_TOOLS_VIM_MODE},
        {VK_F12, false, false, true, IDM_TOOLS_VIM_MODE},
        // Not in the table, or consumed without a command.
        {kPgDn, true, false, false, 0},   {kPgUp, true, false, false, 0},   {'S', false, true, false, 0},
        {'R', true, false, false, 0},     {'N', true, true, false, 0},
    };
    CheckRows(f.hwnd, rows, gEditorWnd, false);
}

TEST_CASE("the main window's and the tab bar's own key tables")
{
    KeyFixture f;
    REQUIRE(f.hwnd);
    f.StartRecording();
    // Keys that reach the main window through another message loop.
    CheckRows(f.hwnd,
              {{'O', true, false, true, IDM_FILE_OPEN},
               {'N', true, true, false, IDM_FILE_NEW},
               {'S', true, true, false, IDM_FILE_SAVE_AS},
               {'S', true, false, true, IDM_FILE_SAVE},
               {'H', true, false, true, IDM_TOOLS_HTML_BEAUTIFY},
               {'J', true, false, true, IDM_TOOLS_JSON_LINT},
               {'J', true, true, false, IDM_TOOLS_JSON_FORMAT},
               {kPgDn, true, false, true, IDM_TAB_MOVE_RIGHT},
               {kPgDn, true, false, false, 0},
               {VK_F11, true, true, true, IDM_TOOLS_DIFF_MODE},
               {VK_F12, true, false, false, IDM_TOOLS_VIM_MODE},
               {'Q', true, false, false, 0}},
              f.hwnd, true);
    CheckRows(f.hwnd,
              {{'O', true, false, true, IDM_FILE_OPEN},
               {'N', true, false, false, IDM_FILE_NEW},
               {'H', true, false, true, IDM_SEARCH_REPLACE},
               {'F', true, false, false, IDM_SEARCH_FIND},
               {'G', true, false, true, IDM_SEARCH_GOTO_LINE},
               {'S', true, true, false, IDM_FILE_SAVE_AS},
               {'W', true, true, false, 0},
               {kPgUp, true, false, true, IDM_TAB_MOVE_LEFT},
               {VK_F11, false, false, false, IDM_TOOLS_DIFF_MODE},
               {VK_F12, false, false, true, IDM_TOOLS_VIM_MODE}},
              gTabsWnd, true);
}

TEST_CASE("keys the message loop carries out itself")
{
    KeyFixture f;
    REQUIRE(f.hwnd);

    PressKey(f.hwnd, 'Z', true);
    CHECK(StatusText() == "Already at oldest change");
    PressKey(f.hwnd, 'Y', true);
    CHECK(StatusText() == "Already at newest change");
    PressKey(f.hwnd, 'T', true, false, true);
    CHECK(StatusText() == "No recently closed tabs to restore");

    // Ctrl+Tab with one tab does nothing, and no tab character reaches the editor.
    PressKey(f.hwnd, VK_TAB, true);
    PumpMessages(f.hwnd, 20);
    CHECK(EditorText() == "");
    CHECK(TabCount() == 1);

    SendMessageA(f.hwnd, WM_COMMAND, IDM_FILE_NEW, 0);
    SendMessageA(f.hwnd, WM_COMMAND, IDM_FILE_NEW, 0);
    REQUIRE(TabCount() == 3);
    CHECK(SelectedTab() == 2);
    PressKey(f.hwnd, VK_TAB, true);
    CHECK(SelectedTab() == 0);
    PressKey(f.hwnd, VK_TAB, true, false, true);
    CHECK(SelectedTab() == 2);

    // Ctrl+Page Down without Shift moves nothing; with Shift it moves the active tab.
    PressKey(f.hwnd, VK_PRIOR, true, false, true);
    CHECK(SelectedTab() == 1);
    CHECK(TabTitle(1) == "new 3");
    PressKey(f.hwnd, VK_NEXT, true);
    CHECK(SelectedTab() == 1);
    CHECK(TabTitle(1) == "new 3");

    TypeText("hello world");
    SendMessageA(gEditorWnd, EM_SETSEL, 3, 3);
    PressKey(f.hwnd, 'A', true);
    DWORD s = 1, e = 0;
    SendMessageA(gEditorWnd, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    CHECK(s == 0);
    CHECK(e == 11);
}

TEST_CASE("Ctrl+A in a modeless window's field selects that field, not the editor")
{
    KeyFixture f;
    REQUIRE(f.hwnd);
    TypeText("editor text");
    SendMessageA(gEditorWnd, EM_SETSEL, 2, 2);

    // A stand-in for the Find window: a popup with one edit field.
    HWND popup = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 10, 10, 200, 60, f.hwnd, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    HWND field = CreateWindowExA(0, "EDIT", "find me", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 5, 5, 150, 20,
                                 popup, nullptr, GetModuleHandleA(nullptr), nullptr);
    gFindWnd = popup;
    SetFocus(field);
    SendMessageA(field, EM_SETSEL, 0, 0);
    PressKey(f.hwnd, 'A', true, false, false, field);
    DWORD s = 1, e = 0;
    SendMessageA(field, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    CHECK(s == 0);
    CHECK(e == 7);
    SendMessageA(gEditorWnd, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    CHECK(s == 2);
    CHECK(e == 2);
    gFindWnd = nullptr;
    DestroyWindow(popup);
}
