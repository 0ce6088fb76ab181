#pragma once
// The status bar's one part: the description of the active document, and the short
// result texts that commands put there until the next description.

// Rewrites the description of the active document (then the Vim mode's suffix).
void UpdateStatusBar();
// The same right after a recorded change of the text, at a cost that does not grow with it.
void UpdateStatusBarAfterEdit();
// Writes the text into part 0 of the status bar.
void SetStatusText(const char* text);
