#include <doctest/doctest.h>

#include "tests/window/harness.h"

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/menus.h"
#include "document/document.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

// One line per item: "id text", "-" for a separator, "> text" opens a submenu, "<" ends it.
// A trailing " [x]" marks a checked item, " [g]" a greyed one.
std::vector<std::string> Walk(HMENU menu)
{
    std::vector<std::string> lines;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[256] = "";
        MENUITEMINFOA info;
        ZeroMemory(&info, sizeof(info));
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU | MIIM_STATE;
        info.dwTypeData = text;
        info.cch = sizeof(text);
        GetMenuItemInfoA(menu, i, TRUE, &info);
        if (info.fType & MFT_SEPARATOR) {
            lines.push_back("-");
            continue;
        }
        std::string marks;
        if (info.fState & MFS_CHECKED)
            marks += " [x]";
        if (info.fState & MFS_GRAYED)
            marks += " [g]";
        if (info.hSubMenu) {
            lines.push_back("> " + std::string(text) + marks);
            std::vector<std::string> sub = Walk(info.hSubMenu);
            lines.insert(lines.end(), sub.begin(), sub.end());
            lines.push_back("<");
        } else {
            lines.push_back(std::to_string(info.wID) + " " + text + marks);
        }
    }
    return lines;
}

const std::vector<std::string> kFile = {
    "1001 &New\tCtrl+N", "1002 &Open...\tCtrl+O", "1025 Open from &SFTP...\tCtrl+Shift+O",
    "1026 Refresh from SFT&P\tCtrl+Shift+R", "1024 Re&open Closed Tab\tCtrl+Shift+T", "-",
    "> Recent &Files", "0 (Empty) [g]", "<", "-", "1003 &Save\tCtrl+S", "1004 Save &As...\tCtrl+Alt+S",
    "1005 &Close Tab\tCtrl+W", "1007 Close &All BUT This", "-", "> Open &Containing Folder", "1008 &Explorer",
    "1009 Command Prompt (&cmd)", "<", "-", "1006 E&xit",
};
const std::vector<std::string> kEdit = {
    "7011 &Undo\tCtrl+Z", "7016 &Redo\tCtrl+Y", "-", "7012 Cu&t\tCtrl+X", "7013 &Copy\tCtrl+C",
    "7014 &Paste\tCtrl+V", "7015 Select &All\tCtrl+A", "7017 &Read-Only Mode", "-",
    "6006 HTML &Beautifier\tCtrl+Shift+H", "6007 JSON &Lint\tCtrl+Shift+J", "6008 JSON &Format\tCtrl+Alt+J",
    "6009 JSON &Minify", "-", "> Copy to &Clipboard", "7001 Current &Full File Path to Clipboard",
    "7002 Current &File Name to Clipboard", "7003 Current &Directory Path to Clipboard", "<",
    "> EOL &Conversion", "7021 Windows (CR LF)", "7022 Unix (LF)", "7023 Macintosh (CR)", "<",
};
const std::vector<std::string> kSearch = {
    "1011 &Find...\tCtrl+F", "1012 Find &Next\tF3", "1013 Find &Previous\tShift+F3",
    "1014 &Replace...\tCtrl+H", "-", "1010 &Go to Line...\tCtrl+G",
};
const std::vector<std::string> kEncoding = {
    "5101 &Reload as ANSI", "5102 Reload as &UTF-8", "5103 Reload as UTF-8 &BOM",
    "5104 Reload as UTF-16 &LE BOM", "5105 Reload as UTF-16 &BE BOM", "-", "5001 &Convert to ANSI",
    "5002 Convert to &UTF-8", "5003 Convert to UTF-8 &BOM", "5004 Convert to UTF-16 &LE BOM",
    "5005 Convert to UTF-16 &BE BOM",
};
std::vector<std::string> Tools(bool diff, bool autoSave)
{
    return {
        "6006 HTML &Beautifier\tCtrl+Shift+H", "6007 JSON &Lint\tCtrl+Shift+J",
        "6008 JSON &Format\tCtrl+Alt+J", "6009 JSON &Minify", "-", "6005 &Font...\tCtrl+Alt+F", "-",
        "6001 Toggle &Vim Mode\tF12", std::string("6002 Toggle &Diff Mode\tF11") + (diff ? " [x]" : ""),
        std::string("6003 &Auto Save && Session Backup") + (autoSave ? " [x]" : ""), "-",
        "6004 Register .txt &Association (Open With)", "-", "8003 Keyboard &Shortcuts...",
        "8001 Check for &Updates...", "8002 &About Zorvik...",
    };
}
const std::vector<std::string> kHelp = {
    "8003 Keyboard &Shortcuts...", "-", "8001 Check for &Updates...", "-", "8002 &About Zorvik...",
};

