#include "app/main_window.h"

#include "app/command_ids.h"
#include "app/commands.h"
#include "app/globals.h"
#include "app/menus.h"
#include "app/save_as.h"
#include "app/settings.h"
#include "app/shortcuts.h"
#include "app/single_instance.h"
#include "app/status_bar.h"
#include "app/tab_strip.h"
#include "app/tabs.h"
#include "app/updater.h"
#include "document/closed_tabs.h"
#include "document/document.h"
#include "document/save.h"
#include "document/scoped_flag.h"
#include "document/session.h"
#include "document/textfile.h"
#include "document/undo.h"
#include "editor/editor_paint.h"
#include "editor/editor_window.h"
#include "editor/fonts.h"
#include "editor/gutter.h"
#include "editor/word_break.h"
#include "sftp/sftp_window.h"

#include <commctrl.h>
#include <shellapi.h>
#include <stdio.h>
#include <string.h>

HWND gMainWnd = nullptr;
HWND gStatusWnd = nullptr;

const char kMainWindowClass[] = "ZorvikWindowClass";
const char kMainWindowTitle[] = "zenithOrbitalReflectorVectorIndexKit - Windows 95 Edition";

namespace {

const int kTabBarHeight = 25;

HWND CreateChild(HWND parent, DWORD exStyle, const char* cls, const char* text, DWORD style, int id)
{
    return CreateWindowExA(exStyle, cls, text, style, 0, 0, 0, 0, parent, (HMENU)(INT_PTR)id,
                           (HINSTANCE)GetWindowLongPtrA(parent, GWLP_HINSTANCE), nullptr);
}

WNDPROC Subclass(HWND window, WNDPROC proc)
{
    return (WNDPROC)SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)proc);
}

void OnCreate(HWND hwnd)
{
    gMainWnd = hwnd;
    AllowHandOverMessages(hwnd);
    SetTimer(hwnd, IDT_HANDOVER_POLL, 1000, nullptr);
    LoadRecentFiles();
    HMENU menuBar = BuildFirstMenus();
    LoadSettings();
    BuildLastMenus(menuBar);
    SetMenu(hwnd, menuBar);
    InitCommonControls();

    gTabsWnd = CreateChild(hwnd, 0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                           IDC_TAB_BAR);
    SendMessageA(gTabsWnd, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    TabCtrl_SetImageList(gTabsWnd, CreateTabImageList());
    InsertTabItem(0, "Untitled", CreateEmptyDocument());

    gGutterWnd = CreateChild(hwnd, WS_EX_CLIENTEDGE, "EDIT", "1",
                             WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_RIGHT | ES_READONLY, IDC_GUTTER);
    gEditorWnd = CreateChild(hwnd, WS_EX_CLIENTEDGE, "EDIT", "",
                             WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                 ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL,
                             IDC_EDITOR);
    SendMessageA(gEditorWnd, EM_SETLIMITTEXT, 0, 0);
    if (gEditorWnd)
        ApplyEditorFont(hwnd);
    gTabsOrigProc = Subclass(gTabsWnd, TabBarWndProc);
    gEditorOrigProc = Subclass(gEditorWnd, EditorWndProc);
    gGutterOrigProc = Subclass(gGutterWnd, GutterWndProc);
    SendMessageA(gEditorWnd, EM_SETWORDBREAKPROC, 0, (LPARAM)EditWordBreakProc);
    RefreshGutter();
    DragAcceptFiles(hwnd, TRUE);

    gStatusWnd = CreateChild(hwnd, 0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP,
                             IDC_STATUS_BAR);
    int parts[1] = {-1};
    SendMessageA(gStatusWnd, SB_SETPARTS, 1, (LPARAM)parts);
    UpdateStatusBar();
    SetFocus(gEditorWnd);
}

void OnEditorChange(HWND hwnd)
{
    if (!gWordHighlights.empty()) {
        gWordHighlights.clear();
        gWordHighlightSelStart = -1;
        gWordHighlightSelEnd = -1;
        InvalidateRect(gEditorWnd, nullptr, FALSE);
    }
    RefreshGutter();
    if (gDiffMode)
        InvalidateRect(gEditorWnd, nullptr, FALSE);
    if (!gProgrammaticChange && !gApplyingUndo) {
        RecordTypingChange();
        // Inside a capture the change is recorded (and shown) when the capture ends.
        if (!gUndoCaptureOpen)
            UpdateStatusBarAfterEdit();
        if (gAutoSave)
            SetTimer(hwnd, IDT_AUTOSAVE, 1500, nullptr);
    }
}

LRESULT OnNotify(HWND hwnd, NMHDR* hdr)
{
    if (hdr->idFrom != IDC_TAB_BAR)
        return 0;
    switch (hdr->code) {
    case TCN_SELCHANGING:
        if (!gProgrammaticChange) {
            // Without a copy of the editor text the tab stays: its typing lives in the
            // editor only.
            if (!StoreEditorTextInTab())
                return TRUE;
            if (gAutoSave)
                SaveSessionNow(hwnd);
        }
        return 0;
    case TCN_SELCHANGE:
        if (!gProgrammaticChange)
            ActivateSelectedTab();
        return 0;
    case NM_RCLICK:
        ShowTabContextMenu(hwnd);
        return 0;
    }
    return 0;
}

void OnTimer(HWND hwnd, UINT_PTR id)
{
    if (id == IDT_HANDOVER_POLL) {
        ReceivePendingOpenFiles(hwnd, 0);
    } else if (id == IDT_AUTOSAVE) {
        KillTimer(hwnd, IDT_AUTOSAVE);
        if (gAutoSave && gTabsWnd)
            SaveSessionNow(hwnd);
    }
}

void OnActivate(HWND hwnd, WPARAM wParam)
{
    if (LOWORD(wParam) != WA_INACTIVE) {
        ReceivePendingOpenFiles(hwnd, 0);
        CheckActiveFileExists(hwnd);
    } else if (gAutoSave && gTabsWnd) {
        SaveSessionNow(hwnd);
    }
}

void OnDropFiles(HWND hwnd, HDROP drop)
{
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char name[MAX_PATH];
        if (DragQueryFileA(drop, i, name, sizeof(name)))
            OpenFileByPath(hwnd, name);
    }
    DragFinish(drop);
    SetFocus(gEditorWnd);
}

