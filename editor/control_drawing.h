#pragma once
// Keeping the editor control from drawing while its text changes, under Wine as on
// Windows.

#include <windows.h>

// Stops the control's drawing until ReleaseControlDrawing: nothing it does meanwhile
// reaches the screen. False (and nothing done) when its drawing is already held or the
// window is hidden.
bool HoldControlDrawing(HWND editor);
// Lets it draw again and asks the next paint for the whole client area, and for the
// frame when a scroll bar or the window moved meanwhile. Nothing when it was not held.
void ReleaseControlDrawing(HWND editor);
// For the tests: nothing held.
void ResetControlDrawingState();

// Holds the control's drawing for a scope, unless it is held already.
class ControlDrawingHold {
public:
    explicit ControlDrawingHold(HWND editor) : editor_(editor), held_(HoldControlDrawing(editor)) {}
    ~ControlDrawingHold()
    {
        if (held_)
            ReleaseControlDrawing(editor_);
    }
    ControlDrawingHold(const ControlDrawingHold&) = delete;
    ControlDrawingHold& operator=(const ControlDrawingHold&) = delete;

private:
    HWND editor_;
    bool held_;
};
