#include "editor/editor_paint.h"

#include "app/main_window.h"
#include "editor/block_mode.h"

std::vector<WordHighlight> gWordHighlights;
int gWordHighlightSelStart = -1, gWordHighlightSelEnd = -1;
bool gSystemCaretHidden = false;

void PaintEditor(HWND editor)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(editor, &ps);
    RECT rc;
    GetClientRect(editor, &rc);
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0) {
        EndPaint(editor, &ps);
        return;
    }
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bitmap = mem ? CreateCompatibleBitmap(dc, w, h) : nullptr;
    if (!bitmap) {
        if (mem)
            DeleteDC(mem);
        EndPaint(editor, &ps);
        return;
    }
    HGDIOBJ oldBitmap = SelectObject(mem, bitmap);
    HBRUSH window = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
    FillRect(mem, &rc, window);
    DeleteObject(window);

    if (gBlockMode) {
        if (gSystemCaretHidden)
            ShowCaret(editor);
        HideCaret(editor);
        gSystemCaretHidden = true;
    } else if (gSystemCaretHidden) {
        ShowCaret(editor);
        gSystemCaretHidden = false;
    }

    CallWindowProcA(gEditorOrigProc, editor, WM_PRINTCLIENT, (WPARAM)mem, PRF_CLIENT | PRF_ERASEBKGND);
    SelectClipRgn(mem, nullptr);

    if (!gSystemCaretHidden)
        HideCaret(editor);
    BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
    if (!gSystemCaretHidden)
        ShowCaret(editor);
    SelectObject(mem, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(mem);
    EndPaint(editor, &ps);
}

int MeasureCellWidth(HWND editor)
{
    int lines = (int)SendMessageA(editor, EM_GETLINECOUNT, 0, 0);
    for (int line = 0; line < lines && line < 40; ++line) {
        int start = (int)SendMessageA(editor, EM_LINEINDEX, line, 0);
        if (start < 0 || SendMessageA(editor, EM_LINELENGTH, start, 0) <= 1)
            continue;
        LRESULT p[3];
        for (int i = 0; i < 3; ++i)
            p[i] = SendMessageA(editor, EM_POSFROMCHAR, start + i, 0);
        if (p[0] == -1 || p[1] == -1 || p[2] == -1)
            continue;
        if (HIWORD(p[0]) != HIWORD(p[1]) || HIWORD(p[1]) != HIWORD(p[2]))
            continue;
        int d1 = (short)LOWORD(p[1]) - (short)LOWORD(p[0]);
        int d2 = (short)LOWORD(p[2]) - (short)LOWORD(p[1]);
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
    return pos == -1 ? 1 : (short)LOWORD(pos);
}