// The save question of the exit for one tab. False when the close must stop.
bool AskAtExit(HWND hwnd, int index)
{
    TabDocument* doc = GetTabDocument(index);
    if (!doc || !doc->modified)
        return true;
    // An untitled document's text lives on in the session, which is read at the next
    // start only while Auto Save is on: without it, it is asked about too.
    bool untitled = !doc->path || !doc->path[0];
    if (untitled && (gAutoSave || !DocumentHasText(doc)))
        return true;
    char title[MAX_PATH];
    GetTabTitle(index, title, sizeof(title), "Untitled");
    if (index != GetSelectedTabIndex()) {
        TabCtrl_SetCurSel(gTabsWnd, index);
        ActivateSelectedTab();
        UpdateWindow(hwnd);
    }
    char name[MAX_PATH], message[MAX_PATH + 64];
    if (untitled)
        lstrcpynA(name, title[0] ? title : "Untitled", sizeof(name));
    else
        QuestionNameForDocument(doc->path, title, name, sizeof(name));
    snprintf(message, sizeof(message), "Save file \"%s\" before closing?", name);
    int answer = MessageBoxA(hwnd, message, "Zorvik", MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL)
        return false;
    // The box ran message loops: act on the document it asked about, if it is still open.
    index = FindTabOfDocument(doc);
    if (index < 0)
        return true;
    bool active = index == GetSelectedTabIndex();
    if (untitled) {
        if (answer != IDYES)
            return true;
        // Save As works on the active tab; a cancelled or failed one calls the close off.
        if (!active && !SwitchToTab(index))
            return false;
        return SaveFileAs(hwnd);
    }
    if (answer == IDYES) {
        if (RefuseLossySave(hwnd, doc))
            return false;
        if (!SaveDocumentAtExit(doc)) {
            snprintf(message, sizeof(message), "Failed to save \"%s\".", name);
            MessageBoxA(hwnd, message, "Zorvik - Save Error", MB_ICONERROR);
            return false;
        }
        // The deactivation that DestroyWindow brings stores the editor text once more:
        // its modification flag must agree with the document by then.
        if (active)
            SendMessageA(gEditorWnd, EM_SETMODIFY, FALSE, 0);
        return true;
    }
    RevertDocumentAtExit(doc);
    // The same for No: the editor must show the disk text, or that last store would put
    // the discarded edits back into the session.
    if (active)
        ActivateSelectedTab();
    return true;
}

void OnClose(HWND hwnd)
{
    KillLeftoverSftpProcesses();
    if (gSftpDialogWnd) {
        DestroyWindow(gSftpDialogWnd);
        gSftpDialogWnd = nullptr;
    }
    // The questions and the session work on the stored texts: without them the window
    // stays open with the editor as it is, and an update that asked for this close is not
    // started at some later exit.
    if (!StoreEditorTextInTab()) {
        CancelRestartAfterExit();
        return;
    }
    TabDocument* active = GetActiveDocument();
    if (active && SendMessageA(gEditorWnd, EM_GETMODIFY, 0, 0))
        active->modified = true;
    bool keepOpen = false;
    {
        ScopedFlag questionLoop(gTabQuestionLoop);
        for (int i = 0; i < GetTabCount() && !keepOpen; ++i)
            keepOpen = !AskAtExit(hwnd, i);
    }
    // Files handed over during the questions open now, so an exit keeps them in the session.
    OpenHandedOverPathsWaiting(hwnd);
    if (keepOpen) {
        // An update that asked for this close stays on disk without being started.
        CancelRestartAfterExit();
        return;
    }
    SaveExitSettings();
    SaveSession(hwnd);
    DestroyWindow(hwnd);
}

