#include "app/tabs.h"

#include "app/command_ids.h"
#include "app/file_dialog.h"
#include "app/main_window.h"
#include "app/save_as.h"
#include "app/settings.h"
#include "app/shortcuts.h"
#include "app/tab_strip.h"
#include "document/closed_tabs.h"
#include "document/document.h"
#include "document/paths.h"
#include "document/save.h"
#include "document/scoped_flag.h"
#include "document/session.h"
#include "document/textfile.h"
#include "document/undo.h"
#include "document/undo_core.h"

#include <commctrl.h>
#include <stdio.h>
#include <string.h>

TabDrag gTabDrag;
bool gMissingFilePromptOpen = false;

namespace {

// Deletes the item at index with the program's flag set and selects the tab that takes
// its place; a fresh "Untitled" tab is made when none is left.
void DeleteTabAndSelectNeighbour(int index)
{
    ScopedFlag programmatic(gProgrammaticChange);
    TabCtrl_DeleteItem(gTabsWnd, index);
    int count = GetTabCount();
    if (count == 0) {
        InsertTabItem(0, "Untitled", CreateEmptyDocument());
        TabCtrl_SetCurSel(gTabsWnd, 0);
    } else {
        TabCtrl_SetCurSel(gTabsWnd, index < count ? index : count - 1);
    }
}

// Yes saves (Save for a file, Save As for an untitled document); a failed or cancelled
// save counts as Cancel. Returns false for Cancel.
bool AskToSave(HWND owner, TabDocument* doc, const char* title)
{
    char name[MAX_PATH];
    if (doc->path && doc->path[0])
        QuestionNameForDocument(doc->path, title, name, sizeof(name));
    else
        lstrcpynA(name, title[0] ? title : "Untitled", sizeof(name));
    char message[MAX_PATH + 64];
    snprintf(message, sizeof(message), "Save file \"%s\" before closing?", name);
    int answer = MessageBoxA(owner, message, "Zorvik", MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL)
        return false;
    if (answer == IDYES)
        return (doc->path && doc->path[0]) ? SaveFile(owner) : SaveFileAs(owner);
    return true;
}

// Puts the tab's document on the closed-tab list and frees it; the item stays.
void RetireTab(HWND owner, int index)
{
    char title[MAX_PATH];
    GetTabTitle(index, title, sizeof(title), "Untitled");
    TabDocument* doc = GetTabDocument(index);
    if (doc) {
        PushClosedTab(owner, doc, title);
        FreeTabDocument(doc);
    }
}

bool HasText(const TabDocument* doc)
{
    return DocumentHasText(doc);
}

bool HasPath(const TabDocument* doc)
{
    return doc->path && doc->path[0];
}

// The save questions of Close All BUT This for every tab but k, each tab shown while it is
// asked about; tab k is active again afterwards. False when the user cancelled.
bool AskAboutOtherTabs(HWND owner, int k)
{
    ScopedFlag questionLoop(gTabQuestionLoop);
    bool cancelled = false;
    for (int i = 0; i < GetTabCount() && !cancelled; ++i) {
        if (i == k)
            continue;
        TabDocument* doc = GetTabDocument(i);
        if (!doc || !(HasPath(doc) ? doc->modified : HasText(doc)))
            continue;
        if (!SwitchToTab(i)) {
            cancelled = true;
            break;
        }
        UpdateWindow(owner);
        // Look the document up again: the activation ran message loops of its own.
        doc = GetTabDocument(i);
        if (!doc)
            continue;
        char title[MAX_PATH];
        GetTabTitle(i, title, sizeof(title), "Untitled");
        if (!AskToSave(owner, doc, title))
            cancelled = true;
    }
    // Still inside the loop's protection: a vanished-file check on tab k could close it
    // and leave k naming another tab, or none.
    TabCtrl_SetCurSel(gTabsWnd, k);
    ActivateSelectedTab();
    return !cancelled;
}

// Right of k from the last down, then left of k: the closed-tab list ends with the tab
// that was first in the bar. Tab k is left, selected.
void RetireOtherTabs(HWND owner, int k)
{
    ScopedFlag programmatic(gProgrammaticChange);
    for (int i = GetTabCount() - 1; i > k; --i) {
        RetireTab(owner, i);
        TabCtrl_DeleteItem(gTabsWnd, i);
    }
    for (int i = k - 1; i >= 0; --i) {
        RetireTab(owner, i);
        TabCtrl_DeleteItem(gTabsWnd, i);
    }
    TabCtrl_SetCurSel(gTabsWnd, 0);
}

} // namespace

