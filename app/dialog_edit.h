#pragma once
// The EDIT fields of the dialog-like windows share one subclass: Ctrl+A selects all,
// Ctrl+Backspace and Ctrl+Delete delete a word, Ctrl+Y undoes, Enter and Esc press the
// window's buttons (SetPopupButtons), a single-line field pastes without line breaks,
// and cut and copy respect password and read-only fields.

#include <windows.h>

// The buttons (WM_COMMAND ids) that Enter, Shift+Enter and Esc in a window's single-line
// fields press.
struct PopupButtons {
    int enter;
    int shiftEnter;
    int escape;
};
// What a window that names no buttons gets.
const PopupButtons kDefaultPopupButtons = {IDOK, IDOK, IDCANCEL};

// The window names its buttons once it exists (in WM_CREATE, say) and takes them back with
// ForgetPopupButtons while it is destroyed (WM_DESTROY); they are properties of the window.
void SetPopupButtons(HWND window, const PopupButtons& buttons);
void ForgetPopupButtons(HWND window);
// The window's buttons; kDefaultPopupButtons' for a window that named none.
PopupButtons PopupButtonsOf(HWND window);

// The previous procedure of the first field ever subclassed; the fallback for a field
// whose "zv_OldEditProc" property is missing.
extern WNDPROC gDialogEditOrigProc;

// Subclasses one EDIT field once; nothing for a null handle, a handle that is no
// window, or a field that already has the property.
void SubclassDialogEdit(HWND field);
// EnumChildWindows callback: subclasses the child when its class is "EDIT".
BOOL CALLBACK SubclassEditChildProc(HWND child, LPARAM value);
// Subclasses every EDIT child of the window; a second call changes nothing.
void SubclassDialogEdits(HWND window);
LRESULT CALLBACK DialogEditProc(HWND field, UINT msg, WPARAM wParam, LPARAM lParam);

// The bytes that Ctrl+Backspace (backward) or Ctrl+Delete removes next to the caret:
// the blanks (bytes 0x00-0x20) beside it, then one run of word bytes (letters, digits,
// bytes 0x80 and above) or of punctuation. False when there is nothing to remove.
bool FindWordDeletion(const char* text, int length, int caret, bool backward, int* start, int* end);
