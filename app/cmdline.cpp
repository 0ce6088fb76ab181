#include "app/cmdline.h"

bool GetNextCommandLineToken(const char** cursor, char* buffer)
{
    const char* p = *cursor;
    buffer[0] = 0;
    if (!p)
        return false;
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p == 0) {
        *cursor = p;
        return false;
    }
    int length = 0;
    auto keep = [&](char c) {
        if (length < kCommandLineTokenSize - 1)
            buffer[length++] = c;
    };
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            keep(*p++);
        if (*p == '"')
            ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t')
            keep(*p++);
    }
    buffer[length] = 0;
    *cursor = p;
    return length > 0;
}