void ResetTabsState()
{
    gTabDrag = TabDrag();
    gMissingFilePromptOpen = false;
    gTabQuestionLoop = false;
}

void QuestionNameForDocument(const char* path, const char* title, char* buffer, int size)
{
    if (strchr(path, '\\'))
        lstrcpynA(buffer, FileNamePart(path), size);
    else if (title && title[0])
        lstrcpynA(buffer, title, size);
    else
        lstrcpynA(buffer, path, size);
}

void CycleTabs(bool forward)
{
    int n = GetTabCount();
    if (n < 2)
        return;
    int i = GetSelectedTabIndex();
    if (i < 0)
        i = 0;
    SwitchToTab(forward ? (i + 1) % n : (n + i - 1) % n);
}

void NewTab(HWND mainWnd)
{
    if (!gTabsWnd || !StoreEditorTextInTab())
        return;
    int n = GetTabCount();
    char title[32];
    snprintf(title, sizeof(title), "new %d", n + 1);
    {
        ScopedFlag programmatic(gProgrammaticChange);
        int index = InsertTabItem(n, title, CreateEmptyDocument());
        TabCtrl_SetCurSel(gTabsWnd, index);
    }
    ActivateSelectedTab();
    AutoSaveSession(mainWnd);
}

void OpenFileByPath(HWND mainWnd, const char* path)
{
    if (!gTabsWnd || !path || !path[0])
        return;
    std::string full = MakeFullPath(path);
    int count = GetTabCount();
    for (int i = 0; i < count; ++i) {
        TabDocument* doc = GetTabDocument(i);
        if (!doc || !HasPath(doc))
            continue;
        if (_stricmp(MakeFullPath(doc->path).c_str(), full.c_str()) == 0) {
            SwitchToTab(i);
            AddRecentFile(full.c_str());
            return;
        }
    }

    LoadedText loaded;
    if (!TryLoadTextFile(full.c_str(), &loaded)) {
        MessageBoxA(mainWnd, "Failed to read file from disk.", "Zorvik - Read Error", MB_ICONERROR);
        return;
    }
    // The new document is whole before any tab changes: without memory for it the tabs
    // stay as they were.
    TabDocument* doc = StoreEditorTextInTab() ? CreateDocument(full.c_str()) : nullptr;
    if (!doc || !SetDocumentString(&doc->path, full.c_str())) {
        FreeTabDocument(doc);
        ReportOutOfMemory();
        return;
    }
    TakeDocumentText(doc, loaded.text);
    doc->encoding = loaded.encoding;
    doc->bom = loaded.bom;
    doc->eol = loaded.eol;
    // Text the model could not keep whole (a NUL, characters the code page lacks) must
    // not be saved over the file.
    ApplyTextLoss(doc, loaded.loss);

    ReplaceLoneEmptyTab(LoneTabRule::Empty);

    {
        ScopedFlag programmatic(gProgrammaticChange);
        int index = InsertTabItem(GetTabCount(), FileNamePart(full.c_str()), doc);
        TabCtrl_SetCurSel(gTabsWnd, index);
    }
    ActivateSelectedTab();

    AddRecentFile(full.c_str());
    AutoSaveSession(mainWnd);
}