void OnDestroy(HWND hwnd)
{
    KillLeftoverSftpProcesses();
    // After the last session write, which the deactivation before WM_DESTROY may bring.
    DeleteUntitledUndoFiles();
    KillTimer(hwnd, IDT_HANDOVER_POLL);
    if (gTabsWnd) {
        HIMAGELIST images = TabCtrl_GetImageList(gTabsWnd);
        if (images)
            ImageList_Destroy(images);
    }
    PostQuitMessage(0);
}

} // namespace

void ResetMainWindowState()
{
    gMainWnd = gTabsWnd = gEditorWnd = gGutterWnd = gStatusWnd = nullptr;
    gTabsOrigProc = gEditorOrigProc = gGutterOrigProc = nullptr;
}

void LayoutMainWindow(HWND hwnd)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    int statusHeight = 0;
    if (gStatusWnd) {
        SendMessageA(gStatusWnd, WM_SIZE, 0, 0);
        RECT sr;
        GetWindowRect(gStatusWnd, &sr);
        statusHeight = sr.bottom - sr.top;
    }
    int width = rc.right, height = rc.bottom - statusHeight - kTabBarHeight;
    SetWindowPos(gTabsWnd, nullptr, 0, 0, width, kTabBarHeight, SWP_NOZORDER);
    gGutterWidth = CalcGutterWidth(gGutterWnd, (int)SendMessageA(gEditorWnd, EM_GETLINECOUNT, 0, 0));
    SetWindowPos(gGutterWnd, nullptr, 0, kTabBarHeight, gGutterWidth, height, SWP_NOZORDER);
    SetWindowPos(gEditorWnd, nullptr, gGutterWidth, kTabBarHeight, width - gGutterWidth, height,
                 SWP_NOZORDER);
    InvalidateRect(gGutterWnd, nullptr, FALSE);
}

static LRESULT CALLBACK HandleMainMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (gPendingOpenFilesMsg && msg == gPendingOpenFilesMsg) {
        ReceivePendingOpenFiles(hwnd, lParam);
        return 0;
    }
    switch (msg) {
    case WM_CREATE:
        OnCreate(hwnd);
        return 0;
    case WM_SIZE:
        if (gTabsWnd && gGutterWnd && gEditorWnd)
            LayoutMainWindow(hwnd);
        return 0;
    case WM_ACTIVATE:
        OnActivate(hwnd, wParam);
        return 0;
    case WM_SETFOCUS:
        ReceivePendingOpenFiles(hwnd, 0);
        SetFocus(gEditorWnd);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_EDITOR && HIWORD(wParam) == EN_CHANGE)
            OnEditorChange(hwnd);
        else
            DispatchCommand(hwnd, LOWORD(wParam), lParam);
        return 0;
    case WM_NOTIFY:
        return OnNotify(hwnd, (NMHDR*)lParam);
    case WM_KEYDOWN:
        HandleMainWindowKey(hwnd, (int)wParam);
        return 0;
    case WM_TIMER:
        OnTimer(hwnd, wParam);
        return 0;
    case WM_INITMENUPOPUP:
        UpdateMenuState((HMENU)wParam);
        return 0;
    case WM_DROPFILES:
        OnDropFiles(hwnd, (HDROP)wParam);
        return 0;
    case WM_COPYDATA:
        return ReceiveCopyData(hwnd, (COPYDATASTRUCT*)lParam) ? TRUE : FALSE;
    case WM_CLOSE:
        OnClose(hwnd);
        return 0;
    case WM_DESTROY:
        OnDestroy(hwnd);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool RegisterMainWindowClass(HINSTANCE instance, HICON* largeIcon, HICON* smallIcon)
{
    HICON large = LoadIconA(instance, MAKEINTRESOURCEA(1));
    if (!large)
        large = LoadIconA(nullptr, (LPCSTR)IDI_APPLICATION);
    HICON small = (HICON)LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR);
    if (!small)
        small = large;
    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = large;
    wc.hIconSm = small;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = kMainWindowClass;
    if (largeIcon)
        *largeIcon = large;
    if (smallIcon)
        *smallIcon = small;
    return RegisterClassExA(&wc) != 0;
}

HWND CreateMainWindow(HINSTANCE instance)
{
    return CreateWindowExA(WS_EX_CLIENTEDGE, kMainWindowClass, kMainWindowTitle,
                           WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480,
                           nullptr, nullptr, instance, nullptr);
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return CallStoppingOutOfMemory(HandleMainMessage, hwnd, msg, wParam, lParam);
}
