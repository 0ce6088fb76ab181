#include "document/save.h"

#include "app/file_dialog.h"
#include "app/main_window.h"
#include "app/settings.h"
#include "app/tab_strip.h"
#include "app/tabs.h"
#include "document/document.h"
#include "document/paths.h"
#include "document/scoped_flag.h"
#include "document/session.h"
#include "document/textfile.h"
#include "document/undo.h"
#include "document/undo_core.h"
#include "document/undo_file.h"
#include "editor/gutter.h"

#include <commctrl.h>
#include <new>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char kReloadTitle[] = "Zorvik - Reload with Encoding";

bool WriteDocument(const TabDocument* doc, const char* path)
{
    const std::string& text = DocumentText(doc);
    return WriteTextFile(path, text.c_str(), (int32_t)text.size(), (EncodingId)doc->encoding, doc->bom,
                         (EolMode)doc->eol);
}

// After a successful write: the document matches its file again.
void MarkSaved(TabDocument* doc)
{
    doc->modified = false;
    doc->keptMissing = false;
    if (doc->history) {
        MarkHistorySaved(*doc->history);
        WriteUndoFileOf(*doc->history);
    }
}

// A save the user asked for that did not reach the disk is never silent: the tab stays
// modified and the text stays in the editor.
void ReportSaveFailure(HWND owner, const char* path)
{
    std::string message = std::string("Failed to save \"") + FileNamePart(path) + "\".";
    MessageBoxA(owner, message.c_str(), "Zorvik - Save Error", MB_ICONERROR);
}

// The active tab's document and index; null without the tab bar, the editor or a tab.
TabDocument* DocumentToSave(int* index)
{
    if (!gTabsWnd || !gEditorWnd)
        return nullptr;
    *index = GetSelectedTabIndex();
    return *index < 0 ? nullptr : GetTabDocument(*index);
}

} // namespace

bool RefuseLossySave(HWND owner, const TabDocument* doc)
{
    if (doc->textLoss == TextWhole)
        return false;
    std::string message = std::string("\"") + FileNamePart(doc->path ? doc->path : "") + "\" holds ";
    if (doc->textLoss == TextLostNul) {
        message += "NUL characters, which the editor cannot keep: saving would cut the file short.";
    } else {
        char page[96];
        snprintf(page, sizeof(page),
                 "characters that code page %u cannot hold: saving would put \"?\" in their place.",
                 GetACP());
        message += page;
    }
    message += "\nIt was not saved; Save As can write the text to another file.";
    MessageBoxA(owner, message.c_str(), "Zorvik - Save Error", MB_ICONERROR);
    return true;
}

bool SaveFile(HWND owner)
{
    int index = -1;
    TabDocument* doc = DocumentToSave(&index);
    if (!doc)
        return false;
    if (!doc->path || !doc->path[0])
        return SaveFileAs(owner);
    if (RefuseLossySave(owner, doc) || !StoreEditorTextInTab())
        return false;
    if (!WriteDocument(doc, doc->path)) {
        ReportSaveFailure(owner, doc->path);
        return false;
    }
    SendMessageA(gEditorWnd, EM_SETMODIFY, FALSE, 0);
    MarkSaved(doc);
    UpdateTabIcon(index);
    SaveSession(owner);
    UpdateStatusBar();
    AddRecentFile(doc->path);
    return true;
}

bool SaveFileAs(HWND owner)
{
    int index = -1;
    TabDocument* doc = DocumentToSave(&index);
    if (!doc)
        return false;
    char file[MAX_PATH];
    ZeroMemory(file, sizeof(file));
    if (doc->path)
        lstrcpynA(file, doc->path, sizeof(file));
    // The dialog runs message loops: no tab may be closed under it, and the document it
    // was opened for is the one saved.
    // Save As also runs inside the close questions' loops, whose protection must outlast it.
    bool chosen;
    {
        ScopedFlag questionLoop(gTabQuestionLoop);
        chosen = AskForFileName(owner, true, file, sizeof(file));
    }
    if (!chosen || FindTabOfDocument(doc) != GetSelectedTabIndex())
        return false;
    return SaveActiveDocumentAs(owner, file);
}

bool SaveActiveDocumentAs(HWND owner, const char* path)
{
    int index = GetSelectedTabIndex();
    TabDocument* doc = GetTabDocument(index);
    if (!doc || !path || !path[0])
        return false;
    bool samePath = doc->path && doc->path[0] &&
                    _stricmp(MakeFullPath(path).c_str(), MakeFullPath(doc->path).c_str()) == 0;
    if ((samePath && RefuseLossySave(owner, doc)) || !StoreEditorTextInTab())
        return false;
    if (!WriteDocument(doc, path)) {
        ReportSaveFailure(owner, path);
        return false;
    }
    std::string oldUndoFile = doc->history ? doc->history->undoFilePath : std::string();
    bool wasUntitled = !doc->path || !doc->path[0];
    SetDocumentString(&doc->path, path);
    // The new file holds the text as it is: nothing of it is lost any more.
    ApplyTextLoss(doc, TextWhole);
    SendMessageA(gEditorWnd, EM_SETREADONLY, doc->readOnly, 0);
    SendMessageA(gEditorWnd, EM_SETMODIFY, FALSE, 0);
    if (doc->history)
        doc->history->undoFilePath = BuildUndoFilePath(path, doc->history->id);
    MarkSaved(doc);
    // The history now lives in the new path's undo file; an untitled one is left to no one.
    if (wasUntitled)
        DeleteUntitledUndoFile(nullptr, oldUndoFile);

    TCITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = (char*)FileNamePart(path);
    item.iImage = 0;
    SendMessageA(gTabsWnd, TCM_SETITEMA, index, (LPARAM)&item);
    SaveSession(owner);
    UpdateStatusBar();
    UpdateTabIcon(index);
    AddRecentFile(path);
    return true;
}

