#include "editor/editor_text.h"

#include "document/document.h"
#include "editor/block_mode.h"

void LeaveBlockMode(BlockExitCaret caret)
{
    bool wasOn = gBlockMode;
    if (wasOn && caret == BlockExitCaret::AtBlockCaret && gEditorWnd)
        ColumnPlaceCaret(gEditorWnd);
    gBlockMode = false;
    ColumnResetRows();
    if (wasOn && gEditorWnd)
        InvalidateRect(gEditorWnd, nullptr, FALSE);
}

void ReplaceWholeEditorText(const char* text, bool canUndo)
{
    // Not WM_SETTEXT, on which the editor leaves block mode.
    SendMessageA(gEditorWnd, WM_SETREDRAW, FALSE, 0);
    SendMessageA(gEditorWnd, EM_SETSEL, 0, -1);
    SendMessageA(gEditorWnd, EM_REPLACESEL, canUndo ? TRUE : FALSE, (LPARAM)text);
    SendMessageA(gEditorWnd, EM_SETSEL, 0, 0);
    SendMessageA(gEditorWnd, EM_SCROLLCARET, 0, 0);
    SendMessageA(gEditorWnd, WM_SETREDRAW, TRUE, 0);
}
