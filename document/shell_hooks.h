#pragma once
// What the document layer asks of the window around it. The status bar, the tab images,
// the main window's layout and the vanished-file check belong to the shell above, which
// fills this table in once, before it creates the main window. Until then each entry does
// nothing, as there is no window for it to act on.

#include "document/drawing_hold.h"

#include <windows.h>

#include <string>

struct ShellHooks {
    // Writes a short result text into the status bar, until the next description.
    void (*setStatusText)(const char* text);
    // Rewrites the description of the active document: it was shown or its state changed.
    void (*updateStatusBar)();
    // The same right after a recorded change of the text, at a cost that does not grow with it.
    void (*updateStatusBarAfterEdit)();
    // The modified mark of one tab's image, or of every tab's.
    void (*updateTabIcon)(int index);
    void (*updateAllTabIcons)();
    // The active document was shown: asks whether its file still exists.
    bool (*checkActiveFileExists)(HWND owner);
    // The text was replaced: lays out the main window's children, once they all exist.
    void (*layoutMainWindow)(HWND mainWnd);
    // The line count may have changed: the line-number gutter follows.
    void (*refreshGutter)();
    // The status bar's text as it stands; false when there is no status bar.
    bool (*readStatusText)(std::string* text);
    // Holding the editor control's drawing while an undo step changes its text.
    DrawingHoldFunctions editorDrawing;
};
extern ShellHooks gShellHooks;

// The calls every layer makes, under the names they have always had.
inline void SetStatusText(const char* text)
{
    gShellHooks.setStatusText(text);
}
inline void UpdateStatusBar()
{
    gShellHooks.updateStatusBar();
}
inline void UpdateStatusBarAfterEdit()
{
    gShellHooks.updateStatusBarAfterEdit();
}
inline void UpdateTabIcon(int index)
{
    gShellHooks.updateTabIcon(index);
}
inline void UpdateAllTabIcons()
{
    gShellHooks.updateAllTabIcons();
}
