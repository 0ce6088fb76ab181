#pragma once
// Holding a control's drawing for a scope through three functions: the editor's
// (editor/control_drawing.h) give it its ControlDrawingHold, and the document layer, which
// applies undo steps to the editor control, reaches them through its hooks.

#include <windows.h>

struct DrawingHoldFunctions {
    // Stops the drawing; false (nothing done) when it is held already or cannot be.
    bool (*hold)(HWND control);
    // Lets it draw again, repainting the rows of from..to (from < 0: everything).
    void (*release)(HWND control, int from, int to);
    // A change made under someone else's hold: its release repaints everything.
    void (*widen)();
};

// Holds the drawing for a scope, unless it is held already; the range of the change, when
// set, limits what the release repaints.
class DrawingHold {
public:
    DrawingHold(HWND control, const DrawingHoldFunctions& functions)
        : functions_(functions), control_(control), held_(functions.hold(control))
    {
        if (!held_)
            functions_.widen();
    }
    ~DrawingHold()
    {
        if (held_)
            functions_.release(control_, from_, to_);
    }
    void Changed(int from, int to)
    {
        from_ = from < to ? from : to;
        to_ = from < to ? to : from;
    }
    DrawingHold(const DrawingHold&) = delete;
    DrawingHold& operator=(const DrawingHold&) = delete;

private:
    const DrawingHoldFunctions& functions_;
    HWND control_;
    bool held_;
    int from_ = -1, to_ = -1;
};
