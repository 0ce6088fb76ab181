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
// A context menu is greyed for its state as it is built; the menu bar's items are greyed
// when their menu opens.
void AppendEntries(HMENU menu, const MenuEntry* entries, int count, int* pos, const CommandState* state)
{
    while (*pos < count) {
        const MenuEntry& e = entries[(*pos)++];
        switch (e.kind) {
        case kMenuItem: {
            UINT flags = MF_STRING;
            if ((e.id == IDM_TOOLS_DIFF_MODE && gDiffMode) || (e.id == IDM_TOOLS_AUTOSAVE && gAutoSave))
                flags |= MF_CHECKED;
            if (state && !CommandEnabled(e.id, *state))
                flags |= MF_GRAYED;
            AppendMenuA(menu, flags, e.id, e.text);
            break;
        }
        case kMenuSeparator:
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            break;
        case kMenuPopup: {
            HMENU sub = CreatePopupMenu();
            AppendEntries(sub, entries, count, pos, state);
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
        AppendEntries(popup, tables[i].entries, tables[i].count, &pos, nullptr);
        AppendMenuA(menuBar, MF_POPUP, (UINT_PTR)popup, tables[i].caption);
    }
}

bool HasText(const char* s)
{
    return s && s[0];
}

HMENU BuildContextMenu(const MenuTable& table, const CommandState& state)
{
    HMENU menu = CreatePopupMenu();
    int pos = 0;
    AppendEntries(menu, table.entries, table.count, &pos, &state);
    return menu;
}

CommandState StateFor(int tab, int count, const TabDocument* doc)
{
    CommandState state;
    state.tab = tab;
    state.tabCount = count;
    state.hasPath = doc && HasText(doc->path);
    state.hasSftpUrl = doc && HasText(doc->sftpUrl);
    state.closedTabs = !gClosedTabs.empty();
    return state;
}

UINT Enabled(bool enabled)
{
    return MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED);
}

UINT Checked(bool checked)
{
    return MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED);
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
    CommandState state = StateFor(GetSelectedTabIndex(), GetTabCount(), doc);
    int count = 0;
    const int* greyable = GreyableCommands(&count);
    for (int i = 0; i < count; ++i)
        EnableMenuItem(popup, greyable[i], Enabled(CommandEnabled(greyable[i], state)));
    CheckMenuItem(popup, IDM_EDIT_READ_ONLY, Checked(doc->readOnly));
    int offset = EncodingChoiceOffset(doc->encoding, doc->bom);
    for (int i = 0; i < kEncodingChoiceCount; ++i) {
        CheckMenuItem(popup, IDM_ENC_CONVERT_ANSI + i, Checked(i == offset));
        CheckMenuItem(popup, IDM_ENC_RELOAD_ANSI + i, Checked(i == offset));
    }
}

HMENU BuildTabContextMenu(int tab, int count, const TabDocument* doc)
{
    return BuildContextMenu(TabContextMenuTable(), StateFor(tab, count, doc));
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
        menu = BuildContextMenu(TabBarMenuTable(), StateFor(tab, GetTabCount(), nullptr));
    } else {
        if (tab != GetSelectedTabIndex()) {
            if (!gProgrammaticChange) {
                if (!StoreEditorTextInTab())
                    return;
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
