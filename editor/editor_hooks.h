#pragma once
// What the editor asks of the layers above it: the shell lays out the main window and
// carries out the shortcuts that are not the editor's own; a modal key handler (Vim mode)
// takes keys and characters before the editor does. The shell fills the table in once,
// before it creates the main window, and lets the Vim mode register its handlers. Until
// then each entry does nothing and consumes nothing.

#include <windows.h>

struct ShortcutAction;

struct EditorHooks {
    // The font or the gutter's width changed: the main window lays out its children again.
    void (*layoutMainWindow)(HWND mainWnd);
    // The user chose another font face or size (gFontName, gFontSize): the settings keep it.
    void (*fontChanged)();
    // A shortcut of the editor's keys that the main window carries out (Find Next, Find
    // Previous, Go To Line, the commands sent to it).
    void (*runShortcut)(HWND mainWnd, const ShortcutAction& action);
    // F12: the modal mode goes on or off.
    void (*toggleModalMode)(HWND mainWnd);
    // A WM_KEYDOWN of the editor, before the editor's own keys; controlProcedure is the
    // control's own window procedure. True when the key was consumed.
    bool (*modalKeyDown)(HWND editor, int virtualKey, WNDPROC controlProcedure);
    // A WM_CHAR or WM_IME_CHAR of the editor, after block mode's; true when consumed.
    bool (*modalCharacter)(HWND editor, int character);
    // True while the modal mode takes characters as commands, so that block mode leaves
    // them alone.
    bool (*modalTakesCharacters)();
};
extern EditorHooks gEditorHooks;
