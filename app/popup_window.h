#pragma once
// One way to build the program's popup windows (Find / Replace, Go to Line, the SFTP
// window and its password prompt, About, Keyboard Shortcuts, Update): plain popup windows
// whose controls are created in code from a table.
//
// A modeless window (its messages reach IsDialogMessage through the program's message
// loop, which must list its global handle):
//
//     LRESULT CALLBACK FindReplaceWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
//     {
//         if (msg == WM_CREATE) {
//             const PopupControl controls[] = {
//                 {"STATIC", "Find what:", 0, 0, {12, 14, 80, 18}},
//                 {"EDIT", gFindText.c_str(), WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
//                  {96, 12, 210, 22}, IDC_FIND_WHAT},
//                 {"BUTTON", "Find Next", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, {320, 11, 95, 23}, IDOK},
//                 ...
//             };
//             CreatePopupControls(hwnd, controls, ARRAYSIZE(controls));
//             return 0;
//         }
//         ...
//     }
//
//     RegisterPopupClass("ZorvikFindReplaceClass", FindReplaceWndProc);
//     PopupWindowSpec spec = {"ZorvikFindReplaceClass", "Find", WS_POPUP | WS_VISIBLE | WS_CAPTION |
//                             WS_SYSMENU, WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME, 430, 204,
//                             kPopupClientSize, 0, owner};
//     gFindWnd = CreatePopupWindow(spec);
//
// A modal window (Go to Line, the password prompt): CreateModalPopup disables the owner
// and creates the window; RunModalPopupLoop pumps until the window is gone and enables the
// owner again; the caller then gives the focus back where it belongs.
//
//     HWND window = CreateModalPopup(spec);
//     if (!window)
//         return;
//     RunModalPopupLoop(window, spec.owner, gGoToLineField);
//     SetFocus(editor);
//
// In the modal loop, Enter sends the window WM_COMMAND IDOK (IDCANCEL when its IDCANCEL
// button has the focus) and Esc sends IDCANCEL, so the window procedure closes itself on
// IDOK and IDCANCEL (and on WM_CLOSE) with CloseModalPopup; Ctrl+A selects the text of
// the given field.
// Every control gets DEFAULT_GUI_FONT, and every single-line EDIT the dialog field
// subclass (SubclassDialogEdit: Ctrl+A, word deletion, Enter, Shift+Enter and Esc as the
// buttons the window names with SetPopupButtons, paste without line breaks).

#include <windows.h>

// PopupControl::flags.
enum PopupControlFlag {
    kControlHidden = 1,  // created without WS_VISIBLE
    kControlOwnFont = 2, // no DEFAULT_GUI_FONT: the window sets a font of its own (or none)
};

struct PopupRect {
    int x, y, width, height; // client pixels of the popup
};

// One row of a popup's control table; controls are created in table order, which is also
// the Tab order.
struct PopupControl {
    const char* className; // "STATIC", "EDIT", "BUTTON", "COMBOBOX", "msctls_progress32", ...
    const char* text;      // null for none
    DWORD style;           // beyond WS_CHILD | WS_VISIBLE
    DWORD exStyle;
    PopupRect rect;
    int id = 0;    // 0: none
    int flags = 0; // PopupControlFlag bits
};

// Registers a popup window class unless this module has it already: the window procedure,
// the arrow cursor, the button-face background, no icon, no menu, no class style. True
// when the class exists afterwards.
bool RegisterPopupClass(const char* className, WNDPROC proc);

// Creates the table's controls as children of the window; handles (when not null)
// receives each control's handle by row (null for one that failed). Each gets
// DEFAULT_GUI_FONT unless kControlOwnFont, each single-line EDIT SubclassDialogEdit.
// True when every control was created.
bool CreatePopupControls(HWND window, const PopupControl* controls, int count, HWND* handles = nullptr);

enum PopupSizeKind { kPopupOuterSize, kPopupClientSize };
// A minimum for the placement's coordinates that is no minimum.
const int kNoPlacementMinimum = -2147483647 - 1;

struct PopupWindowSpec {
    const char* className;
    const char* title;
    DWORD style;
    DWORD exStyle;
    int width, height; // the outer size, or the client area for kPopupClientSize
    PopupSizeKind sizeKind;
    int minCoordinate; // x and y are raised to this; kNoPlacementMinimum for none
    HWND owner;        // the window it is centred on and owned by
    void* createParam = nullptr;
};

// The outer size of a window of that style whose client area is width x height (no menu).
SIZE PopupOuterSize(int width, int height, DWORD style, DWORD exStyle);
// The top-left corner that centres a window of that outer size on the owner's window
// rectangle (integer halves of the differences, truncated toward zero), each coordinate
// raised to minCoordinate. Without an owner, the screen stands in for it.
POINT CenterOnOwner(HWND owner, int width, int height, int minCoordinate);

// Creates the popup window that `spec` describes, centred on its owner; null on failure.
HWND CreatePopupWindow(const PopupWindowSpec& spec);

// Disables the owner, then creates the window; when creation fails the owner is enabled
// again and the result is null.
HWND CreateModalPopup(const PopupWindowSpec& spec);

// The modal loop of a window made by CreateModalPopup: runs while the window exists
// (WM_QUIT ends it and is posted again for the program's own loop); then enables the
// owner again. Per message: WM_KEYDOWN of A with Ctrl down and Alt up selects the whole
// text of selectAllField (when it is a window; otherwise the key goes on); Esc sends the
// window WM_COMMAND IDCANCEL; Enter sends IDCANCEL when the window's IDCANCEL button has
// the focus, else IDOK (Enter and Esc whatever the modifiers); everything else goes
// through IsDialogMessage, else it is translated and dispatched.
void RunModalPopupLoop(HWND window, HWND owner, HWND selectAllField);

// Closes a window made by CreateModalPopup from its own procedure: the owner is enabled
// first (destroying the active window while its owner is disabled would hand the
// activation to another program's window), then the window is destroyed and the modal
// loop woken.
void CloseModalPopup(HWND window);

// The step of a message loop for a modeless popup: with selectAll, Ctrl+A (Alt up)
// selects the whole text of the focused control when it is the window or inside it; then
// IsDialogMessage. True when the message was taken.
bool OfferToPopup(HWND window, MSG* msg, bool selectAll);
