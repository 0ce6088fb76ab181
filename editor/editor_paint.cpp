#include "editor/editor_paint.h"

#include "document/codepage.h"
#include "document/document.h"
#include "editor/block_mode.h"
#include "editor/diff_line.h"
#include "editor/editor_window.h"
#include "editor/visual_columns.h"
#include "editor/visual_columns_win.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

std::vector<WordHighlight> gWordHighlights;
int gWordHighlightSelStart = -1, gWordHighlightSelEnd = -1;
bool gSystemCaretHidden = false;
bool gDiffMode; // its first value comes from the settings table

void ResetEditorPaintState()
{
    gWordHighlights.clear();
    gWordHighlightSelStart = gWordHighlightSelEnd = -1;
    gSystemCaretHidden = false;
}

namespace {

const COLORREF kAddedBand = RGB(220, 248, 220);
const COLORREF kAddedText = RGB(0, 128, 0);
const COLORREF kRemovedBand = RGB(255, 228, 228);
const COLORREF kRemovedText = RGB(196, 0, 0);
const COLORREF kOccurrenceBox = RGB(186, 230, 186);
const COLORREF kMark = RGB(210, 120, 40);
const COLORREF kMarkSelected = RGB(255, 255, 255);

// First guess for a line's buffer; a longer line is read again at its full length.
const int kLineGuess = 512;
// Under Wine, EM_POSFROMCHAR on a line costs time in proportion to the whole line (0.7 s
// on a 5 MB line, for any character of it): on longer lines positions come from the
// columns and the view's origin, which a fixed-pitch font makes exact.
const int kMeasuredLineLimit = 4096;

// A visible line as every paint step shares it: each is read from the control once per
// paint.
struct PaintLine {
    EditLine text; // count excludes any trailing CR and LF
    bool Long() const { return text.length > kMeasuredLineLimit; }
    int ascii = 0; // bytes before this index are all below 0x80
    int x = 0, y = 0; // where the control draws the line's first character
};

struct PaintFrame {
    HDC dc;
    HWND editor;
    RECT client;
    int first, count;
    TEXTMETRICA tm;
    int lineHeight;
    int x0, y0;      // origin of the first visible line
    int cell;        // MeasureCellWidth
    // A fixed-pitch font whose characters the control places one cell apart: on a line
    // of single-byte characters a column is then exactly cell pixels wide.
    bool fixedCells;
    DWORD lo, hi;    // the selection, ordered
    DWORD selStart, selEnd;
    std::vector<PaintLine> lines; // first .. first + lines.size() - 1
    int afterStart;  // start of the line after the kept ones, -1 when unknown
};

int Short(WORD half)
{
    return (short)half;
}

// The x of a line's first character. The control reports positions as signed 16-bit
// values, so a view scrolled more than 32767 pixels to the right wraps a line start into
// a large positive x. A line starts at or left of the text area's left edge; when the
// reported x lies right of it, the horizontal scroll position (pixels) gives the true one.
int LineOriginX(HWND editor, int reported)
{
    RECT area;
    SendMessageA(editor, EM_GETRECT, 0, (LPARAM)&area);
    if (reported <= area.left)
        return reported;
    SCROLLINFO si;
    ZeroMemory(&si, sizeof(si));
    si.cbSize = sizeof(si);
    si.fMask = SIF_POS;
    if (GetScrollInfo(editor, SB_HORZ, &si)) {
        int origin = area.left - si.nPos;
        if (((origin ^ reported) & 0xFFFF) == 0)
            return origin;
    }
    return reported - 0x10000;
}

void ViewOrigin(HWND editor, int* x, int* y)
{
    RECT area;
    SendMessageA(editor, EM_GETRECT, 0, (LPARAM)&area);
    SCROLLINFO si;
    ZeroMemory(&si, sizeof(si));
    si.cbSize = sizeof(si);
    si.fMask = SIF_POS;
    *x = area.left - (GetScrollInfo(editor, SB_HORZ, &si) ? si.nPos : 0);
    *y = area.top;
}

void TrimLineBreak(EditLine& t)
{
    while (t.bytes && t.count > 0 && (t.bytes[t.count - 1] == '\r' || t.bytes[t.count - 1] == '\n'))
        t.bytes[--t.count] = 0;
}

void FinishLine(PaintLine& entry)
{
    TrimLineBreak(entry.text);
    const EditLine& t = entry.text;
    entry.ascii = 0;
    while (entry.ascii < t.count && (unsigned char)t.bytes[entry.ascii] < 0x80)
        ++entry.ascii;
}

// Reads the text of a line whose start is known, with one EM_GETLINE for most lines.
bool ReadLineAt(HWND editor, int line, int start, EditLine* out)
{
    free(out->bytes);
    out->bytes = nullptr;
    out->start = start;
    out->count = out->length = 0;
    int capacity = kLineGuess;
    for (;;) {
        char* buffer = (char*)malloc((size_t)capacity + 1);
        if (!buffer)
            return false;
        *(WORD*)buffer = (WORD)capacity;
        int n = (int)SendMessageA(editor, EM_GETLINE, line, (LPARAM)buffer);
        if (n < 0)
            n = 0;
        if (n > capacity)
            n = capacity;
        int length = n;
        if (n == capacity) {
            length = (int)SendMessageA(editor, EM_LINELENGTH, start, 0);
            int wanted = length < kEditLineReadLimit ? length : kEditLineReadLimit;
            if (wanted > capacity) {
                free(buffer);
                capacity = wanted;
                continue;
            }
        }
        buffer[n] = 0;
        out->bytes = buffer;
        out->count = n;
        out->length = length > n ? length : n;
        return true;
    }
}

// The lines of the visible rows, each read once. Without word wrap every line starts
// at the first visible line's x, one line height below the one before, and one CR LF
// after the end of the one before, so only the first line's start and one check of the
// last line's position are asked of the control (Wine's control walks its whole line
// list for every such question). When the check fails, every line is asked for its own
// start and position.
void ReadVisibleLines(PaintFrame& f)
{
    f.afterStart = -1;
    int start = (int)SendMessageA(f.editor, EM_LINEINDEX, f.first, 0);
    if (f.first < 0 || start < 0)
        return;
    // The line checked is the last one that does not start at the end of the text, where
    // the control gives no position.
    int checked = -1;
    for (int k = 0, line = f.first; line < f.count && f.y0 + k * f.lineHeight <= f.client.bottom;
         ++k, ++line) {
        f.lines.emplace_back();
        PaintLine& entry = f.lines.back();
        if (!ReadLineAt(f.editor, line, start, &entry.text))
            entry.text.start = start;
        entry.x = f.x0;
        entry.y = f.y0 + k * f.lineHeight;
        FinishLine(entry);
        if ((line < f.count - 1 || entry.text.length > 0) && !entry.Long())
            checked = k;
        start += entry.text.length + 2;
    }
    f.afterStart = start;
    bool sound = !f.lines.empty();
    if (checked >= 0) {
        const PaintLine& last = f.lines[checked];
        LRESULT pos = SendMessageA(f.editor, EM_POSFROMCHAR, last.text.start, 0);
        sound = pos != -1 && LineOriginX(f.editor, Short(LOWORD(pos))) == last.x && Short(HIWORD(pos)) == last.y;
    } else if (sound) {
        int line = f.first + (int)f.lines.size() - 1;
        sound = SendMessageA(f.editor, EM_LINEINDEX, line, 0) == f.lines.back().text.start;
    }
    if (sound)
        return;

    f.lines.clear();
    f.afterStart = -1;
    int rows = f.client.bottom / f.lineHeight + 3;
    for (int k = 0, line = f.first; k < rows && line < f.count; ++k, ++line) {
        f.lines.emplace_back();
        PaintLine& entry = f.lines.back();
        ReadEditLine(f.editor, line, &entry.text);
        FinishLine(entry);
        LRESULT pos = entry.text.start < 0 || entry.Long() ? -1 : SendMessageA(f.editor, EM_POSFROMCHAR, entry.text.start, 0);
        entry.x = pos == -1 ? f.x0 : LineOriginX(f.editor, Short(LOWORD(pos)));
        entry.y = pos == -1 ? f.y0 + k * f.lineHeight : Short(HIWORD(pos));
    }
}

PaintLine* VisibleLine(PaintFrame& f, int line)
{
    int k = line - f.first;
    if (k < 0 || k >= (int)f.lines.size())
        return nullptr;
    return &f.lines[k];
}

int StartOfLine(PaintFrame& f, int line)
{
    if (PaintLine* entry = VisibleLine(f, line))
        return entry->text.start;
    if (line == f.first + (int)f.lines.size() && f.afterStart >= 0)
        return f.afterStart;
    return (int)SendMessageA(f.editor, EM_LINEINDEX, line, 0);
}

bool Invisible(const PaintFrame& f, int y)
{
    return y + f.lineHeight < 0 || y > f.client.bottom;
}

// The x of the character at byte i of the line, whose visual column is given. On a run
// of single-byte characters in a fixed-pitch font the column decides it; otherwise the
// control is asked, and a position it cannot give on the row comes from the column.
int XAt(const PaintFrame& f, const PaintLine& entry, int i, int column, bool* measured = nullptr)
{
    if (measured)
        *measured = false;
    if (!(f.fixedCells && i <= entry.ascii) && !entry.Long()) {
        LRESULT pos = SendMessageA(f.editor, EM_POSFROMCHAR, entry.text.start + i, 0);
        if (pos != -1 && Short(HIWORD(pos)) == entry.y) {
            if (measured)
                *measured = true;
            return Short(LOWORD(pos));
        }
    }
    return entry.x + f.cell * column;
}

// Visual columns of increasing offsets on one line, each found from the one before.
struct ColumnWalk {
    const PaintLine* entry = nullptr;
    int offset = 0, column = 0;
    int At(const PaintLine& line, int target)
    {
        if (entry != &line || target < offset) {
            entry = &line;
            offset = column = 0;
        }
        column = AdvanceVisualColumn(line.text.bytes, line.text.count, &offset, column, target,
                                     WindowsAnsiCodePage().isLeadByte);
        return column;
    }
};

void PaintBandSelection(PaintFrame& f, const PaintLine& entry)
{
    const EditLine& t = entry.text;
    long long lineStart = t.start, lineEnd = lineStart + t.count;
    if (f.lo == f.hi || (long long)f.lo >= lineEnd || (long long)f.hi <= lineStart)
        return;
    int a = (int)((long long)f.lo > lineStart ? (long long)f.lo : lineStart) - t.start;
    int b = (int)((long long)f.hi < lineEnd ? (long long)f.hi : lineEnd) - t.start;
    if (b <= a)
        return;
    LeadByteTest lead = WindowsAnsiCodePage().isLeadByte;
    int xa = XAt(f, entry, a, VisualColumnAtOffset(t.bytes, t.count, a, lead));
    int xb = XAt(f, entry, b, VisualColumnAtOffset(t.bytes, t.count, b, lead));
    if (xa == xb)
        return;
    int left = xa < xb ? xa : xb, right = xa < xb ? xb : xa;
    RECT box = {left, entry.y, right, entry.y + f.lineHeight};
    HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT));
    FillRect(f.dc, &box, brush);
    DeleteObject(brush);
    SetTextColor(f.dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    TabbedTextOutA(f.dc, left, entry.y, t.bytes + a, b - a, 0, nullptr, entry.x);
}