std::string MenuBarCaption(HMENU bar, int i)
{
    char text[64] = "";
    GetMenuStringA(bar, i, text, sizeof(text), MF_BYPOSITION);
    return text;
}

void CheckMenuBar(HWND hwnd, bool diff, bool autoSave)
{
    HMENU bar = GetMenu(hwnd);
    REQUIRE(bar);
    REQUIRE(GetMenuItemCount(bar) == 6);
    const char* captions[] = {"&File", "&Edit", "&Search", "&Encoding", "&Tools", "&Help"};
    std::vector<std::string> expected[] = {kFile, kEdit, kSearch, kEncoding, Tools(diff, autoSave), kHelp};
    for (int i = 0; i < 6; ++i) {
        CAPTURE(captions[i]);
        CHECK(MenuBarCaption(bar, i) == captions[i]);
        CHECK(Walk(GetSubMenu(bar, i)) == expected[i]);
    }
}

using MenuFixture = TestWindow;

} // namespace

TEST_CASE("the menu bar as built, with the default settings")
{
    MenuFixture f;
    REQUIRE(f.hwnd);
    CheckMenuBar(f.hwnd, false, true);
}

TEST_CASE("the Tools check marks follow the loaded settings")
{
    MenuFixture f("[Settings]\r\nDiffMode=1\r\nAutoSave=0\r\n");
    REQUIRE(f.hwnd);
    CheckMenuBar(f.hwnd, true, false);
}

TEST_CASE("menu state: folder items, tab items and the encoding checks follow the document")
{
    MenuFixture f;
    REQUIRE(f.hwnd);
    HMENU bar = GetMenu(f.hwnd);
    HMENU file = GetSubMenu(bar, 0);
    SendMessageA(f.hwnd, WM_INITMENUPOPUP, (WPARAM)file, 0);
    UINT explorer = GetMenuState(file, IDM_FILE_OPEN_FOLDER_EXPLORER, MF_BYCOMMAND);
    CHECK((explorer & MF_GRAYED) != 0);
    CHECK((GetMenuState(file, IDM_FILE_CLOSE_OTHERS, MF_BYCOMMAND) & MF_GRAYED) != 0);
    CHECK((GetMenuState(file, IDM_FILE_REOPEN_CLOSED, MF_BYCOMMAND) & MF_GRAYED) != 0);
    CHECK((GetMenuState(file, IDM_FILE_REFRESH_SFTP, MF_BYCOMMAND) & MF_GRAYED) != 0);

    TabDocument* doc = GetActiveDocument();
    REQUIRE(doc);
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof(exe));
    SetDocumentString(&doc->path, exe); // a file that exists, so no vanished-file question
    SendMessageA(f.hwnd, WM_COMMAND, IDM_FILE_NEW, 0); // a second tab
    SendMessageA(f.hwnd, WM_COMMAND, IDM_TAB_MOVE_LEFT, 0); // move it left: the file tab is second now
    PumpMessages(f.hwnd, 10);
    SendMessageA(gTabsWnd, TCM_SETCURSEL, 1, 0);
    SendMessageA(f.hwnd, WM_INITMENUPOPUP, (WPARAM)file, 0);
    CHECK((GetMenuState(file, IDM_FILE_OPEN_FOLDER_EXPLORER, MF_BYCOMMAND) & MF_GRAYED) == 0);
    CHECK((GetMenuState(file, IDM_FILE_OPEN_FOLDER_CMD, MF_BYCOMMAND) & MF_GRAYED) == 0);
    CHECK((GetMenuState(file, IDM_FILE_CLOSE_OTHERS, MF_BYCOMMAND) & MF_GRAYED) == 0);

    HMENU encoding = GetSubMenu(bar, 3);
    struct Row {
        int encoding;
        bool bom;
        int checked;
    } rows[] = {{0, false, 0}, {1, false, 1}, {1, true, 2}, {2, true, 3}, {3, true, 4}, {7, false, 1}};
    for (const Row& row : rows) {
        CAPTURE(row.encoding);
        CAPTURE(row.bom);
        doc->encoding = (EncodingId)row.encoding;
        doc->bom = row.bom;
        SendMessageA(f.hwnd, WM_INITMENUPOPUP, (WPARAM)encoding, 0);
        for (int i = 0; i < 5; ++i) {
            bool want = i == row.checked;
            CHECK(((GetMenuState(encoding, IDM_ENC_CONVERT_ANSI + i, MF_BYCOMMAND) & MF_CHECKED) != 0) ==
                  want);
            CHECK(((GetMenuState(encoding, IDM_ENC_RELOAD_ANSI + i, MF_BYCOMMAND) & MF_CHECKED) != 0) ==
                  want);
        }
    }
}

