#pragma once
// Writing the active document to its file or to another one, and reloading it in another
// encoding. The Save and Save As commands around the writes are app/save_as.h.

#include <windows.h>

#include "document/textcodec.h"

struct TabDocument;

// A document whose file holds text the model could not keep whole (a TextLoss) is not
// written over that file: says why in a message box and returns true.
bool RefuseLossySave(HWND owner, const TabDocument* doc);
// Writes the active document (doc) to its own file with the editor's text; the document
// and the editor are then unmodified. A failure is said in a message box.
bool WriteActiveDocument(HWND owner, TabDocument* doc);
// Writes the active document (doc) to path with the editor's text and makes path its file
// (its undo file follows); the text counts as whole and unmodified afterwards. A failure is
// said in a message box and changes nothing.
bool WriteActiveDocumentAs(HWND owner, TabDocument* doc, const char* path);
void ReloadWithEncoding(HWND owner, EncodingId encoding, bool bom);
// The exit question's Yes: writes the document like Save does (the save point moves).
bool SaveDocumentAtExit(TabDocument* doc);
// The exit question's No: the disk text goes into the document so the session holds it.
void RevertDocumentAtExit(TabDocument* doc);
