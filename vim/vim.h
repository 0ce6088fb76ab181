#pragma once
// The Vim mode of the editor.

enum VimMode { kVimNormal, kVimInsert, kVimVisual, kVimVisualLine, kVimCommand, kVimSearch };

extern bool gVimEnabled;
extern VimMode gVimMode;
extern int gVimVisualAnchor;
extern int gVimVisualCursor;

// Removes an old " | VIM: ..." suffix from the status text and appends the current
// mode while Vim mode is on.
void VimUpdateStatus();
