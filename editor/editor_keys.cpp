#include "editor/editor_keys.h"

#include "app/command_ids.h"
#include "document/codepage.h"
#include "document/document.h"
#include "document/undo.h"
#include "editor/block_keys.h"
#include "editor/block_mode.h"
#include "editor/clipboard.h"
#include "editor/editor_hooks.h"
#include "editor/editor_key_rules.h"
#include "editor/editor_text.h"
#include "editor/editor_window.h"
#include "editor/visual_columns_win.h"
#include "editor/word_bounds.h"
#include "editor/shortcut_table.h"

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

void GetSelection(HWND editor, int* start, int* end)
{
    DWORD s = 0, e = 0;
    SendMessageA(editor, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    *start = (int)s;
    *end = (int)e;
}

void Select(HWND editor, int anchor, int caret)
{
    SendMessageA(editor, EM_SETSEL, anchor, caret);
    gSelAnchor = anchor == caret ? -1 : anchor;
}

// EM_REPLACESEL ignores the read-only style, so every insertion of the editor's own keys
// asks first; the change is recorded like a typed character.
bool RefusedAsReadOnly(HWND editor)
{
    if (!IsEditReadOnly(editor))
        return false;
    MessageBeep(MB_ICONEXCLAMATION);
    return true;
}

void InsertTyped(HWND editor, const char* text)
{
    if (RefusedAsReadOnly(editor))
        return;
    RememberSelectionBeforeEdit(editor);
    BeginKeystrokeEdit();
    SendMessageA(editor, EM_REPLACESEL, TRUE, (LPARAM)text);
    EndKeystrokeEdit();
    gSelAnchor = -1;
}

void InsertTimeStamp(HWND editor)
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    InsertTyped(editor, TimeStampText(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond).c_str());
}

// F3, F5, F11 and F12 with any modifiers.
bool FunctionKey(HWND editor, int vk, const Keys& k)
{
    HWND main = GetParent(editor);
    switch (vk) {
    case VK_F3:
        gEditorHooks.runShortcut(main, ShortcutAction{k.shift ? kKeyFindPrevious : kKeyFindNext, 0});
        return true;
    case VK_F5:
        InsertTimeStamp(editor);
        return true;
    case VK_F11:
        SendMessageA(main, WM_COMMAND, IDM_TOOLS_DIFF_MODE, 0);
        return true;
    case VK_F12:
        gEditorHooks.toggleModalMode(main);
        return true;
    }
    return false;
}

// Shift+Insert, Shift+Delete and Ctrl+Insert become WM_PASTE, WM_CUT and WM_COPY, so that
// they go through the program's own clipboard commands (CR LF line ends, the read-only
// check, cut only what reached the clipboard). Windows' control sends itself these
// messages for the keys; Wine's does the work inside without them.
bool RouteClipboardKey(HWND editor, int vk, const Keys& k)
{
    if (k.alt || k.ctrl == k.shift)
        return false;
    UINT msg = 0;
    if (vk == VK_INSERT)
        msg = k.shift ? WM_PASTE : WM_COPY;
    else if (vk == VK_DELETE && k.shift)
        msg = WM_CUT;
    if (!msg)
        return false;
    SendMessageA(editor, msg, 0, 0);
    return true;
}

// Ctrl+Left and Ctrl+Right; false sends the key on to the control (an empty text, or no
// memory for a copy of it).
bool WordMove(HWND editor, bool right, bool shift)
{
    if (shift)
        RememberSelectionAnchor(editor);
    std::string text;
    try {
        text = GetEditorText();
    } catch (const std::exception&) {
        return false;
    }
    int length = (int)text.size();
    if (length == 0)
        return false;
    int active = GetSelectionActiveEnd(editor);
    int s, e;
    GetSelection(editor, &s, &e);
    int other = s == active ? e : s;
    int anchor = s == e ? active : gSelAnchor >= 0 ? gSelAnchor : other;
    LeadByteTest lead = WindowsAnsiCodePage().isLeadByte;
    int target;
    if (right)
        target = active < length ? FindWordRight(text.data(), length, active, lead) : length;
    else
        target = FindWordLeft(text.data(), length, active, lead);
    SendMessageA(editor, EM_SETSEL, shift ? anchor : target, target);
    gSelAnchor = shift ? anchor : -1;
    SendMessageA(editor, EM_SCROLLCARET, 0, 0);
    return true;
}

// A selection collapses to its active end; true when there was one.
bool CollapseSelection(HWND editor)
{
    int s, e;
    GetSelection(editor, &s, &e);
    if (s == e)
        return false;
    int active = GetSelectionActiveEnd(editor);
    Select(editor, active, active);
    return true;
}

// The arrow keys outside block mode (Alt+Shift with them is block mode's).
bool ArrowKey(HWND editor, int vk, const Keys& k)
{
    bool horizontal = vk == VK_LEFT || vk == VK_RIGHT;
    if (horizontal && k.ctrl && !k.alt)
        return WordMove(editor, vk == VK_RIGHT, k.shift);
    if (k.shift) {
        if (!k.alt)
            RememberSelectionAnchor(editor);
        return false;
    }
    // Left and Right stop at the collapsed end; Up and Down go on from there.
    return CollapseSelection(editor) && horizontal;
}

void RunEditorShortcut(HWND editor, const ShortcutAction& action)
{
    switch (action.kind) {
    case kKeyUndo:
        LeaveBlockMode();
        Undo(editor);
        return;
    case kKeyRedo:
        LeaveBlockMode();
        Redo(editor);
        return;
    case kKeySelectAll:
        LeaveBlockMode();
        SendMessageA(editor, EM_SETSEL, 0, -1);
        return;
    case kKeyCopy:
        EditCopy(editor);
        return;
    case kKeyCut:
        EditCut(editor);
        return;
    case kKeyPaste:
        EditPaste(editor);
        return;
    default:
        gEditorHooks.runShortcut(GetParent(editor), action);
    }
}

