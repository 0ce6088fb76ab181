#include "editor/clipboard.h"

#include "document/document.h"
#include "document/textfile.h"
#include "document/undo.h"
#include "editor/block_mode.h"
#include "editor/editor_window.h"
#include "editor/gutter.h"

#include <stdlib.h>
#include <string.h>

namespace {

// One EM_REPLACESEL, recorded like a keystroke when it goes to the editor.
void ReplaceSelectionAsEdit(HWND window, const char* text)
{
    bool editor = window == gEditorWnd;
    if (editor)
        BeginKeystrokeEdit();
    SendMessageA(window, EM_REPLACESEL, TRUE, (LPARAM)text);
    if (editor)
        EndKeystrokeEdit();
}

bool PutGlobal(UINT format, const void* bytes, size_t size)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        return false;
    void* p = GlobalLock(block);
    if (!p) {
        GlobalFree(block);
        return false;
    }
    memcpy(p, bytes, size);
    GlobalUnlock(block);
    if (!SetClipboardData(format, block)) {
        GlobalFree(block);
        return false;
    }
    return true;
}

// CF_UNICODETEXT converted from the ANSI code page, up to the first 0 byte.
bool PutUnicodeText(const std::string& text)
{
    int units = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (units <= 0)
        return false;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (size_t)units * sizeof(WCHAR));
    if (!block)
        return false;
    WCHAR* p = (WCHAR*)GlobalLock(block);
    if (!p) {
        GlobalFree(block);
        return false;
    }
    // A conversion that fails now would leave the block's bytes undefined: better no
    // Unicode text at all than garbage that other programs prefer to the CF_TEXT copy.
    int written = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, p, units);
    GlobalUnlock(block);
    if (written != units) {
        GlobalFree(block);
        return false;
    }
    if (!SetClipboardData(CF_UNICODETEXT, block)) {
        GlobalFree(block);
        return false;
    }
    return true;
}

// The selection's bytes, ordered and limited to the text; false when there are none.
bool GetSelectedText(HWND window, std::string* out)
{
    DWORD s = 0, e = 0;
    SendMessageA(window, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    if (s == e)
        return false;
    if (s > e) {
        DWORD t = s;
        s = e;
        e = t;
    }
    int length = GetWindowTextLengthA(window);
    if (length <= 0)
        return false;
    char* text = (char*)malloc((size_t)length + 1);
    if (!text)
        return false;
    int got = GetWindowTextA(window, text, length + 1);
    if (got < 0)
        got = 0;
    bool any = s < (DWORD)got;
    if (any) {
        if (e > (DWORD)got)
            e = (DWORD)got;
        out->assign(text + s, e - s);
    }
    free(text);
    return any;
}

} // namespace

bool SetClipboardText(const std::string& text)
{
    EmptyClipboard();
    bool unicode = PutUnicodeText(text);
    bool ansi = PutGlobal(CF_TEXT, text.c_str(), text.size() + 1);
    return CloseClipboard() != FALSE && (unicode || ansi);
}

bool CopyTextToClipboard(HWND owner, const std::string& text)
{
    if (!OpenClipboard(owner))
        return false;
    return SetClipboardText(text);
}

bool EditCopy(HWND window)
{
    if (gBlockMode && window == gEditorWnd)
        return ColumnCopy(window);
    std::string text;
    if (!GetSelectedText(window, &text))
        return false;
    return CopyTextToClipboard(window, text);
}

void EditCut(HWND window)
{
    if (IsEditReadOnly(window)) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    // The menu command arrives without the editor's WM_CUT, which remembers the
    // selection that the undo step restores.
    if (window == gEditorWnd)
        RememberSelectionBeforeEdit(window);
    if (gBlockMode && window == gEditorWnd) {
        ColumnCut(window);
        return;
    }
    DWORD s = 0, e = 0;
    SendMessageA(window, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    if (s == e)
        return;
    // The selection goes only once it is safe on the clipboard.
    if (!EditCopy(window))
        return;
    ReplaceSelectionAsEdit(window, "");
    RefreshGutter();
}

void EditPaste(HWND editor)
{
    if (IsEditReadOnly(editor)) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    if (editor == gEditorWnd)
        RememberSelectionBeforeEdit(editor);
    if (gBlockMode) {
        ColumnPaste(editor);
        return;
    }
    // GetClipboardTextAnsi already made every line end CR LF.
    std::string text = GetClipboardTextAnsi(editor);
    if (text.empty())
        return;
    ReplaceSelectionAsEdit(editor, text.c_str());
    RefreshGutter();
}
