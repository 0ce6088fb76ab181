#pragma once
// Word boundaries on the editor's byte text: the targets of the word moves (Ctrl+Left and
// Ctrl+Right, also per row of a block) and the rule behind the control's word-break
// procedure. A double-byte character (a lead byte and the byte after it; a lead byte
// that is the last byte of the text stands alone) is never split. Pure: no windows.h.

#include "editor/visual_columns.h" // LeadByteTest

// The start of the character that holds byte `position` (0 <= position < length).
int CharStartAt(const char* text, int length, int position, LeadByteTest isLeadByte);
// The start of the last character that begins before `position` (0 < position <= length).
int CharStartBefore(const char* text, int length, int position, LeadByteTest isLeadByte);
// 2 for a lead byte with a byte after it, else 1 (also outside the text).
int CharWidthAt(const char* text, int length, int position, LeadByteTest isLeadByte);

// Ctrl+Left: back over blanks (bytes up to 0x20, line breaks included), then to the start
// of the run of word characters (ASCII letters, digits, "_" and every byte from 0x80) or
// of punctuation before them. 0 for a position of 0 or less.
int FindWordLeft(const char* text, int length, int position, LeadByteTest isLeadByte);
// Ctrl+Right: over the run that holds the position, then over blanks; the start of the
// next word or punctuation run, or the length.
int FindWordRight(const char* text, int length, int position, LeadByteTest isLeadByte);

// The classes of the word-break rule, which the double click's word selection shares:
// blank (bytes up to 0x20, and every position outside the text), word (ASCII letters,
// digits, "_"), a double-byte character (its lead byte) and other.
enum WordClass { kWordClassBlank, kWordClassWord, kWordClassDbcs, kWordClassOther };
WordClass WordClassAt(const char* text, int length, int position, LeadByteTest isLeadByte);

// The codes of EDITWORDBREAKPROC (WB_LEFT, WB_RIGHT, WB_ISDELIMITER).
enum WordBreakCode { kWordBreakLeft = 0, kWordBreakRight = 1, kWordBreakIsDelimiter = 2 };
// The editor's word-break rule. Classes: blank (bytes up to 0x20), word (ASCII letters,
// digits, "_"), a double-byte character, and other. kWordBreakIsDelimiter: 1 for a blank,
// an other byte or a position outside the text, else 0. kWordBreakLeft: the start of the
// run of one class that ends at the character before the position. kWordBreakRight: the
// end of the run that holds the position. Any other code: 0.
int WordBreakPosition(const char* text, int length, int position, int code, LeadByteTest isLeadByte);
