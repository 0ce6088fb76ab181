// Throughput of the HTML Beautifier's layout on a generated 5 MB page, and how its cost
// grows with tenfold input twice over, including thousands of unclosed elements. Natively it also
// times `tidy -i -q` on the same page when tidy is installed.
//
//   html_bench [--save FILE] [--no-tidy]
//
// --save writes the 5 MB page, so that other tools can be timed on the same bytes (for
// the Windows build under Wine, which cannot start a Linux tidy).
//
//   html_bench --file FILE
//
// runs as a whole-process tool instead: the file beautified to standard output
// (bench/text_tools_bench.sh times it under Wine beside tidy the same way).
//
//   valgrind --tool=callgrind html_bench --case NAME 0|1|2
//
// beautifies one scaling case once at one of its three sizes, for its instruction count.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tools/html/html_layout.h"

#include "bench/bench_file_tool.h"
#include "bench/bench_memory.h"

namespace {

struct Random {
    uint64_t state;
    uint32_t Next()
    {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return (uint32_t)(state >> 33);
    }
    int Below(int n) { return (int)(Next() % (uint32_t)n); }
};

const char* const kWords[] = {
    "the", "layout", "editor", "window", "text", "of", "a", "page", "with", "many",
    "words", "and", "some", "longer", "sentences", "that", "run", "on", "for", "while",
};

std::string Sentence(Random& r, int words)
{
    std::string s;
    for (int i = 0; i < words; ++i) {
        if (i)
            s += ' ';
        s += kWords[r.Below(20)];
    }
    return s;
}

// One section of a page, either minified on one line or laid out by hand. Every call
// of the generator is its own statement, so that each compiler builds the same page.
std::string Section(Random& r, int index)
{
    std::string nl = r.Below(2) ? "\r\n" : "";
    std::string n = std::to_string(index);
    std::string s = "<div class=\"section\" id=s" + n + ">" + nl;
    s += "<h2>" + Sentence(r, 4) + "</h2>" + nl;
    s += "<p>" + Sentence(r, 12);
    s += " <b>" + Sentence(r, 2);
    s += "</b> " + Sentence(r, 8);
    s += " <a href='/page/" + n + ".html'>" + Sentence(r, 3);
    s += "</a>.</p>" + nl;
    s += "<p>" + Sentence(r, 30);
    s += "<br>" + Sentence(r, 20);
    s += " <em>" + Sentence(r, 2);
    s += "</em></p>" + nl;
    s += "<ul>";
    for (int i = 0, count = 2 + r.Below(4); i < count; ++i)
        s += "<li><span class=item>" + Sentence(r, 3) + "</span></li>" + nl;
    s += "</ul>" + nl;
    if (r.Below(3) == 0) {
        s += "<table><tr><th>Name</th><th>Value</th></tr>";
        for (int i = 0; i < 3; ++i) {
            s += "<tr><td>" + Sentence(r, 1);
            s += "</td><td>" + std::to_string(r.Below(1000)) + "</td></tr>";
        }
        s += "</table>" + nl;
    }
    if (r.Below(4) == 0)
        s += "<pre>  int x = " + n + ";\r\n  return x;</pre>" + nl;
    if (r.Below(4) == 0)
        s += "<!-- section " + n + "\r\n     ends here -->" + nl;
    if (r.Below(5) == 0)
        s += "<img src=\"img/" + n + ".png\" alt='" + Sentence(r, 2) + "'><input type=text name=q>" + nl;
    s += "</div>\r\n";
    return s;
}

std::string Page(size_t bytes)
{
    Random r{42};
    std::string s =
        "<!DOCTYPE html>\r\n<html><head><meta charset=\"utf-8\"><title>Bench</title>\r\n"
        "<style>\r\n  body { margin: 0; }\r\n  .section { padding: 4px; }\r\n</style>\r\n"
        "<script>\r\n    function go() {\r\n      return 1;\r\n    }\r\n</script></head><body>\r\n";
    for (int i = 0; s.size() < bytes; ++i)
        s += Section(r, i);
    return s + "</body></html>\r\n";
}

std::string Repeat(const char* unit, int count)
{
    std::string s;
    s.reserve(std::strlen(unit) * (size_t)count);
    for (int i = 0; i < count; ++i)
        s += unit;
    return s;
}

double Now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool FakeLeadByte(unsigned char b)
{
    return b >= 0x81 && b <= 0xFE;
}

// Best time of one call, over enough calls to fill about half a second. Five calls at the
// least: the largest cases fill the half second in one or two, and on a shared machine the
// best of so few is off by more than the 20% margin the scaling verdict allows.
double SecondsPerCall(const std::string& text, HtmlLeadByteTest lead, size_t* outputSize)
{
    double best = 1e30, total = 0;
    for (int calls = 0; calls < 5 || (total < 0.5 && calls < 200); ++calls) {
        double start = Now();
        std::string out = BeautifyHtml(text, 2, lead);
        double took = Now() - start;
        total += took;
        if (took < best)
            best = took;
        if (outputSize)
            *outputSize = out.size();
    }
    return best;
}

struct ScalingCase {
    const char* name;
    std::function<std::string(int)> make;
    int count; // units of the middle size; the others are a tenth and ten times as many
};

// The input of a case at size k (0, 1 or 2).
std::string ScalingInput(const ScalingCase& c, int k)
{
    return c.make(c.count / 10 * (k == 0 ? 1 : k == 1 ? 10 : 100));
}

// How the time grows with the input over two decades (the case at each of its sizes).
// Crossing a cache size costs the time per byte once, after which it stays flat; but a case
// whose output is fifty times its input crosses a cache in each decade (its output goes from
// under 1 MB to tens of MB), and its time then grows by x12 to x18 in both while its
// instructions grow tenfold. So a case over x12 in both decades is judged by its time per
// output byte as well: memory raises that by less than x2 a decade, a quadratic step by
// nearly x10. The output must grow with the input too, else a quadratic output (indentation
// without its limit) would keep the time per output byte flat.
bool Scaling(const ScalingCase& c)
{
    double t[3];
    size_t in[3], out[3];
    for (int k = 0; k < 3; ++k) {
        std::string text = ScalingInput(c, k);
        in[k] = text.size();
        t[k] = SecondsPerCall(text, nullptr, &out[k]);
    }
    double first = t[1] / t[0], second = t[2] / t[1];
    double perByte[3];
    for (int k = 0; k < 3; ++k)
        perByte[k] = t[k] * 1e9 / (double)std::max<size_t>(out[k], 1);
    bool outputLinear = (double)out[1] / std::max<size_t>(out[0], 1) <= 12.0 * in[1] / in[0] / 10 ||
                        (double)out[2] / std::max<size_t>(out[1], 1) <= 12.0 * in[2] / in[1] / 10;
    bool timeLinear = first <= 12.0 || second <= 12.0;
    bool memory = !timeLinear && outputLinear && perByte[1] <= 2 * perByte[0] && perByte[2] <= 2 * perByte[1];
    bool linear = (timeLinear || memory) && outputLinear;
    const char* verdict = !outputLinear ? "  ALGORITHM: THE OUTPUT GROWS FASTER THAN THE INPUT"
                          : memory      ? "  (over x12 in both decades, under x2 per output byte: memory)"
                          : !timeLinear ? "  ALGORITHM: OVER x12 IN BOTH DECADES, PER OUTPUT BYTE TOO"
                          : first > 12.0 || second > 12.0 ? "  (one decade over x12: memory, not the algorithm)"
                                                          : "";
    std::printf("  %-30s %9zu B %8.3f ms | %9zu B %8.3f ms x%.1f | %10zu B %9.3f ms x%.1f | %5.1f ns/B%s\n", c.name,
                in[0], t[0] * 1e3, in[1], t[1] * 1e3, first, in[2], t[2] * 1e3, second, t[2] * 1e9 / in[2],
                verdict);
    std::printf("    output %zu, %zu and %zu bytes: %.2f, %.2f and %.2f ns per output byte\n", out[0], out[1],
                out[2], perByte[0], perByte[1], perByte[2]);
    return linear;
}

const std::vector<ScalingCase>& ScalingCases()
{
    auto repeat = [](const char* unit) { return [unit](int n) { return Repeat(unit, n); }; };
    static const std::vector<ScalingCase> cases = {
        {"page", [](int n) { return Page((size_t)n << 10); }, 512},
        {"unclosed <b>", repeat("<b>x"), 100000},
        {"unclosed <style>", repeat("<style>"), 100000},
        {"unclosed <pre> and <script>", repeat("<pre>a<script>b"), 10000},
        {"unclosed <div> (deep nesting)", repeat("<div>x"), 10000},
        {"unclosed <i> around blocks", repeat("<i>a<p>b</p>"), 10000},
        {"nested <b> closed at the end",
         [](int n) { return Repeat("<b>w", n) + "<p>x</p>" + Repeat("</b>", n); }, 10000},
        {"stray slashes <a href=x/y/", repeat("<a href=x/y/ b/c /"), 100000},
        {"unclosed quotes <p title='", repeat("<p title='"), 100000},
        {"one unclosed comment", [](int n) { return "<!--" + Repeat("- > ", n); }, 1000000},
    };
    return cases;
}

}  // namespace