void PaintDiffBands(PaintFrame& f)
{
    for (PaintLine& entry : f.lines) {
        const EditLine& t = entry.text;
        if (t.start < 0 || !t.bytes || t.count <= 0)
            continue;
        bool added = false, removed = false;
        if (!ClassifyDiffLine(t.bytes, t.count, &added, &removed, WindowsAnsiCodePage().isLeadByte) ||
            Invisible(f, entry.y))
            continue;
        RECT band = {0, entry.y, f.client.right, entry.y + f.lineHeight};
        HBRUSH brush = CreateSolidBrush(added ? kAddedBand : kRemovedBand);
        FillRect(f.dc, &band, brush);
        DeleteObject(brush);
        SetBkMode(f.dc, TRANSPARENT);
        SetTextColor(f.dc, added ? kAddedText : kRemovedText);
        TabbedTextOutA(f.dc, entry.x, entry.y, t.bytes, t.count, 0, nullptr, entry.x);
        PaintBandSelection(f, entry);
    }
}

// The line that holds offset s, looked for among the visible lines from hint on (the
// list is in text order); -1 when it is not one of them.
int VisibleLineOf(PaintFrame& f, int s, int* hint)
{
    PaintLine* at = VisibleLine(f, *hint);
    if (!at || at->text.start < 0 || at->text.start > s)
        return -1;
    for (;;) {
        PaintLine* next = VisibleLine(f, *hint + 1);
        if (!next)
            // The last kept line: s is on it only up to its line break.
            return s <= at->text.start + at->text.length + 1 ? *hint : -1;
        if (next->text.start < 0 || next->text.start > s)
            return *hint;
        ++*hint;
        at = next;
    }
}

