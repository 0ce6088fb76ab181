#include "document/document.h"

#include "document/scoped_flag.h"
#include "document/shell_hooks.h"
#include "document/textcodec.h"
#include "document/undo.h"
#include "document/undo_core.h"
#include "document/undo_file.h"

#include <commctrl.h>
#include <new>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

HWND gTabsWnd = nullptr;
WNDPROC gTabsOrigProc = nullptr;
HWND gEditorWnd = nullptr;
// Their first values come from the settings table (ResetSettingsState), as do those of
// the other settings.
int gNewPageEncoding;
bool gNewPageBom;

bool gProgrammaticChange = false;
bool gTabQuestionLoop = false;
int gNextDocumentId = 1;

size_t gTextCopiesFailFrom = 0;

char* CopyDocumentText(const char* text, size_t length)
{
    if (gTextCopiesFailFrom && length + 1 >= gTextCopiesFailFrom)
        return nullptr;
    char* copy = (char*)malloc(length + 1);
    if (!copy)
        return nullptr;
    memcpy(copy, text, length);
    copy[length] = 0;
    return copy;
}

bool SetDocumentString(char** field, const char* value)
{
    char* copy = nullptr;
    if (value && !(copy = CopyDocumentText(value, strlen(value))))
        return false;
    free(*field);
    *field = copy;
    return true;
}

const std::string& DocumentText(const TabDocument* doc)
{
    static const std::string none;
    return doc && doc->history ? doc->history->snapshot : none;
}

bool DocumentHasText(const TabDocument* doc)
{
    return !DocumentText(doc).empty();
}

