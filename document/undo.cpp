#include "document/undo.h"

#include "app/main_window.h"
#include "app/tab_strip.h"
#include "document/closed_tabs.h"
#include "document/document.h"
#include "document/undo_core.h"
#include "editor/gutter.h"

bool gUndoCaptureOpen = false;
std::string gUndoCaptureText;
int gUndoCaptureSelStart = 0, gUndoCaptureSelEnd = 0;
int gSelBeforeEditStart = 0, gSelBeforeEditEnd = 0;
bool gApplyingUndo = false;

namespace {

TabDocument* ActiveDocumentWithHistory()
{
    if (!gTabsWnd || !gEditorWnd)
        return nullptr;
    TabDocument* doc = GetActiveDocument();
    return doc && doc->history ? doc : nullptr;
}

void GetEditorSelection(int* start, int* end)
{
    DWORD s = 0, e = 0;
    SendMessageA(gEditorWnd, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    *start = (int)s;
    *end = (int)e;
}

// After every recorded change, undo and redo the document is modified exactly when its
// undo stack differs from the save point.
void ApplyModifiedRule(TabDocument* doc)
{
    doc->modified = HistoryIsModified(*doc->history);
    SendMessageA(gEditorWnd, EM_SETMODIFY, doc->modified, 0);
    UpdateTabIcon(GetSelectedTabIndex());
}

bool ApplyUndoOrRedo(HWND editor, bool redo)
{
    TabDocument* doc = ActiveDocumentWithHistory();
    if (!doc)
        return false;
    UndoHistory& history = *doc->history;
    if (!redo && history.undo.empty() && !gClosedTabs.empty() &&
        GetWindowTextLengthA(gEditorWnd) == 0 && !(doc->path && doc->path[0]))
        return ReopenClosedTab(GetParent(editor));

    std::string text = GetEditorText();
    UndoApplication apply;
    UndoOutcome outcome = redo ? TakeRedo(history, text, &apply) : TakeUndo(history, text, &apply);
    if (outcome == UndoOutcome::Applied) {
        gApplyingUndo = true;
        SendMessageA(editor, WM_SETREDRAW, FALSE, 0);
        SendMessageA(editor, EM_SETSEL, apply.replaceStart, apply.replaceEnd);
        SendMessageA(editor, EM_REPLACESEL, FALSE, (LPARAM)apply.replacement->c_str());
        SendMessageA(editor, EM_SETSEL, apply.selStart, apply.selEnd);
        SendMessageA(editor, EM_SCROLLCARET, 0, 0);
        SendMessageA(editor, WM_SETREDRAW, TRUE, 0);
        gSelBeforeEditStart = apply.selStart;
        gSelBeforeEditEnd = apply.selEnd;
        gApplyingUndo = false;
        ApplyModifiedRule(doc);
        RefreshGutter();
        InvalidateRect(editor, nullptr, FALSE);
    } else if (outcome == UndoOutcome::HistoryDropped) {
        ApplyModifiedRule(doc);
    }
    SetStatusText(UndoStatusText(history, outcome, redo).c_str());
    return outcome == UndoOutcome::Applied;
}

} // namespace

void RecordTypingChange()
{
    if (gProgrammaticChange || gApplyingUndo || gUndoCaptureOpen)
        return;
    TabDocument* doc = ActiveDocumentWithHistory();
    if (!doc)
        return;
    int selStart, selEnd;
    GetEditorSelection(&selStart, &selEnd);
    // One buffer for every keystroke: the history hands the old snapshot back into it.
    static std::string buffer;
    ReadEditorText(&buffer);
    if (!RecordTypedChange(*doc->history, std::move(buffer), gSelBeforeEditStart, gSelBeforeEditEnd,
                           selStart, selEnd, GetTickCount(), &buffer))
        return;
    gSelBeforeEditStart = selStart;
    gSelBeforeEditEnd = selEnd;
    ApplyModifiedRule(doc);
}

void BeginUndoCapture()
{
    if (gUndoCaptureOpen)
        return;
    TabDocument* doc = ActiveDocumentWithHistory();
    if (!doc)
        return;
    GetEditorSelection(&gUndoCaptureSelStart, &gUndoCaptureSelEnd);
    gUndoCaptureText = doc->history->snapshot;
    gUndoCaptureOpen = true;
}

void EndUndoCapture()
{
    if (!gUndoCaptureOpen)
        return;
    gUndoCaptureOpen = false;
    TabDocument* doc = ActiveDocumentWithHistory();
    if (!doc)
        return;
    int selStart, selEnd;
    GetEditorSelection(&selStart, &selEnd);
    if (!RecordCapturedChange(*doc->history, gUndoCaptureText, GetEditorText(), gUndoCaptureSelStart,
                              gUndoCaptureSelEnd, selStart, selEnd, GetTickCount()))
        return;
    gSelBeforeEditStart = selStart;
    gSelBeforeEditEnd = selEnd;
    ApplyModifiedRule(doc);
}

bool Undo(HWND editor)
{
    return ApplyUndoOrRedo(editor, false);
}

bool Redo(HWND editor)
{
    return ApplyUndoOrRedo(editor, true);
}

void RecordDocumentReplacement(TabDocument* doc, const std::string& oldText, const std::string& newText)
{
    if (!doc || !doc->history)
        return;
    UndoHistory& history = *doc->history;
    history.snapshot = oldText;
    RecordCapturedChange(history, oldText, newText, 0, 0, 0, 0, GetTickCount());
    history.snapshot = newText;
}
