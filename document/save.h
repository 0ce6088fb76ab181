#pragma once
// Saving the active document, Save As, and reloading it in another encoding.

#include <windows.h>

struct TabDocument;

bool SaveFile(HWND owner);
// A document whose file holds text the model could not keep whole (a TextLoss) is not
// written over that file: says why in a message box and returns true.
bool RefuseLossySave(HWND owner, const TabDocument* doc);
bool SaveFileAs(HWND owner);
void ReloadWithEncoding(HWND owner, int encoding, bool bom);
// The exit question's Yes: writes the document like Save does (the save point moves).
bool SaveDocumentAtExit(TabDocument* doc);
// The exit question's No: the disk text goes into the document so the session holds it.
void RevertDocumentAtExit(TabDocument* doc);
// Writes the active document to path and makes it the document's file (Save As without
// the dialog).
bool SaveActiveDocumentAs(HWND owner, const char* path);
