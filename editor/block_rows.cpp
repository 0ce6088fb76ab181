#include "editor/block_rows.h"

#include "editor/block_state.h"
#include "editor/word_bounds.h"

#include <algorithm>

namespace {

int AtLeastZero(int value)
{
    return value < 0 ? 0 : value;
}

int ColumnToOffset(const std::string& line, int column, int* missing, LeadByteTest lead)
{
    return VisualColumnToOffset(line.data(), (int)line.size(), column, missing, lead);
}

int OffsetToColumn(const std::string& line, int offset, LeadByteTest lead)
{
    return VisualColumnAtOffset(line.data(), (int)line.size(), offset, lead);
}

int CharacterSize(const std::string& line, int i, LeadByteTest lead)
{
    return CharWidthAt(line.data(), (int)line.size(), i, lead);
}

// Replaces the part of the line between two columns, after the tabs that the columns
// cut were turned into spaces. With `pad`, a row that ends before the left column (or a
// left column inside a double-byte character) first gets the missing spaces. Returns the
// offset just after the inserted bytes.
int ReplaceColumns(std::string& line, int left, int right, const std::string& s, bool pad, LeadByteTest lead)
{
    ExpandStraddlingTabs(line, left, right, lead);
    int missing = 0;
    int from = ColumnToOffset(line, left, &missing, lead);
    int to = ColumnToOffset(line, right, nullptr, lead);
    if (to < from)
        to = from;
    std::string inserted = pad ? std::string((size_t)missing, ' ') + s : s;
    line.replace((size_t)from, (size_t)(to - from), inserted);
    return from + (int)inserted.size();
}

void SetCaretEntry(int line, int column, int lineCount)
{
    GrowColumns(gPerLineCaretColumns, std::max(lineCount, line + 1));
    gPerLineCaretColumns[line] = column;
}

void DropAnchors()
{
    gPerLineAnchorColumnsOn = false;
    gPerLineAnchorColumns.clear();
}

void EndMultiCaret()
{
    gMultiCaretOn = false;
    gMultiCaretOffsets.clear();
    gMultiCaretLine = -1;
}

// After an edit of ragged rows: plain again when they agree, else the caret row decides
// the block's columns.
void SettleRaggedRows()
{
    if (!ColumnMergeUniformRows())
        ColumnCollapseToCaret();
}

int BlockLeft()
{
    return AtLeastZero(std::min(gBlockCaretColumn, gBlockAnchorColumn));
}

int BlockRight()
{
    return AtLeastZero(std::max(gBlockCaretColumn, gBlockAnchorColumn));
}

// Inserts s at every caret of the multi-caret line, the last caret first; each caret
// stays just after its own copy.
void MultiCaretInsert(BlockLines& lines, const std::string& s)
{
    if (!lines.Has(gMultiCaretLine) || s.empty())
        return;
    std::string& line = lines.Line(gMultiCaretLine);
    std::vector<int>& carets = gMultiCaretOffsets;
    for (int k = (int)carets.size() - 1; k >= 0; --k) {
        int at = std::min(AtLeastZero(carets[k]), (int)line.size());
        line.insert((size_t)at, s);
        carets[k] = at;
        for (size_t j = (size_t)k; j < carets.size(); ++j)
            carets[j] += (int)s.size();
    }
}

// Removes [from, to) of the multi-caret line; carets inside the range go to its start,
// carets after it move back with the text.
void MultiCaretRemove(std::string& line, int from, int to)
{
    line.erase((size_t)from, (size_t)(to - from));
    for (int& caret : gMultiCaretOffsets) {
        if (caret >= to)
            caret -= to - from;
        else if (caret > from)
            caret = from;
    }
}

// Delete and Backspace at every caret, a whole character each (a double-byte character
// is never split). The carets are kept by position, so two carets at one place remove
// two characters and stay together.
void MultiCaretDelete(BlockLines& lines, bool backspace)
{
    if (!lines.Has(gMultiCaretLine))
        return;
    std::string& line = lines.Line(gMultiCaretLine);
    for (int k = (int)gMultiCaretOffsets.size() - 1; k >= 0; --k) {
        int at = std::min(AtLeastZero(gMultiCaretOffsets[k]), (int)line.size());
        if (backspace && at > 0)
            MultiCaretRemove(line, CharStartBefore(line.data(), (int)line.size(), at, lines.lead), at);
        else if (!backspace && at < (int)line.size())
            MultiCaretRemove(line, at, at + CharacterSize(line, at, lines.lead));
    }
}

// The line-joining Delete: every row of two or more has its caret at or past its end.
bool JoinsRows(const BlockLines& lines)
{
    int lo = BlockTop(), hi = BlockBottom();
    if (gPerLineAnchorColumnsOn || BlockLeft() != BlockRight() || lo >= hi || lo < 0)
        return false;
    for (int row = lo; row <= hi; ++row)
        if (!lines.Has(row) || ColumnGetRowCaret(row) < lines.Width(row))
            return false;
    return true;
}

void JoinRows(BlockLines& lines)
{
    int lo = BlockTop(), hi = BlockBottom();
    std::vector<int> carets;
    int end = 0;
    for (int row = lo; row <= hi; ++row) {
        end += lines.Length(row);
        carets.push_back(end);
    }
    // The last row takes the line after it as well, when there is one.
    int last = lines.Has(hi + 1) ? hi + 1 : hi;
    std::string joined;
    for (int row = lo; row <= last; ++row)
        joined += lines.Line(row);
    size_t k = (size_t)(lo - lines.first);
    lines.text[k] = joined;
    lines.breaks[k] = lines.breaks[(size_t)(last - lines.first)];
    lines.text.erase(lines.text.begin() + (long)k + 1, lines.text.begin() + (long)(last - lines.first) + 1);
    lines.breaks.erase(lines.breaks.begin() + (long)k + 1,
                       lines.breaks.begin() + (long)(last - lines.first) + 1);
    lines.lineCount -= last - lo;

    ColumnResetRows();
    gMultiCaretOn = true;
    gMultiCaretLine = lo;
    gMultiCaretOffsets = carets;
    gBlockCaretLine = gBlockAnchorLine = lo;
    gBlockAnchorColumn = OffsetToColumn(joined, carets.front(), lines.lead);
    gBlockCaretColumn = OffsetToColumn(joined, carets.back(), lines.lead);
}

// Removes the slice of every row that has width; the rows become zero-width at their
// left edges.
void DeleteRanges(BlockLines& lines)
{
    int left = BlockLeft(), right = BlockRight();
    bool anchors = gPerLineAnchorColumnsOn;
    for (int row = BlockBottom(); row >= BlockTop(); --row) {
        if (!lines.Has(row))
            continue;
        int l = left, r = right;
        if (anchors)
            ColumnGetRowSpan(row, &l, &r);
        ReplaceColumns(lines.Line(row), l, r, "", false, lines.lead);
        if (anchors)
            SetCaretEntry(row, l, lines.lineCount);
    }
    if (!anchors) {
        gBlockCaretColumn = gBlockAnchorColumn = left;
        return;
    }
    DropAnchors();
    gPerLineCaretColumnsOn = true;
    SettleRaggedRows();
}

// Delete or Backspace on zero-width rows: one column per row.
void DeleteColumn(BlockLines& lines, bool backspace)
{
    int left = BlockLeft();
    bool ragged = gPerLineCaretColumnsOn;
    for (int row = BlockBottom(); row >= BlockTop(); --row) {
        if (!lines.Has(row))
            continue;
        std::string& line = lines.Line(row);
        int col = ragged ? ColumnGetRowCaret(row) : left;
        if (backspace && col <= 0)
            continue;
        int from = backspace ? col - 1 : col;
        ExpandStraddlingTabs(line, from, from + 1, lines.lead);
        int a = ColumnToOffset(line, from, nullptr, lines.lead);
        int b = ColumnToOffset(line, from + 1, nullptr, lines.lead);
        // Delete at the start of a double-byte character takes the whole character.
        if (!backspace && a == b && a < (int)line.size())
            b = a + CharacterSize(line, a, lines.lead);
        if (a < b)
            line.erase((size_t)a, (size_t)(b - a));
        if (ragged && backspace)
            SetCaretEntry(row, col - 1, lines.lineCount);
    }
    if (ragged)
        SettleRaggedRows();
    else
        gBlockCaretColumn = gBlockAnchorColumn = backspace && left > 0 ? left - 1 : left;
}

// Replaces every row's range by s (typing, and Tab on zero-width or ragged rows).
void ReplaceRows(BlockLines& lines, const std::string& s)
{
    int left = BlockLeft(), right = BlockRight();
    bool perRow = gPerLineCaretColumnsOn || gPerLineAnchorColumnsOn;
    for (int row = BlockBottom(); row >= BlockTop(); --row) {
        if (!lines.Has(row))
            continue;
        int l = left, r = right;
        if (perRow)
            ColumnGetRowSpan(row, &l, &r);
        ReplaceColumns(lines.Line(row), l, r, s, true, lines.lead);
        if (gPerLineCaretColumnsOn)
            SetCaretEntry(row, l + (int)s.size(), lines.lineCount);
    }
    DropAnchors();
    if (gPerLineCaretColumnsOn)
        SettleRaggedRows();
    else
        gBlockCaretColumn = gBlockAnchorColumn = left + (int)s.size();
}

void Unindent(BlockLines& lines)
{
    for (int row = BlockBottom(); row >= BlockTop(); --row) {
        if (!lines.Has(row))
            continue;
        std::string& line = lines.Line(row);
        if (!line.empty() && line[0] == '\t')
            line.erase(0, 1);
        else if (!line.empty() && line[0] == ' ')
            line.erase(0, line.size() >= 2 && line[1] == ' ' ? 2 : 1);
    }
    // The columns move by 2 whatever each row lost, so the block keeps its shape.
    if (gPerLineCaretColumnsOn)
        for (int row = BlockTop(); row <= BlockBottom(); ++row)
            if (row >= 0 && row < (int)gPerLineCaretColumns.size())
                gPerLineCaretColumns[(size_t)row] = std::max(ColumnGetRowCaret(row), 2) - 2;
    gBlockCaretColumn = std::max(gBlockCaretColumn, 2) - 2;
    gBlockAnchorColumn = std::max(gBlockAnchorColumn, 2) - 2;
    if (gPerLineCaretColumnsOn)
        ColumnCollapseToCaret();
}

// The rows top..bottom that exist in the text (a count of 0 or less reads as 1).
void TextRows(const BlockLines& lines, int* lo, int* hi)
{
    int count = lines.lineCount < 1 ? 1 : lines.lineCount;
    *lo = AtLeastZero(BlockTop());
    *hi = std::min(BlockBottom(), count - 1);
}

int CountAtLeastOne(const BlockLines& lines)
{
    return lines.lineCount < 1 ? 1 : lines.lineCount;
}

// Every row of lo..hi a zero-width caret at the column that `column` gives it.
template <typename ColumnOf>
void SetRaggedCarets(const BlockLines& lines, int lo, int hi, ColumnOf column)
{
    DropAnchors();
    std::vector<int> carets((size_t)CountAtLeastOne(lines), -1);
    for (int row = lo; row <= hi; ++row)
        carets[(size_t)row] = column(row);
    gPerLineCaretColumns = carets;
    gPerLineCaretColumnsOn = true;
    if (!ColumnMergeUniformRows())
        gBlockCaretColumn = gBlockAnchorColumn = ColumnGetRowCaret(gBlockCaretLine);
}

} // namespace

