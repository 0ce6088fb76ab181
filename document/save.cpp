#include "document/save.h"

#include "document/document.h"
#include "document/paths.h"
#include "document/scoped_flag.h"
#include "document/session.h"
#include "document/shell_hooks.h"
#include "document/textfile.h"
#include "document/undo.h"
#include "document/undo_core.h"
#include "document/undo_file.h"

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

// Steps both writes share: the editor's text goes into the document first, and a write
// the user asked for that fails is never silent.
bool StoreAndWrite(HWND owner, TabDocument* doc, const char* path)
{
    if (!StoreEditorTextInTab())
        return false;
    if (!WriteDocument(doc, path)) {
        ReportSaveFailure(owner, path);
        return false;
    }
    return true;
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

bool WriteActiveDocument(HWND owner, TabDocument* doc)
{
    if (!StoreAndWrite(owner, doc, doc->path))
        return false;
    SendMessageA(gEditorWnd, EM_SETMODIFY, FALSE, 0);
    MarkSaved(doc);
    return true;
}

bool WriteActiveDocumentAs(HWND owner, TabDocument* doc, const char* path)
{
    if (!StoreAndWrite(owner, doc, path))
        return false;
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
    return true;
}

void ReloadWithEncoding(HWND owner, EncodingId encoding, bool bom)
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
    doc->eol = decoded.eol;
    doc->encoding = encoding;
    doc->bom = decoded.bom;
    // As when the file was opened; a reading that keeps the whole text lifts a read-only
    // state that an earlier one's loss had brought.
    ApplyTextLoss(doc, LossOf(decoded));

    doc->modified = false;
    SendMessageA(gEditorWnd, EM_EMPTYUNDOBUFFER, 0, 0);
    ShowDocumentInEditor(doc);
    gShellHooks.layoutMainWindow(owner);
    gShellHooks.refreshGutter();
    UpdateStatusBar();
    UpdateTabIcon(GetSelectedTabIndex());
    AutoSaveSession(owner);
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
    LoadedText loaded;
    if (!TryLoadTextFile(doc->path, &loaded))
        return;
    try {
        RecordDocumentReplacement(doc, DocumentText(doc), loaded.text);
    } catch (const std::exception&) {
        return;
    }
    if (doc->history)
        MarkHistorySaved(*doc->history);
    doc->encoding = loaded.encoding;
    doc->bom = loaded.bom;
    // A line-end change is discarded with the edits: the session must not bring it back.
    doc->eol = loaded.eol;
}
