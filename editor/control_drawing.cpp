#include "editor/control_drawing.h"

#include "editor/block_mode.h"

namespace {

// Wine's EDIT control takes WM_SETREDRAW and ignores it: inside every change it draws its
// scroll bars when their range or position moved (7 to 13 ms a time under Wine, most of
// a keystroke on a short text), its caret and the text it scrolls, even when many changes
// come before the next paint. The system's own handling of WM_SETREDRAW clears the
// window's visible flag, after which nothing the control draws reaches the screen. What
// the control would have asked to repaint is then worked out from the view before and
// after: only the changed rows as a rule, since each row the control paints costs a walk
// of its whole line list under Wine (about 5 ms a row at the end of a 10 MB text).
struct View {
    SCROLLINFO horizontal, vertical;
    RECT window;
    int first, lines;
};

bool gHeld = false;
bool gHeldByRedraw = false;
bool gWiden = false;
// No window of the thread had anything to paint when the hold began.
bool gNothingPendingWhenHeld = false;
View gWhenHeld;

void ReadBar(HWND editor, int bar, SCROLLINFO* info)
{
    ZeroMemory(info, sizeof(*info));
    info->cbSize = sizeof(*info);
    info->fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    GetScrollInfo(editor, bar, info);
}

void ReadView(HWND editor, View* v)
{
    ReadBar(editor, SB_HORZ, &v->horizontal);
    ReadBar(editor, SB_VERT, &v->vertical);
    GetWindowRect(editor, &v->window);
    v->first = (int)SendMessageA(editor, EM_GETFIRSTVISIBLELINE, 0, 0);
    v->lines = (int)SendMessageA(editor, EM_GETLINECOUNT, 0, 0);
}

bool SameBar(const SCROLLINFO& a, const SCROLLINFO& b)
{
    return a.nMin == b.nMin && a.nMax == b.nMax && a.nPage == b.nPage && a.nPos == b.nPos;
}

// The text moved under the window: every row shows something else.
bool Scrolled(const View& a, const View& b)
{
    return a.horizontal.nPos != b.horizontal.nPos || a.vertical.nPos != b.vertical.nPos || a.first != b.first ||
           !EqualRect(&a.window, &b.window);
}

// The frame alone (the scroll bars), without the client area.
void InvalidateFrame(HWND editor)
{
    RECT window, client;
    GetWindowRect(editor, &window);
    MapWindowPoints(nullptr, editor, (POINT*)&window, 2);
    GetClientRect(editor, &client);
    HRGN frame = CreateRectRgnIndirect(&window);
    HRGN inside = CreateRectRgnIndirect(&client);
    if (frame && inside && CombineRgn(frame, frame, inside, RGN_DIFF) != ERROR)
        RedrawWindow(editor, nullptr, frame, RDW_INVALIDATE | RDW_FRAME | RDW_NOERASE | RDW_NOCHILDREN);
    if (inside)
        DeleteObject(inside);
    if (frame)
        DeleteObject(frame);
}

// The rows of lines from..to of the view (to < 0: down to the bottom).
void InvalidateRows(HWND editor, const View& v, int from, int to)
{
    RECT client, format;
    GetClientRect(editor, &client);
    SendMessageA(editor, EM_GETRECT, 0, (LPARAM)&format);
    int height = EditorLineHeight(editor);
    RECT rows = client;
    rows.top = format.top + (from - v.first) * height;
    if (to >= 0)
        rows.bottom = format.top + (to - v.first + 1) * height;
    if (rows.top < client.top)
        rows.top = client.top;
    if (rows.bottom > rows.top)
        InvalidateRect(editor, &rows, FALSE);
}

} // namespace

void ResetControlDrawingState()
{
    gHeld = gHeldByRedraw = gWiden = gNothingPendingWhenHeld = false;
}

void WidenHeldChange()
{
    if (gHeld)
        gWiden = true;
}

bool HoldControlDrawing(HWND editor)
{
    if (gHeld || !editor || !(GetWindowLongA(editor, GWL_STYLE) & WS_VISIBLE))
        return false;
    ReadView(editor, &gWhenHeld);
    gNothingPendingWhenHeld = !(HIWORD(GetQueueStatus(QS_PAINT)) & QS_PAINT);
    DefWindowProcA(editor, WM_SETREDRAW, FALSE, 0);
    gHeld = true;
    gWiden = false;
    return true;
}

void ReleaseControlDrawing(HWND editor, int from, int to)
{
    if (!gHeld)
        return;
    gHeld = false;
    DefWindowProcA(editor, WM_SETREDRAW, TRUE, 0);
    // Wine marks the frame of a window made visible again as due for painting, though
    // nothing in it changed: the scroll bars would be drawn again at the next paint (9 ms
    // under Wine, most of the repaint of one row). Windows leaves the frame alone. When
    // nothing was due to be painted before the hold, whatever is due now came from the
    // hold, and what the change needs is asked for again below.
    if (gNothingPendingWhenHeld)
        RedrawWindow(editor, nullptr, nullptr, RDW_VALIDATE | RDW_NOFRAME | RDW_NOCHILDREN);
    View now;
    ReadView(editor, &now);
    if (!SameBar(now.horizontal, gWhenHeld.horizontal) || !SameBar(now.vertical, gWhenHeld.vertical) ||
        !EqualRect(&now.window, &gWhenHeld.window))
        InvalidateFrame(editor);
    if (from < 0 || gWiden || Scrolled(now, gWhenHeld)) {
        InvalidateRect(editor, nullptr, FALSE);
        return;
    }
    int first = (int)SendMessageA(editor, EM_LINEFROMCHAR, from, 0);
    int last = -1;
    // A change that left no bytes behind (an undone insertion) ends on the line it starts
    // on, which saves the control another walk of its line list.
    if (now.lines == gWhenHeld.lines)
        last = to == from ? first : (int)SendMessageA(editor, EM_LINEFROMCHAR, to, 0);
    InvalidateRows(editor, now, first, last);
}

void SetControlRedraw(HWND editor, bool on)
{
    if (!on) {
        if (!gHeld)
            gHeldByRedraw = HoldControlDrawing(editor);
    } else if (gHeldByRedraw) {
        gHeldByRedraw = false;
        ReleaseControlDrawing(editor);
    }
}

const DrawingHoldFunctions kControlDrawing = {HoldControlDrawing, ReleaseControlDrawing, WidenHeldChange};
