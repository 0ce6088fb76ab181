#pragma once
// A benchmark program as a whole-process tool, the way jq, python's json.tool and tidy are
// run: read a file, transform it, write the result to standard output. A script then times
// the Windows build under Wine and the other tools the same way, as whole processes.

#include <cstdio>
#include <string>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

// The whole file, or false when it cannot be read.
inline bool ReadToolInput(const char* path, std::string* text)
{
    FILE* f = std::fopen(path, "rb");
    if (!f)
        return false;
    char buffer[1 << 16];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text->append(buffer, n);
    std::fclose(f);
    return true;
}

// The bytes as they are (no CR inserted on Windows).
inline bool WriteToolOutput(const std::string& bytes)
{
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0;
}