int BlockLines::Length(int line) const
{
    return Has(line) ? (int)Line(line).size() : 0;
}

int BlockLines::Width(int line) const
{
    return Has(line) ? VisualLineWidth(Line(line).data(), (int)Line(line).size(), lead) : 0;
}

void ExpandStraddlingTabs(std::string& line, int a, int b, LeadByteTest lead)
{
    struct Tab {
        int index, width;
    };
    std::vector<Tab> tabs;
    int column = 0;
    for (int i = 0; i < (int)line.size();) {
        if (line[(size_t)i] == '\t') {
            int end = column / 8 * 8 + 8;
            if ((column < a && a < end) || (column < b && b < end))
                tabs.push_back(Tab{i, end - column});
            column = end;
            ++i;
        } else {
            int size = CharacterSize(line, i, lead);
            column += size;
            i += size;
        }
    }
    for (size_t k = tabs.size(); k-- > 0;)
        line.replace((size_t)tabs[k].index, 1, (size_t)tabs[k].width, ' ');
}

void BlockType(BlockLines& lines, const std::string& s)
{
    if (gMultiCaretOn)
        MultiCaretInsert(lines, s);
    else
        ReplaceRows(lines, s);
}

void BlockDelete(BlockLines& lines, bool backspace)
{
    if (gMultiCaretOn)
        MultiCaretDelete(lines, backspace);
    else if (!backspace && JoinsRows(lines))
        JoinRows(lines);
    else if (BlockLeft() < BlockRight() || gPerLineAnchorColumnsOn)
        DeleteRanges(lines);
    else
        DeleteColumn(lines, backspace);
}

