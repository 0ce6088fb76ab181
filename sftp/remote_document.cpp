// Remote documents: a downloaded copy shown in its own tab, identified by its SFTP URL,
// and Refresh from SFTP, which downloads it again and replaces the text as one undo step.
#include <windows.h>

#include <commctrl.h>

#include <cstring>

#include "document/shell_hooks.h"
#include "document/paths.h"
#include "app/popup_window.h"
#include "document/scoped_flag.h"
#include "document/document.h"
#include "document/session.h"
#include "document/textfile.h"
#include "document/undo.h"
#include "document/undo_core.h"
#include "editor/gutter.h"
#include "sftp/psftp_command.h"
#include "sftp/sftp_ids.h"
#include "sftp/sftp_window.h"

namespace {

const char kRefreshTitle[] = "Zorvik - Refresh SFTP";

bool HasText(const char* value)
{
    return value && value[0];
}

std::string OrEmpty(const char* value)
{
    return value ? value : "";
}

// Only the program's own downloaded copies are deleted: a remote document saved under
// another name with Save As has that file as its path, and it is the user's.
void DeleteOwnCopy(const std::string& path)
{
    if (IsOwnDownloadCopy(path, TempFolder()))
        DeleteFileA(path.c_str());
}

// The document takes the loaded text and its connection; false, changing nothing, without
// memory for the path. A text the model could not keep whole (a NUL, characters the code
// page lacks) is read-only as a local file with one is, and a later reading that keeps
// it whole lifts that again; the connection's own read-only choice stays.
bool TakeRemoteText(TabDocument* doc, const std::string& path, LoadedText* loaded, const SftpConnection& c)
{
    if (!SetDocumentString(&doc->path, path.c_str()))
        return false;
    TakeDocumentText(doc, loaded->text);
    doc->encoding = loaded->encoding;
    doc->bom = loaded->bom;
    doc->eol = loaded->eol;
    doc->modified = false;
    doc->keptMissing = false;
    SetDocumentRemoteInfo(doc, c);
    ApplyTextLoss(doc, loaded->loss);
    return true;
}

// The connection that Refresh downloads again: the document's own fields, else its URL.
bool ConnectionOfDocument(const TabDocument* doc, SftpConnection* c)
{
    RemoteOrigin origin = DocumentRemoteOrigin(doc);
    c->keyPath = origin.keyPath;
    c->readOnly = doc->readOnly;
    if (!origin.host.empty() && !origin.remotePath.empty()) {
        static_cast<RemoteOrigin&>(*c) = origin;
        c->port = origin.port < 1 ? 22 : origin.port;
    } else if (!ParseConnectionUrl(OrEmpty(doc->sftpUrl), c)) {
        return false;
    }
    c->password = LookupCachedPassword(*c);
    return !c->host.empty() && !c->user.empty() && !c->remotePath.empty();
}

struct PasswordPromptData {
    char* buffer;
    int bufferSize;
    bool accepted;
    HWND passwordEdit;
};

const char kPromptClass[] = "ZorvikSftpPassDialogClass";

// The modal prompt of Refresh; true when the user accepted it (password may be empty).
bool AskPassword(HWND mainWnd, const SftpConnection& c, std::string* password)
{
    char buffer[256] = {};
    PasswordPromptData data = {buffer, sizeof(buffer), false, nullptr};
    RegisterPopupClass(kPromptClass, PasswordPromptWndProc);
    char title[256];
    snprintf(title, sizeof(title), "SFTP Password - %s@%s", c.user.c_str(), c.host.c_str());
    PopupWindowSpec spec = {kPromptClass, title, WS_POPUPWINDOW | WS_DLGFRAME | WS_VISIBLE,
                            WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, 324, 110, kPopupClientSize, kNoPlacementMinimum,
                            mainWnd, &data};
    HWND prompt = CreateModalPopup(spec);
    if (!prompt)
        return false;
    RunModalPopupLoop(prompt, mainWnd, data.passwordEdit);
    if (mainWnd)
        SetForegroundWindow(mainWnd);
    if (data.accepted)
        *password = buffer;
    return data.accepted;
}

// The active document takes the refreshed copy's text as one undo step (typing not yet
// recorded becomes a step of its own first); its previous copy goes. False without
// memory: the document keeps its copy and text.
bool ApplyRefreshedCopy(HWND mainWnd, TabDocument* doc, const std::string& local, LoadedText* loaded,
                        const SftpConnection& c)
{
    RecordTypingChange();
    BeginUndoCapture();
    const std::string previous = OrEmpty(doc->path);
    if (!TakeRemoteText(doc, local, loaded, c)) {
        EndUndoCapture();
        return false;
    }
    if (!previous.empty() && _stricmp(previous.c_str(), local.c_str()) != 0)
        DeleteOwnCopy(previous);
    ShowDocumentInEditor(doc);
    EndUndoCapture();

    UpdateTabIcon(GetSelectedTabIndex());
    RefreshGutter();
    UpdateStatusBar();
    SetStatusText("SFTP file refreshed from server");
    AutoSaveSession(mainWnd);
    return true;
}

} // namespace

