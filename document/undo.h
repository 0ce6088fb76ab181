#pragma once
// Recording the editor's changes as undo steps of the active document, and Undo/Redo.

#include <windows.h>

#include <string>

extern bool gUndoCaptureOpen;
extern int gSelBeforeEditStart, gSelBeforeEditEnd;
extern bool gApplyingUndo;

// No capture, keystroke or undo under way.
void ResetUndoState();

void RecordTypingChange();
// The editor brackets each message that makes the control change its text by one
// replacement at the selection (a typed character, Backspace, Delete, cut, paste, clear):
// its change notification is then recorded from the changed lines alone.
void BeginKeystrokeEdit();
void EndKeystrokeEdit();
void BeginUndoCapture();
void EndUndoCapture();
bool Undo(HWND editor);
bool Redo(HWND editor);
// Records a replacement of the whole text done outside the editor (a reload from disk)
// as one step, so that the history stays true to the text.
void RecordDocumentReplacement(struct TabDocument* doc, const std::string& oldText,
                               const std::string& newText);
