#include "search/goto_line_number.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

int32_t ParseLineNumber(const char* text)
{
    if (!text)
        return 0;
    while (IsBlank(*text))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (value <= INT32_MAX)
            value = value * 10 + (*text - '0');
    }
    if (value > INT32_MAX)
        value = INT32_MAX;
    return (int32_t)(negative ? -value : value);
}

int32_t GoToLineIndex(int32_t number, int32_t lineCount)
{
    if (number <= 0)
        return -1;
    if (lineCount < 1)
        lineCount = 1;
    return (number < lineCount ? number : lineCount) - 1;
}

int32_t ProposedLineNumber(int32_t caretLine, int32_t lineCount)
{
    if (lineCount < 1)
        lineCount = 1;
    int64_t number = (int64_t)caretLine + 1;
    if (number < 1)
        number = 1;
    if (number > lineCount)
        number = lineCount;
    return (int32_t)number;
}
