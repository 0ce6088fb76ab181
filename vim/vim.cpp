#include "vim/vim.h"

#include "app/command_ids.h"
#include "document/codepage.h"
#include "document/textfile.h"
#include "document/undo.h"
#include "document/shell_hooks.h"
#include "editor/clipboard.h"
#include "editor/editor_hooks.h"
#include "editor/editor_window.h"
#include "editor/gutter.h"

#include <commctrl.h>
#include <string.h>

#include <exception>
#include <string>

namespace {

// A count of p builds one paste of at most this many bytes (fewer copies beyond it), so a
// mistyped count cannot fill the memory or hold the window for minutes.
const size_t kPasteLimit = 8 * 1024 * 1024;

struct VimTarget {
    HWND editor;
    WNDPROC controlProcedure;
};

HWND Editor(void* context)
{
    return ((VimTarget*)context)->editor;
}

void ReadText(void* context, std::string* text)
{
    HWND editor = Editor(context);
    int length = GetWindowTextLengthA(editor);
    text->assign((size_t)(length > 0 ? length : 0) + 1, '\0');
    int got = GetWindowTextA(editor, &(*text)[0], length + 1);
    text->resize(got > 0 ? (size_t)got : 0);
}

void GetSelection(void* context, int* start, int* end)
{
    DWORD s = 0, e = 0;
    SendMessageA(Editor(context), EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    *start = (int)s;
    *end = (int)e;
}

void SetSelection(void* context, int anchor, int caret)
{
    SendMessageA(Editor(context), EM_SETSEL, anchor, caret);
}

void ScrollCaret(void* context)
{
    SendMessageA(Editor(context), EM_SCROLLCARET, 0, 0);
}

// One replacement at the selection, recorded by the change notification like a keystroke.
void ReplaceSelection(void* context, const std::string& text)
{
    BeginKeystrokeEdit();
    SendMessageA(Editor(context), EM_REPLACESEL, TRUE, (LPARAM)text.c_str());
    EndKeystrokeEdit();
}

void ReplaceAll(void* context, const std::string& text)
{
    HWND editor = Editor(context);
    BeginUndoCapture();
    SendMessageA(editor, WM_SETREDRAW, FALSE, 0);
    SendMessageA(editor, EM_SETSEL, 0, -1);
    SendMessageA(editor, EM_REPLACESEL, TRUE, (LPARAM)text.c_str());
    SendMessageA(editor, WM_SETREDRAW, TRUE, 0);
    EndUndoCapture();
    InvalidateRect(editor, nullptr, FALSE);
    RefreshGutter();
}

void SendKey(void* context, int virtualKey)
{
    VimTarget* target = (VimTarget*)context;
    CallWindowProcA(target->controlProcedure, target->editor, WM_KEYDOWN, virtualKey, 1);
}

bool CopySelection(void* context)
{
    SendMessageA(Editor(context), WM_COPY, 0, 0);
    return true;
}

bool CopyText(void* context, const std::string& text)
{
    return CopyTextToClipboard(Editor(context), text);
}

bool ClipboardIsLinewise(void* context)
{
    if (!OpenClipboard(Editor(context)))
        return false;
    bool linewise = false;
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* text = data ? (const char*)GlobalLock(data) : nullptr;
    if (text) {
        size_t size = GlobalSize(data);
        size_t length = strnlen(text, size);
        linewise = length > 0 && text[length - 1] == '\n';
        GlobalUnlock(data);
    }
    CloseClipboard();
    return linewise;
}

void Paste(void* context, int count)
{
    HWND editor = Editor(context);
    if (count <= 1) {
        SendMessageA(editor, WM_PASTE, 0, 0);
        return;
    }
    if (IsEditReadOnly(editor)) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    std::string once = GetClipboardTextAnsi(editor);
    if (once.empty())
        return;
    size_t copies = kPasteLimit / once.size();
    if (copies < 1)
        copies = 1;
    if (copies > (size_t)count)
        copies = (size_t)count;
    std::string all;
    all.reserve(once.size() * copies);
    for (size_t i = 0; i < copies; ++i)
        all += once;
    ReplaceSelection(context, all);
    RefreshGutter();
}

bool UndoStep(void* context)
{
    return Undo(Editor(context));
}

bool RedoStep(void* context)
{
    return Redo(Editor(context));
}

// Posted, so that the key handling is over before the document is saved or the window
// closes.
void WindowCommand(void* context, VimWindowCommand command)
{
    HWND main = GetParent(Editor(context));
    if (command == kVimSave)
        PostMessageA(main, WM_COMMAND, IDM_FILE_SAVE, 0);
    else
        PostMessageA(main, WM_CLOSE, 0, 0);
}

bool IsReadOnly(void* context)
{
    return IsEditReadOnly(Editor(context));
}

void Beep(void*)
{
    MessageBeep(MB_ICONEXCLAMATION);
}

void RememberSelection(void* context)
{
    RememberSelectionBeforeEdit(Editor(context));
}

void StatusChanged(void*)
{
    VimUpdateStatus();
}

VimEditor WindowVimEditor(VimTarget* target)
{
    VimEditor e;
    e.context = target;
    e.readText = ReadText;
    e.getSelection = GetSelection;
    e.setSelection = SetSelection;
    e.scrollCaret = ScrollCaret;
    e.replaceSelection = ReplaceSelection;
    e.replaceAll = ReplaceAll;
    e.sendKey = SendKey;
    e.copySelection = CopySelection;
    e.copyText = CopyText;
    e.clipboardIsLinewise = ClipboardIsLinewise;
    e.paste = Paste;
    e.undo = UndoStep;
    e.redo = RedoStep;
    e.windowCommand = WindowCommand;
    e.isReadOnly = IsReadOnly;
    e.beep = Beep;
    e.rememberSelection = RememberSelection;
    e.statusChanged = StatusChanged;
    e.isLeadByte = WindowsAnsiCodePage().isLeadByte;
    return e;
}

} // namespace

bool VimHandleKeyDown(HWND editor, int virtualKey, WNDPROC controlProcedure)
{
    if (!gVimEnabled)
        return false;
    VimTarget target{editor, controlProcedure};
    VimModifiers modifiers{GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0};
    try {
        bool consumed = VimKeyDown(WindowVimEditor(&target), virtualKey, modifiers);
        if (consumed)
            RefreshGutter();
        return consumed;
    } catch (const std::exception&) {
        // No memory for a copy of the text: the command does nothing, and the key does
        // not reach the text either.
        return gVimMode != kVimInsert;
    }
}

bool VimHandleChar(HWND editor, int character)
{
    if (!gVimEnabled)
        return false;
    VimTarget target{editor, nullptr};
    try {
        return VimChar(WindowVimEditor(&target), character);
    } catch (const std::exception&) {
        return gVimMode != kVimInsert;
    }
}

void VimUpdateStatus()
{
    std::string text;
    if (!gShellHooks.readStatusText(&text))
        return;
    SetStatusText(VimStatusText(text).c_str());
}

void ToggleVimMode(HWND mainWnd)
{
    gVimEnabled = !gVimEnabled;
    gVimMode = kVimNormal;
    VimUpdateStatus();
    HMENU menu = GetMenu(mainWnd);
    if (menu)
        CheckMenuItem(menu, IDM_TOOLS_VIM_MODE, MF_BYCOMMAND | (gVimEnabled ? MF_CHECKED : MF_UNCHECKED));
}

namespace {

bool VimKeyDown(HWND editor, int virtualKey, WNDPROC controlProcedure)
{
    return gVimEnabled && VimHandleKeyDown(editor, virtualKey, controlProcedure);
}

bool VimCharacter(HWND editor, int character)
{
    return gVimEnabled && VimHandleChar(editor, character);
}

// NORMAL, VISUAL and command modes take characters as commands.
bool VimTakesCharacters()
{
    return gVimEnabled && gVimMode != kVimInsert;
}

} // namespace

void RegisterVimHooks()
{
    gEditorHooks.toggleModalMode = ToggleVimMode;
    gEditorHooks.modalKeyDown = VimKeyDown;
    gEditorHooks.modalCharacter = VimCharacter;
    gEditorHooks.modalTakesCharacters = VimTakesCharacters;
}
