#include "editor/block_mode.h"

#include "document/codepage.h"
#include "document/textfile.h"
#include "document/undo.h"
#include "editor/clipboard.h"
#include "editor/editor_paint.h"
#include "editor/editor_text.h"
#include "editor/editor_window.h"
#include "editor/gutter.h"
#include "editor/visual_columns_win.h"

#include <exception>
#include <string>

// Positions here are byte offsets, as Windows' ANSI edit control counts them. Wine's
// control counts UTF-16 units in double-byte code pages, so there a row after a
// double-byte character is found at the wrong place; the check of ReadEditorRows then
// makes the operation do nothing rather than edit the wrong bytes.

namespace {

// Blocks of up to this many lines are read line by line: each line message walks the
// control's line list from the top (so under Wine), and for more lines one read of the
// whole text costs less.
const int kRowsReadSingly = 8;

int Short(WORD half)
{
    return (short)half;
}

int LineCount(HWND editor)
{
    int count = (int)SendMessageA(editor, EM_GETLINECOUNT, 0, 0);
    return count < 1 ? 1 : count;
}

// The break after a line from the start of the next one: CR LF, or the control's CR CR LF.
bool BreakOfLength(int length, std::string* out)
{
    if (length == 2)
        *out = "\r\n";
    else if (length == 3)
        *out = "\r\r\n";
    else
        return false;
    return true;
}

bool ReadRowsSingly(HWND editor, int from, int to, int count, EditorRows* out)
{
    BlockLines& lines = out->lines;
    int start = (int)SendMessageA(editor, EM_LINEINDEX, from, 0);
    out->firstStart = start;
    std::string buffer;
    for (int line = from; line <= to; ++line) {
        if (start < 0)
            return false;
        int length = (int)SendMessageA(editor, EM_LINELENGTH, start, 0);
        if (length < 0 || length > kEditLineReadLimit)
            return false;
        // EM_GETLINE takes its capacity in the buffer's first word, so even an empty line
        // needs two bytes.
        buffer.assign((size_t)(length < 2 ? 2 : length) + 1, '\0');
        *(WORD*)&buffer[0] = (WORD)(length < 2 ? 2 : length);
        int got = length > 0 ? (int)SendMessageA(editor, EM_GETLINE, line, (LPARAM)&buffer[0]) : 0;
        if (got != length)
            return false;
        lines.text.push_back(buffer.substr(0, (size_t)length));
        std::string lineBreak;
        int next = line + 1 < count ? (int)SendMessageA(editor, EM_LINEINDEX, line + 1, 0) : -1;
        if (line + 1 < count && !BreakOfLength(next - start - length, &lineBreak))
            return false;
        lines.breaks.push_back(lineBreak);
        start = next;
    }
    return true;
}

// The lines from..to out of the whole text, split as the control splits it: at CR LF,
// where a CR just before it belongs to the break (CR CR LF).
bool ReadRowsFromText(HWND editor, int from, int to, int count, EditorRows* out)
{
    int length = GetWindowTextLengthA(editor);
    std::string text((size_t)(length > 0 ? length : 0) + 1, '\0');
    int got = length > 0 ? GetWindowTextA(editor, &text[0], length + 1) : 0;
    text.resize(got > 0 ? (size_t)got : 0);
    int start = (int)SendMessageA(editor, EM_LINEINDEX, from, 0);
    if (start < 0 || (size_t)start > text.size())
        return false;
    out->firstStart = start;
    BlockLines& lines = out->lines;
    size_t at = (size_t)start;
    int lastStart = start;
    for (int line = from; line <= to; ++line) {
        lastStart = (int)at;
        size_t end = line + 1 < count ? text.find("\r\n", at) : std::string::npos;
        if (end == std::string::npos) {
            if (line + 1 < count)
                return false;
            lines.text.push_back(text.substr(at));
            lines.breaks.push_back("");
            at = text.size();
            continue;
        }
        size_t textEnd = end > at && text[end - 1] == '\r' ? end - 1 : end;
        lines.text.push_back(text.substr(at, textEnd - at));
        lines.breaks.push_back(text.substr(textEnd, end + 2 - textEnd));
        at = end + 2;
    }
    return SendMessageA(editor, EM_LINEINDEX, to, 0) == lastStart;
}

// The view before an edit, so that replacing many rows at once does not leave the
// control scrolled to the last row it replaced.
struct View {
    int first = 0, x = 0;
};

int HorizontalPosition(HWND editor)
{
    SCROLLINFO si;
    ZeroMemory(&si, sizeof(si));
    si.cbSize = sizeof(si);
    si.fMask = SIF_POS;
    return GetScrollInfo(editor, SB_HORZ, &si) ? si.nPos : 0;
}

View SaveView(HWND editor)
{
    View v;
    v.first = (int)SendMessageA(editor, EM_GETFIRSTVISIBLELINE, 0, 0);
    v.x = HorizontalPosition(editor);
    return v;
}

int AverageCharWidth(HWND editor)
{
    TEXTMETRICA tm;
    GetEditorTextMetrics(editor, &tm);
    return tm.tmAveCharWidth > 0 ? tm.tmAveCharWidth : 8;
}

void RestoreView(HWND editor, const View& v)
{
    int dy = v.first - (int)SendMessageA(editor, EM_GETFIRSTVISIBLELINE, 0, 0);
    int dx = (v.x - HorizontalPosition(editor)) / AverageCharWidth(editor);
    if (dx || dy)
        SendMessageA(editor, EM_LINESCROLL, dx, dy);
}

// Writes the changed lines back with one replacement: the rows that differ, from the
// first to the last, as one range. Row by row, every replacement would move the whole
// text after it.
void ApplyRows(HWND editor, const EditorRows& before, const EditorRows& after)
{
    const BlockLines& a = before.lines;
    const BlockLines& b = after.lines;
    size_t na = a.text.size(), nb = b.text.size();
    auto same = [&](size_t i, size_t j) { return a.text[i] == b.text[j] && a.breaks[i] == b.breaks[j]; };
    size_t head = 0;
    while (head < na && head < nb && same(head, head))
        ++head;
    size_t tail = 0;
    while (tail < na - head && tail < nb - head && same(na - 1 - tail, nb - 1 - tail))
        ++tail;
    if (head == na && head == nb)
        return;
    size_t from = (size_t)before.firstStart, to;
    for (size_t i = 0; i < head; ++i)
        from += a.text[i].size() + a.breaks[i].size();
    to = from;
    for (size_t i = head; i < na - tail; ++i)
        to += a.text[i].size() + a.breaks[i].size();
    std::string replacement;
    for (size_t j = head; j < nb - tail; ++j)
        replacement += b.text[j] + b.breaks[j];
    SendMessageA(editor, EM_SETSEL, from, to);
    SendMessageA(editor, EM_REPLACESEL, FALSE, (LPARAM)replacement.c_str());
}

// Reads the lines that an edit of the block needs: its rows, the line after them (a
// joining Delete) and the multi-caret line.
bool ReadBlockRows(HWND editor, EditorRows* rows)
{
    int from = BlockTop(), to = BlockBottom() + 1;
    if (gMultiCaretOn) {
        from = from < gMultiCaretLine ? from : gMultiCaretLine;
        to = to > gMultiCaretLine ? to : gMultiCaretLine;
    }
    return ReadEditorRows(editor, from, to, rows);
}

bool RefuseReadOnly(HWND editor)
{
    if (!IsEditReadOnly(editor))
        return false;
    MessageBeep(MB_ICONEXCLAMATION);
    return true;
}

// The frame of every block edit: one undo step, with the lines written back in one
// replacement while redrawing is off. `plan` changes the lines (and the block state),
// `place` puts the control's caret afterwards.
template <typename Plan, typename Place>
void EditRows(HWND editor, EditorRows& rows, Plan plan, Place place)
{
    EditorRows before = rows;
    View view = SaveView(editor);
    BeginUndoCapture();
    SendMessageA(editor, WM_SETREDRAW, FALSE, 0);
    try {
        plan(rows.lines);
        ApplyRows(editor, before, rows);
        RestoreView(editor, view);
        place(rows);
    } catch (const std::exception&) {
        // Out of memory before the replacement: the text is as it was.
    }
    SendMessageA(editor, WM_SETREDRAW, TRUE, 0);
    EndUndoCapture();
}

template <typename Plan>
void RunBlockEdit(HWND editor, Plan plan)
{
    if (!gBlockMode || RefuseReadOnly(editor))
        return;
    EditorRows rows;
    if (!ReadBlockRows(editor, &rows))
        return;
    EditRows(editor, rows, plan, [&](const EditorRows& after) {
        if (!gBlockMode)
            return;
        ColumnPlaceCaret(editor, &after);
        if (!gMultiCaretOn)
            ColumnScrollCaretIntoView(editor, gBlockCaretColumn < 0 ? 0 : gBlockCaretColumn, &after);
    });
    InvalidateRect(editor, nullptr, FALSE);
    RefreshGutter();
}

} // namespace

