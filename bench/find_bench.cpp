// Measures the find engine: Replace All of 100,000 matches in a 5 MB log, plain and with a
// regular expression, Count of a plain word in 50 MB, Count of a few regular expressions in
// a 10 MB log, and the time a runaway expression takes to end with the complexity error.
//
//   find_bench [--save] [--compare]
//
// --save writes the 5 MB input and both results (find_bench_input.txt, find_bench_plain.txt,
// find_bench_regex.txt), the 10 MB log (find_bench_log.txt), the runaway's text
// (find_bench_runaway.txt) and the counts grep must find (find_bench_grep.txt: count, file,
// extended expression, tab-separated) to the current folder, so that bench/find_bench.sh can
// run `sed` and `grep` on the same bytes in the same run (under Wine this program cannot start
// them).
// --compare (not on Windows) runs those `sed` commands itself and checks their output.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_memory.h"
#include "bench/find_bench_text.h"
#include "search/find_engine.h"

namespace {

double Milliseconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The first run and the median of seven: the first shows cold memory, the median what a
// user who repeats the command sees.
void Time(const char* what, const std::function<uint32_t()>& work, uint32_t expected)
{
    std::vector<double> runs;
    uint32_t got = 0;
    for (int i = 0; i < 7; ++i) {
        auto start = std::chrono::steady_clock::now();
        got = work();
        runs.push_back(Milliseconds(start));
    }
    double first = runs[0];
    std::sort(runs.begin(), runs.end());
    printf("  %-44s first %8.1f ms   median %8.1f ms   (%u matches)\n", what, first, runs[runs.size() / 2],
           (unsigned)got);
    if (got != expected) {
        fprintf(stderr, "expected %u matches\n", (unsigned)expected);
        exit(1);
    }
}

bool WriteFile(const char* name, const std::string& bytes)
{
    FILE* f = fopen(name, "wb");
    bool ok = f && fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f)
        ok = fclose(f) == 0 && ok;
    if (!ok)
        fprintf(stderr, "cannot write %s\n", name);
    return ok;
}

// Count of each expression in a 10 MB log, with its extended form for grep -oE (which has no
// \d), then the runaway: (a+)+b over 30,000 a's must end with the complexity error, and a
// repeated choice over a 600-byte line must run to its answer.
struct RegexCase {
    const char* pattern;
    const char* grep;
};
const RegexCase kLogCases[] = {
    {"worker-\\d+", "worker-[0-9]+"},
    {"INFO .*timeout", "INFO .*timeout"},
    {"(\\d+)ms", "([0-9]+)ms"},
    {"[a-z].*z", "[a-z].*z"},
    {"(a|b)*c", "(a|b)*c"},
};

FindOptions Options(const char* find, const char* replace, bool regex, bool matchCase)
{
    FindOptions o;
    o.findText = find;
    o.replaceText = replace;
    o.regex = regex;
    o.matchCase = matchCase;
    return o;
}

#ifndef _WIN32
void TimeSed(const char* what, const std::string& script, const char* output, const std::string& expected)
{
    std::string command = "LC_ALL=C sed " + script + " find_bench_input.txt > " + output;
    std::vector<double> runs;
    for (int i = 0; i < 7; ++i) {
        auto start = std::chrono::steady_clock::now();
        if (system(command.c_str()) != 0) {
            printf("  %-44s failed\n", what);
            return;
        }
        runs.push_back(Milliseconds(start));
    }
    double first = runs[0];
    std::sort(runs.begin(), runs.end());
    FILE* f = fopen(output, "rb");
    std::string got;
    char buffer[65536];
    size_t n;
    while (f && (n = fread(buffer, 1, sizeof buffer, f)) > 0)
        got.append(buffer, n);
    if (f)
        fclose(f);
    printf("  %-44s first %8.1f ms   median %8.1f ms   (%s)\n", what, first, runs[runs.size() / 2],
           got == expected ? "same output" : "OUTPUT DIFFERS");
}
#endif

