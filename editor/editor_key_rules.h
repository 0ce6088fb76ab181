#pragma once
// The text rules behind the editor's own keys outside block mode: the rule of hyphens
// (Ctrl+L), the time stamp (F5), the characters that never reach the text, indentation
// with Tab and Shift+Tab, and smart Home. Pure: no windows.h.

#include <string>

// 22 hyphens.
extern const char kHyphenRule[];
// What Tab inserts: two spaces, never a tab character.
extern const char kIndentUnit[];
const int kIndentUnitLength = 2;

// "YYYY-MM-DD hh:mm:ss".
std::string TimeStampText(int year, int month, int day, int hour, int minute, int second);

// The characters of the editor's own Ctrl shortcuts (and of Tab, Esc, Ctrl+Y and Ctrl+Z,
// whose work is done on the key-down) that a WM_CHAR must not put into the text. Ctrl+
// Backspace arrives as 0x7F, and a plain Backspace (0x08 without Ctrl) passes.
bool IsDroppedControlCharacter(unsigned code, bool ctrlHeld);

// The last line that Tab or Shift+Tab changes for the selection s..e over the lines
// first..last, lastLineStart being the offset of line last: a selection that ends at the
// very start of a later line does not take that line.
int IndentLastLine(int s, int e, int first, int last, int lastLineStart);
// The change of a line's length by Tab (+2) or by Shift+Tab (0, -1 or -2) for a line
// that begins with the n bytes of head (at most two are looked at): Shift+Tab takes one
// leading tab, or one or two leading spaces.
int IndentDelta(bool outdent, const char* head, int n);
// Where the end e of the selection goes after the lines changed by delta bytes in all:
// it follows the change, but an end inside the indentation that Shift+Tab removed stays
// at the start of its line (lastLineStart, the new offset of the last changed line).
int IndentedSelectionEnd(int e, int delta, int lastLineStart);

// Home on the line of n bytes at lineStart with the caret (the selection's active end)
// at active: the first byte after the leading spaces and tabs, or the line start when
// the caret is there already.
int SmartHomeTarget(const char* line, int n, int lineStart, int active);