void GetEditorTextMetrics(HWND editor, TEXTMETRICA* tm)
{
    ZeroMemory(tm, sizeof(*tm));
    HDC dc = GetDC(editor);
    if (!dc)
        return;
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(editor, WM_GETFONT, 0, 0));
    GetTextMetricsA(dc, tm);
    SelectObject(dc, old);
    ReleaseDC(editor, dc);
}

int EditorLineHeight(HWND editor)
{
    TEXTMETRICA tm;
    GetEditorTextMetrics(editor, &tm);
    return tm.tmHeight > 0 ? tm.tmHeight : 14;
}

int EditorRows::StartOf(int line) const
{
    if (!lines.Has(line) || firstStart < 0)
        return -1;
    int start = firstStart;
    for (int k = lines.first; k < line; ++k)
        start += (int)(lines.Line(k).size() + lines.breaks[(size_t)(k - lines.first)].size());
    return start;
}

bool ReadEditorRows(HWND editor, int from, int to, EditorRows* out)
{
    int count = LineCount(editor);
    *out = EditorRows();
    out->lines.lead = WindowsAnsiCodePage().isLeadByte;
    out->lines.lineCount = count;
    from = from < 0 ? 0 : from;
    to = to < count - 1 ? to : count - 1;
    out->lines.first = from;
    if (to < from)
        return true;
    try {
        if (to - from < kRowsReadSingly && ReadRowsSingly(editor, from, to, count, out))
            return true;
        out->lines.text.clear();
        out->lines.breaks.clear();
        return ReadRowsFromText(editor, from, to, count, out);
    } catch (const std::exception&) {
        return false;
    }
}

