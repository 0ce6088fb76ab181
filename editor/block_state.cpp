#include "editor/block_state.h"

#include <stddef.h>

bool gBlockMode = false;
int gBlockCaretLine = -1, gBlockAnchorLine = -1;
int gBlockCaretColumn = -1, gBlockAnchorColumn = -1;
bool gPerLineCaretColumnsOn = false;
std::vector<int> gPerLineCaretColumns;
bool gPerLineAnchorColumnsOn = false;
std::vector<int> gPerLineAnchorColumns;
bool gBlockMouseDrag = false;
bool gMultiCaretOn = false;
int gMultiCaretLine = -1;
std::vector<int> gMultiCaretOffsets;

namespace {

int AtLeastZero(int value)
{
    return value < 0 ? 0 : value;
}

// A per-line entry, or -1 when the line has none.
int Entry(const std::vector<int>& columns, int line)
{
    return line >= 0 && line < (int)columns.size() ? columns[line] : -1;
}

// Rows top..bottom limited to the text's lines (a count of 0 or less reads as 1).
void ClampedRows(int lineCount, int* lo, int* hi)
{
    if (lineCount < 1)
        lineCount = 1;
    *lo = AtLeastZero(BlockTop());
    *hi = BlockBottom() < lineCount - 1 ? BlockBottom() : lineCount - 1;
}

} // namespace

void ResetBlockState()
{
    gBlockMode = false;
    gBlockCaretLine = gBlockAnchorLine = -1;
    gBlockCaretColumn = gBlockAnchorColumn = -1;
    gBlockMouseDrag = false;
    ColumnResetRows();
}

void ColumnResetRows()
{
    gPerLineCaretColumnsOn = false;
    gPerLineCaretColumns.clear();
    gPerLineAnchorColumnsOn = false;
    gPerLineAnchorColumns.clear();
    gMultiCaretOn = false;
    gMultiCaretOffsets.clear();
    gMultiCaretLine = -1;
}

int BlockTop()
{
    return gBlockCaretLine < gBlockAnchorLine ? gBlockCaretLine : gBlockAnchorLine;
}

int BlockBottom()
{
    return gBlockCaretLine > gBlockAnchorLine ? gBlockCaretLine : gBlockAnchorLine;
}

int ColumnGetRowCaret(int line)
{
    if (gPerLineCaretColumnsOn && Entry(gPerLineCaretColumns, line) >= 0)
        return gPerLineCaretColumns[line];
    return AtLeastZero(gBlockCaretColumn);
}

int ColumnGetRowAnchor(int line)
{
    if (gPerLineAnchorColumnsOn && Entry(gPerLineAnchorColumns, line) >= 0)
        return gPerLineAnchorColumns[line];
    if (gPerLineCaretColumnsOn)
        return ColumnGetRowCaret(line);
    return AtLeastZero(gBlockAnchorColumn);
}

void ColumnGetRowSpan(int line, int* left, int* right)
{
    int a, c;
    if (gPerLineCaretColumnsOn || gPerLineAnchorColumnsOn) {
        a = AtLeastZero(ColumnGetRowAnchor(line));
        c = AtLeastZero(ColumnGetRowCaret(line));
    } else {
        a = AtLeastZero(gBlockAnchorColumn);
        c = AtLeastZero(gBlockCaretColumn);
    }
    *left = a < c ? a : c;
    *right = a < c ? c : a;
}

void ColumnCollapseToCaret()
{
    int column = AtLeastZero(gBlockCaretColumn);
    if (gPerLineCaretColumnsOn && Entry(gPerLineCaretColumns, gBlockCaretLine) >= 0)
        column = gPerLineCaretColumns[gBlockCaretLine];
    gBlockCaretColumn = gBlockAnchorColumn = column;
}

bool ColumnMergeUniformRows()
{
    if (!gPerLineCaretColumnsOn)
        return false;
    int lo = BlockTop(), hi = BlockBottom();
    int first = ColumnGetRowCaret(lo);
    int firstAnchor = gPerLineAnchorColumnsOn ? ColumnGetRowAnchor(lo) : first;
    for (int row = lo; row <= hi; ++row) {
        if (ColumnGetRowCaret(row) != first)
            return false;
        if (gPerLineAnchorColumnsOn && ColumnGetRowAnchor(row) != firstAnchor)
            return false;
    }
    ColumnResetRows();
    gBlockCaretColumn = first;
    gBlockAnchorColumn = firstAnchor;
    return true;
}

void BlockMoveCorner(int lineDelta, int columnDelta, int lineCount, bool plainFirst)
{
    if (plainFirst && gPerLineCaretColumnsOn) {
        ColumnCollapseToCaret();
        ColumnResetRows();
    }
    if (lineDelta < 0 && gBlockCaretLine > 0)
        --gBlockCaretLine;
    else if (lineDelta > 0 && gBlockCaretLine < lineCount - 1)
        ++gBlockCaretLine;
    if (columnDelta < 0 && gBlockCaretColumn > 0)
        --gBlockCaretColumn;
    else if (columnDelta > 0)
        gBlockCaretColumn = AtLeastZero(gBlockCaretColumn) + 1;
}