struct OccurrenceLine {
    int number = INT_MIN;
    PaintLine own; // a line outside the visible ones
    PaintLine* entry = nullptr;
    bool placed = false; // entry's x and y are known
    COLORREF textColour = 0;
    ColumnWalk walk;
};

void SelectOccurrenceLine(PaintFrame& f, OccurrenceLine& current, int line)
{
    current.number = line;
    current.walk = ColumnWalk();
    current.entry = VisibleLine(f, line);
    current.placed = current.entry != nullptr;
    if (!current.entry) {
        current.own = PaintLine();
        ReadEditLine(f.editor, line, &current.own.text);
        FinishLine(current.own);
        current.entry = &current.own;
    }
    bool added = false, removed = false;
    const EditLine& t = current.entry->text;
    if (gDiffMode && t.bytes && t.count > 0)
        ClassifyDiffLine(t.bytes, t.count, &added, &removed, WindowsAnsiCodePage().isLeadByte);
    current.textColour = added ? kAddedText : removed ? kRemovedText : GetSysColor(COLOR_WINDOWTEXT);
}

// The box of one occurrence [s, e) on its line; false when it is not to be drawn.
bool OccurrenceBox(PaintFrame& f, OccurrenceLine& current, int s, int e, RECT* box)
{
    PaintLine& entry = *current.entry;
    const EditLine& t = entry.text;
    if (!t.bytes || t.start < 0 || s - t.start < 0 || e - t.start > t.count || e <= s)
        return false;
    int x, y, right;
    if (current.placed) {
        y = entry.y;
        x = XAt(f, entry, s - t.start, current.walk.At(entry, s - t.start));
    } else {
        if (entry.Long())
            return false;
        LRESULT pos = SendMessageA(f.editor, EM_POSFROMCHAR, s, 0);
        if (pos == -1)
            return false;
        x = Short(LOWORD(pos));
        y = Short(HIWORD(pos));
    }
    if (Invisible(f, y))
        return false;
    bool measured = false;
    if (current.placed) {
        right = XAt(f, entry, e - t.start, current.walk.At(entry, e - t.start), &measured);
        measured = measured || (f.fixedCells && e - t.start <= entry.ascii);
    } else {
        LRESULT pos = SendMessageA(f.editor, EM_POSFROMCHAR, e, 0);
        measured = pos != -1 && Short(HIWORD(pos)) == y;
        right = Short(LOWORD(pos));
    }
    if (measured) {
        if (right <= x || right < 0)
            return false;
    } else {
        right = x + (e - s) * (f.cell > 0 ? f.cell : 8);
        if (right < 0)
            return false;
    }
    if (x > f.client.right)
        return false;
    *box = RECT{x, y, right, y + f.lineHeight};
    return true;
}

