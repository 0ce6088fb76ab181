#include "search/find.h"

#include "app/popup_window.h"
#include "editor/editor_text.h"
#include "editor/gutter.h"
#include "search/find_ids.h"
#include "search/goto_line_number.h"

#include <stdio.h>

HWND gGoToLineEditor = nullptr;
int gGoToLineCount = 1;
HWND gGoToLineField = nullptr;
bool gGoToLineClassRegistered = false;

namespace {

const char kGoToLineClass[] = "ZorvikGoToLineClass";

void CreateGoToLineControls(HWND hwnd)
{
    char prompt[64];
    snprintf(prompt, sizeof prompt, "Line number (1 - %d):", gGoToLineCount);
    int proposed = 1;
    if (gGoToLineEditor) {
        DWORD s = 0, e = 0;
        SendMessageA(gGoToLineEditor, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
        int caretLine = (int)SendMessageA(gGoToLineEditor, EM_LINEFROMCHAR, (WPARAM)e, 0);
        proposed = ProposedLineNumber(caretLine, gGoToLineCount);
    }
    char number[16];
    snprintf(number, sizeof number, "%d", proposed);
    const PopupControl controls[] = {
        {"STATIC", prompt, 0, 0, {15, 12, 235, 18}, IDC_GOTO_PROMPT},
        {"EDIT",
         number,
         WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL,
         WS_EX_CLIENTEDGE,
         {15, 34, 235, 22},
         IDC_GOTO_LINE},
        {"BUTTON", "Go", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, {75, 68, 75, 25}, IDOK},
        {"BUTTON", "Cancel", WS_TABSTOP, 0, {160, 68, 75, 25}, IDCANCEL},
    };
    HWND handles[4] = {};
    CreatePopupControls(hwnd, controls, 4, handles);
    gGoToLineField = handles[1];
}

void GoToEnteredLine()
{
    HWND editor = gGoToLineEditor;
    if (!gGoToLineField || !editor)
        return;
    char buffer[32] = {0};
    GetWindowTextA(gGoToLineField, buffer, sizeof buffer);
    int line = GoToLineIndex(ParseLineNumber(buffer), gGoToLineCount);
    if (line < 0)
        return;
    int start = (int)SendMessageA(editor, EM_LINEINDEX, (WPARAM)line, 0);
    if (start == -1)
        return;
    LeaveBlockMode();
    SendMessageA(editor, EM_SETSEL, (WPARAM)start, (LPARAM)start);
    int first = (int)SendMessageA(editor, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageA(editor, EM_LINESCROLL, 0, (LPARAM)(line - first));
    SendMessageA(editor, EM_SCROLLCARET, 0, 0);
    RefreshGutter();
}

} // namespace

LRESULT CALLBACK GoToLineWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        CreateGoToLineControls(hwnd);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            GoToEnteredLine();
            CloseModalPopup(hwnd);
            return 0;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            CloseModalPopup(hwnd);
            return 0;
        }
        break;
    case WM_CLOSE:
        CloseModalPopup(hwnd);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void ShowGoToLineWindow(HWND editor)
{
    if (!editor)
        return;
    HWND owner = GetParent(editor);
    if (!gGoToLineClassRegistered) {
        RegisterPopupClass(kGoToLineClass, GoToLineWndProc);
        gGoToLineClassRegistered = true;
    }
    gGoToLineEditor = editor;
    gGoToLineCount = (int)SendMessageA(editor, EM_GETLINECOUNT, 0, 0);
    if (gGoToLineCount < 1)
        gGoToLineCount = 1;
    gGoToLineField = nullptr;
    PopupWindowSpec spec = {kGoToLineClass,
                            "Go to Line",
                            WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU,
                            WS_EX_DLGMODALFRAME,
                            265,
                            105,
                            kPopupClientSize,
                            0,
                            owner};
    HWND window = CreateModalPopup(spec);
    if (!window)
        return;
    if (gGoToLineField) {
        SetFocus(gGoToLineField);
        SendMessageA(gGoToLineField, EM_SETSEL, 0, -1);
    }
    RunModalPopupLoop(window, owner, gGoToLineField);
    SetFocus(editor);
}
