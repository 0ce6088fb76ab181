#include "tools/text_tools.h"

#include "document/codepage.h"
#include "document/document.h"
#include "document/shell_hooks.h"
#include "document/undo.h"
#include "editor/editor_window.h"
#include "editor/editor_text.h"
#include "editor/gutter.h"
#include "search/find.h"
#include "search/find_engine.h"
#include "tools/text_tool_plan.h"

#include <functional>
#include <new>
#include <string>

namespace {

using Planner = std::function<TextToolPlan(const std::string& text, int32_t selStart, int32_t selEnd)>;

// Flushes pending typing into its own undo step, then plans the command on the editor's
// text and selection. False when there is nothing to carry out: no editor, or no memory
// for the text (said in the status bar when the planning ran out of it).
bool MakePlan(const Planner& planner, TextToolPlan* plan)
{
    if (!gEditorWnd)
        return false;
    RecordTypingChange();
    DWORD s = 0, e = 0;
    SendMessageA(gEditorWnd, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    std::string text;
    try {
        text = GetEditorText();
    } catch (const std::bad_alloc&) {
        return false;
    }
    try {
        *plan = planner(text, (int32_t)s, (int32_t)e);
    } catch (const std::bad_alloc&) {
        SetStatusText("Not enough memory");
        return false;
    }
    return true;
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

// Carries out a Replace plan as one undo step. The whole document is replaced with the
// caret put at the start; a selection is replaced and the new text selected, with
// redrawing off unless redrawSelection.
void ReplaceAsOneStep(const TextToolPlan& plan, bool redrawSelection)
{
    BeginUndoCapture();
    if (plan.wholeDocument) {
        ReplaceWholeEditorText(plan.output.c_str(), true);
    } else {
        if (!redrawSelection)
            SendMessageA(gEditorWnd, WM_SETREDRAW, FALSE, 0);
        SendMessageA(gEditorWnd, EM_SETSEL, (WPARAM)plan.start, (LPARAM)plan.end);
        SendMessageA(gEditorWnd, EM_REPLACESEL, TRUE, (LPARAM)plan.output.c_str());
        SendMessageA(gEditorWnd, EM_SETSEL, (WPARAM)plan.start,
                     (LPARAM)(plan.start + (int32_t)plan.output.size()));
        if (!redrawSelection)
            SendMessageA(gEditorWnd, WM_SETREDRAW, TRUE, 0);
    }
    EndUndoCapture();
    RefreshGutter();
    InvalidateRect(gEditorWnd, nullptr, FALSE);
}

} // namespace

void RunJsonTool(HWND, JsonToolMode mode)
{
    TextToolPlan plan;
    if (!MakePlan([mode](const std::string& text, int32_t s,
                         int32_t e) { return PlanJsonTool(text, s, e, mode, WindowsAnsiCodePage()); },
                  &plan))
        return;
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
    TextToolPlan plan;
    if (!MakePlan([](const std::string& text, int32_t s,
                     int32_t e) { return PlanHtmlBeautifier(text, s, e, WindowsAnsiCodePage().isLeadByte); },
                  &plan))
        return;
    if (!MayChange(plan))
        return;
    if (plan.action == TextToolAction::Replace)
        ReplaceAsOneStep(plan, true);
    SetStatusText(plan.status.c_str());
}