int VisualColumnToX(HWND editor, int line, int column, int cellWidth, int* y)
{
    EditLine text;
    if (!ReadEditLine(editor, line, &text)) {
        if (y)
            *y = -1;
        return 0;
    }
    LRESULT origin = SendMessageA(editor, EM_POSFROMCHAR, text.start, 0);
    int x0 = origin == -1 ? 0 : Short(LOWORD(origin));
    int y0 = origin == -1 ? 0 : Short(HIWORD(origin));
    if (y)
        *y = y0;
    if (column <= 0)
        return x0;
    if (text.length == 0 || !text.bytes)
        return x0 + column * cellWidth;
    int missing = 0;
    int offset =
        VisualColumnToOffset(text.bytes, text.count, column, &missing, WindowsAnsiCodePage().isLeadByte);
    LRESULT pos = SendMessageA(editor, EM_POSFROMCHAR, text.start + offset, 0);
    if (pos != -1 && Short(HIWORD(pos)) == y0)
        return Short(LOWORD(pos)) + missing * cellWidth;
    return x0 + column * cellWidth;
}

void PointToLineColumn(HWND editor, POINT point, int* line, int* column)
{
    TEXTMETRICA tm;
    GetEditorTextMetrics(editor, &tm);
    int cell = MeasureCellWidth(editor);
    if (cell <= 0)
        cell = tm.tmAveCharWidth > 0 ? tm.tmAveCharWidth : 8;
    int lineHeight = EditorLineHeight(editor);
    int first = (int)SendMessageA(editor, EM_GETFIRSTVISIBLELINE, 0, 0);
    int count = (int)SendMessageA(editor, EM_GETLINECOUNT, 0, 0);
    LRESULT pos = SendMessageA(editor, EM_POSFROMCHAR, SendMessageA(editor, EM_LINEINDEX, first, 0), 0);
    int ox = pos == -1 ? 1 : Short(LOWORD(pos));
    int oy = pos == -1 ? 0 : Short(HIWORD(pos));
    int dy = point.y - oy;
    int row = dy >= 0 ? dy / lineHeight : -((-dy + lineHeight - 1) / lineHeight);
    int at = first + row < 0 ? 0 : first + row;
    if (at >= count)
        at = count > 0 ? count - 1 : 0;
    int col = (point.x + cell / 2 - ox) / cell;
    if (line)
        *line = at;
    if (column)
        *column = col < 0 ? 0 : col;
}

void HideSystemCaretOnce(HWND editor)
{
    if (gSystemCaretHidden)
        ShowCaret(editor);
    HideCaret(editor);
    gSystemCaretHidden = true;
}

