#include "app/shortcuts.h"

#include "app/main_window.h"
#include "app/tabs.h"
#include "document/closed_tabs.h"
#include "document/undo.h"
#include "editor/clipboard.h"
#include "editor/editor_text.h"
#include "search/find.h"

ModifierState ReadModifiers()
{
    ModifierState m;
    m.ctrl = GetKeyState(VK_CONTROL) < 0;
    m.alt = GetKeyState(VK_MENU) < 0;
    m.shift = GetKeyState(VK_SHIFT) < 0;
    return m;
}

void SelectAllInFocusWindow()
{
    HWND target = GetFocus();
    if (!target)
        target = gEditorWnd;
    if (!target)
        return;
    if (target == gEditorWnd)
        LeaveBlockMode();
    SendMessageA(target, EM_SETSEL, 0, -1);
}

void ExecuteShortcut(HWND mainWnd, const ShortcutAction& action)
{
    switch (action.kind) {
    case kKeyNotFound:
    case kKeyConsume:
        break;
    case kKeySend:
        SendMessageA(mainWnd, WM_COMMAND, action.command, 0);
        break;
    case kKeyUndo:
        Undo(gEditorWnd);
        break;
    case kKeyRedo:
        Redo(gEditorWnd);
        break;
    case kKeyReopenClosedTab:
        ReopenClosedTab(mainWnd);
        break;
    case kKeyFindNext:
    case kKeyFindPrevious:
        if (!gFindText.empty())
            FindInDocument(gFindWnd, action.kind == kKeyFindNext);
        else
            ShowFindWindow(mainWnd, false);
        break;
    case kKeyCycleForward:
        CycleTabs(true);
        break;
    case kKeyCycleBackward:
        CycleTabs(false);
        break;
    case kKeySelectAll:
        SelectAllInFocusWindow();
        break;
    case kKeyShowFind:
        ShowFindWindow(mainWnd, false);
        break;
    case kKeyShowReplace:
        ShowFindWindow(mainWnd, true);
        break;
    case kKeyShowGoToLine:
        ShowGoToLineWindow(gEditorWnd);
        break;
    case kKeyFindNextOrOpen:
        FindNextOrOpenFindWindow(mainWnd, true);
        break;
    case kKeyFindPreviousOrOpen:
        FindNextOrOpenFindWindow(mainWnd, false);
        break;
    case kKeyCopy:
        EditCopy(gEditorWnd);
        break;
    case kKeyCut:
        EditCut(gEditorWnd);
        break;
    case kKeyPaste:
        EditPaste(gEditorWnd);
        break;
    case kKeyPost:
        PostMessageA(mainWnd, WM_COMMAND, action.command, 0);
        break;
    }
}

namespace {

// Looks the key up in the table with the modifiers held now; true when it was there.
bool RunShortcutFrom(const ShortcutTable& table, HWND mainWnd, int vk)
{
    ModifierState m = ReadModifiers();
    ShortcutAction action = LookupShortcut(table, vk, m.ctrl, m.alt, m.shift);
    if (action.kind == kKeyNotFound)
        return false;
    ExecuteShortcut(mainWnd, action);
    return true;
}

} // namespace

bool HandleMessageLoopKey(HWND mainWnd, int vk)
{
    return RunShortcutFrom(MessageLoopShortcuts(), mainWnd, vk);
}

void HandleMainWindowKey(HWND mainWnd, int vk)
{
    ModifierState m = ReadModifiers();
    ExecuteShortcut(mainWnd, LookupShortcut(MainWindowShortcuts(), vk, m.ctrl, m.alt, m.shift));
}

bool HandleTabBarKey(HWND mainWnd, int vk)
{
    return RunShortcutFrom(TabBarShortcuts(), mainWnd, vk);
}