int FindTabBySftpUrl(const std::string& url)
{
    if (url.empty() || !gTabsWnd)
        return -1;
    int count = GetTabCount();
    for (int i = 0; i < count; ++i) {
        TabDocument* doc = GetTabDocument(i);
        if (doc && doc->sftpUrl && url == doc->sftpUrl)
            return i;
    }
    return -1;
}

void SetDocumentRemoteInfo(TabDocument* doc, const SftpConnection& c)
{
    if (!doc)
        return;
    SetDocumentRemoteOrigin(doc, FormatConnectionUrl(c), c);
    doc->readOnly = c.readOnly;
}

void SwitchToOpenRemoteTab(int index)
{
    SwitchToTab(index);
    SetStatusText("SFTP file is already open - switched to existing tab");
}

bool OpenSftpDownloadInTab(HWND owner, const SftpConnection& connection, const std::string& localPath)
{
    int index = FindTabBySftpUrl(FormatConnectionUrl(connection));
    if (index >= 0) {
        SwitchToOpenRemoteTab(index);
        if (!localPath.empty())
            DeleteOwnCopy(localPath);
        return true;
    }
    LoadedText loaded;
    if (!TryLoadTextFile(localPath.c_str(), &loaded)) {
        MessageBoxA(owner, "Failed to read downloaded SFTP file.", "Zorvik - SFTP Error", MB_ICONERROR);
        return false;
    }
    if (!gTabsWnd || !StoreEditorTextInTab())
        return false;
    // The new document is whole before any tab changes: without memory for it the tabs
    // stay as they were, and the copy that no tab shows goes.
    TabDocument* doc = CreateDocument(localPath.c_str());
    if (!doc || !TakeRemoteText(doc, localPath, &loaded, connection)) {
        FreeTabDocument(doc);
        DeleteOwnCopy(localPath);
        ReportOutOfMemory();
        return false;
    }
    ReplaceLoneEmptyTab(LoneTabRule::Empty);
    {
        ScopedFlag programmatic(gProgrammaticChange);
        int at = InsertTabItem(GetTabCount(), RemoteTabTitle(connection.remotePath).c_str(), doc);
        TabCtrl_SetCurSel(gTabsWnd, at);
    }
    ActivateSelectedTab();
    AutoSaveSession(owner);
    return true;
}

