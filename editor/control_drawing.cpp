#include "editor/control_drawing.h"

namespace {

// Wine's EDIT control takes WM_SETREDRAW and ignores it: inside every change it draws its
// scroll bars when their range or position moved (7 to 13 ms a time under Wine, most of
// a keystroke on a short text), its caret and the text it scrolls, even when many changes
// come before the next paint. The system's own handling of WM_SETREDRAW clears the
// window's visible flag, after which nothing the control draws reaches the screen; the
// paint that follows draws the whole client area anyway.
struct Placement {
    SCROLLINFO horizontal, vertical;
    RECT window;
};

bool gHeld = false;
Placement gWhenHeld;

void ReadBar(HWND editor, int bar, SCROLLINFO* info)
{
    ZeroMemory(info, sizeof(*info));
    info->cbSize = sizeof(*info);
    info->fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    GetScrollInfo(editor, bar, info);
}

void ReadPlacement(HWND editor, Placement* p)
{
    ReadBar(editor, SB_HORZ, &p->horizontal);
    ReadBar(editor, SB_VERT, &p->vertical);
    GetWindowRect(editor, &p->window);
}

bool SameBar(const SCROLLINFO& a, const SCROLLINFO& b)
{
    return a.nMin == b.nMin && a.nMax == b.nMax && a.nPage == b.nPage && a.nPos == b.nPos;
}

bool SamePlacement(const Placement& a, const Placement& b)
{
    return SameBar(a.horizontal, b.horizontal) && SameBar(a.vertical, b.vertical) &&
           EqualRect(&a.window, &b.window);
}

} // namespace

void ResetControlDrawingState()
{
    gHeld = false;
}

bool HoldControlDrawing(HWND editor)
{
    if (gHeld || !editor || !(GetWindowLongA(editor, GWL_STYLE) & WS_VISIBLE))
        return false;
    ReadPlacement(editor, &gWhenHeld);
    DefWindowProcA(editor, WM_SETREDRAW, FALSE, 0);
    gHeld = true;
    return true;
}

void ReleaseControlDrawing(HWND editor)
{
    if (!gHeld)
        return;
    gHeld = false;
    DefWindowProcA(editor, WM_SETREDRAW, TRUE, 0);
    Placement now;
    ReadPlacement(editor, &now);
    UINT flags = RDW_INVALIDATE | RDW_NOERASE;
    if (!SamePlacement(now, gWhenHeld))
        flags |= RDW_FRAME;
    RedrawWindow(editor, nullptr, nullptr, flags);
}
