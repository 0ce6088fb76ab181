#pragma once
// Re-entrancy and suppression flags (gProgrammaticChange, gTabQuestionLoop, ...) are set
// for the length of a scope and then given back the value they had before, never simply
// cleared: message boxes, dialogs and modal windows run message loops of their own, and a
// nested scope must not end an outer one's protection. Pure: no windows.h.
//
//     {
//         ScopedFlag programmatic(gProgrammaticChange);   // set until the end of the block
//         SetWindowTextA(gEditorWnd, text);
//     }
//
// An early return or an exception restores the flag as well.

class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag, bool value = true) : flag_(flag), saved_(flag) { flag_ = value; }
    ~ScopedFlag() { flag_ = saved_; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& flag_;
    bool saved_;
};