bool TimeRegexLimits(bool save)
{
    std::string log = MakeFindBenchLog(kFindBenchRegexLines);
    printf("Regular expressions, Count in %.2f MB, match case\n", log.size() / 1048576.0);
    std::string grepList;
    for (const RegexCase& c : kLogCases) {
        FindOptions o = Options(c.pattern, "", true, true);
        CountResult first = CountInText(log, o);
        if (first.outcome == FindOutcome::Failed) {
            fprintf(stderr, "%s failed: %s\n", c.pattern, first.error.c_str());
            return false;
        }
        uint32_t count = first.count;
        std::string label = std::string("regex \"") + c.pattern + "\"";
        Time(label.c_str(), [&] { return CountInText(log, o).count; }, count);
        grepList += std::to_string(count) + "\tfind_bench_log.txt\t" + c.grep + "\n";
    }
    std::string line;
    for (int i = 0; i < 600; ++i)
        line += "ab"[i % 3 == 0];
    FindOptions choice = Options("(a|b)*c", "", true, true);
    Time(
        "regex \"(a|b)*c\" over 600 bytes of a and b",
        [&] {
            CountResult r = CountInText(line, choice);
            return r.outcome == FindOutcome::Failed ? UINT32_MAX : r.count;
        },
        0);

    // Each run ends with the complexity error; three runs, since each takes seconds.
    std::string runaway(30000, 'a');
    FindOptions nested = Options("(a+)+b", "", true, true);
    std::vector<double> runs;
    for (int i = 0; i < 3; ++i) {
        auto start = std::chrono::steady_clock::now();
        FindHit hit = FindInText(runaway, 0, 0, true, nested);
        runs.push_back(Milliseconds(start));
        if (hit.outcome != FindOutcome::Failed) {
            fprintf(stderr, "(a+)+b over 30,000 a's did not end with an error\n");
            return false;
        }
    }
    double first = runs[0];
    std::sort(runs.begin(), runs.end());
    printf("  %-44s first %8.1f ms   median %8.1f ms   (the complexity error)\n",
           "regex \"(a+)+b\" over 30,000 a's", first, runs[1]);
    grepList += "0\tfind_bench_runaway.txt\t(a+)+b\n";
    return !save || (WriteFile("find_bench_log.txt", log) && WriteFile("find_bench_runaway.txt", runaway) &&
                     WriteFile("find_bench_grep.txt", grepList));
}

} // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    BenchKeepFreedMemory();
    bool save = false, compare = false;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--save") == 0)
            save = true;
        else if (strcmp(argv[i], "--compare") == 0)
            compare = save = true;
    }

    const int kMatches = kFindBenchReplaceLines;
    std::string log = MakeFindBenchLog(kMatches);
    printf("Replace All in %.2f MB, %d matches\n", log.size() / 1048576.0, kMatches);
    FindOptions plain = Options("timeout", "deadline", false, true);
    FindOptions regex = Options("worker-(\\d+)", "w\\1", true, true);
    std::string plainOut, regexOut;
    Time(
        "plain \"timeout\" -> \"deadline\"",
        [&] {
            ReplaceAllResult r = ReplaceAllInText(log, plain);
            plainOut.swap(r.text);
            return r.count;
        },
        kMatches);
    Time(
        "regex \"worker-(\\d+)\" -> \"w\\1\"",
        [&] {
            ReplaceAllResult r = ReplaceAllInText(log, regex);
            regexOut.swap(r.text);
            return r.count;
        },
        kMatches);
    if (save && !(WriteFile("find_bench_input.txt", log) && WriteFile("find_bench_plain.txt", plainOut) &&
                  WriteFile("find_bench_regex.txt", regexOut)))
        return 1;
#ifndef _WIN32
    if (compare) {
        TimeSed("sed 's/timeout/deadline/g'", "'s/timeout/deadline/g'", "find_bench_sed_plain.txt", plainOut);
        TimeSed("sed -E 's/worker-([0-9]+)/w\\1/g'", "-E 's/worker-([0-9]+)/w\\1/g'",
                "find_bench_sed_regex.txt", regexOut);
    }
#else
    (void)compare;
#endif

    log.clear();
    log.shrink_to_fit();
    plainOut.clear();
    plainOut.shrink_to_fit();
    regexOut.clear();
    regexOut.shrink_to_fit();
    const int kBigLines = kFindBenchCountLines;
    std::string big = MakeFindBenchLog(kBigLines);
    printf("Count in %.2f MB\n", big.size() / 1048576.0);
    FindOptions word = Options("timeout", "", false, true);
    Time(
        "plain \"timeout\", match case", [&] { return CountInText(big, word).count; }, kBigLines);
    word.matchCase = false;
    Time(
        "plain \"TIMEOUT\", any case",
        [&] {
            word.findText = "TIMEOUT";
            return CountInText(big, word).count;
        },
        kBigLines);
    // A long find text of repeated bytes: the case that makes a naive search O(n * m).
    std::string repeated(50 << 20, 'a');
    FindOptions longFind = Options("", "", false, true);
    longFind.findText = std::string(500, 'a') + "b" + std::string(500, 'a');
    Time(
        "plain 1001-byte \"a..aba..a\" in 50 MB of \"a\"",
        [&] { return CountInText(repeated, longFind).count; }, 0);
    repeated.clear();
    repeated.shrink_to_fit();
    big.clear();
    big.shrink_to_fit();
    return TimeRegexLimits(save) ? 0 : 1;
}