void ReloadWithEncoding(HWND owner, int encoding, bool bom)
{
    if (!gTabsWnd || !gEditorWnd)
        return;
    TabDocument* doc = GetActiveDocument();
    if (!doc)
        return;
    if (!doc->path || !doc->path[0]) {
        MessageBoxA(owner, "This file has not been saved to disk yet.\nPlease save the file before reloading.",
                    kReloadTitle, MB_ICONINFORMATION);
        return;
    }
    if (SendMessageA(gEditorWnd, EM_GETMODIFY, 0, 0)) {
        // The box runs message loops: no tab may be closed under it.
        int answer;
        {
            ScopedFlag questionLoop(gTabQuestionLoop);
            answer = MessageBoxA(owner,
                                 "Current unsaved changes will be lost.\nDo you want to reload the file from "
                                 "disk with the selected encoding?",
                                 kReloadTitle, MB_YESNO | MB_ICONQUESTION);
        }
        if (answer != IDYES || FindTabOfDocument(doc) != GetSelectedTabIndex())
            return;
    }

    char* bytes = nullptr;
    size_t length = 0;
    switch (ReadTextFileBytes(doc->path, &bytes, &length)) {
    case FileReadResult::Ok:
        break;
    case FileReadResult::OpenFailed:
        MessageBoxA(owner, "Failed to open file from disk.", "Zorvik - Read Error", MB_ICONERROR);
        return;
    case FileReadResult::NoMemory:
        MessageBoxA(owner, "Cannot allocate memory to reload this file.", "Zorvik - Out of Memory", MB_ICONERROR);
        return;
    case FileReadResult::ReadFailed:
        MessageBoxA(owner, "Failed to read file from disk.", "Zorvik - Read Error", MB_ICONERROR);
        return;
    case FileReadResult::SizeFailed:
        return;
    }
    DecodedText decoded;
    try {
        DecodeTextFileAs(WindowsAnsiCodePage(), bytes, length, (EncodingId)encoding, bom, &decoded);
        free(bytes);
        bytes = nullptr;
        // The reload is one step of the history, so that Undo after it (and after a
        // restart) still works on the text the editor really holds.
        RecordDocumentReplacement(doc, GetEditorText(), decoded.text);
    } catch (const std::exception&) {
        free(bytes);
        MessageBoxA(owner, "Cannot allocate memory to reload this file.", "Zorvik - Out of Memory", MB_ICONERROR);
        return;
    }
    if (doc->history)
        MarkHistorySaved(*doc->history);
    doc->eol = (int)decoded.eol;
    doc->encoding = encoding;
    doc->bom = decoded.bom;
    // As when the file was opened; a reading that keeps the whole text lifts a read-only
    // state that an earlier one's loss had brought.
    ApplyTextLoss(doc, LossOf(decoded));

    SendMessageA(gEditorWnd, WM_SETREDRAW, FALSE, 0);
    SendMessageA(gEditorWnd, EM_EMPTYUNDOBUFFER, 0, 0);
    {
        ScopedFlag programmatic(gProgrammaticChange);
        SetWindowTextA(gEditorWnd, DocumentText(doc).c_str());
        SendMessageA(gEditorWnd, EM_SETREADONLY, doc->readOnly, 0);
    }
    SendMessageA(gEditorWnd, EM_SETMODIFY, FALSE, 0);
    doc->modified = false;
    SendMessageA(gEditorWnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(gEditorWnd, nullptr, FALSE);
    if (owner && gGutterWnd)
        LayoutMainWindow(owner);
    RefreshGutter();
    UpdateStatusBar();
    UpdateTabIcon(GetSelectedTabIndex());
    if (gAutoSave)
        SaveSession(owner);
}

bool SaveDocumentAtExit(TabDocument* doc)
{
    if (doc->textLoss != TextWhole || !WriteDocument(doc, doc->path))
        return false;
    MarkSaved(doc);
    return true;
}

void RevertDocumentAtExit(TabDocument* doc)
{
    doc->modified = false;
    int encoding = 0, eol = 0;
    bool bom = false;
    std::string text;
    try {
        if (!LoadTextFileString(doc->path, &text, &encoding, &bom, &eol, nullptr))
            return;
        RecordDocumentReplacement(doc, DocumentText(doc), text);
    } catch (const std::exception&) {
        return;
    }
    if (doc->history)
        MarkHistorySaved(*doc->history);
    doc->encoding = encoding;
    doc->bom = bom;
    // A line-end change is discarded with the edits: the session must not bring it back.
    doc->eol = eol;
}
