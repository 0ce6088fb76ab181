#pragma once
// Visual columns of one line's bytes: a tab advances to the next multiple of 8, a
// double-byte character (a lead byte with a byte after it on the line) counts 2 and is
// stepped over as one unit, every other byte counts 1. Pure: no windows.h.

// The code page's lead-byte test (CodePage::isLeadByte); null means a single-byte page.
using LeadByteTest = bool (*)(unsigned char byte);

// The column at a byte offset from the line start: the width of the characters that
// begin before it. An offset between the two bytes of a double-byte character gives the
// column after that character; an offset past the end gives the line's width; an offset
// of 0 or less gives 0.
int VisualColumnAtOffset(const char* text, int length, int offset, LeadByteTest isLeadByte);
// Continues a walk along the line: from byte *offset, which is at `column`, steps over
// whole characters while *offset is below target (a double-byte character that
// straddles target is passed, leaving *offset one beyond it) and returns the column
// reached. Repeated calls with growing targets walk the line once.
int AdvanceVisualColumn(const char* text, int length, int* offset, int column, int target,
                        LeadByteTest isLeadByte);
// The visual width of the whole line.
int VisualLineWidth(const char* text, int length, LeadByteTest isLeadByte);
// The byte offset of the last character boundary at or before `column`, never entering a
// tab or double-byte character that extends past it. *missing (when asked for) receives
// the columns between that boundary and `column`: the virtual space past the line's end,
// or the part of a straddling character before `column`; 0 when the column was reached.
int VisualColumnToOffset(const char* text, int length, int column, int* missing, LeadByteTest isLeadByte);
// The width of the line's leading run of spaces and tabs.
int IndentationWidth(const char* text, int length);
