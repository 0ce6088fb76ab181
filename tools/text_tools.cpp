#include "tools/text_tools.h"

#include "app/main_window.h"
#include "document/codepage.h"
#include "document/document.h"
#include "document/undo.h"
#include "editor/editor_window.h"
#include "editor/gutter.h"
#include "search/find.h"
#include "search/find_engine.h"
#include "tools/text_tool_plan.h"

#include <new>
#include <string>

namespace {

bool ReadSelectionAndText(int32_t* selStart, int32_t* selEnd, std::string* text)
{
    DWORD s = 0, e = 0;
    SendMessageA(gEditorWnd, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    *selStart = (int32_t)s;
    *selEnd = (int32_t)e;
    try {
        *text = GetEditorText();
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// Carries out a Replace plan as one undo step. The whole document is replaced with
// redrawing off and the caret put at the start; a selection is replaced and the new text
// selected, with redrawing off only when redrawSelection is false.
void ReplaceAsOneStep(const TextToolPlan& plan, bool redrawSelection)
{
    bool quiet = plan.wholeDocument || !redrawSelection;
    BeginUndoCapture();
    if (quiet)
        SendMessageA(gEditorWnd, WM_SETREDRAW, FALSE, 0);
    if (plan.wholeDocument) {
        SendMessageA(gEditorWnd, EM_SETSEL, 0, -1);
        SendMessageA(gEditorWnd, EM_REPLACESEL, TRUE, (LPARAM)plan.output.c_str());
        SendMessageA(gEditorWnd, EM_SETSEL, 0, 0);
        SendMessageA(gEditorWnd, EM_SCROLLCARET, 0, 0);
    } else {
        SendMessageA(gEditorWnd, EM_SETSEL, (WPARAM)plan.start, (LPARAM)plan.end);
        SendMessageA(gEditorWnd, EM_REPLACESEL, TRUE, (LPARAM)plan.output.c_str());
        SendMessageA(gEditorWnd, EM_SETSEL, (WPARAM)plan.start, (LPARAM)(plan.start + (int32_t)plan.output.size()));
    }
    if (quiet)
        SendMessageA(gEditorWnd, WM_SETREDRAW, TRUE, 0);
    EndUndoCapture();
    RefreshGutter();
    InvalidateRect(gEditorWnd, nullptr, FALSE);
}

// False when the plan changes the text of a read-only document, which is then refused.
bool MayChange(const TextToolPlan& plan)
{
    if (plan.action != TextToolAction::Replace || !IsEditReadOnly(gEditorWnd))
        return true;
    MessageBeep(MB_ICONEXCLAMATION);
    SetStatusText(kReadOnlyRefusal);
    return false;
}

} // namespace

void RunJsonTool(HWND, JsonToolMode mode)
{
    if (!gEditorWnd)
        return;
    RecordTypingChange();
    int32_t s, e;
    std::string text;
    if (!ReadSelectionAndText(&s, &e, &text))
        return;
    TextToolPlan plan;
    try {
        plan = PlanJsonTool(text, s, e, mode, WindowsAnsiCodePage());
    } catch (const std::bad_alloc&) {
        SetStatusText("Not enough memory");
        return;
    }
    text.clear();
    text.shrink_to_fit();
    if (!MayChange(plan))
        return;
    if (plan.action == TextToolAction::SelectError) {
        SendMessageA(gEditorWnd, EM_SETSEL, (WPARAM)plan.start, (LPARAM)plan.end);
        SendMessageA(gEditorWnd, EM_SCROLLCARET, 0, 0);
    } else if (plan.action == TextToolAction::Replace) {
        LeaveBlockMode();
        ReplaceAsOneStep(plan, false);
    }
    SetStatusText(plan.status.c_str());
}

void RunHtmlBeautifier(HWND)
{
    if (!gEditorWnd)
        return;
    RecordTypingChange();
    int32_t s, e;
    std::string text;
    if (!ReadSelectionAndText(&s, &e, &text))
        return;
    TextToolPlan plan;
    try {
        plan = PlanHtmlBeautifier(text, s, e, WindowsAnsiCodePage().isLeadByte);
    } catch (const std::bad_alloc&) {
        SetStatusText("Not enough memory");
        return;
    }
    text.clear();
    text.shrink_to_fit();
    if (!MayChange(plan))
        return;
    if (plan.action == TextToolAction::Replace)
        ReplaceAsOneStep(plan, true);
    SetStatusText(plan.status.c_str());
}
