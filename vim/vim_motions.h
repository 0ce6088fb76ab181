#pragma once
// Positions that the Vim mode's motions compute on the editor's whole text (byte offsets;
// lines end with CR LF, a lone LF also ends a line). Word rules work on single bytes:
// blanks are space, tab, LF, VT, FF and CR (so word motions cross lines); word bytes are
// ASCII letters, digits, "_" and every byte from 0x80 (accented letters and both bytes
// of a double-byte character stay inside words); every other byte is punctuation.
// Pure: no windows.h.

#include "editor/visual_columns.h" // LeadByteTest

#include <string>

bool VimIsBlank(char c);
bool VimIsWordChar(char c);
bool VimIsPunctChar(char c);

// 2 for a lead byte with a byte after it that is no CR or LF, else 1 (also outside the
// text).
int VimGetCharWidth(const std::string& text, int position, LeadByteTest isLeadByte);

int VimWordForward(const std::string& text, int position);     // w
int VimWordBackward(const std::string& text, int position);    // b
int VimWordEnd(const std::string& text, int position, LeadByteTest isLeadByte); // e
int VimBigWordForward(const std::string& text, int position);  // W
int VimBigWordBackward(const std::string& text, int position); // B
int VimBigWordEnd(const std::string& text, int position, LeadByteTest isLeadByte); // E
// iw: the run of word bytes, blanks or punctuation at the position; end exclusive.
void VimInnerWord(const std::string& text, int position, int* start, int* end);

// The start of the line that holds the position.
int VimLineStart(const std::string& text, int position);
// The end of that line, before its line break.
int VimLineEnd(const std::string& text, int position);
// The length of the line break at a line end: 2 for CR LF, 1 for a lone LF, 0 at the end
// of the text.
int VimLineBreakLength(const std::string& text, int lineEnd);
// True between the CR and the LF of a line break: a range that starts or ends there
// would leave a lone CR or LF in the text.
bool VimInsideLineBreak(const std::string& text, int position);
// The end of the character at the position, a CR LF counting as one character (the line
// break under a cursor at its line's end), so that a range which takes that character
// takes the whole break. The text length at or past its end.
int VimCharacterEnd(const std::string& text, int position, LeadByteTest isLeadByte);
// ^: the first byte of the line that is neither space nor tab, or the line's end.
int VimFirstNonBlank(const std::string& text, int position);
// The 0-based number of the line that holds the position.
int VimLineOfPosition(const std::string& text, int position);
// The start of a 0-based line; -1 when the text has no such line.
int VimStartOfLine(const std::string& text, int line);

// %: the partner of the bracket at the position (nesting of the same kind counted), or
// the position itself.
int VimMatchBracket(const std::string& text, int position);

// Searches compare bytes, case-sensitive; with a lead-byte test an occurrence that would
// split a double-byte character does not count.
// n and N: the next occurrence of the needle after the cursor (forward) or before it
// (backward), wrapping around the text; -1 when there is none.
int VimFindNext(const std::string& text, const std::string& needle, int cursor, bool backward,
                LeadByteTest isLeadByte);
// The search line: the first occurrence at or after the position, else from the start;
// -1 when there is none.
int VimFindFrom(const std::string& text, const std::string& needle, int position, LeadByteTest isLeadByte);
