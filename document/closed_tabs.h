#pragma once
// Recently closed tabs, kept with their text and undo history for Reopen Closed Tab.

#include <windows.h>

#include <stdint.h>
#include <string>
#include <vector>

#include "document/remote_origin.h"
#include "document/textcodec.h"
#include "document/undo_core.h"

struct TabDocument;

struct ClosedTab {
    std::string title, path, text;
    EncodingId encoding;
    bool bom;
    EolMode eol;
    bool readOnly;
    int textLoss;
    std::string sftpUrl;
    RemoteOrigin sftp;
    bool modified;
    int selStart, selEnd;
    std::vector<UndoStep> undo, redo;
    int savedIndex;
    std::string undoFilePath;
    uint32_t closedTick;
};

enum { kMaxClosedTabs = 100 };

extern std::vector<ClosedTab> gClosedTabs;

// Takes the document's text and undo history over into the record (writing its undo file
// first when the history changed): the caller frees the document next.
void PushClosedTab(HWND owner, TabDocument* doc, const char* title);
bool ReopenClosedTab(HWND mainWnd);
void ClearClosedTabs();
// At exit: the undo files of untitled documents, open or on the closed-tab list, which no
// later run could find.
void DeleteUntitledUndoFiles();
