#include <doctest/doctest.h>

#include "tests/window/harness.h"

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/settings.h"
#include "document/document.h"
#include "editor/gutter.h"
#include "vim/vim.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

struct Child {
    int id;
    const char* cls;
    DWORD style;
    DWORD exStyle;
};

std::string ClassOf(HWND w)
{
    char name[64] = "";
    GetClassNameA(w, name, sizeof(name));
    return name;
}

RECT ChildRect(HWND parent, HWND child)
{
    RECT rc;
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, parent, (POINT*)&rc, 2);
    return rc;
}

using WindowFixture = TestWindow;

} // namespace

TEST_CASE("the main window, its four children and their styles")
{
    WindowFixture f;
    REQUIRE(f.hwnd);
    CHECK(ClassOf(f.hwnd) == "ZorvikWindowClass");
    char title[128];
    GetWindowTextA(f.hwnd, title, sizeof(title));
    CHECK(std::string(title) == "zenithOrbitalReflectorVectorIndexKit - Windows 95 Edition");
    RECT rc;
    GetWindowRect(f.hwnd, &rc);
    CHECK(rc.right - rc.left == 640);
    CHECK(rc.bottom - rc.top == 480);
    CHECK((GetWindowLongA(f.hwnd, GWL_STYLE) & (WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN)) ==
          (WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN));
    CHECK((GetWindowLongA(f.hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0);

    const Child children[] = {
        {IDC_TAB_BAR, "SysTabControl32", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0},
        {IDC_EDITOR, "Edit",
         WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
             ES_NOHIDESEL,
         WS_EX_CLIENTEDGE},
        {IDC_GUTTER, "Edit", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_RIGHT | ES_READONLY, WS_EX_CLIENTEDGE},
        {IDC_STATUS_BAR, "msctls_statusbar32", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0},
    };
    for (const Child& c : children) {
        CAPTURE(c.id);
        HWND w = GetDlgItem(f.hwnd, c.id);
        REQUIRE(w);
        CHECK(_stricmp(ClassOf(w).c_str(), c.cls) == 0);
        CHECK((GetWindowLongA(w, GWL_STYLE) & c.style) == c.style);
        CHECK((GetWindowLongA(w, GWL_EXSTYLE) & c.exStyle) == c.exStyle);
    }
    CHECK(GetDlgItem(f.hwnd, IDC_TAB_BAR) == gTabsWnd);
    CHECK(GetDlgItem(f.hwnd, IDC_EDITOR) == gEditorWnd);
    CHECK(GetDlgItem(f.hwnd, IDC_GUTTER) == gGutterWnd);
    CHECK(GetDlgItem(f.hwnd, IDC_STATUS_BAR) == gStatusWnd);

    // One "Untitled" tab, an editor without a text limit, a status text, the gutter's "1".
    CHECK(TabCount() == 1);
    CHECK(TabTitle(0) == "Untitled");
    CHECK((DWORD)SendMessageA(gEditorWnd, EM_GETLIMITTEXT, 0, 0) >= 0x7FFFFFFEu);
    CHECK(StatusText().find("Encoding: UTF-8 | Windows (CR LF) | 0 bytes | 1 lines") == 0);
    CHECK(GetFocus() == gEditorWnd);
}

TEST_CASE("layout after a resize")
{
    WindowFixture f;
    REQUIRE(f.hwnd);
    SetWindowPos(f.hwnd, nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER);
    PumpMessages(f.hwnd, 20);
    RECT client;
    GetClientRect(f.hwnd, &client);
    RECT status = ChildRect(f.hwnd, gStatusWnd);
    int statusHeight = status.bottom - status.top;
    CHECK(statusHeight > 0);
    CHECK(status.bottom == client.bottom);

    RECT tabs = ChildRect(f.hwnd, gTabsWnd);
    CHECK(tabs.left == 0);
    CHECK(tabs.top == 0);
    CHECK(tabs.right == client.right);
    CHECK(tabs.bottom == 25);

    RECT gutter = ChildRect(f.hwnd, gGutterWnd);
    RECT editor = ChildRect(f.hwnd, gEditorWnd);
    int height = client.bottom - statusHeight - 25;
    CHECK(gutter.left == 0);
    CHECK(gutter.top == 25);
    CHECK(gutter.right - gutter.left == gGutterWidth);
    CHECK(gutter.bottom - gutter.top == height);
    CHECK(editor.left == gGutterWidth);
    CHECK(editor.top == 25);
    CHECK(editor.right == client.right);
    CHECK(editor.bottom - editor.top == height);

    // Too small for the editor: the tab bar still spans the width.
    SetWindowPos(f.hwnd, nullptr, 0, 0, 300, 60, SWP_NOMOVE | SWP_NOZORDER);
    PumpMessages(f.hwnd, 20);
    GetClientRect(f.hwnd, &client);
    tabs = ChildRect(f.hwnd, gTabsWnd);
    CHECK(tabs.right == client.right);
    editor = ChildRect(f.hwnd, gEditorWnd);
    CHECK(editor.bottom - editor.top <= 0);
}

TEST_CASE("a minimised window survives painting and restores its layout")
{
    WindowFixture f;
    REQUIRE(f.hwnd);
    ShowWindow(f.hwnd, SW_MINIMIZE);
    PumpMessages(f.hwnd, 30);
    ShowWindow(f.hwnd, SW_RESTORE);
    PumpMessages(f.hwnd, 30);
    RECT tabs = ChildRect(f.hwnd, gTabsWnd);
    CHECK(tabs.bottom == 25);
}