// The first two bytes of a line (fewer for a shorter line).
int ReadLineHead(HWND editor, int line, char head[4])
{
    *(WORD*)head = 2;
    int n = (int)SendMessageA(editor, EM_GETLINE, line, (LPARAM)head);
    return n < 0 ? 0 : n > 2 ? 2 : n;
}

// Tab and Shift+Tab: two spaces at the caret, or every line of the selection (the
// caret's line for Shift+Tab) indented or outdented as one undo step.
void Indent(HWND editor, bool outdent)
{
    if (RefusedAsReadOnly(editor))
        return;
    int s, e;
    GetSelection(editor, &s, &e);
    if (s == e && !outdent) {
        InsertTyped(editor, kIndentUnit);
        return;
    }
    int first = (int)SendMessageA(editor, EM_LINEFROMCHAR, s, 0);
    int last = (int)SendMessageA(editor, EM_LINEFROMCHAR, e, 0);
    last = IndentLastLine(s, e, first, last, (int)SendMessageA(editor, EM_LINEINDEX, last, 0));
    BeginUndoCapture();
    SendMessageA(editor, WM_SETREDRAW, FALSE, 0);
    int delta = 0;
    for (int line = first; line <= last; ++line) {
        int lineStart = (int)SendMessageA(editor, EM_LINEINDEX, line, 0);
        if (lineStart < 0)
            continue;
        char head[4];
        int change = IndentDelta(outdent, head, ReadLineHead(editor, line, head));
        if (change == 0)
            continue;
        SendMessageA(editor, EM_SETSEL, lineStart, change > 0 ? lineStart : lineStart - change);
        SendMessageA(editor, EM_REPLACESEL, TRUE, (LPARAM)(change > 0 ? kIndentUnit : ""));
        delta += change;
    }
    if (s != e) {
        int lastStart = (int)SendMessageA(editor, EM_LINEINDEX, last, 0);
        Select(editor, s, IndentedSelectionEnd(e, delta, lastStart));
    }
    SendMessageA(editor, WM_SETREDRAW, TRUE, 0);
    EndUndoCapture();
    InvalidateRect(editor, nullptr, FALSE);
}

// Home (Ctrl is not looked at): to the first non-blank of the line, or from there to the
// line start.
void SmartHome(HWND editor, bool shift)
{
    int s, e;
    GetSelection(editor, &s, &e);
    int active = GetSelectionActiveEnd(editor);
    int other = s == active ? e : s;
    int line = (int)SendMessageA(editor, EM_LINEFROMCHAR, active, 0);
    EditLine text;
    int lineStart, target;
    if (ReadEditLine(editor, line, &text)) {
        lineStart = text.start;
        target = SmartHomeTarget(text.bytes, text.bytes ? text.count : 0, lineStart, active);
    } else {
        lineStart = target = (int)SendMessageA(editor, EM_LINEINDEX, line, 0);
    }
    Select(editor, shift ? other : target, target);
    SendMessageA(editor, EM_SCROLLCARET, 0, 0);
    if (target == lineStart)
        SendMessageA(editor, EM_LINESCROLL, (WPARAM)-99999, 0);
}

bool IsPageKey(int vk)
{
    return vk == VK_PRIOR || vk == VK_NEXT || vk == VK_END || vk == VK_HOME;
}

} // namespace

bool EditorKey(HWND editor, UINT msg, int vk)
{
    if (msg == WM_KEYUP)
        return vk == VK_ESCAPE;
    Keys k = ReadKeys();
    bool down = msg == WM_KEYDOWN;
    if (down && (vk == VK_BACK || vk == VK_DELETE))
        RememberSelectionBeforeEdit(editor);
    if (down && vk == 'L' && k.ctrl && !k.alt) {
        InsertTyped(editor, kHyphenRule);
        return true;
    }
    if (down && gEditorHooks.modalKeyDown(editor, vk, gEditorOrigProc))
        return true;
    if (down && FunctionKey(editor, vk, k))
        return true;
    // Esc, the arrows, the page keys and in block mode Delete, Backspace and Tab. Block
    // mode sees Shift+Delete before it can become Cut: there it deletes as Delete does.
    if (BlockKeyDown(editor, msg, vk))
        return true;
    if (down && RouteClipboardKey(editor, vk, k))
        return true;
    if (vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN)
        return ArrowKey(editor, vk, k);
    if (down && IsPageKey(vk) && k.shift && !k.alt)
        RememberSelectionAnchor(editor);
    // Alt+Backspace would run the control's own one-step undo, past the document's history.
    if (msg == WM_SYSKEYDOWN)
        return vk == VK_BACK;
    ShortcutAction action = LookupShortcut(EditorShortcuts(), vk, k.ctrl, k.alt, k.shift);
    if (action.kind != kKeyNotFound) {
        RunEditorShortcut(editor, action);
        return true;
    }
    if (vk == VK_TAB) {
        Indent(editor, k.shift);
        return true;
    }
    if (vk == VK_HOME) {
        SmartHome(editor, k.shift);
        return true;
    }
    return false;
}

bool EditorCharacter(HWND editor, UINT msg, WPARAM code)
{
    if (msg == WM_CHAR && IsDroppedControlCharacter((unsigned)code, GetKeyState(VK_CONTROL) < 0))
        return true;
    if (BlockCharacter(editor, msg, code))
        return true;
    return gEditorHooks.modalCharacter(editor, (int)code);
}