void PaintOccurrenceHighlights(PaintFrame& f)
{
    if (gWordHighlights.empty())
        return;
    if ((int)f.selStart != gWordHighlightSelStart || (int)f.selEnd != gWordHighlightSelEnd) {
        gWordHighlights.clear();
        gWordHighlightSelStart = gWordHighlightSelEnd = -1;
        return;
    }
    int visibleStart = StartOfLine(f, f.first);
    if (visibleStart < 0)
        visibleStart = 0;
    int last = f.first + (f.client.bottom - f.y0) / f.lineHeight + 1;
    if (last > f.count)
        last = f.count;
    int limit = INT_MAX;
    if (last < f.count) {
        int index = StartOfLine(f, last);
        if (index >= 0)
            limit = index;
    }
    HBRUSH brush = CreateSolidBrush(kOccurrenceBox);
    SetBkMode(f.dc, TRANSPARENT);
    OccurrenceLine current;
    int hint = f.first;
    for (const WordHighlight& w : gWordHighlights) {
        int s = w.start, e = w.end;
        if (e <= visibleStart)
            continue;
        if (s >= limit)
            break;
        if (s >= (int)f.selStart && e <= (int)f.selEnd)
            continue;
        int line = VisibleLineOf(f, s, &hint);
        if (line < 0)
            line = (int)SendMessageA(f.editor, EM_LINEFROMCHAR, s, 0);
        if (line != current.number)
            SelectOccurrenceLine(f, current, line);
        RECT box;
        if (!OccurrenceBox(f, current, s, e, &box))
            continue;
        FillRect(f.dc, &box, brush);
        SetTextColor(f.dc, current.textColour);
        const EditLine& t = current.entry->text;
        TextOutA(f.dc, box.left, box.top, t.bytes + (s - t.start), e - s);
    }
    DeleteObject(brush);
}

