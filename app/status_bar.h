#pragma once
// The status bar's one part: the description of the active document, and the short
// result texts that commands put there until the next description. Every layer calls
// them through the hooks of document/shell_hooks.h (SetStatusText, UpdateStatusBar,
// UpdateStatusBarAfterEdit), which these fill.

#include "document/shell_hooks.h"

// Rewrites the description of the active document (then the Vim mode's suffix).
void ShowDocumentStatus();
// The same right after a recorded change of the text, at a cost that does not grow with it.
void ShowDocumentStatusAfterEdit();
// Writes the text into part 0 of the status bar.
void ShowStatusText(const char* text);
// What part 0 shows now; false while there is no status bar.
bool ReadStatusText(std::string* text);
