#include "document/closed_tabs.h"

#include "document/codepage.h"
#include "document/document.h"
#include "document/restore_text.h"
#include "document/scoped_flag.h"
#include "document/session.h"
#include "document/shell_hooks.h"
#include "document/textfile.h"
#include "document/undo_file.h"

#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>

#include <new>

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
    tab.sftp = DocumentRemoteOrigin(doc);
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

namespace {

enum class FileNow { Read, Unreadable, NoMemory };

// What the file of a tab that closed unmodified holds now, read as the session restore
// reads it (RestoreTabText): the file may have changed since, and a later save would put
// the closed copy's older text back over it. Unreadable: the closed copy stands.
FileNow ReadFileNow(const ClosedTab& tab, RestoredText* facts)
{
    char* bytes = nullptr;
    size_t length = 0;
    FileReadResult read = ReadTextFileBytes(tab.path.c_str(), &bytes, &length);
    if (read != FileReadResult::Ok)
        return read == FileReadResult::NoMemory ? FileNow::NoMemory : FileNow::Unreadable;
    FileNow result = FileNow::Read;
    try {
        RestoreTabText(WindowsAnsiCodePage(), bytes, length, tab.encoding, tab.bom, false, tab.text, facts);
    } catch (const std::bad_alloc&) {
        result = FileNow::NoMemory;
    }
    free(bytes);
    return result;
}

// The document of a closed tab with everything that needs memory: its strings and, for a
// tab that closed unmodified, its file's text. Null without memory; the record is left as
// it was, and its text and history move over only once nothing can fail any more.
TabDocument* ReopenedDocument(const ClosedTab& tab, RestoredText* facts)
{
    if (!tab.modified && !tab.path.empty() && ReadFileNow(tab, facts) == FileNow::NoMemory)
        return nullptr;
    TabDocument* doc = CreateDocument(NullIfEmpty(tab.path));
    if (!doc)
        return nullptr;
    if (!SetDocumentString(&doc->path, tab.path.c_str()) || !SetDocumentRemoteOrigin(doc, tab.sftpUrl, tab.sftp)) {
        FreeTabDocument(doc);
        return nullptr;
    }
    doc->encoding = tab.encoding;
    doc->bom = tab.bom;
    doc->eol = tab.eol;
    doc->readOnly = tab.readOnly;
    doc->textLoss = tab.textLoss;
    doc->modified = tab.modified;
    return doc;
}

} // namespace

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
    RestoredText facts;
    TabDocument* doc = ReopenedDocument(gClosedTabs.back(), &facts);
    if (!doc) {
        ReportOutOfMemory();
        return false;
    }
    ClosedTab tab = std::move(gClosedTabs.back());
    gClosedTabs.pop_back();

    UndoHistory& history = *doc->history;
    history.undo.swap(tab.undo);
    history.redo.swap(tab.redo);
    history.savedIndex = tab.savedIndex;
    history.undoFilePath.swap(tab.undoFilePath);
    history.snapshot.swap(tab.text);
    if (history.undo.empty() && !history.undoFilePath.empty())
        LoadUndoFile(history.undoFilePath, history.undo, history.redo, &history.savedIndex);
    if (facts.fromFile) {
        // The closed steps no longer fit this text; an undo that meets one drops them.
        history.snapshot.swap(facts.text);
        doc->encoding = facts.encoding;
        doc->bom = facts.bom;
        doc->eol = facts.eol;
        ApplyTextLoss(doc, facts.loss);
    }

    ReplaceLoneEmptyTab(LoneTabRule::AndNoUndoStep);
    {
        ScopedFlag programmatic(gProgrammaticChange);
        int index = InsertTabItem(GetTabCount(), tab.title.c_str(), doc);
        TabCtrl_SetCurSel(gTabsWnd, index);
    }
    ActivateSelectedTab();
    if (gEditorWnd) {
        SendMessageA(gEditorWnd, EM_SETSEL, tab.selStart, tab.selEnd);
        SendMessageA(gEditorWnd, EM_SCROLLCARET, 0, 0);
    }
    std::string status = "Restored closed tab: " + tab.title;
    SetStatusText(status.c_str());
    AutoSaveSession(mainWnd);
    return true;
}