// The x of a visual column on a visible line: the character there (or the line end) as
// the control places it, plus a cell for every column still missing (virtual space, or
// the part of a tab or double-byte character before the column).
int ColumnX(PaintFrame& f, const PaintLine& entry, int column)
{
    const EditLine& t = entry.text;
    if (column <= 0 || !t.bytes)
        return entry.x + f.cell * (column > 0 ? column : 0);
    LeadByteTest lead = WindowsAnsiCodePage().isLeadByte;
    int missing = 0;
    int offset = VisualColumnToOffset(t.bytes, t.count, column, &missing, lead);
    return XAt(f, entry, offset, column - missing) + missing * f.cell;
}

// Where a block row lies; a row on no visible line (or past the text) by arithmetic.
bool BlockRowOrigin(PaintFrame& f, int row, PaintLine** entry, int* y)
{
    *entry = VisibleLine(f, row);
    *y = *entry ? (*entry)->y : f.y0 + (row - f.first) * f.lineHeight;
    return !Invisible(f, *y);
}

void InvertBar(PaintFrame& f, int x1, int x2, int y)
{
    int left = x1 < x2 ? x1 : x2, width = x1 < x2 ? x2 - x1 : x1 - x2;
    PatBlt(f.dc, left, y, width < 2 ? 2 : width, f.lineHeight, DSTINVERT);
}

// The block in inverse colours over everything painted before it; a zero-width row is
// a 2-pixel caret bar. Only the visible rows are measured.
void PaintBlockOverlay(PaintFrame& f)
{
    if (gMultiCaretOn) {
        PaintLine* entry;
        int y;
        if (!BlockRowOrigin(f, gMultiCaretLine, &entry, &y))
            return;
        for (int caret : gMultiCaretOffsets) {
            int column = 0;
            if (entry && entry->text.bytes)
                column = VisualColumnAtOffset(entry->text.bytes, entry->text.count, caret,
                                              WindowsAnsiCodePage().isLeadByte);
            int x = entry ? ColumnX(f, *entry, column) : f.x0 + f.cell * column;
            InvertBar(f, x, x, y);
        }
        return;
    }
    int top = BlockTop(), bottom = BlockBottom();
    int visibleTop = f.first - 1, visibleBottom = f.first + (f.client.bottom - f.y0) / f.lineHeight + 1;
    for (int row = top > visibleTop ? top : visibleTop; row <= bottom && row <= visibleBottom; ++row) {
        PaintLine* entry;
        int y;
        if (!BlockRowOrigin(f, row, &entry, &y))
            continue;
        int left, right;
        ColumnGetRowSpan(row, &left, &right);
        int x1 = entry ? ColumnX(f, *entry, left) : f.x0 + f.cell * left;
        int x2 = left == right ? x1 : entry ? ColumnX(f, *entry, right) : f.x0 + f.cell * right;
        InvertBar(f, x1, x2, y);
    }
}

