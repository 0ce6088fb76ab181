#include "editor/editor_key_rules.h"

#include <stdio.h>

const char kHyphenRule[] = "----------------------";
const char kIndentUnit[] = "  ";

std::string TimeStampText(int year, int month, int day, int hour, int minute, int second)
{
    char text[80];
    snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
    return text;
}

bool IsDroppedControlCharacter(unsigned code, bool ctrlHeld)
{
    switch (code) {
    case 0x08:
        return ctrlHeld;
    case 0x01: // Ctrl+A
    case 0x03: // Ctrl+C
    case 0x06: // Ctrl+F
    case 0x07: // Ctrl+G
    case 0x09: // Tab
    case 0x0A: // Ctrl+J, Ctrl+Enter
    case 0x0C: // Ctrl+L
    case 0x0E: // Ctrl+N
    case 0x0F: // Ctrl+O
    case 0x13: // Ctrl+S
    case 0x16: // Ctrl+V
    case 0x17: // Ctrl+W
    case 0x18: // Ctrl+X
    case 0x19: // Ctrl+Y
    case 0x1A: // Ctrl+Z
    case 0x1B: // Esc
    case 0x7F: // Ctrl+Backspace
        return true;
    }
    return false;
}

int IndentLastLine(int s, int e, int first, int last, int lastLineStart)
{
    if (s != e && last > first && e == lastLineStart)
        return last - 1;
    return last;
}

int IndentDelta(bool outdent, const char* head, int n)
{
    if (!outdent)
        return kIndentUnitLength;
    if (n < 1 || !head)
        return 0;
    if (head[0] == '\t')
        return -1;
    if (head[0] != ' ')
        return 0;
    return n >= 2 && head[1] == ' ' ? -2 : -1;
}

int IndentedSelectionEnd(int e, int delta, int lastLineStart)
{
    return e + delta > lastLineStart ? e + delta : lastLineStart;
}

int SmartHomeTarget(const char* line, int n, int lineStart, int active)
{
    int indent = 0;
    while (line && indent < n && (line[indent] == ' ' || line[indent] == '\t'))
        ++indent;
    return active == lineStart + indent ? lineStart : lineStart + indent;
}