TEST_CASE("line-end commands mark the document and show in the status bar")
{
    MenuFixture f;
    REQUIRE(f.hwnd);
    SendMessageA(f.hwnd, WM_COMMAND, IDM_EOL_LF, 0);
    TabDocument* doc = GetActiveDocument();
    REQUIRE(doc);
    CHECK(doc->eol == 1);
    CHECK(doc->modified);
    CHECK(StatusText().find("Unix (LF)") != std::string::npos);
    doc->modified = false;
    SendMessageA(gEditorWnd, EM_SETMODIFY, FALSE, 0);
    SendMessageA(f.hwnd, WM_COMMAND, IDM_EOL_LF, 0); // again: nothing changes
    CHECK_FALSE(doc->modified);
}

TEST_CASE("the toggles: diff mode, auto save, read-only, Vim mode")
{
    MenuFixture f;
    REQUIRE(f.hwnd);
    HMENU bar = GetMenu(f.hwnd);
    SendMessageA(f.hwnd, WM_COMMAND, IDM_TOOLS_DIFF_MODE, 0);
    CHECK((GetMenuState(bar, IDM_TOOLS_DIFF_MODE, MF_BYCOMMAND) & MF_CHECKED) != 0);
    CHECK(StatusText().find(" | DIFF") != std::string::npos);
    SendMessageA(f.hwnd, WM_COMMAND, IDM_TOOLS_AUTOSAVE, 0);
    CHECK((GetMenuState(bar, IDM_TOOLS_AUTOSAVE, MF_BYCOMMAND) & MF_CHECKED) == 0);
    CHECK(StatusText().find(" | AutoSave") == std::string::npos);
    SendMessageA(f.hwnd, WM_COMMAND, IDM_EDIT_READ_ONLY, 0);
    CHECK((GetWindowLongA(gEditorWnd, GWL_STYLE) & ES_READONLY) != 0);
    CHECK(StatusText().find(" | [Read-Only]") != std::string::npos);
    SendMessageA(f.hwnd, WM_COMMAND, IDM_TOOLS_VIM_MODE, 0);
    CHECK((GetMenuState(bar, IDM_TOOLS_VIM_MODE, MF_BYCOMMAND) & MF_CHECKED) != 0);
    CHECK(StatusText().find(" | VIM: NORMAL") != std::string::npos);
}

TEST_CASE("the tab context menu, greyed for the tab it was opened on")
{
    MenuFixture f;
    REQUIRE(f.hwnd);
    TabDocument* doc = GetActiveDocument();
    HMENU menu = BuildTabContextMenu(0, 1, doc);
    const std::vector<std::string> lone = {
        "1005 &Close\tCtrl+W", "1007 Close &All BUT This [g]", "1024 Re&open Closed Tab\tCtrl+Shift+T [g]", "-",
        "1003 &Save\tCtrl+S", "1004 Save &As...\tCtrl+Alt+S", "1026 Refresh from SFT&P\tCtrl+Shift+R [g]", "-",
        "1008 Open &Containing Folder in Explorer [g]", "1009 Open Containing Folder in &cmd [g]", "-",
        "> Copy to &Clipboard", "7001 Current &Full File Path to Clipboard [g]",
        "7002 Current &File Name to Clipboard", "7003 Current &Directory Path to Clipboard [g]", "<", "-",
        "> &Move Tab", "1020 Move &Left\tCtrl+Shift+Page Up [g]", "1021 Move &Right\tCtrl+Shift+Page Down [g]",
        "-", "1022 Move to &Start [g]", "1023 Move to &End [g]", "<",
    };
    CHECK(Walk(menu) == lone);
    DestroyMenu(menu);

    SetDocumentString(&doc->path, "C:\\x.txt");
    SetDocumentString(&doc->sftpUrl, "sftp://u@h:22/x.txt");
    menu = BuildTabContextMenu(1, 3, doc);
    std::vector<std::string> lines = Walk(menu);
    DestroyMenu(menu);
    CHECK(lines[1] == "1007 Close &All BUT This");
    CHECK(lines[6] == "1026 Refresh from SFT&P\tCtrl+Shift+R");
    CHECK(lines[8] == "1008 Open &Containing Folder in Explorer");
    CHECK(lines[12] == "7001 Current &Full File Path to Clipboard");
    CHECK(lines[18] == "1020 Move &Left\tCtrl+Shift+Page Up");
    CHECK(lines[19] == "1021 Move &Right\tCtrl+Shift+Page Down");
    SetDocumentString(&doc->path, "");
    SetDocumentString(&doc->sftpUrl, nullptr);
}