int main(int argc, char** argv)
{
    // One scaling case at one of its sizes (0, 1 or 2), beautified once: for counting its
    // instructions (valgrind --tool=callgrind), which, unlike a clock, no cache or fresh
    // page changes, so the growth they show between sizes is the algorithm's alone.
    if (argc == 4 && !std::strcmp(argv[1], "--case")) {
        int k = std::atoi(argv[3]);
        for (const ScalingCase& c : ScalingCases()) {
            if (std::strcmp(c.name, argv[2]) != 0)
                continue;
            std::string text = ScalingInput(c, k);
            std::string out = BeautifyHtml(text, 2, nullptr);
            std::printf("%zu bytes in, %zu bytes out\n", text.size(), out.size());
            return 0;
        }
        return 2;
    }
    if (argc == 3 && !std::strcmp(argv[1], "--file")) {
        std::string text;
        if (!ReadToolInput(argv[2], &text))
            return 2;
        return WriteToolOutput(BeautifyHtml(text, 2, nullptr)) ? 0 : 1;
    }
    const char* save = nullptr;
    bool tidy = true;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--save") && i + 1 < argc)
            save = argv[++i];
        else if (!std::strcmp(argv[i], "--no-tidy"))
            tidy = false;
    }

    BenchKeepFreedMemory();
    const std::string page = Page(5u << 20);
    const double mb = page.size() / 1048576.0;
    if (save) {
        FILE* f = std::fopen(save, "wb");
        if (f) {
            std::fwrite(page.data(), 1, page.size(), f);
            std::fclose(f);
        }
    }
    size_t outSize = 0;
    double single = SecondsPerCall(page, nullptr, &outSize);
    double dbcs = SecondsPerCall(page, FakeLeadByte, nullptr);
    std::printf("BeautifyHtml, %.2f MB page -> %.2f MB:\n", mb, outSize / 1048576.0);
    std::printf("  single-byte code page  %8.1f ms  %7.1f MB/s\n", single * 1e3, mb / single);
    std::printf("  double-byte lead test  %8.1f ms  %7.1f MB/s\n", dbcs * 1e3, mb / dbcs);

