#pragma once
// The record of one tab and the sharing of the one editor control between documents:
// only the active document's text lives in the editor, the others keep theirs here.

#include <windows.h>

#include <string>

#include "document/remote_origin.h"
#include "document/textcodec.h"

struct UndoHistory;

struct TabDocument {
    EncodingId encoding;  // what a save writes
    bool bom;
    EolMode eol;          // what a save writes; the text itself always has CR LF
    bool readOnly;
    int textLoss; // TextLoss: what the text model could not keep of the file's text
    char* sftpUrl;
    char* sftpHost;
    int sftpPort;      // values below 1 mean 22
    char* sftpUser;
    char* sftpKeyPath;
    char* sftpRemotePath;
    char* path;        // the local file; empty or absent for an untitled document
    // The text is the history's snapshot (DocumentText): the text as last stored, and for
    // the active document as of its last recorded change; its live text is in the editor.
    bool modified;
    bool keptMissing;  // the user chose to keep it although its file vanished
    UndoHistory* history;
};

// The tab bar, the view of the list of documents, and its original window procedure.
extern HWND gTabsWnd;
extern WNDPROC gTabsOrigProc;
// The one editor control. It sits in this layer, below the editor's own code, because
// documents put their text into it and undo steps are applied to it.
extern HWND gEditorWnd;

// The encoding and BOM of a new page (settings).
extern int gNewPageEncoding;
extern bool gNewPageBom;

// Set while the program itself changes the editor text or the active tab: the editor's
// change notifications then record nothing and the tab bar's selection notices are ignored.
extern bool gProgrammaticChange;
// Set while a save question is open or a question loop over the tabs runs (exit, Close
// Tab, Close All BUT This): activating a tab then does not check for a vanished file, so
// that no document is freed or reordered under the question. Taking files handed over by
// another instance must wait for it too.
extern bool gTabQuestionLoop;
extern int gNextDocumentId;

// No programmatic change under way; document numbers start again at 1.
void ResetDocumentState();

// A zero-filled record with a new history; with a path, that path's undo file is loaded.
TabDocument* CreateDocument(const char* path);
// The record of a new tab: empty path and text, the new-page encoding and BOM.
TabDocument* CreateEmptyDocument();
void FreeTabDocument(TabDocument* doc);

// Replaces one of the record's strings by a copy of value (null value: absent). False
// when the copy cannot be had; the field then keeps what it held.
bool SetDocumentString(char** field, const char* value);
// The remote origin of a document; a local document's is empty (absent strings read as
// empty).
RemoteOrigin DocumentRemoteOrigin(const TabDocument* doc);
// Sets the document's URL and origin, empty strings as absent and a port below 1 as 22.
// False without memory: some of the fields may then be left as they were.
bool SetDocumentRemoteOrigin(TabDocument* doc, const std::string& url, const RemoteOrigin& origin);
// The document's text: one copy serves as the text of an inactive tab and as the base the
// active tab's next change is recorded against (the undo snapshot). Empty for null.
const std::string& DocumentText(const TabDocument* doc);
bool DocumentHasText(const TabDocument* doc);
// Replaces it; false without memory, and the text stays as it was.
bool SetDocumentText(TabDocument* doc, const char* text, size_t length);
bool SetDocumentText(TabDocument* doc, const std::string& text);
// Takes the bytes of text over without copying them.
void TakeDocumentText(TabDocument* doc, std::string& text);
// A malloc'ed copy of length bytes and a terminating 0, or null without memory.
char* CopyDocumentText(const char* text, size_t length);
// For the tests: a copy of a document text this large or larger fails as in a full 32-bit
// address space (0: none does). The tests' own operator new follows it as well.
extern size_t gTextCopiesFailFrom;
// Says in the status bar that a command was not carried out for want of memory.
void ReportOutOfMemory();
// Calls a window procedure's own handling of a message. A copy that cannot be had deep
// inside it must not unwind through the system's frames, which ends the process: the
// message stops here and the status bar says so.
LRESULT CallStoppingOutOfMemory(WNDPROC handler, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Same, taking over a malloc'ed string.
void TakeDocumentString(char** field, char* value);

// False when the copy of the editor's text cannot be had: the document then keeps the text
// it had, and a caller that is about to replace the editor's text must not go on.
bool StoreEditorTextInTab();
// What makes the only tab of the bar one that a document coming into the bar replaces: an
// untitled document without text or changes; for a reopened closed tab its history must
// hold no undo step either.
enum class LoneTabRule { Empty, AndNoUndoStep };
// Deletes the tab and frees its document when it is such a tab; it is not remembered as a
// closed tab.
void ReplaceLoneEmptyTab(LoneTabRule rule);
// Puts the document's text into the editor with its read-only state and modified flag,
// drawn once when it is all in; the change is the program's, not the user's.
void ShowDocumentInEditor(const TabDocument* doc);
void ActivateSelectedTab();
// Selects the tab (TCM_SETCURSEL) after storing the editor text, and activates it; false
// (nothing changed) when the editor text cannot be stored.
bool SwitchToTab(int index);

// The tab bar is the list of documents.
int GetTabCount();
int GetSelectedTabIndex();
TabDocument* GetTabDocument(int index);
TabDocument* GetActiveDocument();
// The index of the tab that holds the document, or -1: a message box or dialog runs
// message loops, after which a tab index may name another document.
int FindTabOfDocument(const TabDocument* doc);
// The item's caption, or fallback when it cannot be read.
void GetTabTitle(int index, char* buffer, int size, const char* fallback);
// Inserts an item at index whose image shows the document's modified flag; returns the
// index or -1.
int InsertTabItem(int index, const char* title, TabDocument* doc);

// Records what the text model could not keep of the document's file (a TextLoss): such a
// document is read-only, and when a reading keeps everything again, a read-only state
// that came from the loss goes with it.
void ApplyTextLoss(TabDocument* doc, int loss);
// What the status bar shows of a loss: why the file is not saved over; empty without one.
std::string TextLossStatus(int loss);

// The editor's whole text (GetWindowTextA), empty without an editor.
std::string GetEditorText();
// The same into a buffer whose memory is reused: a 10 MB text is read on every keystroke.
void ReadEditorText(std::string* text);
