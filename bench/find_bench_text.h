#pragma once
// The text the find benchmarks search: log lines of about 53 bytes, each with exactly one
// "timeout" and one "worker-<n>", CR LF line ends as the editor holds them.

#include <cstdint>
#include <cstdio>
#include <string>

inline std::string MakeFindBenchLog(int lines)
{
    std::string out;
    out.reserve((size_t)lines * 54);
    uint32_t seed = 2024;
    char buffer[160];
    for (int i = 0; i < lines; ++i) {
        seed = seed * 1103515245u + 12345u;
        unsigned r = seed >> 8;
        snprintf(buffer, sizeof buffer, "10:%02u:%02u INFO worker-%u req %06u timeout after %ums\r\n", r % 60,
                 (r >> 6) % 60, r % 16, i % 1000000, r % 5000);
        out += buffer;
    }
    return out;
}

// 100,000 lines (5 MB) for Replace All, 933,000 (50 MB) for Count, 187,000 (10 MB) for the
// regular expressions' Count.
const int kFindBenchReplaceLines = 100000;
const int kFindBenchCountLines = 933000;
const int kFindBenchRegexLines = 187000;