bool RefreshFromSftp(HWND mainWnd)
{
    if (!gTabsWnd || !gEditorWnd)
        return false;
    int index = GetSelectedTabIndex();
    if (index < 0)
        return false;
    TabDocument* doc = GetTabDocument(index);
    if (!doc || !HasText(doc->sftpUrl)) {
        MessageBoxA(mainWnd, "Current tab is not an SFTP remote file.", kRefreshTitle, MB_ICONINFORMATION);
        return false;
    }
    SftpConnection c;
    if (!ConnectionOfDocument(doc, &c)) {
        MessageBoxA(mainWnd,
                    "SFTP connection info is incomplete for this tab.\nPlease reopen the file via File -> Open from "
                    "SFTP...",
                    kRefreshTitle, MB_ICONWARNING);
        return false;
    }
    const std::string url = doc->sftpUrl;
    if (c.password.empty() && c.keyPath.empty()) {
        if (!AskPassword(mainWnd, c, &c.password))
            return false;
        CacheSftpPassword(c);
    }
    // The prompt's loop dispatched messages: the document must still be the active one.
    if (FindTabOfDocument(doc) != GetSelectedTabIndex())
        return false;
    if (doc->modified || SendMessageA(gEditorWnd, EM_GETMODIFY, 0, 0)) {
        if (MessageBoxA(mainWnd, "Current unsaved changes will be lost.\nReload the remote file from SFTP?",
                        kRefreshTitle, MB_ICONQUESTION | MB_YESNO) != IDYES)
            return false;
    }

    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    SetStatusText("Refreshing SFTP file...");
    std::string local, error;
    bool ok = DownloadSftpFile(mainWnd, c, &local, &error);
    SetCursor(previous);
    if (!ok) {
        if (IsWindow(mainWnd))
            MessageBoxA(mainWnd, error.c_str(), "Zorvik - SFTP Refresh Error", MB_ICONERROR);
        UpdateStatusBar();
        return false;
    }
    CacheSftpPassword(c);

    // The download's wait dispatched messages: the user may have switched to another tab
    // or closed this one. The text then belongs to no tab that is shown, and is dropped.
    index = FindTabOfDocument(doc);
    if (index < 0 || index != GetSelectedTabIndex() || !doc->sftpUrl || url != doc->sftpUrl) {
        DeleteOwnCopy(local);
        UpdateStatusBar();
        SetStatusText("SFTP refresh dropped: its tab was switched or closed during the download");
        return false;
    }
    LoadedText loaded;
    if (!TryLoadTextFile(local.c_str(), &loaded)) {
        MessageBoxA(mainWnd, "Failed to read refreshed SFTP file.", "Zorvik - SFTP Error", MB_ICONERROR);
        DeleteOwnCopy(local);
        UpdateStatusBar();
        return false;
    }

    if (!ApplyRefreshedCopy(mainWnd, doc, local, &loaded, c)) {
        DeleteOwnCopy(local);
        UpdateStatusBar();
        ReportOutOfMemory();
        return false;
    }
    return true;
}

LRESULT CALLBACK PasswordPromptWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    PasswordPromptData* data = (PasswordPromptData*)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    switch (msg) {
    case WM_CREATE: {
        data = (PasswordPromptData*)((CREATESTRUCTA*)lParam)->lpCreateParams;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)data);
        const PopupControl controls[] = {
            {"STATIC", "Password required for SFTP connection:", 0, 0, {12, 12, 300, 18}},
            {"EDIT", "", WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, {12, 36, 300, 22},
             IDC_PROMPT_PASSWORD},
            {"BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, {140, 70, 80, 26}, IDOK},
            {"BUTTON", "Cancel", WS_TABSTOP, 0, {230, 70, 80, 26}, IDCANCEL},
        };
        HWND handles[ARRAYSIZE(controls)] = {};
        CreatePopupControls(hwnd, controls, ARRAYSIZE(controls), handles);
        if (data)
            data->passwordEdit = handles[1];
        SetFocus(handles[1]);
        return 0;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            if (data) {
                if (data->passwordEdit)
                    GetWindowTextA(data->passwordEdit, data->buffer, data->bufferSize);
                data->accepted = true;
            }
            DestroyWindow(hwnd);
            return 0;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            if (data)
                data->accepted = false;
            DestroyWindow(hwnd);
            return 0;
        }
        break;
    case WM_CLOSE:
        if (data)
            data->accepted = false;
        DestroyWindow(hwnd);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