#ifdef _WIN32
    (void)tidy;
#else
    if (tidy && std::system("command -v tidy >/dev/null 2>&1") == 0) {
        std::string path = save ? save : "html_bench_page.html";
        if (!save) {
            FILE* f = std::fopen(path.c_str(), "wb");
            if (f) {
                std::fwrite(page.data(), 1, page.size(), f);
                std::fclose(f);
            }
        }
        std::string command = "tidy -i -q '" + path + "' >/dev/null 2>&1";
        double best = 1e30;
        for (int i = 0; i < 3; ++i) {
            double start = Now();
            int status = std::system(command.c_str());
            (void)status;
            double took = Now() - start;
            if (took < best)
                best = took;
        }
        std::printf("  tidy -i -q (same page) %8.1f ms  %7.1f MB/s\n", best * 1e3, mb / best);
        if (!save)
            std::remove(path.c_str());
    }
#endif

    std::printf("Tenfold input twice (at most x12 the time in one of the two decades, or x2 the time per\n"
                "output byte in both):\n");
    bool linear = true;
    for (const ScalingCase& c : ScalingCases())
        linear &= Scaling(c);
    std::printf(linear ? "no case grew faster than its input in both decades, other than by memory\n"
                       : "SOME CASE GREW FASTER THAN ITS INPUT IN BOTH DECADES, per output byte as well; count\n"
                         "its instructions at each size to be sure (--case NAME 0|1|2 under valgrind\n"
                         "--tool=callgrind): the algorithm is linear when they grow at most tenfold\n");
    return linear ? 0 : 1;
}
