#include "app/menus.h"

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/menu_table.h"
#include "app/settings.h"
#include "document/closed_tabs.h"
#include "document/document.h"
#include "document/encoding_choices.h"
#include "document/session.h"

#include <commctrl.h>

namespace {

// Appends entries [*pos, end of this level) to menu; returns at the matching kMenuEnd.
void AppendEntries(HMENU menu, const MenuEntry* entries, int count, int* pos)
{
    while (*pos < count) {
        const MenuEntry& e = entries[(*pos)++];
        switch (e.kind) {
        case kMenuItem: {
            UINT flags = MF_STRING;
            if ((e.id == IDM_TOOLS_DIFF_MODE && gDiffMode) || (e.id == IDM_TOOLS_AUTOSAVE && gAutoSave))
                flags |= MF_CHECKED;
            AppendMenuA(menu, flags, e.id, e.text);
            break;
        }
        case kMenuSeparator:
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            break;
        case kMenuPopup: {
            HMENU sub = CreatePopupMenu();
            AppendEntries(sub, entries, count, pos);
            AppendMenuA(menu, MF_POPUP, (UINT_PTR)sub, e.text);
            break;
        }
        case kMenuEnd:
            return;
        case kMenuRecentFiles:
            gRecentFilesMenu = CreatePopupMenu();
            BuildRecentFilesMenu(gRecentFilesMenu);
            AppendMenuA(menu, MF_POPUP, (UINT_PTR)gRecentFilesMenu, e.text);
            break;
        }
    }
}

void AppendTables(HMENU menuBar, int first, int last)
{
    int count = 0;
    const MenuTable* tables = MainMenuTables(&count);
    for (int i = first; i <= last && i < count; ++i) {
        HMENU popup = CreatePopupMenu();
        int pos = 0;
        AppendEntries(popup, tables[i].entries, tables[i].count, &pos);
        AppendMenuA(menuBar, MF_POPUP, (UINT_PTR)popup, tables[i].caption);
    }
}

UINT Enabled(bool enabled)
{
    return MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED);
}

UINT Checked(bool checked)
{
    return MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED);
}

bool HasText(const char* s)
{
    return s && s[0];
}

} // namespace

HMENU BuildFirstMenus()
{
    HMENU bar = CreateMenu();
    AppendTables(bar, 0, 3);
    return bar;
}

void BuildLastMenus(HMENU menuBar)
{
    AppendTables(menuBar, 4, 5);
}

void UpdateMenuState(HMENU popup)
{
    if (popup && popup == gRecentFilesMenu)
        BuildRecentFilesMenu(popup);
    TabDocument* doc = GetActiveDocument();
    if (!doc)
        return;
    bool hasPath = HasText(doc->path);
    EnableMenuItem(popup, IDM_FILE_OPEN_FOLDER_EXPLORER, Enabled(hasPath));
    EnableMenuItem(popup, IDM_FILE_OPEN_FOLDER_CMD, Enabled(hasPath));
    EnableMenuItem(popup, IDM_EDIT_COPY_FULL_PATH, Enabled(hasPath));
    EnableMenuItem(popup, IDM_EDIT_COPY_DIR_PATH, Enabled(hasPath));
    EnableMenuItem(popup, IDM_FILE_CLOSE_OTHERS, Enabled(GetTabCount() >= 2));
    EnableMenuItem(popup, IDM_FILE_REOPEN_CLOSED, Enabled(!gClosedTabs.empty()));
    EnableMenuItem(popup, IDM_FILE_REFRESH_SFTP, Enabled(HasText(doc->sftpUrl)));
    CheckMenuItem(popup, IDM_EDIT_READ_ONLY, Checked(doc->readOnly));
    int offset = EncodingChoiceOffset(doc->encoding, doc->bom);
    for (int i = 0; i < kEncodingChoiceCount; ++i) {
        CheckMenuItem(popup, IDM_ENC_CONVERT_ANSI + i, Checked(i == offset));
        CheckMenuItem(popup, IDM_ENC_RELOAD_ANSI + i, Checked(i == offset));
    }
}

