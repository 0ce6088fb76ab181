#pragma once
// The Save and Save As commands: the file dialog, the tab's caption, the status bar and the
// recent files around the writes of document/save.h.

#include <windows.h>

// Writes the active document to its file; an untitled one goes to Save As.
bool SaveFile(HWND owner);
bool SaveFileAs(HWND owner);
// Writes the active document to path and makes it the document's file (Save As without
// the dialog).
bool SaveActiveDocumentAs(HWND owner, const char* path);
