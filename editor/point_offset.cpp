#include "editor/point_offset.h"

namespace {

const int kSpan = 0x10000;

} // namespace

int LineAtY(int y, int firstLineY, int firstLine, int lineHeight, int lineCount)
{
    if (lineHeight < 1)
        lineHeight = 1;
    int dy = y - firstLineY;
    // Rounded down also above the first line.
    int rows = dy >= 0 ? dy / lineHeight : -((-dy + lineHeight - 1) / lineHeight);
    long long line = (long long)firstLine + rows;
    if (line > (long long)lineCount - 1)
        line = (long long)lineCount - 1;
    return line < 0 ? 0 : (int)line;
}

int NearestWithLow16(unsigned low16, int estimate)
{
    low16 &= 0xFFFF;
    if (estimate < 0)
        estimate = 0;
    long long base = (long long)estimate - (estimate & 0xFFFF) + low16;
    long long best = -1;
    for (long long candidate : {base - kSpan, base, base + kSpan}) {
        if (candidate < 0 || candidate > 0x7FFFFFFF)
            continue;
        long long distance = candidate > estimate ? candidate - estimate : estimate - candidate;
        long long bestDistance = best > estimate ? best - estimate : estimate - best;
        if (best < 0 || distance < bestDistance)
            best = candidate;
    }
    return (int)best;
}

std::vector<int> LineOffsetsWithLow16(unsigned low16, int lineStart, int lineLength)
{
    std::vector<int> offsets;
    if (lineStart < 0 || lineLength < 0)
        return offsets;
    long long end = (long long)lineStart + lineLength;
    long long first = (long long)lineStart - (lineStart & 0xFFFF) + (low16 & 0xFFFF);
    if (first < lineStart)
        first += kSpan;
    for (long long at = first; at <= end; at += kSpan)
        offsets.push_back((int)at);
    return offsets;
}
