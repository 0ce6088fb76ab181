#pragma once
// Keeping the editor control from drawing while its text changes, under Wine as on
// Windows, and asking the next paint for no more than the change needs.

#include "document/drawing_hold.h"

#include <windows.h>

// Stops the control's drawing until ReleaseControlDrawing: nothing it does meanwhile
// reaches the screen. False (and nothing done) when its drawing is already held or the
// window is hidden.
bool HoldControlDrawing(HWND editor);
// Lets it draw again and asks the next paint for what changed meanwhile: the whole client
// area when the view scrolled or the window moved, else the rows from the line of `from`
// to the line of `to` (offsets into the new text), or down to the bottom when the line
// count changed; from < 0 asks for the whole client area. The frame is repainted when a
// scroll bar changed. Nothing when the drawing was not held.
void ReleaseControlDrawing(HWND editor, int from = -1, int to = -1);
// WM_SETREDRAW sent to the editor: holds or releases (the whole client area), unless an
// outer hold is in force, which the pair then leaves alone.
void SetControlRedraw(HWND editor, bool on);
// A change made under a hold that someone else took: that hold's release repaints the
// whole client area.
void WidenHeldChange();
// For the tests: nothing held.
void ResetControlDrawingState();

// HoldControlDrawing, ReleaseControlDrawing and WidenHeldChange, for DrawingHold.
extern const DrawingHoldFunctions kControlDrawing;

// Holds the control's drawing for a scope, unless it is held already; the range of the
// change, when set, limits what the release repaints.
class ControlDrawingHold : public DrawingHold {
public:
    explicit ControlDrawingHold(HWND editor) : DrawingHold(editor, kControlDrawing) {}
};