void ChooseAndOpenFile(HWND owner)
{
    char file[MAX_PATH] = "";
    if (AskForFileName(owner, false, file, sizeof(file)))
        OpenFileByPath(owner, file);
}

bool CloseActiveTab(HWND owner)
{
    if (!gTabsWnd)
        return false;
    int count = GetTabCount();
    if (count == 0)
        return false;
    int index = GetSelectedTabIndex();
    if (index < 0 || index >= count) {
        index = 0;
        TabCtrl_SetCurSel(gTabsWnd, 0);
    }
    // The closed-tab record and the question must see the latest typing.
    if (!StoreEditorTextInTab())
        return false;
    char title[MAX_PATH];
    GetTabTitle(index, title, sizeof(title), "Untitled");
    TabDocument* doc = GetTabDocument(index);
    if (doc) {
        bool editorModified = gEditorWnd && SendMessageA(gEditorWnd, EM_GETMODIFY, 0, 0);
        bool ask = HasPath(doc) ? (doc->modified || editorModified) : HasText(doc);
        if (ask) {
            bool go;
            {
                ScopedFlag questionLoop(gTabQuestionLoop);
                go = AskToSave(owner, doc, title);
            }
            if (!go)
                return false;
            // The question and a Save As ran message loops: close the document that was
            // asked about, wherever its tab is now, under the title it has now.
            index = FindTabOfDocument(doc);
            if (index < 0)
                return false;
            GetTabTitle(index, title, sizeof(title), "Untitled");
        }
        PushClosedTab(owner, doc, title);
        FreeTabDocument(doc);
    }
    DeleteTabAndSelectNeighbour(index);
    ActivateSelectedTab();
    SaveSession(owner);
    if (gEditorWnd)
        SetFocus(gEditorWnd);
    return true;
}

void CloseOtherTabs(HWND owner)
{
    int k = GetSelectedTabIndex();
    if (k < 0 || GetTabCount() < 2 || !StoreEditorTextInTab())
        return;
    TabDocument* selected = GetTabDocument(k);
    if (selected && gEditorWnd && SendMessageA(gEditorWnd, EM_GETMODIFY, 0, 0))
        selected->modified = true;
    if (!AskAboutOtherTabs(owner, k))
        return;
    RetireOtherTabs(owner, k);
    ActivateSelectedTab();
    SaveSession(owner);
}

void CloseTabAt(HWND mainWnd, int index)
{
    // The closed-tab record must hold the latest typing of the active tab.
    if (index == GetSelectedTabIndex() && !StoreEditorTextInTab())
        return;
    RetireTab(mainWnd, index);
    DeleteTabAndSelectNeighbour(index);
    ActivateSelectedTab();
    AutoSaveSession(mainWnd);
}

void CloseTabIfValid(HWND mainWnd, int index)
{
    if (gTabsWnd && index >= 0 && index < GetTabCount())
        CloseTabAt(mainWnd, index);
}

bool CheckActiveFileExists(HWND owner)
{
    if (gMissingFilePromptOpen || gTabQuestionLoop || !gTabsWnd || !gEditorWnd ||
        gProgrammaticChange)
        return true;
    int index = GetSelectedTabIndex();
    TabDocument* doc = GetTabDocument(index);
    if (!doc || (doc->sftpUrl && doc->sftpUrl[0]) || !HasPath(doc) ||
        strstr(doc->path, "zrvk_sftp_") || doc->keptMissing)
        return true;
    DWORD attributes = GetFileAttributesA(doc->path);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;

    std::string message = std::string("The file \"") + doc->path +
                          "\" doesn't exist anymore.\n\nDo you want to keep this file in the editor?";
    int answer;
    {
        ScopedFlag promptOpen(gMissingFilePromptOpen);
        answer = MessageBoxA(owner, message.c_str(), "Keep Non-Existing File", MB_YESNO | MB_ICONQUESTION);
    }

    // The tab set may have changed while the box was up: act only on the same document.
    index = FindTabOfDocument(doc);
    if (index < 0)
        return true;
    if (answer == IDYES) {
        doc->modified = true;
        doc->keptMissing = true;
        // No undo step leads back to a file that is gone: the flag must survive the next
        // recorded change.
        if (doc->history)
            doc->history->savedIndex = kUndoSavePointLost;
        if (index == GetSelectedTabIndex())
            SendMessageA(gEditorWnd, EM_SETMODIFY, TRUE, 0);
        UpdateTabIcon(index);
        UpdateStatusBar();
        return true;
    }
    CloseTabAt(owner, index);
    return false;
}

