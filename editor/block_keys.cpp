#include "editor/block_keys.h"

#include "editor/block_mode.h"
#include "editor/editor_hooks.h"
#include "editor/editor_text.h"
#include "editor/editor_window.h"
#include "editor/gutter.h"
#include "editor/visual_columns_win.h"

#include <exception>
#include <string>

namespace {

struct Keys {
    bool ctrl, alt, shift;
};

Keys ReadKeys()
{
    return Keys{GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_MENU) < 0, GetKeyState(VK_SHIFT) < 0};
}

int LineCount(HWND editor)
{
    int count = (int)SendMessageA(editor, EM_GETLINECOUNT, 0, 0);
    return count < 1 ? 1 : count;
}

// Scrolls vertically just enough to show the block's rows from the top one.
void KeepRowsVisible(HWND editor)
{
    int first = (int)SendMessageA(editor, EM_GETFIRSTVISIBLELINE, 0, 0);
    RECT rc;
    GetClientRect(editor, &rc);
    int rows = rc.bottom / EditorLineHeight(editor);
    if (BlockTop() < first)
        SendMessageA(editor, EM_LINESCROLL, 0, BlockTop() - first);
    else if (BlockBottom() >= first + rows)
        SendMessageA(editor, EM_LINESCROLL, 0, BlockBottom() - (first + rows - 1));
}

void FinishMove(HWND editor, int scrollColumn, bool gutter)
{
    ColumnPlaceCaret(editor);
    ColumnScrollCaretIntoView(editor, scrollColumn);
    if (gutter)
        RefreshGutter();
    InvalidateRect(editor, nullptr, FALSE);
}