struct MarkTools {
    HPEN pen, selectedPen;
    HBRUSH dot, selectedDot;
    int half;  // half the side of a space's dot
    int arrow; // size of a tab arrow's head
};

void PaintSpaceRun(PaintFrame& f, const MarkTools& tools, const PaintLine& entry, int i, int run, int x)
{
    int mid = entry.y + f.lineHeight / 2, d = tools.half;
    for (int j = i; j < run; ++j) {
        int sx = x + (j - i) * f.cell;
        if (sx + f.cell < 0)
            continue;
        if (sx > f.client.right)
            break;
        int cx = sx + f.cell / 2;
        bool selected = f.lo <= (DWORD)(entry.text.start + j) && (DWORD)(entry.text.start + j) < f.hi;
        RECT dot = {cx - d, mid - d, cx + d, mid + d};
        FillRect(f.dc, &dot, selected ? tools.selectedDot : tools.dot);
    }
}

void PaintTabArrow(PaintFrame& f, const MarkTools& tools, const PaintLine& entry, int i, int x, int xNext)
{
    if (x + 1 >= xNext)
        xNext = x + f.cell;
    if (xNext < 0 || x > f.client.right)
        return;
    int offset = entry.text.start + i, mid = entry.y + f.lineHeight / 2, a = tools.arrow;
    bool selected = f.lo <= (DWORD)offset && (DWORD)offset < f.hi;
    SelectObject(f.dc, selected ? tools.selectedPen : tools.pen);
    int end = x + 5 >= xNext - 2 ? x + 6 : xNext - 2;
    MoveToEx(f.dc, x + 2, mid, nullptr);
    LineTo(f.dc, end, mid);
    MoveToEx(f.dc, end, mid, nullptr);
    LineTo(f.dc, end - a, mid - a);
    MoveToEx(f.dc, end, mid, nullptr);
    LineTo(f.dc, end - a, mid + a);
}

void PaintLineMarks(PaintFrame& f, const MarkTools& tools, const PaintLine& entry)
{
    const EditLine& t = entry.text;
    if (t.start < 0 || t.length <= 0 || !t.bytes || t.count <= 0 || Invisible(f, entry.y))
        return;
    if (!memchr(t.bytes, ' ', t.count) && !memchr(t.bytes, '\t', t.count))
        return;
    LeadByteTest lead = WindowsAnsiCodePage().isLeadByte;
    const unsigned char* p = (const unsigned char*)t.bytes;
    // Where the last mark ended: Wine's control reports every blank of a run that starts
    // a line or follows a tab at the run's first x, and no later character of the row can
    // start left of it.
    int minX = INT_MIN;
    for (int i = 0, column = 0; i < t.count;) {
        unsigned char c = p[i];
        if (c != ' ' && c != '\t') {
            if (lead(c)) {
                if (i + 1 >= t.count)
                    break;
                i += 2;
                column += 2;
            } else {
                ++i;
                ++column;
            }
            continue;
        }
        bool measured = false;
        int x = XAt(f, entry, i, column, &measured);
        if (measured && x < minX)
            x = entry.x + f.cell * column;
        // The row's characters only move right: nothing after this one is visible.
        if (x > f.client.right)
            break;
        if (c == ' ') {
            int run = i;
            while (run < t.count && p[run] == ' ')
                ++run;
            PaintSpaceRun(f, tools, entry, i, run, x);
            minX = x + (run - i) * f.cell;
            column += run - i;
            i = run;
            continue;
        }
        int nextColumn = column / 8 * 8 + 8;
        int xNext = XAt(f, entry, i + 1, nextColumn, &measured);
        if (!measured && !(f.fixedCells && i + 1 <= entry.ascii)) {
            int tabWidth = 8 * f.cell, from = x - entry.x > 0 ? x - entry.x : 0;
            xNext = entry.x + tabWidth * (from / tabWidth + 1);
        }
        PaintTabArrow(f, tools, entry, i, x, xNext);
        minX = xNext;
        column = nextColumn;
        ++i;
    }
}