void BlockTab(BlockLines& lines, bool shift)
{
    if (gMultiCaretOn) {
        MultiCaretInsert(lines, "  ");
        return;
    }
    if (shift) {
        Unindent(lines);
        return;
    }
    if (!gPerLineCaretColumnsOn && !gPerLineAnchorColumnsOn && BlockLeft() < BlockRight()) {
        for (int row = BlockBottom(); row >= BlockTop(); --row)
            if (lines.Has(row))
                lines.Line(row).insert(0, "  ");
        gBlockCaretColumn = AtLeastZero(gBlockCaretColumn) + 2;
        gBlockAnchorColumn = AtLeastZero(gBlockAnchorColumn) + 2;
        return;
    }
    ReplaceRows(lines, "  ");
}

std::string BlockCopyText(const BlockLines& lines)
{
    std::string out;
    for (int row = BlockTop(); row <= BlockBottom(); ++row) {
        int l, r;
        ColumnGetRowSpan(row, &l, &r);
        if (lines.Has(row)) {
            const std::string& line = lines.Line(row);
            int a = ColumnToOffset(line, l, nullptr, lines.lead);
            int b = ColumnToOffset(line, r, nullptr, lines.lead);
            if (a < b)
                out.append(line, (size_t)a, (size_t)(b - a));
        }
        if (row < BlockBottom())
            out += "\r\n";
    }
    return out;
}

