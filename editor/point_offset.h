#pragma once
// EM_CHARFROMPOS reports the character index and the line in 16 bits each, so past
// 65,535 bytes (or lines) its answer is only the low half. The full values are rebuilt
// here from what the point itself tells: its line from the y coordinate, its offset as
// the one on that line with the reported low half. Pure: no windows.h.

#include <vector>

// The line under a client y coordinate, firstLineY being the top of the first visible
// line firstLine; limited to 0 .. lineCount - 1.
int LineAtY(int y, int firstLineY, int firstLine, int lineHeight, int lineCount);
// The value nearest to estimate whose low 16 bits are low16 (0 or more; a tie gives the
// smaller).
int NearestWithLow16(unsigned low16, int estimate);
// The offsets from lineStart to lineStart + lineLength (the line's end included) whose
// low 16 bits are low16, ascending: one for every line shorter than 65,536 bytes, none
// when the line cannot hold such an offset.
std::vector<int> LineOffsetsWithLow16(unsigned low16, int lineStart, int lineLength);