// The end of the control's selection (the larger offset), as a line and visual column.
void SelectionEnd(HWND editor, int* line, int* column)
{
    DWORD s = 0, e = 0;
    SendMessageA(editor, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    int offset = (int)(s > e ? s : e);
    *line = (int)SendMessageA(editor, EM_LINEFROMCHAR, offset, 0);
    int start = (int)SendMessageA(editor, EM_LINEINDEX, *line, 0);
    int at = OffsetToVisualColumn(editor, *line, offset - (start < 0 ? 0 : start));
    *column = at < 0 ? 0 : at;
}

void EnterBlockMode(HWND editor)
{
    int line, column;
    SelectionEnd(editor, &line, &column);
    ColumnResetRows();
    gBlockCaretLine = gBlockAnchorLine = line;
    gBlockCaretColumn = gBlockAnchorColumn = column;
    gBlockMode = true;
}

int LineDelta(int vk)
{
    return vk == VK_UP ? -1 : vk == VK_DOWN ? 1 : 0;
}

int ColumnDelta(int vk)
{
    return vk == VK_LEFT ? -1 : vk == VK_RIGHT ? 1 : 0;
}

void MoveCorner(HWND editor, int vk)
{
    BlockMoveCorner(LineDelta(vk), ColumnDelta(vk), LineCount(editor), true);
    KeepRowsVisible(editor);
    FinishMove(editor, gBlockCaretColumn < 0 ? 0 : gBlockCaretColumn, true);
}

// Runs an operation over the block's rows (or the multi-caret line) as the control holds
// them now; false when they cannot be read.
template <typename Operation>
bool WithRows(HWND editor, Operation operation)
{
    EditorRows rows;
    int from = gMultiCaretOn ? gMultiCaretLine : BlockTop();
    int to = gMultiCaretOn ? gMultiCaretLine : BlockBottom();
    try {
        if (!ReadEditorRows(editor, from, to, &rows))
            return false;
        operation(rows.lines);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void WordJump(HWND editor, bool right, bool shift)
{
    if (gMultiCaretOn) {
        WithRows(editor, [&](const BlockLines& lines) { MultiCaretWordJump(lines, right); });
        ColumnPlaceCaret(editor);
        InvalidateRect(editor, nullptr, FALSE);
        return;
    }
    WithRows(editor, [&](const BlockLines& lines) { BlockWordJump(lines, right, shift); });
    FinishMove(editor, BlockNarrowestCaret(), false);
}

void PlainMove(HWND editor, int vk)
{
    if (gMultiCaretOn && ColumnDelta(vk)) {
        WithRows(editor, [&](const BlockLines& lines) { MultiCaretStep(lines, vk == VK_RIGHT); });
        ColumnPlaceCaret(editor);
        InvalidateRect(editor, nullptr, FALSE);
        return;
    }
    if (!gMultiCaretOn)
        BlockPlainMove(LineDelta(vk), ColumnDelta(vk), LineCount(editor));
    KeepRowsVisible(editor);
    FinishMove(editor, BlockWidestCaret(), true);
}

bool ArrowKey(HWND editor, int vk, const Keys& k)
{
    if (k.alt && k.shift) {
        if (!gBlockMode)
            EnterBlockMode(editor);
        MoveCorner(editor, vk);
        return true;
    }
    if (!gBlockMode)
        return false;
    bool horizontal = ColumnDelta(vk) != 0;
    if (k.ctrl && !k.alt && horizontal)
        WordJump(editor, vk == VK_RIGHT, k.shift);
    else if (k.shift && !k.alt && !horizontal)
        MoveCorner(editor, vk);
    else if (k.shift && !k.alt && !gPerLineCaretColumnsOn)
        MoveCorner(editor, vk);
    else if (k.shift && !k.alt) {
        ColumnExtendHorizontal(ColumnDelta(vk), LineCount(editor));
        ColumnPlaceCaret(editor);
        ColumnScrollCaretIntoView(editor, gBlockCaretColumn < 0 ? 0 : gBlockCaretColumn);
        InvalidateRect(editor, nullptr, FALSE);
    } else {
        PlainMove(editor, vk);
    }
    return true;
}

// Home, End, PgUp and PgDn in block mode; true when the key stays here.
bool PageKey(HWND editor, int vk, const Keys& k)
{
    if ((vk == VK_HOME || vk == VK_END) && !k.shift && !k.alt) {
        WithRows(editor, [&](const BlockLines& lines) {
            if (vk == VK_HOME)
                ColumnSmartHome(lines);
            else
                BlockCaretsToLineEnds(lines);
        });
        FinishMove(editor, vk == VK_HOME ? BlockNarrowestCaret() : BlockWidestCaret(), false);
        return true;
    }
    if (vk == VK_END && k.shift && !k.alt) {
        WithRows(editor, [&](const BlockLines& lines) { ColumnExtendToLineEnds(lines); });
        FinishMove(editor, BlockWidestCaret(), false);
        return true;
    }
    // The exits: the key goes on and the control moves or selects from the block caret.
    bool paging = vk == VK_PRIOR || vk == VK_NEXT;
    if ((paging && !k.alt) || (vk == VK_HOME && k.shift && !k.alt) || (k.ctrl && k.alt && !k.shift))
        LeaveBlockMode(BlockExitCaret::AtBlockCaret);
    return false;
}

} // namespace

bool BlockKeyDown(HWND editor, UINT msg, int vk)
{
    Keys k = ReadKeys();
    switch (vk) {
    case VK_ESCAPE:
        if (msg != WM_KEYDOWN)
            return false;
        if (gBlockMode)
            LeaveBlockMode(BlockExitCaret::AtBlockCaret);
        return true;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        return ArrowKey(editor, vk, k);
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
        return msg == WM_KEYDOWN && gBlockMode && PageKey(editor, vk, k);
    case VK_DELETE:
    case VK_BACK:
        if (!gBlockMode)
            return false;
        ColumnDelete(editor, vk == VK_BACK);
        return true;
    case VK_TAB:
        if (!gBlockMode || msg != WM_KEYDOWN)
            return false;
        ColumnTab(editor, k.shift);
        return true;
    }
    return false;
}

bool BlockCharacter(HWND editor, UINT msg, WPARAM code)
{
    // Vim's NORMAL, VISUAL and command modes take characters as commands: a character that
    // already ran a command must not also be typed into every row.
    if (!gBlockMode || gEditorHooks.modalTakesCharacters())
        return false;
    std::string s;
    if (msg == WM_IME_CHAR && code > 0xFF) {
        s += (char)((code >> 8) & 0xFF);
        s += (char)(code & 0xFF);
    } else if ((code & 0xFF) > 0x1F && (code & 0xFF) != 0x7F) {
        s += (char)(code & 0xFF);
    }
    if (s.empty()) {
        // Tab and Backspace (also Ctrl+Backspace, 0x7F) did their work on the key-down.
        unsigned c = (unsigned)(code & 0xFF);
        return c == '\t' || c == '\b' || c == 0x7F;
    }
    if (IsEditReadOnly(editor)) {
        MessageBeep(MB_ICONEXCLAMATION);
        return true;
    }
    ColumnTypeText(editor, s);
    return true;
}

bool BlockMouse(HWND editor, UINT msg, LPARAM lParam)
{
    POINT point = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    switch (msg) {
    case WM_LBUTTONDOWN: {
        Keys k = ReadKeys();
        if (!(k.alt && k.shift)) {
            if (gBlockMode)
                LeaveBlockMode(BlockExitCaret::AtBlockCaret);
            gBlockMouseDrag = false;
            return false;
        }
        if (gPerLineCaretColumnsOn) {
            ColumnCollapseToCaret();
            ColumnResetRows();
        }
        if (!gBlockMode) {
            int column;
            SelectionEnd(editor, &gBlockAnchorLine, &column);
            gBlockAnchorColumn = column;
        }
        PointToLineColumn(editor, point, &gBlockCaretLine, &gBlockCaretColumn);
        gBlockMode = true;
        gBlockMouseDrag = true;
        SetFocus(editor);
        SetCapture(editor);
        ColumnPlaceCaret(editor);
        InvalidateRect(editor, nullptr, FALSE);
        return true;
    }
    case WM_MOUSEMOVE: {
        if (!gBlockMouseDrag)
            return false;
        RECT rc;
        GetClientRect(editor, &rc);
        int scroll = point.y < 0 ? -1 : point.y > rc.bottom ? 1 : 0;
        if (scroll) {
            SendMessageA(editor, EM_LINESCROLL, 0, scroll);
            RefreshGutter();
        }
        PointToLineColumn(editor, point, &gBlockCaretLine, &gBlockCaretColumn);
        InvalidateRect(editor, nullptr, FALSE);
        return true;
    }
    case WM_LBUTTONUP:
        if (!gBlockMouseDrag)
            return false;
        gBlockMouseDrag = false;
        ReleaseCapture();
        return true;
    case WM_LBUTTONDBLCLK:
        if (gBlockMode)
            LeaveBlockMode(BlockExitCaret::AtBlockCaret);
        gBlockMouseDrag = false;
        return false;
    case WM_CAPTURECHANGED:
        // Another window took the mouse: the drag is over, the block stays.
        gBlockMouseDrag = false;
        return false;
    }
    return false;
}