void PaintWhitespaceMarks(PaintFrame& f)
{
    int end = f.first + (f.client.bottom - f.y0) / f.lineHeight + 1;
    MarkTools tools;
    tools.pen = CreatePen(PS_SOLID, 1, kMark);
    tools.selectedPen = CreatePen(PS_SOLID, 1, kMarkSelected);
    tools.dot = CreateSolidBrush(kMark);
    tools.selectedDot = CreateSolidBrush(kMarkSelected);
    tools.half = f.lineHeight <= 21 ? 1 : 2;
    tools.arrow = f.cell >= 14 ? 4 : 3;
    HGDIOBJ oldPen = SelectObject(f.dc, tools.pen);
    for (const PaintLine& entry : f.lines) {
        if (f.first + (int)(&entry - f.lines.data()) >= end)
            break;
        PaintLineMarks(f, tools, entry);
    }
    SelectObject(f.dc, oldPen);
    DeleteObject(tools.pen);
    DeleteObject(tools.selectedPen);
    DeleteObject(tools.dot);
    DeleteObject(tools.selectedDot);
}

// rows: the part of the client area whose lines are drawn.
void PaintOverlays(HDC mem, HWND editor, const RECT& client, const RECT& rows)
{
    PaintFrame f;
    f.dc = mem;
    f.editor = editor;
    f.client = client;
    ZeroMemory(&f.tm, sizeof(f.tm));
    GetTextMetricsA(mem, &f.tm);
    f.first = (int)SendMessageA(editor, EM_GETFIRSTVISIBLELINE, 0, 0);
    f.count = (int)SendMessageA(editor, EM_GETLINECOUNT, 0, 0);
    f.lineHeight = f.tm.tmHeight > 0 ? f.tm.tmHeight : 14;
    // The first visible line starts at the top of the text area, as far left of it as the
    // view is scrolled; ReadVisibleLines checks this against the control where a line is
    // short enough to ask.
    ViewOrigin(editor, &f.x0, &f.y0);
    // The lines above the rows are left out; the last one drawn is the last that meets them.
    if (rows.top > f.y0 + f.lineHeight && f.count > 0) {
        int skip = (rows.top - f.y0) / f.lineHeight;
        if (f.first + skip >= f.count)
            skip = f.count - 1 - f.first;
        if (skip > 0) {
            f.first += skip;
            f.y0 += skip * f.lineHeight;
        }
    }
    f.client.bottom = rows.bottom;
    int cell = MeasureCellWidth(editor);
    f.cell = cell > 0 ? cell : (f.tm.tmAveCharWidth > 0 ? f.tm.tmAveCharWidth : 8);
    f.fixedCells = !(f.tm.tmPitchAndFamily & TMPF_FIXED_PITCH) && f.cell == f.tm.tmAveCharWidth;
    f.selStart = f.selEnd = 0;
    SendMessageA(editor, EM_GETSEL, (WPARAM)&f.selStart, (LPARAM)&f.selEnd);
    f.lo = f.selStart < f.selEnd ? f.selStart : f.selEnd;
    f.hi = f.selStart < f.selEnd ? f.selEnd : f.selStart;
    ReadVisibleLines(f);

    if (gDiffMode)
        PaintDiffBands(f);
    PaintOccurrenceHighlights(f);
    if (gBlockMode)
        PaintBlockOverlay(f);
    PaintWhitespaceMarks(f);
}

} // namespace