void BlockPlainMove(int lineDelta, int columnDelta, int lineCount)
{
    if (gPerLineCaretColumnsOn) {
        if (columnDelta != 0) {
            for (int row = BlockTop(); row <= BlockBottom(); ++row) {
                int entry = Entry(gPerLineCaretColumns, row);
                if (columnDelta < 0 && entry > 0)
                    --gPerLineCaretColumns[row];
                else if (columnDelta > 0 && entry >= 0)
                    ++gPerLineCaretColumns[row];
            }
            ColumnCollapseToCaret();
        } else {
            ColumnMoveRows(lineDelta, lineCount);
        }
        ColumnMergeUniformRows();
        return;
    }
    int left = AtLeastZero(gBlockCaretColumn < gBlockAnchorColumn ? gBlockCaretColumn : gBlockAnchorColumn);
    int right = AtLeastZero(gBlockCaretColumn < gBlockAnchorColumn ? gBlockAnchorColumn : gBlockCaretColumn);
    int column = left;
    if (columnDelta < 0 && left == right)
        column = left > 0 ? left - 1 : 0;
    else if (columnDelta > 0)
        column = left == right ? left + 1 : right;
    gBlockCaretColumn = gBlockAnchorColumn = column;
    if ((lineDelta < 0 && BlockTop() > 0) || (lineDelta > 0 && BlockBottom() < lineCount - 1)) {
        gBlockCaretLine += lineDelta;
        gBlockAnchorLine += lineDelta;
    }
}

void GrowColumns(std::vector<int>& columns, int lineCount)
{
    if ((int)columns.size() < lineCount)
        columns.resize((size_t)lineCount, -1);
}

namespace {

void MoveEntries(std::vector<int>& columns, const std::vector<int>& saved, int lo, int hi, int delta,
                 int lineCount)
{
    GrowColumns(columns, lineCount);
    for (int row = lo; row <= hi; ++row)
        columns[row] = -1;
    for (int row = lo; row <= hi; ++row)
        columns[row + delta] = saved[row - lo];
}

} // namespace

void ColumnMoveRows(int delta, int lineCount)
{
    int lo = BlockTop(), hi = BlockBottom();
    if ((delta > 0 && hi >= lineCount - 1) || (delta < 0 && lo <= 0) || lo < 0)
        return;
    // Block mode outlives an undo that takes lines away: rows past the last line have no
    // entries to move, and the vectors hold the lines that exist.
    int last = hi < lineCount - 1 ? hi : lineCount - 1;
    std::vector<int> saved;
    for (int row = lo; row <= last; ++row)
        saved.push_back(ColumnGetRowCaret(row));
    MoveEntries(gPerLineCaretColumns, saved, lo, last, delta, lineCount);
    // Anchors travel with their carets, so that each row keeps its own range.
    if (gPerLineAnchorColumnsOn) {
        saved.clear();
        for (int row = lo; row <= last; ++row)
            saved.push_back(Entry(gPerLineAnchorColumns, row));
        MoveEntries(gPerLineAnchorColumns, saved, lo, last, delta, lineCount);
    }
    gBlockCaretLine += delta;
    gBlockAnchorLine += delta;
    if (gPerLineCaretColumnsOn)
        gBlockCaretColumn = gBlockAnchorColumn = ColumnGetRowCaret(gBlockCaretLine);
}

void BlockColumnsFromCaretRow()
{
    int lo = BlockTop(), hi = BlockBottom();
    int r = gBlockCaretLine >= lo && gBlockCaretLine <= hi ? gBlockCaretLine : hi;
    int caret = Entry(gPerLineCaretColumns, r);
    int anchor = Entry(gPerLineAnchorColumns, r);
    gBlockCaretColumn = caret;
    gBlockAnchorColumn = gPerLineAnchorColumnsOn && anchor >= 0 ? anchor : caret;
}

void ColumnExtendHorizontal(int delta, int lineCount)
{
    int lo, hi;
    ClampedRows(lineCount, &lo, &hi);
    if (hi < lo)
        return;
    if (lineCount < 1)
        lineCount = 1;
    GrowColumns(gPerLineCaretColumns, lineCount);
    if (!gPerLineAnchorColumnsOn) {
        std::vector<int> carets;
        for (int row = lo; row <= hi; ++row)
            carets.push_back(AtLeastZero(ColumnGetRowCaret(row)));
        gPerLineAnchorColumns.assign((size_t)lineCount, -1);
        for (int row = lo; row <= hi; ++row)
            gPerLineAnchorColumns[row] = gPerLineCaretColumns[row] = carets[row - lo];
        gPerLineCaretColumnsOn = gPerLineAnchorColumnsOn = true;
    } else {
        GrowColumns(gPerLineAnchorColumns, lineCount);
    }
    for (int row = lo; row <= hi; ++row) {
        int old = gPerLineCaretColumns[row] >= 0 ? gPerLineCaretColumns[row] : ColumnGetRowCaret(row);
        gPerLineCaretColumns[row] = AtLeastZero(old + delta);
    }
    bool anchored = false;
    for (int row = lo; row <= hi; ++row)
        if (gPerLineAnchorColumns[row] >= 0 && gPerLineAnchorColumns[row] != gPerLineCaretColumns[row])
            anchored = true;
    if (!anchored) {
        gPerLineAnchorColumnsOn = false;
        gPerLineAnchorColumns.clear();
    }
    if (!ColumnMergeUniformRows())
        BlockColumnsFromCaretRow();
}

int BlockWidestCaret()
{
    if (!gPerLineCaretColumnsOn)
        return AtLeastZero(gBlockCaretColumn);
    int widest = 0;
    for (int row = BlockTop(); row <= BlockBottom(); ++row)
        if (ColumnGetRowCaret(row) > widest)
            widest = ColumnGetRowCaret(row);
    return widest;
}

int BlockNarrowestCaret()
{
    if (!gPerLineCaretColumnsOn)
        return AtLeastZero(gBlockCaretColumn);
    int narrowest = ColumnGetRowCaret(BlockTop());
    for (int row = BlockTop(); row <= BlockBottom(); ++row)
        if (ColumnGetRowCaret(row) < narrowest)
            narrowest = ColumnGetRowCaret(row);
    return narrowest;
}