bool SetDocumentText(TabDocument* doc, const char* text, size_t length)
{
    if (!doc || !doc->history || (gTextCopiesFailFrom && length + 1 >= gTextCopiesFailFrom))
        return false;
    try {
        doc->history->snapshot.assign(text ? text : "", text ? length : 0);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool SetDocumentText(TabDocument* doc, const std::string& text)
{
    return SetDocumentText(doc, text.data(), text.size());
}

void TakeDocumentText(TabDocument* doc, std::string& text)
{
    if (!doc || !doc->history)
        return;
    std::string& kept = doc->history->snapshot;
    kept.swap(text);
    // A decoded text was given room to grow; the document keeps only its bytes.
    if (kept.capacity() - kept.size() > kept.size() / 32 + 64) {
        try {
            kept.shrink_to_fit();
        } catch (const std::exception&) {
        }
    }
}

void ReportOutOfMemory()
{
    SetStatusText("Not enough memory for a copy of the text: the command was not carried out");
}

LRESULT CallStoppingOutOfMemory(WNDPROC handler, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    try {
        return handler(hwnd, msg, wParam, lParam);
    } catch (const std::bad_alloc&) {
        ReportOutOfMemory();
        return 0;
    }
}

void TakeDocumentString(char** field, char* value)
{
    free(*field);
    *field = value;
}

void ResetDocumentState()
{
    gProgrammaticChange = false;
    gNextDocumentId = 1;
}

TabDocument* CreateDocument(const char* path)
{
    TabDocument* doc = (TabDocument*)calloc(1, sizeof(TabDocument));
    if (!doc)
        return nullptr;
    try {
        doc->history = new UndoHistory();
        doc->history->savedIndex = 0;
        doc->history->id = gNextDocumentId++;
        doc->history->undoFilePath = BuildUndoFilePath(path, doc->history->id);
    } catch (const std::exception&) {
        FreeTabDocument(doc);
        return nullptr;
    }
    // A file damaged inside its records still gives the steps before the damage.
    if (path && path[0])
        LoadUndoFile(doc->history->undoFilePath, doc->history->undo, doc->history->redo,
                     &doc->history->savedIndex);
    return doc;
}

TabDocument* CreateEmptyDocument()
{
    TabDocument* doc = CreateDocument(nullptr);
    if (!doc)
        return nullptr;
    SetDocumentString(&doc->path, "");
    doc->encoding = (EncodingId)gNewPageEncoding;
    doc->bom = gNewPageBom;
    return doc;
}

void FreeTabDocument(TabDocument* doc)
{
    if (!doc)
        return;
    char** strings[] = {&doc->sftpUrl, &doc->sftpHost, &doc->sftpUser, &doc->sftpKeyPath,
                        &doc->sftpRemotePath, &doc->path};
    for (char** s : strings)
        free(*s);
    delete doc->history;
    free(doc);
}

RemoteOrigin DocumentRemoteOrigin(const TabDocument* doc)
{
    auto text = [](const char* s) { return std::string(s ? s : ""); };
    RemoteOrigin origin;
    origin.host = text(doc->sftpHost);
    origin.port = doc->sftpPort;
    origin.user = text(doc->sftpUser);
    origin.keyPath = text(doc->sftpKeyPath);
    origin.remotePath = text(doc->sftpRemotePath);
    return origin;
}

bool SetDocumentRemoteOrigin(TabDocument* doc, const std::string& url, const RemoteOrigin& origin)
{
    auto set = [](char** field, const std::string& value) {
        return SetDocumentString(field, value.empty() ? nullptr : value.c_str());
    };
    doc->sftpPort = origin.port < 1 ? 22 : origin.port;
    bool ok = set(&doc->sftpUrl, url);
    ok = set(&doc->sftpHost, origin.host) && ok;
    ok = set(&doc->sftpUser, origin.user) && ok;
    ok = set(&doc->sftpKeyPath, origin.keyPath) && ok;
    ok = set(&doc->sftpRemotePath, origin.remotePath) && ok;
    return ok;
}

void ApplyTextLoss(TabDocument* doc, int loss)
{
    if (loss != TextWhole)
        doc->readOnly = true;
    else if (doc->textLoss != TextWhole)
        doc->readOnly = false;
    doc->textLoss = loss;
}

std::string TextLossStatus(int loss)
{
    char text[160] = "";
    if (loss == TextLostNul)
        snprintf(text, sizeof(text), "the file holds NUL characters, which the editor cannot keep");
    else if (loss == TextLostCharacters)
        snprintf(text, sizeof(text), "the file holds characters that code page %u cannot hold", GetACP());
    return text;
}

int GetTabCount()
{
    return gTabsWnd ? TabCtrl_GetItemCount(gTabsWnd) : 0;
}

int GetSelectedTabIndex()
{
    return gTabsWnd ? TabCtrl_GetCurSel(gTabsWnd) : -1;
}

TabDocument* GetTabDocument(int index)
{
    if (!gTabsWnd || index < 0)
        return nullptr;
    TCITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.mask = TCIF_PARAM;
    if (!SendMessageA(gTabsWnd, TCM_GETITEMA, index, (LPARAM)&item))
        return nullptr;
    return (TabDocument*)item.lParam;
}

int FindTabOfDocument(const TabDocument* doc)
{
    int count = GetTabCount();
    for (int i = 0; doc && i < count; ++i)
        if (GetTabDocument(i) == doc)
            return i;
    return -1;
}

TabDocument* GetActiveDocument()
{
    return GetTabDocument(GetSelectedTabIndex());
}

void GetTabTitle(int index, char* buffer, int size, const char* fallback)
{
    lstrcpynA(buffer, fallback, size);
    if (!gTabsWnd || index < 0)
        return;
    TCITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.mask = TCIF_TEXT;
    item.pszText = buffer;
    item.cchTextMax = size;
    SendMessageA(gTabsWnd, TCM_GETITEMA, index, (LPARAM)&item);
    // The control may hand back its own buffer instead of filling ours.
    if (item.pszText != buffer)
        lstrcpynA(buffer, item.pszText, size);
}

int InsertTabItem(int index, const char* title, TabDocument* doc)
{
    if (!gTabsWnd)
        return -1;
    TCITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM;
    item.pszText = (char*)title;
    item.iImage = doc && doc->modified ? 1 : 0;
    item.lParam = (LPARAM)doc;
    return (int)SendMessageA(gTabsWnd, TCM_INSERTITEMA, index, (LPARAM)&item);
}

void ReadEditorText(std::string* text)
{
    int length = gEditorWnd ? GetWindowTextLengthA(gEditorWnd) : 0;
    if (length <= 0) {
        text->clear();
        return;
    }
    text->resize((size_t)length + 1);
    int got = GetWindowTextA(gEditorWnd, &(*text)[0], length + 1);
    text->resize(got > 0 ? (size_t)got : 0);
}

std::string GetEditorText()
{
    std::string text;
    ReadEditorText(&text);
    return text;
}

bool StoreEditorTextInTab()
{
    if (!gTabsWnd || !gEditorWnd)
        return true;
    int index = GetSelectedTabIndex();
    TabDocument* doc = GetTabDocument(index);
    if (!doc)
        return true;
    // As a rule every change was recorded and the document's text is the editor's already:
    // then the read is all that is done. The text is read whole before the document gives
    // anything up.
    std::string text;
    try {
        ReadEditorText(&text);
    } catch (const std::exception&) {
        ReportOutOfMemory();
        return false;
    }
    if (doc->history && doc->history->snapshot != text)
        TakeDocumentText(doc, text);
    if (SendMessageA(gEditorWnd, EM_GETMODIFY, 0, 0))
        doc->modified = true;
    UpdateTabIcon(index);
    return true;
}

void ReplaceLoneEmptyTab(LoneTabRule rule)
{
    if (GetTabCount() != 1)
        return;
    TabDocument* lone = GetTabDocument(0);
    if (!lone || (lone->path && lone->path[0]) || DocumentHasText(lone) || lone->modified)
        return;
    if (rule == LoneTabRule::AndNoUndoStep && lone->history && !lone->history->undo.empty())
        return;
    {
        ScopedFlag programmatic(gProgrammaticChange);
        TabCtrl_DeleteItem(gTabsWnd, 0);
    }
    FreeTabDocument(lone);
}

void ShowDocumentInEditor(const TabDocument* doc)
{
    ScopedFlag programmatic(gProgrammaticChange);
    SendMessageA(gEditorWnd, WM_SETREDRAW, FALSE, 0);
    SetWindowTextA(gEditorWnd, DocumentText(doc).c_str());
    SendMessageA(gEditorWnd, EM_SETREADONLY, doc->readOnly, 0);
    SendMessageA(gEditorWnd, EM_SETMODIFY, doc->modified, 0);
    SendMessageA(gEditorWnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(gEditorWnd, nullptr, FALSE);
}

void ActivateSelectedTab()
{
    if (!gTabsWnd || !gEditorWnd)
        return;
    int index = GetSelectedTabIndex();
    if (index < 0)
        return;
    TabDocument* doc = GetTabDocument(index);
    if (doc) {
        SendMessageA(gEditorWnd, EM_LIMITTEXT, 0, 0);
        ShowDocumentInEditor(doc);
        gSelBeforeEditStart = 0;
        gSelBeforeEditEnd = 0;
    }
    gShellHooks.refreshGutter();
    UpdateStatusBar();
    UpdateTabIcon(index);
    if (!gProgrammaticChange)
        gShellHooks.checkActiveFileExists(GetParent(gTabsWnd));
    SetFocus(gEditorWnd);
}

bool SwitchToTab(int index)
{
    if (!StoreEditorTextInTab())
        return false;
    TabCtrl_SetCurSel(gTabsWnd, index);
    ActivateSelectedTab();
    return true;
}
