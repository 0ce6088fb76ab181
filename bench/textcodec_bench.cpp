// Decoding and saving cost of large text files: the decode and CR LF normalisation of
// a whole file's bytes (UTF-8, UTF-16, ASCII, ANSI), and the encoding of the text for a
// save. In the Windows build it uses the system code page and also times LoadTextFile
// from disk beside the EDIT control's WM_SETTEXT of the same text.
//
//   textcodec_bench [megabytes...]     (default: 1 10)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "document/textcodec.h"

#ifdef ZV_BENCH_TEXTFILE
#include "document/textfile.h"
#endif

namespace {

double Now()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

const CodePage& Page()
{
#ifdef _WIN32
    return WindowsAnsiCodePage();
#else
    return Cp1252CodePage();
#endif
}

// A log-like text: ASCII lines with an accented word now and then, LF line ends.
std::u16string MakeText(size_t megabytes)
{
    const char16_t* lines[] = {
        u"2024-05-01 12:00:01 INFO  request served in 12 ms for /api/items?page=3\n",
        u"2024-05-01 12:00:02 WARN  caf\u00E9 cache miss, r\u00E9essai dans 5 s\n",
        u"2024-05-01 12:00:03 DEBUG payload {\"id\": 12345, \"name\": \"na\u00EFve\"}\n",
        u"2024-05-01 12:00:04 INFO  \u20AC 19.99 charged \u2014 order 7781 complete\n",
    };
    std::u16string text;
    size_t want = megabytes << 20;
    text.reserve(want + 128);
    for (size_t i = 0; text.size() < want; ++i)
        text += lines[i % 4];
    return text;
}

std::string ToUtf8(const std::u16string& units)
{
    uint32_t error = 0;
    int n = Utf16ToUtf8(units.data(), (int)units.size(), nullptr, 0, &error);
    std::string out((size_t)n, '\0');
    Utf16ToUtf8(units.data(), (int)units.size(), &out[0], n, &error);
    return out;
}

std::string ToUtf16Le(const std::u16string& units, bool crlf)
{
    std::string out("\xFF\xFE", 2);
    out.reserve(units.size() * 2 + units.size() / 10 + 8);
    for (char16_t u : units) {
        if (crlf && u == u'\n')
            out.append("\r\0", 2);
        out.push_back((char)(u & 0xFF));
        out.push_back((char)(u >> 8));
    }
    return out;
}

template <typename F>
double Best(int runs, F&& f)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        double t0 = Now();
        f();
        double t = Now() - t0;
        if (t < best)
            best = t;
    }
    return best;
}

void Report(const char* what, size_t bytes, double ms)
{
    double mb = (double)bytes / (1 << 20);
    printf("  %-34s %8.1f MB %9.1f ms %9.1f MB/s\n", what, mb, ms, ms > 0 ? mb / (ms / 1000) : 0);
}

void DecodeCase(const char* what, const std::string& file)
{
    DecodedText d;
    double ms = Best(3, [&] { DecodeTextFile(Page(), file.data(), file.size(), &d); });
    Report(what, file.size(), ms);
}

#ifdef ZV_BENCH_TEXTFILE
void FileCases(const std::string& utf8)
{
    const char* path = "textcodec_bench.tmp";
    const std::string& plain = utf8;
    FILE* f = fopen(path, "wb");
    if (!f)
        return;
    fwrite(plain.data(), 1, plain.size(), f);
    fclose(f);
    char* text = nullptr;
    double load = Best(3, [&] {
        free(text);
        EncodingId encoding;
        EolMode eol;
        bool bom;
        text = LoadTextFile(path, &encoding, &bom, &eol);
    });
    Report("LoadTextFile (UTF-8, LF)", plain.size(), load);
    size_t length = text ? strlen(text) : 0;
    double save = Best(3, [&] { WriteTextFile(path, text, (int32_t)length, Utf8, false, Lf); });
    Report("WriteTextFile (UTF-8, LF)", plain.size(), save);
    // What the safe save (a temporary file, flushed, renamed into place) costs beside
    // writing the same bytes over the file, with and without the flush.
    for (bool flush : {false, true}) {
        double ms = Best(3, [&] {
            HANDLE file =
                CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            DWORD written = 0;
            WriteFile(file, plain.data(), (DWORD)plain.size(), &written, nullptr);
            if (flush)
                FlushFileBuffers(file);
            CloseHandle(file);
        });
        Report(flush ? "the bytes over the file, flushed" : "the bytes over the file", plain.size(), ms);
    }

    HWND edit = CreateWindowA("EDIT", "", WS_CHILD | ES_MULTILINE | WS_VSCROLL, 0, 0, 600, 400,
                              HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (edit && text) {
        SendMessageA(edit, EM_LIMITTEXT, 0, 0);
        double t0 = Now();
        SendMessageA(edit, WM_SETTEXT, 0, (LPARAM)text);
        double ms = Now() - t0;
        Report("EDIT WM_SETTEXT of that text", length, ms);
        printf("  LoadTextFile / WM_SETTEXT          %8.1f %%\n", ms > 0 ? 100.0 * load / ms : 0);
        DestroyWindow(edit);
    }
    free(text);
    DeleteFileA(path);
}
#endif

void Run(size_t megabytes)
{
    printf("%zu MB of text:\n", megabytes);
    std::u16string units = MakeText(megabytes);
    std::string utf8 = ToUtf8(units);
    DecodeCase("decode UTF-8 (LF)", utf8);
    std::string bomUtf8 = "\xEF\xBB\xBF" + utf8;
    DecodeCase("decode UTF-8 with mark (LF)", bomUtf8);
    DecodeCase("decode UTF-16 LE (CR LF)", ToUtf16Le(units, true));
    std::string ascii = utf8;
    for (char& c : ascii)
        c &= 0x7F;
    DecodeCase("decode ASCII (LF)", ascii);
    std::string ansi = ascii;
    for (size_t i = 40; i < ansi.size(); i += 300)
        ansi[i] = (char)0xE9;
    DecodeCase("decode ANSI (LF)", ansi);

    DecodedText d;
    DecodeTextFile(Page(), utf8.data(), utf8.size(), &d);
    std::string out;
    double ms = Best(3, [&] {
        out = EncodeTextFile(Page(), d.text.data(), d.text.size(), Utf8, false, Lf);
    });
    Report("encode for save UTF-8 (LF)", d.text.size(), ms);
    ms = Best(3, [&] {
        out = EncodeTextFile(Page(), d.text.data(), d.text.size(), Utf16Le, true, Crlf);
    });
    Report("encode for save UTF-16 LE (CR LF)", d.text.size(), ms);
    ms = Best(3, [&] { out = NormalizeToCrlf(utf8.data(), utf8.size()); });
    Report("NormalizeToCrlf alone", utf8.size(), ms);
#ifdef ZV_BENCH_TEXTFILE
    FileCases(utf8);
#endif
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<size_t> sizes;
    for (int i = 1; i < argc; ++i) {
        long mb = strtol(argv[i], nullptr, 10);
        if (mb > 0)
            sizes.push_back((size_t)mb);
    }
    if (sizes.empty())
        sizes = {1, 10};
    for (size_t mb : sizes)
        Run(mb);
    return 0;
}
