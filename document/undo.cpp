#include "document/undo.h"

#include "document/closed_tabs.h"
#include "document/document.h"
#include "document/scoped_flag.h"
#include "document/shell_hooks.h"
#include "document/undo_core.h"

#include <new>
#include <vector>

bool gUndoCaptureOpen = false;
int gSelBeforeEditStart = 0, gSelBeforeEditEnd = 0;
bool gApplyingUndo = false;

namespace {

// The snapshot and selection when the open capture began.
std::string gUndoCaptureText;
int gUndoCaptureSelStart = 0, gUndoCaptureSelEnd = 0;

// Set by the editor around the one keystroke (or cut, paste, clear) whose change
// notification is on its way, with the text length before it.
bool gKeystrokeEdit = false;
int gKeystrokeLength = 0;

const int kMaxLinesRead = 8;
const size_t kSpareBufferLimit = 1 << 20;

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

// The editor's text over the whole lines that hold [from, to): a keystroke or an undo
// step in a large document needs only these bytes, not the whole text. `length` is the
// editor's GetWindowTextLength, which the caller has already asked for (it may count the
// whole text). False when the range is not in the text or its lines are not separated by
// CR LF as the text model has them (the caller then reads the whole text).
bool ReadEditorLines(int length, size_t from, size_t to, size_t* windowStart, std::string* window)
{
    if (length < 0 || from > to || to > (size_t)length)
        return false;
    int first = (int)SendMessageA(gEditorWnd, EM_LINEFROMCHAR, from, 0);
    int last = (int)SendMessageA(gEditorWnd, EM_LINEFROMCHAR, to, 0);
    int start = (int)SendMessageA(gEditorWnd, EM_LINEINDEX, first, 0);
    // Each line message walks the control's line list from the top (so under Wine), so
    // many lines cost more than one read of the whole text.
    if (first < 0 || last < first || last - first > kMaxLinesRead || start < 0 || (size_t)start > from)
        return false;
    window->clear();
    std::string line;
    for (int i = first; i <= last; ++i) {
        int index = i == first ? start : (int)SendMessageA(gEditorWnd, EM_LINEINDEX, i, 0);
        if (index < 0 || (size_t)index != start + window->size())
            return false;
        int lineLength = (int)SendMessageA(gEditorWnd, EM_LINELENGTH, index, 0);
        // EM_GETLINE takes its capacity in the buffer's first word, so even an empty line
        // needs two bytes.
        line.assign((size_t)(lineLength < 2 ? 2 : lineLength) + 1, '\0');
        *(WORD*)&line[0] = (WORD)(lineLength > 0xFFFF ? 0xFFFF : (lineLength < 2 ? 2 : lineLength));
        if (lineLength > 0xFFFF)
            return false;
        int got = (int)SendMessageA(gEditorWnd, EM_GETLINE, i, (LPARAM)&line[0]);
        if (got != lineLength)
            return false;
        window->append(line, 0, (size_t)got);
        if (i < last)
            *window += "\r\n";
    }
    *windowStart = (size_t)start;
    size_t end = *windowStart + window->size();
    return to <= end && end <= (size_t)length;
}

// Whether the editor holds the snapshot's bytes around [from, to) and the snapshot's
// length: then the snapshot stands in for the editor text.
bool EditorMatchesSnapshot(const std::string& snapshot, size_t from, size_t to)
{
    int length = GetWindowTextLengthA(gEditorWnd);
    if (length < 0 || (size_t)length != snapshot.size())
        return false;
    size_t start = 0;
    std::string window;
    return ReadEditorLines(length, from, to, &start, &window) &&
           snapshot.compare(start, window.size(), window) == 0;
}

// The keystroke path of RecordTypingChange: the control replaced one range of the
// snapshot, ending at the caret, by the bytes before the caret. Reads only the lines
// around that range and checks them against the snapshot; false when anything does not
// fit, and the caller reads the whole text instead.
bool RecordKeystroke(TabDocument* doc, int selStart, int selEnd)
{
    UndoHistory& history = *doc->history;
    size_t n = history.snapshot.size();
    int length = GetWindowTextLengthA(gEditorWnd);
    if (selStart != selEnd || (size_t)gKeystrokeLength != n || length < 0)
        return false;
    long long c = selStart;
    long long a = c;
    if (gSelBeforeEditStart < a)
        a = gSelBeforeEditStart;
    if (gSelBeforeEditEnd < a)
        a = gSelBeforeEditEnd;
    long long b = c + (long long)n - length;
    if (a < 0 || c > length || b < a || b > (long long)n)
        return false;
    size_t start = 0;
    std::string window;
    if (!ReadEditorLines(length, (size_t)a, (size_t)c, &start, &window))
        return false;
    size_t before = (size_t)a - start, after = window.size() - ((size_t)c - start);
    if ((size_t)b + after > n || history.snapshot.compare(start, before, window, 0, before) != 0 ||
        history.snapshot.compare((size_t)b, after, window, (size_t)c - start, after) != 0)
        return false;
    std::string inserted = window.substr(before, (size_t)(c - a));
    if (RecordTypedSplice(history, (size_t)a, (size_t)b, inserted, gSelBeforeEditStart, gSelBeforeEditEnd,
                          selStart, selEnd, GetTickCount())) {
        gSelBeforeEditStart = selStart;
        gSelBeforeEditEnd = selEnd;
        ApplyModifiedRule(doc);
    }
    return true;
}

bool ApplyUndoOrRedo(HWND editor, bool redo)
{
    TabDocument* doc = ActiveDocumentWithHistory();
    if (!doc)
        return false;
    // EM_REPLACESEL ignores ES_READONLY: a read-only document refuses undo as it refuses
    // typing, and says so.
    if (GetWindowLongA(editor, GWL_STYLE) & ES_READONLY) {
        MessageBeep(MB_ICONEXCLAMATION);
        SetStatusText(redo ? kRedoReadOnlyStatus : kUndoReadOnlyStatus);
        return false;
    }
    UndoHistory& history = *doc->history;
    if (!redo && history.undo.empty() && !gClosedTabs.empty() &&
        GetWindowTextLengthA(gEditorWnd) == 0 && !(doc->path && doc->path[0]))
        return ReopenClosedTab(GetParent(editor));

    // The snapshot is the editor text whenever every change was recorded; a look at the
    // lines of the step confirms it, and only a doubt costs a read of the whole text.
    std::vector<UndoStep>& from = redo ? history.redo : history.undo;
    std::string text;
    const std::string* current = &history.snapshot;
    if (!from.empty()) {
        const UndoStep& step = from.back();
        size_t position = step.position < 0 ? 0 : (size_t)step.position;
        size_t present = (redo ? step.removed : step.inserted).size();
        if (!EditorMatchesSnapshot(history.snapshot, position, position + present)) {
            text = GetEditorText();
            current = &text;
        }
    }
    UndoApplication apply;
    UndoOutcome outcome = redo ? TakeRedo(history, *current, &apply) : TakeUndo(history, *current, &apply);
    if (outcome == UndoOutcome::Applied) {
        {
            // Only the rows of the step are repainted, unless the view moved.
            DrawingHold hold(editor, gShellHooks.editorDrawing);
            ScopedFlag applying(gApplyingUndo);
            SendMessageA(editor, WM_SETREDRAW, FALSE, 0);
            SendMessageA(editor, EM_SETSEL, apply.replaceStart, apply.replaceEnd);
            SendMessageA(editor, EM_REPLACESEL, FALSE, (LPARAM)apply.replacement->c_str());
            // EM_REPLACESEL leaves the caret after the replacement and scrolls it into view;
            // most steps want the caret there, and setting it again and scrolling to it would
            // only cost Wine's control more walks of its line list (4 ms at the end of 10 MB).
            DWORD selStart = 0, selEnd = 0;
            SendMessageA(editor, EM_GETSEL, (WPARAM)&selStart, (LPARAM)&selEnd);
            if (apply.selStart != apply.selEnd || (int)selStart != apply.selStart ||
                (int)selEnd != apply.selEnd) {
                SendMessageA(editor, EM_SETSEL, apply.selStart, apply.selEnd);
                SendMessageA(editor, EM_SCROLLCARET, 0, 0);
            }
            SendMessageA(editor, WM_SETREDRAW, TRUE, 0);
            gSelBeforeEditStart = apply.selStart;
            gSelBeforeEditEnd = apply.selEnd;
            hold.Changed(apply.replaceStart, apply.replaceStart + (int)apply.replacement->size());
        }
        ApplyModifiedRule(doc);
        gShellHooks.refreshGutter();
    } else if (outcome == UndoOutcome::HistoryDropped) {
        ApplyModifiedRule(doc);
        // An empty history writes no undo file, so the stale one would come back with the
        // next open of the file.
        if (!history.undoFilePath.empty())
            DeleteFileA(history.undoFilePath.c_str());
    }
    SetStatusText(UndoStatusText(history, outcome, redo).c_str());
    return outcome == UndoOutcome::Applied;
}

void RecordChangeOfActiveDocument()
{
    if (gProgrammaticChange || gApplyingUndo || gUndoCaptureOpen)
        return;
    TabDocument* doc = ActiveDocumentWithHistory();
    if (!doc)
        return;
    int selStart, selEnd;
    GetEditorSelection(&selStart, &selEnd);
    bool keystroke = gKeystrokeEdit;
    gKeystrokeEdit = false;
    if (keystroke && RecordKeystroke(doc, selStart, selEnd))
        return;
    // One buffer for every change of a small text: the history hands the old snapshot back
    // into it. A large one is let go, or it would hold a second copy of the document.
    static std::string buffer;
    ReadEditorText(&buffer);
    bool recorded = RecordTypedChange(*doc->history, std::move(buffer), gSelBeforeEditStart, gSelBeforeEditEnd,
                                      selStart, selEnd, GetTickCount(), &buffer);
    if (buffer.capacity() > kSpareBufferLimit)
        std::string().swap(buffer);
    if (!recorded)
        return;
    gSelBeforeEditStart = selStart;
    gSelBeforeEditEnd = selEnd;
    ApplyModifiedRule(doc);
}

void RecordCapture()
{
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

} // namespace

void ResetUndoState()
{
    gUndoCaptureOpen = false;
    gUndoCaptureText.clear();
    gUndoCaptureSelStart = gUndoCaptureSelEnd = 0;
    gSelBeforeEditStart = gSelBeforeEditEnd = 0;
    gApplyingUndo = false;
    gKeystrokeEdit = false;
    gKeystrokeLength = 0;
}

void RecordTypingChange()
{
    try {
        RecordChangeOfActiveDocument();
    } catch (const std::exception&) {
    }
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
    try {
        RecordCapture();
    } catch (const std::exception&) {
    }
    std::string().swap(gUndoCaptureText);
    UpdateStatusBarAfterEdit();
}


void BeginKeystrokeEdit()
{
    gKeystrokeEdit = gEditorWnd != nullptr;
    gKeystrokeLength = gEditorWnd ? GetWindowTextLengthA(gEditorWnd) : 0;
}

void EndKeystrokeEdit()
{
    gKeystrokeEdit = false;
}

// Without memory for a copy of the text nothing is applied or recorded; the next change
// notification tries again with the then current text.
bool Undo(HWND editor)
{
    try {
        return ApplyUndoOrRedo(editor, false);
    } catch (const std::exception&) {
        return false;
    }
}

bool Redo(HWND editor)
{
    try {
        return ApplyUndoOrRedo(editor, true);
    } catch (const std::exception&) {
        return false;
    }
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