std::vector<std::string> SplitPastedLines(const std::string& text)
{
    std::vector<std::string> out;
    size_t at = 0;
    for (;;) {
        size_t lf = text.find('\n', at);
        if (lf == std::string::npos)
            break;
        size_t end = lf > at && text[lf - 1] == '\r' ? lf - 1 : lf;
        out.push_back(text.substr(at, end - at));
        at = lf + 1;
    }
    if (at < text.size() || out.empty())
        out.push_back(text.substr(at));
    return out;
}

int BlockPaste(BlockLines& lines, const std::string& text)
{
    std::vector<std::string> pasted = SplitPastedLines(text);
    int left = BlockLeft(), right = BlockRight();
    bool perRow = gPerLineCaretColumnsOn || gPerLineAnchorColumnsOn;
    int caret = -1;
    for (int row = BlockBottom(); row >= BlockTop(); --row) {
        if (!lines.Has(row))
            continue;
        size_t index = (size_t)(row - BlockTop());
        const std::string empty;
        const std::string& s = pasted.size() == 1 ? pasted[0] : index < pasted.size() ? pasted[index] : empty;
        int l = left, r = right;
        if (perRow)
            ColumnGetRowSpan(row, &l, &r);
        int end = ReplaceColumns(lines.Line(row), l, r, s, true, lines.lead);
        if (row == BlockTop())
            caret = end;
    }
    return caret;
}

