#include "editor/editor_keys.h"

#include "document/codepage.h"
#include "document/document.h"
#include "editor/block_mode.h"
#include "editor/editor_paint.h"
#include "editor/editor_window.h"
#include "editor/point_offset.h"
#include "editor/word_occurrences.h"

#include <exception>
#include <string>
#include <vector>

namespace {

void GetSelection(HWND editor, int* start, int* end)
{
    DWORD s = 0, e = 0;
    SendMessageA(editor, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    *start = (int)s;
    *end = (int)e;
}

int Distance(int a, int b)
{
    return a > b ? a - b : b - a;
}

void ClearWordHighlights()
{
    gWordHighlights.clear();
    gWordHighlightSelStart = gWordHighlightSelEnd = -1;
}

// The double click that the editor leaves to the control, which selects by the
// word-break procedure; boxes of an earlier double click go.
bool LeaveDoubleClickToControl(HWND editor)
{
    if (!gWordHighlights.empty()) {
        ClearWordHighlights();
        InvalidateRect(editor, nullptr, FALSE);
    }
    return false;
}

// Selects the word under the point and boxes its other occurrences; false leaves the
// double click to the control.
bool SelectWordAtClick(HWND editor, POINT point)
{
    int offset = EditorCharFromPoint(editor, point);
    if (offset < 0) {
        int e;
        GetSelection(editor, &offset, &e);
    }
    std::string text;
    try {
        text = GetEditorText();
    } catch (const std::exception&) {
        return LeaveDoubleClickToControl(editor);
    }
    int length = (int)text.size();
    if (length == 0)
        return LeaveDoubleClickToControl(editor);
    int c = offset < 0 ? 0 : offset > length ? length : offset;
    int line = (int)SendMessageA(editor, EM_LINEFROMCHAR, c, 0);
    int lineStart = (int)SendMessageA(editor, EM_LINEINDEX, line, 0);
    LeadByteTest lead = WindowsAnsiCodePage().isLeadByte;
    ClickedWord word = FindClickedWord(text.data(), length, c, lineStart, lead);
    if (!word.found)
        return LeaveDoubleClickToControl(editor);
    SendMessageA(editor, EM_SETSEL, word.start, word.end);
    gSelAnchor = word.start;
    ClearWordHighlights();
    try {
        gWordHighlights = FindWordOccurrences(text.data(), length, word.start, word.end, word.cls, lead);
    } catch (const std::exception&) {
        gWordHighlights.clear();
    }
    if (!gWordHighlights.empty()) {
        gWordHighlightSelStart = word.start;
        gWordHighlightSelEnd = word.end;
    }
    InvalidateRect(editor, nullptr, FALSE);
    return true;
}

} // namespace

int EditorCharFromPoint(HWND editor, POINT point)
{
    LRESULT r = SendMessageA(editor, EM_CHARFROMPOS, 0, MAKELPARAM((WORD)point.x, (WORD)point.y));
    if (r == -1)
        return -1;
    int count = (int)SendMessageA(editor, EM_GETLINECOUNT, 0, 0);
    int first = (int)SendMessageA(editor, EM_GETFIRSTVISIBLELINE, 0, 0);
    int firstStart = (int)SendMessageA(editor, EM_LINEINDEX, first, 0);
    LRESULT origin = firstStart < 0 ? -1 : SendMessageA(editor, EM_POSFROMCHAR, firstStart, 0);
    int estimate = first;
    if (origin != -1)
        estimate = LineAtY(point.y, (short)HIWORD(origin), first, EditorLineHeight(editor), count);
    int line = NearestWithLow16(HIWORD(r), estimate);
    if (line > count - 1)
        line = count - 1 < 0 ? 0 : count - 1;
    int lineStart = (int)SendMessageA(editor, EM_LINEINDEX, line, 0);
    if (lineStart < 0)
        return LOWORD(r);
    int lineLength = (int)SendMessageA(editor, EM_LINELENGTH, lineStart, 0);
    std::vector<int> offsets = LineOffsetsWithLow16(LOWORD(r), lineStart, lineLength);
    if (offsets.empty())
        return NearestWithLow16(LOWORD(r), lineStart);
    // A line of 64 KB or more holds the low half more than once: the nearest by x.
    int best = offsets[0], bestDistance = -1;
    for (size_t i = 0; offsets.size() > 1 && i < offsets.size(); ++i) {
        LRESULT at = SendMessageA(editor, EM_POSFROMCHAR, offsets[i], 0);
        if (at == -1)
            continue;
        int distance = Distance((short)LOWORD(at), point.x);
        if (bestDistance < 0 || distance < bestDistance) {
            best = offsets[i];
            bestDistance = distance;
        }
    }
    return best;
}

int GetSelectionActiveEnd(HWND editor)
{
    int s, e;
    GetSelection(editor, &s, &e);
    if (s == e) {
        gSelAnchor = -1;
        return s;
    }
    int a = gSelAnchor;
    if (a >= 0) {
        if (a == s || a < s)
            return e;
        if (a == e || a > e)
            return s;
    }
    POINT caret;
    if (!GetCaretPos(&caret))
        return e;
    int c = EditorCharFromPoint(editor, caret);
    if (c < 0)
        return e;
    return Distance(e, c) < Distance(s, c) ? e : s;
}

int RememberSelectionAnchor(HWND editor)
{
    int s, e;
    GetSelection(editor, &s, &e);
    if (s == e)
        gSelAnchor = s;
    return s;
}

bool EditorMouse(HWND editor, UINT msg, LPARAM lParam)
{
    POINT point = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    if (msg == WM_LBUTTONDBLCLK)
        return SelectWordAtClick(editor, point);
    if (msg != WM_LBUTTONDOWN)
        return false;
    if (GetKeyState(VK_SHIFT) < 0) {
        RememberSelectionAnchor(editor);
    } else {
        int at = EditorCharFromPoint(editor, point);
        if (at >= 0)
            gSelAnchor = at;
    }
    return false;
}
