#include "editor/clipboard.h"

#include "app/main_window.h"
#include "document/textcodec.h"
#include "document/textfile.h"
#include "editor/block_mode.h"
#include "editor/gutter.h"

#include <string.h>

namespace {

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

bool IsReadOnly(HWND window)
{
    return (GetWindowLongA(window, GWL_STYLE) & ES_READONLY) != 0;
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
    std::string text((size_t)length + 1, '\0');
    int got = GetWindowTextA(window, &text[0], length + 1);
    if (got < 0)
        got = 0;
    text.resize((size_t)got);
    if (s >= text.size())
        return false;
    if (e > text.size())
        e = (DWORD)text.size();
    out->assign(text, s, e - s);
    return true;
}

} // namespace

bool SetClipboardText(const std::string& text)
{
    EmptyClipboard();
    bool placed = false;
    int units = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (units > 0) {
        std::wstring wide((size_t)units, L'\0');
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], units);
        placed |= PutGlobal(CF_UNICODETEXT, wide.data(), (size_t)units * sizeof(wchar_t));
    }
    placed |= PutGlobal(CF_TEXT, text.c_str(), text.size() + 1);
    return CloseClipboard() != FALSE && placed;
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
    if (IsReadOnly(window)) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    if (gBlockMode && window == gEditorWnd) {
        if (ColumnCopy(window))
            ColumnDelete(window, true);
        return;
    }
    DWORD s = 0, e = 0;
    SendMessageA(window, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    if (s == e)
        return;
    // The selection goes only once it is safe on the clipboard.
    if (!EditCopy(window))
        return;
    SendMessageA(window, EM_REPLACESEL, TRUE, (LPARAM) "");
    RefreshGutter();
}

void EditPaste(HWND editor)
{
    if (IsReadOnly(editor)) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    if (gBlockMode) {
        ColumnPaste(editor);
        return;
    }
    std::string text = GetClipboardTextAnsi(editor);
    if (text.empty())
        return;
    text = NormalizeToCrlf(text.data(), (int)text.size());
    SendMessageA(editor, EM_REPLACESEL, TRUE, (LPARAM)text.c_str());
    RefreshGutter();
}