bool BlockHasWidth()
{
    if (gMultiCaretOn)
        return false;
    for (int row = BlockTop(); row <= BlockBottom(); ++row) {
        int l, r;
        ColumnGetRowSpan(row, &l, &r);
        if (l < r)
            return true;
    }
    return false;
}

void ColumnSmartHome(const BlockLines& lines)
{
    EndMultiCaret();
    int lo, hi;
    TextRows(lines, &lo, &hi);
    bool allAtIndent = true;
    std::vector<int> indent;
    for (int row = lo; row <= hi; ++row) {
        int width = lines.Has(row) ? IndentationWidth(lines.Line(row).data(), lines.Length(row)) : 0;
        indent.push_back(width);
        if (ColumnGetRowCaret(row) != width)
            allAtIndent = false;
    }
    SetRaggedCarets(lines, lo, hi, [&](int row) { return allAtIndent ? 0 : indent[(size_t)(row - lo)]; });
}

void BlockCaretsToLineEnds(const BlockLines& lines)
{
    EndMultiCaret();
    int lo, hi;
    TextRows(lines, &lo, &hi);
    SetRaggedCarets(lines, lo, hi, [&](int row) { return lines.Width(row); });
}

void ColumnExtendToLineEnds(const BlockLines& lines)
{
    int lo, hi;
    TextRows(lines, &lo, &hi);
    if (hi < lo)
        return;
    std::vector<int> carets, anchors;
    bool uniform = true;
    for (int row = lo; row <= hi; ++row) {
        int caret = lines.Width(row);
        int anchor = AtLeastZero(std::min(ColumnGetRowAnchor(row), caret));
        carets.push_back(caret);
        anchors.push_back(anchor);
        if (caret != carets[0] || anchor != anchors[0])
            uniform = false;
    }
    ColumnResetRows();
    if (uniform) {
        gBlockCaretColumn = carets[0];
        gBlockAnchorColumn = anchors[0];
        return;
    }
    size_t count = (size_t)CountAtLeastOne(lines);
    gPerLineCaretColumns.assign(count, -1);
    gPerLineAnchorColumns.assign(count, -1);
    for (int row = lo; row <= hi; ++row) {
        gPerLineCaretColumns[(size_t)row] = carets[(size_t)(row - lo)];
        gPerLineAnchorColumns[(size_t)row] = anchors[(size_t)(row - lo)];
    }
    gPerLineCaretColumnsOn = gPerLineAnchorColumnsOn = true;
    BlockColumnsFromCaretRow();
}

