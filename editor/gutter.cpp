#include "editor/gutter.h"

#include "app/command_ids.h"
#include "document/codepage.h"
#include "document/document.h"
#include "document/undo.h"
#include "editor/diff_line.h"
#include "editor/editor_hooks.h"
#include "editor/editor_metrics.h"
#include "editor/editor_paint.h"

#include <stdio.h>
#include <string.h>

namespace {
const int kNarrowestGutter = 40;
}

HWND gGutterWnd = nullptr;
WNDPROC gGutterOrigProc = nullptr;
int gGutterWidth = kNarrowestGutter;

void ResetGutterState()
{
    gGutterWidth = kNarrowestGutter;
}

namespace {

// Reads up to 254 bytes of a line for its diff class; only the start of a line matters.
bool GutterLineClass(HWND editor, int line, bool* added, bool* removed)
{
    if (SendMessageA(editor, EM_LINEINDEX, line, 0) == -1)
        return false;
    char buffer[256];
    *(WORD*)buffer = 254;
    int n = (int)SendMessageA(editor, EM_GETLINE, line, (LPARAM)buffer);
    if (n <= 0)
        return false;
    if (n > 254)
        n = 254;
    buffer[n] = 0;
    while (n > 0 && (buffer[n - 1] == '\r' || buffer[n - 1] == '\n'))
        buffer[--n] = 0;
    return ClassifyDiffLine(buffer, n, added, removed, WindowsAnsiCodePage().isLeadByte);
}

void PaintGutter(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0) {
        EndPaint(hwnd, &ps);
        return;
    }
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, w, h);
    if (!mem || !bitmap) {
        if (bitmap)
            DeleteObject(bitmap);
        if (mem)
            DeleteDC(mem);
        EndPaint(hwnd, &ps);
        return;
    }
    HGDIOBJ oldBitmap = SelectObject(mem, bitmap);
    HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    FillRect(mem, &rc, face);
    DeleteObject(face);

    if (gEditorWnd) {
        int first = (int)SendMessageA(gEditorWnd, EM_GETFIRSTVISIBLELINE, 0, 0);
        int count = (int)SendMessageA(gEditorWnd, EM_GETLINECOUNT, 0, 0);
        HFONT font = (HFONT)SendMessageA(gEditorWnd, WM_GETFONT, 0, 0);
        HGDIOBJ oldFont = font ? SelectObject(mem, font) : nullptr;
        TEXTMETRICA tm;
        GetTextMetricsA(mem, &tm);
        int lineHeight = tm.tmHeight > 0 ? tm.tmHeight : 14;
        SetBkMode(mem, TRANSPARENT);
        for (int line = first, y = 0; line < count && y <= rc.bottom; ++line, y += lineHeight) {
            char label[16];
            snprintf(label, sizeof(label), "%d", line + 1);
            COLORREF textColour = RGB(128, 128, 128);
            bool added = false, removed = false;
            if (gDiffMode && GutterLineClass(gEditorWnd, line, &added, &removed)) {
                RECT band = {0, y, rc.right, y + lineHeight};
                HBRUSH brush = CreateSolidBrush(added ? RGB(220, 248, 220) : RGB(255, 228, 228));
                FillRect(mem, &band, brush);
                DeleteObject(brush);
                textColour = added ? RGB(0, 128, 0) : RGB(196, 0, 0);
            }
            SetTextColor(mem, textColour);
            RECT box = {0, y, rc.right - 5, y + lineHeight};
            DrawTextA(mem, label, -1, &box, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
        }
        if (oldFont)
            SelectObject(mem, oldFont);
    }
    BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
    SelectObject(mem, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(mem);
    EndPaint(hwnd, &ps);
}

} // namespace

LRESULT CALLBACK GutterWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        PaintGutter(hwnd);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        if (gEditorWnd)
            SetFocus(gEditorWnd);
        break;
    case WM_KEYDOWN: {
        bool ctrl = GetKeyState(VK_CONTROL) < 0, alt = GetKeyState(VK_MENU) < 0;
        if (ctrl && !alt) {
            int id = 0;
            switch (wParam) {
            case 'N': id = IDM_FILE_NEW; break;
            case 'O': id = IDM_FILE_OPEN; break;
            case 'S': id = IDM_FILE_SAVE; break;
            case 'W': id = IDM_FILE_CLOSE_TAB; break;
            }
            if (id) {
                SendMessageA(GetParent(hwnd), WM_COMMAND, id, 0);
                return 0;
            }
        }
        if (gEditorWnd) {
            SetFocus(gEditorWnd);
            return SendMessageA(gEditorWnd, WM_KEYDOWN, wParam, lParam);
        }
        break;
    }
    case WM_CHAR:
        // The character that follows a forwarded key belongs to the editor too, or the
        // first letter typed while the gutter had the focus would be lost.
        if (gEditorWnd)
            return SendMessageA(gEditorWnd, WM_CHAR, wParam, lParam);
        break;
    }
    return CallWindowProcA(gGutterOrigProc, hwnd, msg, wParam, lParam);
}

int CalcGutterWidth(HWND gutter, int lineCount)
{
    int charWidth = 8;
    if (gutter) {
        HDC dc = GetDC(gutter);
        if (dc) {
            HFONT font = (HFONT)SendMessageA(gutter, WM_GETFONT, 0, 0);
            HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
            TEXTMETRICA tm;
            if (GetTextMetricsA(dc, &tm) && tm.tmAveCharWidth >= 1)
                charWidth = tm.tmAveCharWidth;
            if (old)
                SelectObject(dc, old);
            ReleaseDC(gutter, dc);
        }
    }
    return GutterWidthFor(lineCount, charWidth);
}

void LayoutMainWindowIfReady(HWND mainWnd)
{
    if (mainWnd && gTabsWnd && gGutterWnd && gEditorWnd)
        gEditorHooks.layoutMainWindow(mainWnd);
}

void RefreshGutter()
{
    if (!gGutterWnd || !gEditorWnd)
        return;
    int needed = CalcGutterWidth(gGutterWnd, (int)SendMessageA(gEditorWnd, EM_GETLINECOUNT, 0, 0));
    HWND parent = GetParent(gEditorWnd);
    if (needed != gGutterWidth && parent) {
        LayoutMainWindowIfReady(parent);
        return;
    }
    // An undo step refreshes the gutter itself once the view has settled: the control's
    // change notification in its middle would paint the gutter (1.3 ms at 10 MB under
    // Wine) only for that refresh to paint it again.
    if (gApplyingUndo)
        return;
    InvalidateRect(gGutterWnd, nullptr, FALSE);
    UpdateWindow(gGutterWnd);
}
