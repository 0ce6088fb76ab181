#include "app/dialog_edit.h"

#include "document/textfile.h"
#include "editor/clipboard.h"
#include "editor/editor_window.h"

#include <ctype.h>
#include <stdlib.h>
#include <string.h>

#include <string>

WNDPROC gDialogEditOrigProc = nullptr;

namespace {

const char kOldProcProperty[] = "zv_OldEditProc";
const char kEnterProperty[] = "zv_EnterButton";
const char kShiftEnterProperty[] = "zv_ShiftEnterButton";
const char kEscapeProperty[] = "zv_EscapeButton";

enum ByteClass { kBlank, kWord, kPunctuation };

ByteClass ClassOf(unsigned char c)
{
    if (c <= 0x20)
        return kBlank;
    if (c >= 0x80 || isalnum(c))
        return kWord;
    return kPunctuation;
}

bool Held(int vk)
{
    return GetKeyState(vk) < 0;
}

LONG StyleOf(HWND field)
{
    return GetWindowLongA(field, GWL_STYLE);
}

bool IsSingleLine(HWND field)
{
    return (StyleOf(field) & ES_MULTILINE) == 0;
}

void DeleteWord(HWND field, bool backward)
{
    // EM_REPLACESEL would change a read-only field.
    if (IsEditReadOnly(field))
        return;
    DWORD s = 0, e = 0;
    SendMessageA(field, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    if (s != e) {
        SendMessageA(field, EM_REPLACESEL, TRUE, (LPARAM) "");
        return;
    }
    int length = GetWindowTextLengthA(field);
    if (length <= 0)
        return;
    char* text = (char*)malloc((size_t)length + 1);
    if (!text)
        return;
    int got = GetWindowTextA(field, text, length + 1);
    int start = 0, end = 0;
    if (FindWordDeletion(text, got, (int)s, backward, &start, &end)) {
        SendMessageA(field, EM_SETSEL, start, end);
        SendMessageA(field, EM_REPLACESEL, TRUE, (LPARAM) "");
    }
    free(text);
}

// A button id is never 0, so 0 stands for a property that is not there.
int ButtonProperty(HWND window, const char* name, int fallback)
{
    INT_PTR id = window ? (INT_PTR)GetPropA(window, name) : 0;
    return id ? (int)id : fallback;
}

void PressButton(HWND field, int id)
{
    SendMessageA(GetParent(field), WM_COMMAND, (WPARAM)id, 0);
}

// True when the key was consumed.
bool OnKeyDown(HWND field, WPARAM key)
{
    if (Held(VK_CONTROL) && !Held(VK_MENU) && !Held(VK_SHIFT)) {
        switch (key) {
        case 'A':
            SendMessageA(field, EM_SETSEL, 0, -1);
            return true;
        case 'Y':
            SendMessageA(field, EM_UNDO, 0, 0);
            return true;
        case VK_BACK:
            DeleteWord(field, true);
            return true;
        case VK_DELETE:
            DeleteWord(field, false);
            return true;
        }
    }
    if (!IsSingleLine(field))
        return false;
    if (key != VK_RETURN && key != VK_ESCAPE)
        return false;
    PopupButtons buttons = PopupButtonsOf(GetParent(field));
    if (key == VK_ESCAPE)
        PressButton(field, buttons.escape);
    else
        PressButton(field, Held(VK_SHIFT) ? buttons.shiftEnter : buttons.enter);
    return true;
}

bool IsConsumedChar(HWND field, WPARAM c)
{
    if (c == 0x01 || c == 0x7F || c == 0x19)
        return true;
    return (c == '\r' || c == 0x1B) && IsSingleLine(field);
}

// A single-line field asks the dialog manager for Enter and Esc, so that IsDialogMessage
// hands them to the field instead of pressing IDOK or IDCANCEL itself (Shift+Enter in the
// Find window and the SFTP window's own buttons depend on the field seeing them).
LRESULT AddWantedKeys(HWND field, LRESULT code, LPARAM lParam)
{
    const MSG* msg = (const MSG*)lParam;
    if (!msg || !IsSingleLine(field))
        return code;
    if ((msg->message == WM_KEYDOWN || msg->message == WM_CHAR) &&
        (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE))
        code |= DLGC_WANTMESSAGE;
    return code;
}

// False when the message must go to the control after all.
bool OnPaste(HWND field)
{
    LONG style = StyleOf(field);
    if (style & ES_READONLY)
        return true;
    if (style & ES_MULTILINE)
        return false;
    std::string text = GetClipboardTextAnsi(field);
    if (text.empty())
        return false;
    std::string flat;
    flat.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\n')
            flat += c;
    SendMessageA(field, EM_REPLACESEL, TRUE, (LPARAM)flat.c_str());
    return true;
}

LRESULT CallPrevious(WNDPROC previous, HWND field, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (previous && previous != DialogEditProc)
        return CallWindowProcA(previous, field, msg, wParam, lParam);
    return DefWindowProcA(field, msg, wParam, lParam);
}

} // namespace

bool FindWordDeletion(const char* text, int length, int caret, bool backward, int* start, int* end)
{
    if (!text || length <= 0)
        return false;
    const unsigned char* p = (const unsigned char*)text;
    if (backward) {
        if (caret <= 0)
            return false;
        int i = caret < length ? caret : length;
        *end = i;
        while (i > 0 && ClassOf(p[i - 1]) == kBlank)
            --i;
        if (i > 0) {
            ByteClass run = ClassOf(p[i - 1]);
            while (i > 0 && ClassOf(p[i - 1]) == run)
                --i;
        }
        *start = i;
    } else {
        if (caret >= length)
            return false;
        int i = caret > 0 ? caret : 0;
        *start = i;
        while (i < length && ClassOf(p[i]) == kBlank)
            ++i;
        if (i < length) {
            ByteClass run = ClassOf(p[i]);
            while (i < length && ClassOf(p[i]) == run)
                ++i;
        }
        *end = i;
    }
    return *start < *end;
}

void SetPopupButtons(HWND window, const PopupButtons& buttons)
{
    SetPropA(window, kEnterProperty, (HANDLE)(INT_PTR)buttons.enter);
    SetPropA(window, kShiftEnterProperty, (HANDLE)(INT_PTR)buttons.shiftEnter);
    SetPropA(window, kEscapeProperty, (HANDLE)(INT_PTR)buttons.escape);
}

void ForgetPopupButtons(HWND window)
{
    RemovePropA(window, kEnterProperty);
    RemovePropA(window, kShiftEnterProperty);
    RemovePropA(window, kEscapeProperty);
}

PopupButtons PopupButtonsOf(HWND window)
{
    const PopupButtons& fallback = kDefaultPopupButtons;
    return {ButtonProperty(window, kEnterProperty, fallback.enter),
            ButtonProperty(window, kShiftEnterProperty, fallback.shiftEnter),
            ButtonProperty(window, kEscapeProperty, fallback.escape)};
}

void SubclassDialogEdit(HWND field)
{
    if (!field || !IsWindow(field) || GetPropA(field, kOldProcProperty))
        return;
    WNDPROC previous = (WNDPROC)SetWindowLongPtrA(field, GWLP_WNDPROC, (LONG_PTR)DialogEditProc);
    if (!previous || previous == DialogEditProc)
        return;
    SetPropA(field, kOldProcProperty, (HANDLE)previous);
    if (!gDialogEditOrigProc)
        gDialogEditOrigProc = previous;
}

BOOL CALLBACK SubclassEditChildProc(HWND child, LPARAM)
{
    char name[32] = "";
    GetClassNameA(child, name, sizeof(name));
    if (lstrcmpiA(name, "EDIT") == 0)
        SubclassDialogEdit(child);
    return TRUE;
}

void SubclassDialogEdits(HWND window)
{
    if (window && IsWindow(window))
        EnumChildWindows(window, SubclassEditChildProc, 0);
}

LRESULT CALLBACK DialogEditProc(HWND field, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WNDPROC previous = (WNDPROC)GetPropA(field, kOldProcProperty);
    if (!previous)
        previous = gDialogEditOrigProc;
    switch (msg) {
    case WM_GETDLGCODE:
        return AddWantedKeys(field, CallPrevious(previous, field, msg, wParam, lParam), lParam);
    case WM_KEYDOWN:
        if (OnKeyDown(field, wParam))
            return 0;
        break;
    case WM_CHAR:
        if (IsConsumedChar(field, wParam))
            return 0;
        break;
    case WM_CUT:
        if (!(StyleOf(field) & (ES_READONLY | ES_PASSWORD)))
            EditCut(field);
        return 0;
    case WM_COPY:
        if (!(StyleOf(field) & ES_PASSWORD))
            EditCopy(field);
        return 0;
    case WM_PASTE:
        if (OnPaste(field))
            return 0;
        break;
    case WM_NCDESTROY:
        RemovePropA(field, kOldProcProperty);
        break;
    }
    return CallPrevious(previous, field, msg, wParam, lParam);
}