bool MoveTab(HWND mainWnd, int from, int to)
{
    int count = GetTabCount();
    if (!gTabsWnd || count < 2 || from < 0 || to < 0 || from >= count || to >= count)
        return false;
    if (from == to)
        return true;
    // The moved tab is loaded again from its document when it is the active one.
    if (!StoreEditorTextInTab())
        return false;
    int s = GetSelectedTabIndex();

    char title[MAX_PATH] = "";
    TCITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM;
    item.pszText = title;
    item.cchTextMax = MAX_PATH;
    SendMessageA(gTabsWnd, TCM_GETITEMA, from, (LPARAM)&item);

    int selection = s;
    if (s == from)
        selection = to;
    else if (from < s && s <= to)
        selection = s - 1;
    else if (to <= s && s < from)
        selection = s + 1;
    {
        ScopedFlag programmatic(gProgrammaticChange);
        TabCtrl_DeleteItem(gTabsWnd, from);
        item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM;
        item.pszText = title;
        SendMessageA(gTabsWnd, TCM_INSERTITEMA, to, (LPARAM)&item);
        TabCtrl_SetCurSel(gTabsWnd, selection);
    }

    if (s == from)
        ActivateSelectedTab();
    SaveSession(mainWnd);
    InvalidateRect(gTabsWnd, nullptr, TRUE);
    return true;
}

void MoveActiveTabCommand(HWND mainWnd, int command)
{
    int i = GetSelectedTabIndex();
    int count = GetTabCount();
    switch (command) {
    case IDM_TAB_MOVE_LEFT:
        if (i >= 1)
            MoveTab(mainWnd, i, i - 1);
        break;
    case IDM_TAB_MOVE_RIGHT:
        if (i >= 0 && i < count - 1)
            MoveTab(mainWnd, i, i + 1);
        break;
    case IDM_TAB_MOVE_FIRST:
        if (i >= 1)
            MoveTab(mainWnd, i, 0);
        break;
    case IDM_TAB_MOVE_LAST:
        if (i >= 0 && i < count - 1)
            MoveTab(mainWnd, i, count - 1);
        break;
    }
}

int TabDropIndexAt(HWND tabBar, int x)
{
    int count = TabCtrl_GetItemCount(tabBar);
    for (int i = 0; i < count; ++i) {
        RECT rc;
        if (TabCtrl_GetItemRect(tabBar, i, &rc) && rc.left + (rc.right - rc.left) / 2 > x)
            return i;
    }
    return count;
}

void DrawTabDropMarker(HWND tabBar, int index)
{
    int count = TabCtrl_GetItemCount(tabBar);
    RECT rc;
    int x;
    if (index >= 0 && index < count && TabCtrl_GetItemRect(tabBar, index, &rc))
        x = rc.left;
    else if (index == count && count > 0 && TabCtrl_GetItemRect(tabBar, count - 1, &rc))
        x = rc.right;
    else
        return;
    if (x < 0)
        return;
    HDC dc = GetDC(tabBar);
    if (!dc)
        return;
    RECT marker = {x - 1, 2, x + 2, 24};
    HBRUSH brush = CreateSolidBrush(RGB(0, 102, 204));
    FillRect(dc, &marker, brush);
    DeleteObject(brush);
    ReleaseDC(tabBar, dc);
}

