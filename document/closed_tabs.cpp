#include "document/closed_tabs.h"

#include "document/shell_hooks.h"
#include "document/scoped_flag.h"
#include "document/document.h"
#include "document/session.h"
#include "document/undo_file.h"

#include <commctrl.h>
#include <stdio.h>

std::vector<ClosedTab> gClosedTabs;

namespace {

std::string Copy(const char* s)
{
    return s ? s : "";
}

const char* NullIfEmpty(const std::string& s)
{
    return s.empty() ? nullptr : s.c_str();
}

bool IsLonePristineTab()
{
    if (GetTabCount() != 1)
        return false;
    TabDocument* doc = GetTabDocument(0);
    return doc && !(doc->path && doc->path[0]) && !DocumentHasText(doc) && !doc->modified &&
           (!doc->history || doc->history->undo.empty());
}

} // namespace

void ClearClosedTabs()
{
    gClosedTabs.clear();
}

void DeleteUntitledUndoFiles()
{
    for (const ClosedTab& tab : gClosedTabs)
        DeleteUntitledUndoFile(tab.path.c_str(), tab.undoFilePath);
    int count = GetTabCount();
    for (int i = 0; i < count; ++i) {
        TabDocument* doc = GetTabDocument(i);
        if (doc && doc->history)
            DeleteUntitledUndoFile(doc->path, doc->history->undoFilePath);
    }
}

void PushClosedTab(HWND, TabDocument* doc, const char* title)
{
    if (!doc)
        return;
    ClosedTab tab;
    tab.title = title && title[0] ? title : "Untitled";
    tab.path = Copy(doc->path);
    tab.encoding = doc->encoding;
    tab.bom = doc->bom;
    tab.eol = doc->eol;
    tab.readOnly = doc->readOnly;
    tab.textLoss = doc->textLoss;
    tab.sftpUrl = Copy(doc->sftpUrl);
    tab.sftpHost = Copy(doc->sftpHost);
    tab.sftpPort = doc->sftpPort;
    tab.sftpUser = Copy(doc->sftpUser);
    tab.sftpKeyPath = Copy(doc->sftpKeyPath);
    tab.sftpRemotePath = Copy(doc->sftpRemotePath);
    tab.modified = doc->modified;
    DWORD s = 0, e = 0;
    if (gEditorWnd)
        SendMessageA(gEditorWnd, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    tab.selStart = (int)s;
    tab.selEnd = (int)e;
    tab.savedIndex = 0;
    if (doc->history) {
        // The document is freed next: its text and history move into the record.
        UndoHistory& history = *doc->history;
        WriteUndoFileOf(history);
        tab.text.swap(history.snapshot);
        tab.undo.swap(history.undo);
        tab.redo.swap(history.redo);
        tab.savedIndex = history.savedIndex;
        tab.undoFilePath = history.undoFilePath;
    }
    tab.closedTick = GetTickCount();
    gClosedTabs.push_back(std::move(tab));
    if (gClosedTabs.size() > kMaxClosedTabs) {
        // Gone for good: an untitled tab's undo file can no longer be found.
        DeleteUntitledUndoFile(gClosedTabs.front().path.c_str(), gClosedTabs.front().undoFilePath);
        gClosedTabs.erase(gClosedTabs.begin());
    }
}

bool ReopenClosedTab(HWND mainWnd)
{
    if (!gTabsWnd)
        return false;
    if (gClosedTabs.empty()) {
        SetStatusText("No recently closed tabs to restore");
        return false;
    }
    // The active tab is about to be switched away from: its latest typing goes into it.
    if (!StoreEditorTextInTab())
        return false;
    ClosedTab tab = std::move(gClosedTabs.back());
    gClosedTabs.pop_back();
    bool replaceLone = IsLonePristineTab();

    TabDocument* doc = CreateDocument(NullIfEmpty(tab.path));
    SetDocumentString(&doc->path, tab.path.c_str());
    doc->encoding = tab.encoding;
    doc->bom = tab.bom;
    doc->eol = tab.eol;
    doc->readOnly = tab.readOnly;
    doc->textLoss = tab.textLoss;
    SetDocumentString(&doc->sftpUrl, NullIfEmpty(tab.sftpUrl));
    SetDocumentString(&doc->sftpHost, NullIfEmpty(tab.sftpHost));
    SetDocumentString(&doc->sftpUser, NullIfEmpty(tab.sftpUser));
    SetDocumentString(&doc->sftpKeyPath, NullIfEmpty(tab.sftpKeyPath));
    SetDocumentString(&doc->sftpRemotePath, NullIfEmpty(tab.sftpRemotePath));
    doc->sftpPort = tab.sftpPort > 0 ? tab.sftpPort : 22;
    doc->modified = tab.modified;
    UndoHistory& history = *doc->history;
    history.undo = std::move(tab.undo);
    history.redo = std::move(tab.redo);
    history.savedIndex = tab.savedIndex;
    history.undoFilePath = tab.undoFilePath;
    history.snapshot.swap(tab.text);
    if (history.undo.empty() && !tab.undoFilePath.empty())
        LoadUndoFile(tab.undoFilePath, history.undo, history.redo, &history.savedIndex);

    {
        ScopedFlag programmatic(gProgrammaticChange);
        int index = GetTabCount();
        if (replaceLone) {
            FreeTabDocument(GetTabDocument(0));
            TabCtrl_DeleteItem(gTabsWnd, 0);
            index = 0;
        }
        index = InsertTabItem(index, tab.title.c_str(), doc);
        TabCtrl_SetCurSel(gTabsWnd, index);
    }
    ActivateSelectedTab();
    if (gEditorWnd) {
        SendMessageA(gEditorWnd, EM_SETSEL, tab.selStart, tab.selEnd);
        SendMessageA(gEditorWnd, EM_SCROLLCARET, 0, 0);
    }
    std::string status = "Restored closed tab: " + tab.title;
    SetStatusText(status.c_str());
    if (gAutoSave)
        SaveSession(mainWnd);
    return true;
}
