#pragma once
// The diff class of one line, from its first non-blank character. Pure: no windows.h.

// Sets exactly one flag and returns true for an Added or Removed line; returns false and
// sets nothing otherwise. The line is given without its line break.
bool ClassifyDiffLine(const char* text, int length, bool* added, bool* removed);