void BlockWordJump(const BlockLines& lines, bool right, bool shift)
{
    int lo, hi;
    TextRows(lines, &lo, &hi);
    if (hi < lo)
        return;
    int count = CountAtLeastOne(lines);
    GrowColumns(gPerLineCaretColumns, count);
    if (gPerLineAnchorColumnsOn) {
        GrowColumns(gPerLineAnchorColumns, count);
    } else {
        std::vector<int> carets;
        for (int row = lo; row <= hi; ++row)
            carets.push_back(AtLeastZero(ColumnGetRowCaret(row)));
        gPerLineAnchorColumns.assign((size_t)count, -1);
        for (int row = lo; row <= hi; ++row)
            gPerLineAnchorColumns[(size_t)row] = gPerLineCaretColumns[(size_t)row] =
                carets[(size_t)(row - lo)];
    }
    std::vector<int> newCarets, oldAnchors;
    for (int row = lo; row <= hi; ++row) {
        int caret = ColumnGetRowCaret(row);
        oldAnchors.push_back(ColumnGetRowAnchor(row));
        int moved = 0;
        if (lines.Has(row) && !lines.Line(row).empty()) {
            const std::string& line = lines.Line(row);
            int offset = ColumnToOffset(line, caret, nullptr, lines.lead);
            if (!right)
                offset = FindWordLeft(line.data(), (int)line.size(), offset, lines.lead);
            else if (offset < (int)line.size())
                offset = FindWordRight(line.data(), (int)line.size(), offset, lines.lead);
            moved = OffsetToColumn(line, offset, lines.lead);
        }
        newCarets.push_back(moved);
    }
    bool anchored = false;
    for (int row = lo; row <= hi; ++row) {
        int caret = newCarets[(size_t)(row - lo)];
        int anchor = shift ? oldAnchors[(size_t)(row - lo)] : caret;
        gPerLineCaretColumns[(size_t)row] = caret;
        gPerLineAnchorColumns[(size_t)row] = anchor;
        if (anchor != caret)
            anchored = true;
    }
    if (!anchored)
        DropAnchors();
    else
        gPerLineAnchorColumnsOn = true;
    gPerLineCaretColumnsOn = true;
    if (!ColumnMergeUniformRows())
        BlockColumnsFromCaretRow();
}

void MultiCaretStep(const BlockLines& lines, bool right)
{
    if (!lines.Has(gMultiCaretLine))
        return;
    const std::string& line = lines.Line(gMultiCaretLine);
    for (int& caret : gMultiCaretOffsets) {
        int at = std::min(AtLeastZero(caret), (int)line.size());
        if (!right && at > 0)
            caret = CharStartBefore(line.data(), (int)line.size(), at, lines.lead);
        else if (right && at < (int)line.size())
            caret = at + CharacterSize(line, at, lines.lead);
    }
}

void MultiCaretWordJump(const BlockLines& lines, bool right)
{
    if (!lines.Has(gMultiCaretLine))
        return;
    const std::string& line = lines.Line(gMultiCaretLine);
    int length = (int)line.size();
    for (int& caret : gMultiCaretOffsets) {
        if (!right)
            caret = FindWordLeft(line.data(), length, caret, lines.lead);
        else
            caret = caret < length ? FindWordRight(line.data(), length, caret, lines.lead) : length;
    }
}

bool BlockCaretPlacement(const BlockLines& lines, int* line, int* offset)
{
    if (gMultiCaretOn) {
        if (!lines.Has(gMultiCaretLine))
            return false;
        *line = gMultiCaretLine;
        *offset = gMultiCaretOffsets.empty()
                      ? 0
                      : std::min(AtLeastZero(gMultiCaretOffsets.back()), lines.Length(gMultiCaretLine));
        return true;
    }
    bool ragged = gPerLineCaretColumnsOn;
    int target = BlockCaretTarget();
    int chosen = -1;
    bool caretLine = lines.Has(gBlockCaretLine);
    if (caretLine && (ragged || lines.Length(gBlockCaretLine) >= target))
        chosen = gBlockCaretLine;
    if (chosen < 0 && (caretLine || (!ragged && target > 0))) {
        for (int row = BlockTop(); row <= BlockBottom() && chosen < 0; ++row)
            if (lines.Has(row) && lines.Length(row) >= target)
                chosen = row;
        if (chosen < 0 && caretLine)
            chosen = gBlockCaretLine;
    }
    if (chosen < 0)
        return false;
    *line = chosen;
    *offset = ColumnToOffset(lines.Line(chosen), target, nullptr, lines.lead);
    return true;
}

int BlockCaretTarget()
{
    return AtLeastZero(gPerLineCaretColumnsOn ? ColumnGetRowCaret(gBlockCaretLine) : gBlockCaretColumn);
}

int BlockScrollReferenceLine(const BlockLines& lines, int column)
{
    for (int row = BlockTop(); row <= BlockBottom(); ++row)
        if (lines.Has(row) && lines.Length(row) >= column)
            return row;
    return gBlockCaretLine;
}