void ColumnPlaceCaret(HWND editor, const EditorRows* known)
{
    EditorRows read;
    const EditorRows* rows = known;
    if (!rows) {
        // Mostly the caret line alone decides; the other rows are read only when it is
        // too short.
        int line = gMultiCaretOn ? gMultiCaretLine : gBlockCaretLine;
        if (!ReadEditorRows(editor, line, line, &read))
            return;
        rows = &read;
        if (!gMultiCaretOn &&
            !(read.lines.Has(gBlockCaretLine) &&
              (gPerLineCaretColumnsOn || read.lines.Length(gBlockCaretLine) >= BlockCaretTarget()))) {
            int from = BlockTop() < gBlockCaretLine ? BlockTop() : gBlockCaretLine;
            int to = BlockBottom() > gBlockCaretLine ? BlockBottom() : gBlockCaretLine;
            if (!ReadEditorRows(editor, from, to, &read))
                return;
        }
    }
    int line = -1, offset = 0;
    if (BlockCaretPlacement(rows->lines, &line, &offset)) {
        int start = rows->StartOf(line);
        if (start >= 0) {
            SendMessageA(editor, EM_SETSEL, start + offset, start + offset);
            if (gMultiCaretOn) {
                const std::string& text = rows->lines.Line(line);
                ColumnScrollCaretIntoView(
                    editor, VisualColumnAtOffset(text.data(), (int)text.size(), offset, rows->lines.lead),
                    rows);
            }
        }
    }
    if (gBlockMode && !gMultiCaretOn)
        HideSystemCaretOnce(editor);
}

void ColumnPlaceCaretIfActive(HWND editor)
{
    if (gBlockMode)
        ColumnPlaceCaret(editor);
}

void ColumnScrollCaretIntoView(HWND editor, int column, const EditorRows* known)
{
    if (!gBlockMode)
        return;
    if (column <= 0) {
        SendMessageA(editor, EM_LINESCROLL, -99999, 0);
        return;
    }
    int cell = MeasureCellWidth(editor);
    int divisor = cell > 0 ? cell : 1;
    int margin = cell > 4 ? cell : 4;
    EditorRows read;
    if (!known || !known->lines.Has(BlockTop()) || !known->lines.Has(BlockBottom())) {
        ReadEditorRows(editor, BlockTop(), BlockBottom(), &read);
        known = &read;
    }
    int reference = BlockScrollReferenceLine(known->lines, column);
    int x = VisualColumnToX(editor, reference, column, divisor, nullptr);
    RECT rc;
    GetClientRect(editor, &rc);
    int chars = 0;
    if (x < margin)
        chars = -((margin - x + divisor - 1) / divisor);
    else if (x > rc.right - margin)
        chars = (x - (rc.right - margin) + divisor - 1) / divisor;
    if (chars)
        SendMessageA(editor, EM_LINESCROLL, chars, 0);
}

void ColumnTypeText(HWND editor, const std::string& s)
{
    RunBlockEdit(editor, [&](BlockLines& lines) { BlockType(lines, s); });
}

void ColumnDelete(HWND editor, bool backspace)
{
    RunBlockEdit(editor, [&](BlockLines& lines) { BlockDelete(lines, backspace); });
}

void ColumnTab(HWND editor, bool shift)
{
    RunBlockEdit(editor, [&](BlockLines& lines) { BlockTab(lines, shift); });
}

bool ColumnCopy(HWND editor)
{
    if (!gBlockMode)
        return false;
    EditorRows rows;
    std::string text;
    try {
        if (!ReadEditorRows(editor, BlockTop(), BlockBottom(), &rows))
            return false;
        text = BlockCopyText(rows.lines);
    } catch (const std::exception&) {
        return false;
    }
    return CopyTextToClipboard(editor, text);
}

void ColumnCut(HWND editor)
{
    if (!gBlockMode || RefuseReadOnly(editor))
        return;
    // Only what reached the clipboard goes: the slices of a block with width. Delete on
    // a zero-width block would remove characters that were never copied.
    if (ColumnCopy(editor) && BlockHasWidth())
        ColumnDelete(editor, false);
}

void ColumnPaste(HWND editor)
{
    if (!gBlockMode || RefuseReadOnly(editor))
        return;
    std::string text = GetClipboardTextAnsi(editor);
    if (text.empty())
        return;
    EditorRows rows;
    if (!ReadEditorRows(editor, BlockTop(), BlockBottom(), &rows))
        return;
    int caret = -1;
    EditRows(
        editor, rows, [&](BlockLines& lines) { caret = BlockPaste(lines, text); },
        [&](const EditorRows& after) {
            // The caret stays just after the text pasted into the top row.
            if (caret < 0)
                return;
            int at = after.StartOf(BlockTop()) + caret;
            SendMessageA(editor, EM_SETSEL, at, at);
            SendMessageA(editor, EM_SCROLLCARET, 0, 0);
        });
    LeaveBlockMode();
    InvalidateRect(editor, nullptr, FALSE);
    RefreshGutter();
}
