#pragma once
// The diff class of one line, from its first non-blank character. Pure: no windows.h.

#include "editor/visual_columns.h" // LeadByteTest

// Sets exactly one flag and returns true for an Added or Removed line; returns false and
// sets nothing otherwise. The line is given without its line break. The single-byte
// blank (A0) and dashes (96, 97) count only where the code page does not make that byte
// the lead byte of a double-byte character (null isLeadByte: a single-byte page).
bool ClassifyDiffLine(const char* text, int length, bool* added, bool* removed, LeadByteTest isLeadByte);
