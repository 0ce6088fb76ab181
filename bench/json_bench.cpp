// Measures CheckJson in its three modes over generated documents of several sizes.
//
//   json_bench [--save] [--compare] [MB ...]      (default sizes: 1 10 100)
//
// --save writes each input as json_bench_<MB>mb.json in the current folder, so that other
// tools can be timed on the same bytes (under Wine, where this program cannot start them).
// --compare (not on Windows) also times `jq .`, `jq -c .`, `python3 -m json.tool` and
// `python3 -m json.tool --compact` on the saved file in the same run.
//
//   json_bench --file FILE format|minify
//
// runs as a whole-process tool instead: the file formatted or minified to standard output
// (bench/text_tools_bench.sh times it under Wine beside jq and python the same way).

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_file_tool.h"
#include "bench/bench_memory.h"
#include "tools/json/json.h"

namespace {

const CodePage& BenchCodePage()
{
#ifdef _WIN32
    return WindowsAnsiCodePage();
#else
    return Cp1252CodePage();
#endif
}

// Records of the kind people format: nested objects, short arrays, numbers, escapes and
// characters above 0x7F, about 400 bytes each. With rawHigh false those characters are
// written as escapes, so the text is also valid UTF-8 for the other tools; with rawHigh
// true they are raw bytes of code page 1252, as the editor holds them.
std::string MakeDocument(size_t targetBytes, bool rawHigh)
{
    const char* cafe = rawHigh ? "caf\xE9" : "caf\\u00e9";
    const char* zurich = rawHigh ? "Z\xFCrich" : "Z\\u00fcrich";
    std::string out;
    out.reserve(targetBytes + 1024);
    out += "[";
    uint32_t seed = 12345;
    char buffer[512];
    for (unsigned id = 0; out.size() < targetBytes; ++id) {
        seed = seed * 1103515245u + 12345u;
        unsigned r = seed >> 8;
        snprintf(buffer, sizeof buffer,
                 "%s{\"id\":%u,\"name\":\"user %u\",\"email\":\"user%u@example.org\",\"active\":%s,"
                 "\"score\":%u.%02u,\"ratio\":-%u.5e-%u,\"tags\":[\"t%u\",\"t%u\",\"%s\"],"
                 "\"address\":{\"street\":\"%u Main St.\",\"city\":\"%s\",\"zip\":\"%05u\"},"
                 "\"note\":\"line one\\nline \\\"two\\\" \\u00e9\\t\\u20ac \\u0100 end\","
                 "\"parent\":%s,\"history\":[%u,%u,%u,{\"k\":[]}]}",
                 id ? "," : "", id, id, id, (r & 1) ? "true" : "false", r % 1000, r % 100, r % 9,
                 r % 7, r % 50, (r >> 4) % 50, cafe, r % 9999, zurich, r % 100000, (r & 2) ? "null" : "{}", r % 10,
                 r % 100, r % 1000);
        out += buffer;
    }
    out += "]";
    return out;
}

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double BestOf(int runs, const std::string& text, JsonToolMode mode, size_t* outputSize)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        auto start = std::chrono::steady_clock::now();
        JsonCheckResult r = CheckJson(text, mode, BenchCodePage());
        double t = Seconds(start);
        if (!r.ok) {
            fprintf(stderr, "generated document is invalid: %s\n", r.message.c_str());
            exit(1);
        }
        *outputSize = r.output.size();
        if (t < best)
            best = t;
    }
    return best;
}

void Report(const char* what, double mb, double seconds)
{
    printf("  %-34s %8.3f s  %8.1f MB/s\n", what, seconds, mb / seconds);
}

#ifndef _WIN32
void TimeCommand(const char* what, const std::string& command, double mb)
{
    auto start = std::chrono::steady_clock::now();
    int status = system(command.c_str());
    double t = Seconds(start);
    if (status != 0)
        printf("  %-34s failed (status %d)\n", what, status);
    else
        Report(what, mb, t);
}
#endif

} // namespace

int main(int argc, char** argv)
{
    // Unbuffered, so that what was measured shows even if a later size fails.
    if (argc == 4 && strcmp(argv[1], "--file") == 0) {
        std::string text;
        if (!ReadToolInput(argv[2], &text))
            return 2;
        JsonCheckResult r = CheckJson(text, strcmp(argv[3], "minify") == 0 ? JsonToolMode::Minify : JsonToolMode::Format,
                                      BenchCodePage());
        return r.ok && WriteToolOutput(r.output) ? 0 : 1;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    BenchKeepFreedMemory();
    bool save = false;
    bool compare = false;
    std::vector<double> sizes;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--save") == 0)
            save = true;
        else if (strcmp(argv[i], "--compare") == 0)
            compare = save = true;
        else
            sizes.push_back(atof(argv[i]));
    }
    if (sizes.empty())
        sizes = {1, 10, 100};

    double previousMb = 0, previousFormat = 0, previousMinify = 0;
    for (double size : sizes) {
        std::string text = MakeDocument((size_t)(size * 1024 * 1024), false);
        double mb = text.size() / (1024.0 * 1024.0);
        printf("input %.1f MB (%zu bytes)\n", mb, text.size());
        const int runs = 5;
        size_t outSize = 0;
        Report("CheckJson Validate", mb, BestOf(runs, text, JsonToolMode::Validate, &outSize));
        double format = BestOf(runs, text, JsonToolMode::Format, &outSize);
        Report("CheckJson Format", mb, format);
        printf("  %-34s %zu bytes\n", "formatted size", outSize);
        double minify = BestOf(runs, text, JsonToolMode::Minify, &outSize);
        Report("CheckJson Minify", mb, minify);
        if (previousMb > 0) {
            printf("  x%.1f input: format time x%.2f, minify time x%.2f\n", mb / previousMb,
                   format / previousFormat, minify / previousMinify);
        }
        std::string raw = MakeDocument((size_t)(size * 1024 * 1024), true);
        double rawMb = raw.size() / (1024.0 * 1024.0);
        Report("Format, raw 1252 bytes in strings", rawMb, BestOf(runs, raw, JsonToolMode::Format, &outSize));
        Report("Minify, raw 1252 bytes in strings", rawMb, BestOf(runs, raw, JsonToolMode::Minify, &outSize));
        previousMb = mb;
        previousFormat = format;
        previousMinify = minify;

        char name[64];
        snprintf(name, sizeof name, "json_bench_%gmb.json", size);
        if (save) {
            FILE* f = fopen(name, "wb");
            if (!f || fwrite(text.data(), 1, text.size(), f) != text.size()) {
                fprintf(stderr, "cannot write %s\n", name);
                return 1;
            }
            fclose(f);
        }
#ifndef _WIN32
        if (compare) {
            std::string file = name;
            TimeCommand("jq .", "jq . " + file + " >/dev/null", mb);
            TimeCommand("jq -c .", "jq -c . " + file + " >/dev/null", mb);
            TimeCommand("python3 -m json.tool", "python3 -m json.tool " + file + " >/dev/null", mb);
            TimeCommand("python3 -m json.tool --compact",
                        "python3 -m json.tool --compact " + file + " >/dev/null", mb);
        }
#else
        (void)compare;
#endif
    }
    return 0;
}