namespace {

void EndTabDrag(HWND hwnd)
{
    gTabDrag = TabDrag();
    InvalidateRect(hwnd, nullptr, TRUE);
}

LRESULT OnTabBarPaint(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CallWindowProcA(gTabsOrigProc, hwnd, WM_PAINT, wParam, lParam);
    if (gTabDrag.dragging && gTabDrag.dropIndex != -1)
        DrawTabDropMarker(hwnd, gTabDrag.dropIndex);
    return result;
}

void OnTabPress(HWND hwnd, LPARAM lParam)
{
    TCHITTESTINFO hit;
    hit.pt.x = (short)LOWORD(lParam);
    hit.pt.y = (short)HIWORD(lParam);
    hit.flags = 0;
    int index = TabCtrl_HitTest(hwnd, &hit);
    if (index >= 0) {
        gTabDrag.pressX = hit.pt.x;
        gTabDrag.pressY = hit.pt.y;
        gTabDrag.dragging = false;
        gTabDrag.dropIndex = -1;
    }
    gTabDrag.pressIndex = index;
}

// True when the move belongs to a drag; the control then does not see it.
bool OnTabMove(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    if (gTabDrag.pressIndex == -1 || !(wParam & MK_LBUTTON))
        return false;
    int x = (short)LOWORD(lParam), y = (short)HIWORD(lParam);
    if (!gTabDrag.dragging) {
        if (abs(x - gTabDrag.pressX) <= 4 && abs(y - gTabDrag.pressY) <= 4)
            return false;
        gTabDrag.dragging = true;
        SetCapture(hwnd);
    }
    int drop = TabDropIndexAt(hwnd, x);
    if (drop != gTabDrag.dropIndex) {
        gTabDrag.dropIndex = drop;
        InvalidateRect(hwnd, nullptr, FALSE);
        UpdateWindow(hwnd);
        DrawTabDropMarker(hwnd, drop);
    }
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    return true;
}

LRESULT OnTabRelease(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    if (gTabDrag.dragging) {
        int pressed = gTabDrag.pressIndex, drop = gTabDrag.dropIndex;
        ReleaseCapture();
        EndTabDrag(hwnd);
        if (drop != -1) {
            int destination = pressed < drop ? drop - 1 : drop;
            if (destination != pressed)
                MoveTab(GetParent(hwnd), pressed, destination);
        }
        if (gEditorWnd)
            SetFocus(gEditorWnd);
        return 0;
    }
    if (gTabDrag.pressIndex != -1) {
        gTabDrag.pressIndex = -1;
        gTabDrag.dropIndex = -1;
    }
    LRESULT result = CallWindowProcA(gTabsOrigProc, hwnd, WM_LBUTTONUP, wParam, lParam);
    if (gEditorWnd)
        SetFocus(gEditorWnd);
    return result;
}

} // namespace

static LRESULT CALLBACK HandleTabBarMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT:
        return OnTabBarPaint(hwnd, wParam, lParam);
    case WM_LBUTTONDOWN:
        OnTabPress(hwnd, lParam);
        break;
    case WM_MOUSEMOVE:
        if (OnTabMove(hwnd, wParam, lParam))
            return 0;
        break;
    case WM_LBUTTONUP:
        return OnTabRelease(hwnd, wParam, lParam);
    case WM_CAPTURECHANGED:
        if (gTabDrag.dragging)
            EndTabDrag(hwnd);
        break;
    case WM_KEYDOWN:
        if (HandleTabBarKey(GetParent(hwnd), (int)wParam))
            return 0;
        break;
    }
    return CallWindowProcA(gTabsOrigProc, hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK TabBarWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return CallStoppingOutOfMemory(HandleTabBarMessage, hwnd, msg, wParam, lParam);
}
