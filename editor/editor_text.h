#pragma once
// What commands of every layer do to the editor before or instead of typing: leave block
// mode, replace the whole text.

// Where the control's caret is left when block mode ends.
enum class BlockExitCaret {
    Kept,        // where it is: the command places it itself
    AtBlockCaret // where the block caret was
};

// Ends block selection and multi-caret editing and forgets their rows; when block mode
// was on, the editor is repainted: a command that moves the caret or replaces the text
// by itself starts from one caret.
void LeaveBlockMode(BlockExitCaret caret = BlockExitCaret::Kept);

// Replaces the editor's whole text with redrawing off, keeping block mode, and puts the
// caret at the start; the caller brackets it with the undo capture. canUndo: the control
// keeps the old text for its own undo (the program's undo never asks it).
void ReplaceWholeEditorText(const char* text, bool canUndo);