void RenderEditor(HWND editor, HDC target, int width, int height, const RECT* area)
{
    if (!target || width <= 0 || height <= 0)
        return;
    RECT rc = {0, 0, width, height};
    HDC mem = CreateCompatibleDC(target);
    HBITMAP bitmap = mem ? CreateCompatibleBitmap(target, width, height) : nullptr;
    if (!bitmap) {
        if (mem)
            DeleteDC(mem);
        return;
    }
    HGDIOBJ oldBitmap = SelectObject(mem, bitmap);
    HBRUSH window = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
    FillRect(mem, &rc, window);
    DeleteObject(window);

    if (gBlockMode) {
        HideSystemCaretOnce(editor);
    } else if (gSystemCaretHidden) {
        ShowCaret(editor);
        gSystemCaretHidden = false;
    }

    // Under Wine the control walks its whole line list for every row it paints, so rows
    // outside the area would cost as much as the rows that change.
    if (area)
        IntersectClipRect(mem, area->left, area->top, area->right, area->bottom);
    CallWindowProcA(gEditorOrigProc, editor, WM_PRINTCLIENT, (WPARAM)mem, PRF_CLIENT | PRF_ERASEBKGND);
    SelectClipRgn(mem, nullptr);

    HFONT font = (HFONT)SendMessageA(editor, WM_GETFONT, 0, 0);
    HGDIOBJ oldFont = font ? SelectObject(mem, font) : nullptr;
    RECT rows = rc;
    if (area) {
        rows.top = area->top > rc.top ? area->top : rc.top;
        rows.bottom = area->bottom < rc.bottom ? area->bottom : rc.bottom;
    }
    PaintOverlays(mem, editor, rc, rows);
    if (oldFont)
        SelectObject(mem, oldFont);

    if (!gSystemCaretHidden)
        HideCaret(editor);
    BitBlt(target, 0, 0, width, height, mem, 0, 0, SRCCOPY);
    if (!gSystemCaretHidden)
        ShowCaret(editor);
    SelectObject(mem, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(mem);
}

void PaintEditor(HWND editor)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(editor, &ps);
    RECT rc;
    GetClientRect(editor, &rc);
    RenderEditor(editor, dc, rc.right - rc.left, rc.bottom - rc.top, &ps.rcPaint);
    EndPaint(editor, &ps);
}

int MeasureCellWidth(HWND editor)
{
    int lines = (int)SendMessageA(editor, EM_GETLINECOUNT, 0, 0);
    for (int line = 0; line < lines && line < 40; ++line) {
        int start = (int)SendMessageA(editor, EM_LINEINDEX, line, 0);
        LRESULT length = start < 0 ? 0 : SendMessageA(editor, EM_LINELENGTH, start, 0);
        if (length <= 1 || length > kMeasuredLineLimit)
            continue;
        LRESULT p[3];
        for (int i = 0; i < 3; ++i)
            p[i] = SendMessageA(editor, EM_POSFROMCHAR, start + i, 0);
        if (p[0] == -1 || p[1] == -1 || p[2] == -1)
            continue;
        if (HIWORD(p[0]) != HIWORD(p[1]) || HIWORD(p[1]) != HIWORD(p[2]))
            continue;
        int d1 = Short(LOWORD(p[1])) - Short(LOWORD(p[0]));
        int d2 = Short(LOWORD(p[2])) - Short(LOWORD(p[1]));
        if (d1 == d2 && d1 >= 1 && d1 <= 63)
            return d1;
    }
    int width = 0;
    HDC dc = GetDC(editor);
    if (dc) {
        HFONT font = (HFONT)SendMessageA(editor, WM_GETFONT, 0, 0);
        HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
        SIZE size = {0, 0};
        if (GetTextExtentPoint32A(dc, "00000000", 8, &size))
            width = size.cx;
        if (old)
            SelectObject(dc, old);
        ReleaseDC(editor, dc);
    }
    return width < 8 ? 8 : width / 8;
}

int GetFirstVisibleLineX(HWND editor)
{
    int first = (int)SendMessageA(editor, EM_GETFIRSTVISIBLELINE, 0, 0);
    int index = (int)SendMessageA(editor, EM_LINEINDEX, first < 0 ? 0 : first, 0);
    LRESULT pos = SendMessageA(editor, EM_POSFROMCHAR, index < 0 ? 0 : index, 0);
    return pos == -1 ? 1 : Short(LOWORD(pos));
}