HMENU BuildTabContextMenu(int tab, int count, const TabDocument* doc)
{
    bool hasPath = doc && HasText(doc->path);
    bool closedTabs = !gClosedTabs.empty();
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, IDM_FILE_CLOSE_TAB, "&Close\tCtrl+W");
    AppendMenuA(menu, MF_STRING | (count < 2 ? MF_GRAYED : 0), IDM_FILE_CLOSE_OTHERS, "Close &All BUT This");
    AppendMenuA(menu, MF_STRING | (closedTabs ? 0 : MF_GRAYED), IDM_FILE_REOPEN_CLOSED,
                "Re&open Closed Tab\tCtrl+Shift+T");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDM_FILE_SAVE, "&Save\tCtrl+S");
    AppendMenuA(menu, MF_STRING, IDM_FILE_SAVE_AS, "Save &As...\tCtrl+Alt+S");
    AppendMenuA(menu, MF_STRING | (doc && HasText(doc->sftpUrl) ? 0 : MF_GRAYED), IDM_FILE_REFRESH_SFTP,
                "Refresh from SFT&P\tCtrl+Shift+R");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    UINT pathFlag = hasPath ? 0 : MF_GRAYED;
    AppendMenuA(menu, MF_STRING | pathFlag, IDM_FILE_OPEN_FOLDER_EXPLORER, "Open &Containing Folder in Explorer");
    AppendMenuA(menu, MF_STRING | pathFlag, IDM_FILE_OPEN_FOLDER_CMD, "Open Containing Folder in &cmd");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    HMENU copy = CreatePopupMenu();
    AppendMenuA(copy, MF_STRING | pathFlag, IDM_EDIT_COPY_FULL_PATH, "Current &Full File Path to Clipboard");
    AppendMenuA(copy, MF_STRING, IDM_EDIT_COPY_FILE_NAME, "Current &File Name to Clipboard");
    AppendMenuA(copy, MF_STRING | pathFlag, IDM_EDIT_COPY_DIR_PATH, "Current &Directory Path to Clipboard");
    AppendMenuA(menu, MF_POPUP, (UINT_PTR)copy, "Copy to &Clipboard");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    HMENU move = CreatePopupMenu();
    UINT first = tab == 0 ? MF_GRAYED : 0, last = tab == count - 1 ? MF_GRAYED : 0;
    AppendMenuA(move, MF_STRING | first, IDM_TAB_MOVE_LEFT, "Move &Left\tCtrl+Shift+Page Up");
    AppendMenuA(move, MF_STRING | last, IDM_TAB_MOVE_RIGHT, "Move &Right\tCtrl+Shift+Page Down");
    AppendMenuA(move, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(move, MF_STRING | first, IDM_TAB_MOVE_FIRST, "Move to &Start");
    AppendMenuA(move, MF_STRING | last, IDM_TAB_MOVE_LAST, "Move to &End");
    AppendMenuA(menu, MF_POPUP, (UINT_PTR)move, "&Move Tab");
    return menu;
}

void ShowTabContextMenu(HWND mainWnd)
{
    DWORD pos = GetMessagePos();
    POINT screen = {(short)LOWORD(pos), (short)HIWORD(pos)};
    TCHITTESTINFO hit;
    hit.pt = screen;
    ScreenToClient(gTabsWnd, &hit.pt);
    hit.flags = 0;
    int tab = TabCtrl_HitTest(gTabsWnd, &hit);
    HMENU menu;
    if (tab < 0) {
        menu = CreatePopupMenu();
        AppendMenuA(menu, MF_STRING, IDM_FILE_NEW, "&New Tab\tCtrl+N");
        AppendMenuA(menu, MF_STRING | (gClosedTabs.empty() ? MF_GRAYED : 0), IDM_FILE_REOPEN_CLOSED,
                    "Re&open Closed Tab\tCtrl+Shift+T");
    } else {
        if (tab != GetSelectedTabIndex()) {
            if (!gProgrammaticChange) {
                StoreEditorTextInTab();
                if (gAutoSave)
                    SaveSessionNow(mainWnd);
            }
            TabCtrl_SetCurSel(gTabsWnd, tab);
            if (!gProgrammaticChange)
                ActivateSelectedTab();
        }
        menu = BuildTabContextMenu(tab, GetTabCount(), GetTabDocument(tab));
    }
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, screen.x, screen.y, 0, mainWnd, nullptr);
    DestroyMenu(menu);
}
