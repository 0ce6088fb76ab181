#include <doctest/doctest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "document/codepage.h"
#include "document/textfile.h"

// This file runs twice: in the default code page 1252, and with LANG=ko_KR.UTF-8,
// which makes Wine's ANSI code page 949 (double-byte). Cases that depend on the code
// page are skipped in the other run.

namespace {

bool IsKoreanRun()
{
    const char* lang = getenv("LANG");
    return lang && strncmp(lang, "ko_KR", 5) == 0;
}

const bool kKorean = IsKoreanRun();

std::string Hex(const std::string& s)
{
    std::string out;
    char buf[4];
    for (unsigned char b : s) {
        snprintf(buf, sizeof buf, "%02X ", b);
        out += buf;
    }
    return out;
}

std::string Scratch(const char* name)
{
    CreateDirectoryA("scratch", nullptr);
    return std::string("scratch\\") + name;
}

void PutFile(const std::string& path, const std::string& bytes)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    FILE* f = fopen(path.c_str(), "wb");
    REQUIRE(f);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::string GetFile(const std::string& path)
{
    std::string out;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return "<missing>";
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, n);
    fclose(f);
    return out;
}

// What the platform itself makes of some UTF-16 text in the ANSI code page.
std::string PlatformAnsi(const std::u16string& text)
{
    int n = WideCharToMultiByte(CP_ACP, 0, (LPCWSTR)text.data(), (int)text.size(), nullptr, 0,
                                nullptr, nullptr);
    std::string out((size_t)n, '\0');
    WideCharToMultiByte(CP_ACP, 0, (LPCWSTR)text.data(), (int)text.size(), &out[0], n, nullptr,
                        nullptr);
    return out;
}

struct Line {
    std::u16string unicode;
    std::string utf8;
    std::string ansi;
};

// Lines that the run's code page holds exactly, so that every file round-trips.
std::vector<Line> SampleLines()
{
    if (kKorean) {
        return {
            {u"\uD55C\uAE00", "\xED\x95\x9C\xEA\xB8\x80", "\xC7\xD1\xB1\xDB"},
            {u"\uAC00\uB098 abc", "\xEA\xB0\x80\xEB\x82\x98 abc", "\xB0\xA1\xB3\xAA abc"},
            // A trail byte in the ASCII range, right before the same ASCII letter.
            {u"\uAC02" "A", "\xEA\xB0\x82" "A", "\x81\x41" "A"},
            {u"x", "x", "x"},
        };
    }
    return {
        {u"caf\u00E9", "caf\xC3\xA9", "caf\xE9"},
        {u"na\u00EFve \u20AC" "5", "na\xC3\xAFve \xE2\x82\xAC" "5", "na\xEFve \x80" "5"},
        {u"x", "x", "x"},
    };
}

struct Fixture {
    std::string name;
    std::string bytes;
    EncodingId encoding;
    bool bom;
    EolMode eol;
};

std::string Units(const std::u16string& text, bool bigEndian)
{
    std::string out;
    for (char16_t u : text) {
        char hi = (char)(u >> 8), lo = (char)(u & 0xFF);
        out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

// One text in the spellings the encoders start from.
struct Spellings {
    std::string ansi;
    std::string utf8;
    std::u16string unicode;
};

// The forms a text file takes on disk, each with its encoder.
struct FileForm {
    const char* name;
    EncodingId encoding;
    bool bom;
    std::string (*encode)(const Spellings& text);
};

const FileForm kFileForms[] = {
    {"ANSI", Ansi, false, [](const Spellings& t) { return t.ansi; }},
    {"UTF-8", Utf8, false, [](const Spellings& t) { return t.utf8; }},
    {"UTF-8 BOM", Utf8, true, [](const Spellings& t) { return "\xEF\xBB\xBF" + t.utf8; }},
    {"UTF-16 LE", Utf16Le, true, [](const Spellings& t) { return "\xFF\xFE" + Units(t.unicode, false); }},
    {"UTF-16 BE", Utf16Be, true, [](const Spellings& t) { return "\xFE\xFF" + Units(t.unicode, true); }},
};

const FileForm& Form(const std::string& name)
{
    for (const FileForm& form : kFileForms)
        if (name == form.name)
            return form;
    FAIL("no file form " << name);
    return kFileForms[0];
}

// Every encoding x mark x line-end style of the sample, each line ended.
std::vector<Fixture> AllFixtures()
{
    struct Style {
        std::string name;
        EolMode eol;
        const char* end;
    };
    const Style styles[] = {{"CR LF", Crlf, "\r\n"}, {"LF", Lf, "\n"}, {"CR", Cr, "\r"}};
    std::vector<Fixture> out;
    for (const Style& s : styles) {
        Spellings text;
        for (const Line& line : SampleLines()) {
            text.ansi += line.ansi + s.end;
            text.utf8 += line.utf8 + s.end;
            text.unicode += line.unicode;
            for (const char* p = s.end; *p; ++p)
                text.unicode.push_back((char16_t)*p);
        }
        for (const FileForm& form : kFileForms)
            out.push_back(
                {std::string(form.name) + " " + s.name, form.encode(text), form.encoding, form.bom, s.eol});
    }
    return out;
}

std::string SampleText()
{
    std::string text;
    for (const Line& line : SampleLines())
        text += line.ansi + "\r\n";
    return text;
}

struct Loaded {
    bool ok = false;
    std::string text;
    EncodingId encoding = (EncodingId)-1;
    bool bom = false;
    EolMode eol = (EolMode)-1;
    bool nul = false;
    int32_t loss = -1;
};

Loaded Load(const std::string& path)
{
    Loaded r;
    char* text = LoadTextFileEx(path.c_str(), &r.encoding, &r.bom, &r.eol, &r.loss);
    r.nul = r.loss == TextLostNul;
    if (text) {
        r.ok = true;
        r.text = text;
        free(text);
    }
    return r;
}

// Devices have no attributes to ask for; opening them tells.
bool Exists(const char* path)
{
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

HWND ClipboardWindow()
{
    static HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
    return window;
}

struct ClipFormat {
    UINT format;
    std::string data; // the block's bytes, terminator included where wanted
};

void PutClipboard(const std::vector<ClipFormat>& formats)
{
    REQUIRE(OpenClipboard(ClipboardWindow()));
    EmptyClipboard();
    for (const ClipFormat& f : formats) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, f.data.size());
        REQUIRE(block);
        memcpy(GlobalLock(block), f.data.data(), f.data.size());
        GlobalUnlock(block);
        SetClipboardData(f.format, block);
    }
    CloseClipboard();
}

ClipFormat UnicodeClip(const std::u16string& text)
{
    return {CF_UNICODETEXT, Units(text + u'\0', false)};
}

ClipFormat AnsiClip(const std::string& text)
{
    return {CF_TEXT, text + '\0'};
}

} // namespace

TEST_CASE("the run has the code page it was registered for")
{
    CHECK(GetACP() == (kKorean ? 949u : 1252u));
}

TEST_CASE("loading every encoding x mark x line-end style")
{
    const std::string expected = SampleText();
    for (const Fixture& f : AllFixtures()) {
        CAPTURE(f.name);
        std::string path = Scratch("load.txt");
        PutFile(path, f.bytes);
        Loaded r = Load(path);
        REQUIRE(r.ok);
        CHECK(Hex(r.text) == Hex(expected));
        CHECK(r.encoding == f.encoding);
        CHECK(r.bom == f.bom);
        CHECK(r.eol == f.eol);
        CHECK_FALSE(r.nul);
    }
}

TEST_CASE("loading odd files: marks alone, bad UTF-8, UTF-16 line ends, NULs")
{
    const std::string bad = PlatformAnsi(u"\xFFFD");
    const std::string han = PlatformAnsi(u"\u4E0A");
    const std::string han2 = PlatformAnsi(u"\u4E0D");
    struct Row {
        std::string name;
        std::string bytes;
        std::string text;
        EncodingId encoding;
        bool bom;
        EolMode eol;
        bool nul;
    };
    const Row rows[] = {
        {"empty", "", "", Utf8, false, Crlf, false},
        {"UTF-8 mark only", "\xEF\xBB\xBF", "", Utf8, true, Crlf, false},
        {"UTF-16 LE mark only", "\xFF\xFE", "", Utf16Le, true, Crlf, false},
        {"UTF-16 BE mark only", "\xFE\xFF", "", Utf16Be, true, Crlf, false},
        {"mixed, LF wins", "a\nb\r\nc\n", "a\r\nb\r\nc\r\n", Utf8, false, Lf, false},
        {"mixed, a tie", "a\rb\nc", "a\r\nb\r\nc", Utf8, false, Crlf, false},
        {"a lone final CR", "abc\r", "abc\r\n", Utf8, false, Cr, false},
        {"invalid UTF-8 is ANSI", "ok \xC3\x28 \xFF\n", "ok \xC3\x28 \xFF\r\n", Ansi, false, Lf,
         false},
        {"bad UTF-8 after a mark", "\xEF\xBB\xBF" "a\xC3" "Ab\xE4" "A", "a" + bad + "b" + bad,
         Utf8, true, Crlf, false},
        {"UTF-16 LE, U+4E0A, CR LF",
         std::string("\xFF\xFE" "a\0\x0A\x4E\r\0\n\0" "b\0\r\0\n\0", 16),
         "a" + han + "\r\nb\r\n", Utf16Le, true, Crlf, false},
        {"UTF-16 LE, U+4E0D, CR LF", std::string("\xFF\xFE\x0D\x4E\r\0\n\0", 8),
         han2 + "\r\n", Utf16Le, true, Crlf, false},
        {"UTF-16 BE, U+4E0A, CR LF", std::string("\xFE\xFF\x4E\x0A\0\r\0\n\0b\0\r\0\n", 14),
         han + "\r\nb\r\n", Utf16Be, true, Crlf, false},
        {"UTF-16 LE, odd length", std::string("\xFF\xFE" "a\0" "b", 5), "a", Utf16Le, true, Crlf,
         false},
        {"NUL in an ASCII file", std::string("ab\0cd\r\n", 7), "ab", Utf8, false, Crlf, true},
        {"NUL in an ANSI file", std::string("\xFF\0\xFF", 3), "\xFF", Ansi, false, Crlf, true},
        {"U+0000 in UTF-16", std::string("\xFF\xFE" "a\0\0\0b\0", 8), "ab", Utf16Le, true, Crlf,
         true},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        std::string path = Scratch("odd.txt");
        PutFile(path, row.bytes);
        Loaded r = Load(path);
        REQUIRE(r.ok);
        CHECK(Hex(r.text) == Hex(row.text));
        CHECK(r.encoding == row.encoding);
        CHECK(r.bom == row.bom);
        CHECK(r.eol == row.eol);
        CHECK(r.nul == row.nul);
    }
}

TEST_CASE("Korean text is whole in code page 949 and lost in 1252")
{
    std::string path = Scratch("korean.txt");
    PutFile(path, "\xED\x95\x9C\xEA\xB8\x80 text\r\n");
    Loaded r = Load(path);
    REQUIRE(r.ok);
    CHECK(r.loss == (kKorean ? TextWhole : TextLostCharacters));
    // U+0101 has a best fit in 1252 ("a"), none in 949.
    PutFile(path, "\xC4\x81\r\n");
    r = Load(path);
    CHECK(r.loss == (kKorean ? TextLostCharacters : TextWhole));
}

TEST_CASE("a file that cannot be read leaves the out-values alone")
{
    EncodingId encoding = (EncodingId)77;
    EolMode eol = (EolMode)88;
    bool bom = true;
    CHECK(LoadTextFile("scratch\\no such file.txt", &encoding, &bom, &eol) == nullptr);
    CHECK(LoadTextFile("no such folder\\a.txt", &encoding, &bom, &eol) == nullptr);
    CHECK(LoadTextFile(nullptr, &encoding, &bom, &eol) == nullptr);

    // A file that another program holds open for writing is not read.
    std::string path = Scratch("busy.txt");
    PutFile(path, "abc");
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(writer != INVALID_HANDLE_VALUE);
    CHECK(LoadTextFile(path.c_str(), &encoding, &bom, &eol) == nullptr);
    CloseHandle(writer);
    CHECK(encoding == 77);
    CHECK(bom);
    CHECK(eol == 88);

    char* text = LoadTextFile(path.c_str(), &encoding, &bom, &eol);
    REQUIRE(text);
    CHECK(std::string(text) == "abc");
    free(text);
}

TEST_CASE("the raw read reports each failure on its own")
{
    char* bytes = (char*)1;
    size_t length = 5;
    CHECK(ReadTextFileBytes("scratch\\missing.txt", &bytes, &length) ==
          FileReadResult::OpenFailed);
    CHECK(bytes == nullptr);
    std::string path = Scratch("raw.txt");
    PutFile(path, "\xFF\xFE" "a");
    REQUIRE(ReadTextFileBytes(path.c_str(), &bytes, &length) == FileReadResult::Ok);
    CHECK(length == 3);
    // The terminating zeros after the bytes let the callers treat them as a string.
    CHECK(memcmp(bytes, "\xFF\xFE" "a\0\0\0\0", 7) == 0);
    free(bytes);

    // 4 GiB and more cannot be held; a sparse file of that size costs no disk.
    std::string big = Scratch("big.bin");
    HANDLE file = CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    REQUIRE(file != INVALID_HANDLE_VALUE);
    LARGE_INTEGER at;
    at.QuadPart = 0x100000000LL + 10;
    bool sized = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    if (sized) {
        CHECK(ReadTextFileBytes(big.c_str(), &bytes, &length) == FileReadResult::ReadFailed);
        EncodingId encoding = (EncodingId)77;
    EolMode eol = (EolMode)88;
        bool bom = false;
        CHECK(LoadTextFile(big.c_str(), &encoding, &bom, &eol) == nullptr);
        CHECK(encoding == 77);
    } else {
        MESSAGE("the scratch file system cannot hold a 4 GiB file; the size check went untested");
    }
    DeleteFileA(big.c_str());
}

TEST_CASE("round trips and conversions: every file written in every form")
{
    const std::vector<Fixture> all = AllFixtures();
    for (const Fixture& from : all) {
        std::string source = Scratch("source.txt");
        PutFile(source, from.bytes);
        Loaded r = Load(source);
        REQUIRE(r.ok);
        for (const Fixture& to : all) {
            CAPTURE(from.name);
            CAPTURE(to.name);
            std::string target = Scratch("target.txt");
            PutFile(target, "old content that is longer than any of the new ones, by far");
            REQUIRE(WriteTextFile(target.c_str(), r.text.data(), (int32_t)r.text.size(),
                                  to.encoding, to.bom, to.eol));
            CHECK(Hex(GetFile(target)) == Hex(to.bytes));
        }
    }
}

TEST_CASE("saving: empty documents, marks, line ends, new files")
{
    struct Row {
        std::string name;
        std::string text;
        EncodingId encoding;
        bool bom;
        EolMode eol;
        std::string bytes;
    };
    const Row rows[] = {
        {"empty ANSI", "", Ansi, false, Crlf, ""},
        {"empty UTF-8", "", Utf8, false, Crlf, ""},
        {"empty UTF-8 BOM", "", Utf8, true, Crlf, "\xEF\xBB\xBF"},
        {"empty UTF-16 LE, no flag", "", Utf16Le, false, Crlf, "\xFF\xFE"},
        {"empty UTF-16 BE, no flag", "", Utf16Be, false, Crlf, "\xFE\xFF"},
        {"LF", "a\r\nb", Utf8, false, Lf, "a\nb"},
        {"CR", "a\r\nb", Utf8, false, Cr, "a\rb"},
        {"CR LF", "a\r\nb", Utf8, false, Crlf, "a\r\nb"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        std::string path = Scratch("new.txt");
        DeleteFileA(path.c_str());
        REQUIRE(WriteTextFile(path.c_str(), row.text.data(), (int32_t)row.text.size(),
                              row.encoding, row.bom, row.eol));
        CHECK(Hex(GetFile(path)) == Hex(row.bytes));
    }
    std::string path = Scratch("null.txt");
    CHECK(WriteTextFile(path.c_str(), nullptr, 10, Utf16Be, false, Lf));
    CHECK(Hex(GetFile(path)) == Hex("\xFE\xFF"));
}

static std::vector<std::string> FolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0)
            names.push_back(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}

TEST_CASE("a save goes through a new file: attributes stay, other hard links keep the old text")
{
    CreateDirectoryA("scratch\\replace", nullptr);
    std::string path = "scratch\\replace\\hidden.txt";
    PutFile(path, "the old and rather longer content\r\n");
    REQUIRE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    REQUIRE(WriteTextFile(path.c_str(), "new\r\n", 5, Utf8, false, Lf));
    CHECK(GetFile(path) == "new\n");
    CHECK((GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0);
    CHECK(FolderNames("scratch\\replace") == std::vector<std::string>{"hidden.txt"});
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());

    // The price of never writing over the old bytes: a second name of the file is cut
    // loose and keeps the old text.
    path = Scratch("linked.txt");
    std::string link = Scratch("link.txt");
    DeleteFileA(link.c_str());
    PutFile(path, "old\r\n");
    if (!CreateHardLinkA(link.c_str(), path.c_str(), nullptr)) {
        MESSAGE("no hard links here");
        return;
    }
    REQUIRE(WriteTextFile(path.c_str(), "new\r\n", 5, Utf8, false, Lf));
    CHECK(GetFile(path) == "new\n");
    CHECK(GetFile(link) == "old\r\n");
    DeleteFileA(link.c_str());
}

TEST_CASE("a save that cannot be done returns false and keeps the old file")
{
    CHECK_FALSE(WriteTextFile(nullptr, "a", 1, Utf8, false, Crlf));
    CHECK_FALSE(WriteTextFile("", "a", 1, Utf8, false, Crlf));

    CHECK_FALSE(WriteTextFile("scratch\\no such folder\\a.txt", "a", 1, Utf8, false, Crlf));
    CHECK(GetFileAttributesA("scratch\\no such folder") == INVALID_FILE_ATTRIBUTES);

    std::string path = Scratch("readonly.txt");
    PutFile(path, "keep me");
    REQUIRE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    CHECK_FALSE(WriteTextFile(path.c_str(), "new", 3, Ansi, false, Crlf));
    CHECK(GetFile(path) == "keep me");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    // Held open by someone who shares nothing.
    path = Scratch("locked.txt");
    PutFile(path, "keep me");
    HANDLE other =
        CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(other != INVALID_HANDLE_VALUE);
    CHECK_FALSE(WriteTextFile(path.c_str(), "new", 3, Ansi, false, Crlf));
    CloseHandle(other);
    CHECK(GetFile(path) == "keep me");

    // A device whose every write fails, as a full disk does.
    const char* full = "Z:\\dev\\full";
    if (Exists(full)) {
        CHECK_FALSE(WriteTextFile(full, "some text", 9, Utf8, true, Crlf));
        CHECK(Exists(full));
    } else {
        MESSAGE("no Z:\\dev\\full; the failing-write path went untested");
    }
    // No failure leaves a temporary file behind.
    for (const std::string& name : FolderNames("scratch"))
        CHECK(name.compare(0, 3, "~zv") != 0);
}

TEST_CASE("exact conversion from UTF-16 in a single-byte code page and in UTF-8")
{
    // Windows set to UTF-8 as its ANSI code page takes no best-fit flag and no default
    // character for it; the conversion must still give the bytes.
    struct Row {
        unsigned codePage;
        std::u16string text;
        std::string bytes;
        bool defaulted;
    };
    const Row rows[] = {
        {1252, u"caf\u00e9", "caf\xE9", false},
        {1252, u"\u0100", "?", true},
        {65001, u"caf\u00e9 \u20ac", "caf\xC3\xA9 \xE2\x82\xAC", false},
        {65001, u"\U0001F600", "\xF0\x9F\x98\x80", false},
        {65001, std::u16string(1, (char16_t)0xD800) + u"x", "\xEF\xBF\xBDx", true},
    };
    for (const Row& row : rows) {
        CAPTURE(row.bytes);
        bool defaulted = !row.defaulted;
        CHECK(WindowsFromUtf16In(row.codePage, row.text, true, &defaulted) == row.bytes);
        CHECK(defaulted == row.defaulted);
    }
}

TEST_CASE("the UTF-8 conversions set the thread's last error")
{
    SetLastError(0);
    wchar_t units[4];
    CHECK(Utf8ToUtf16(MB_ERR_INVALID_CHARS, "a\xC3", 2, units, 4) == 0);
    CHECK(GetLastError() == ERROR_NO_UNICODE_TRANSLATION);
    SetLastError(0);
    CHECK(Utf8ToUtf16(0, "abcdef", 6, units, 4) == 0);
    CHECK(GetLastError() == ERROR_INSUFFICIENT_BUFFER);
    SetLastError(0);
    CHECK(Utf8ToUtf16(0, "\xC3\xA9", -1, units, 4) == 2);
    CHECK(units[0] == 0xE9);
    CHECK(GetLastError() == 0);

    char bytes[2];
    SetLastError(0);
    CHECK(Utf16ToUtf8(L"\x00E9\x00E9", 2, bytes, 2) == 0);
    CHECK(GetLastError() == ERROR_INSUFFICIENT_BUFFER);
    CHECK(Utf16ToUtf8(L"\x00E9", -1, nullptr, 0) == 3);

    // WideCharToMultiByte's contract around the folding.
    CHECK(WideToAnsi(L"a\x00A0" L"b", -1, nullptr, 0) == 4);
    char out[8] = {};
    CHECK(WideToAnsi(L"a\x00A0\x200B" L"b", -1, out, 8) == 4);
    CHECK(Hex(out) == (kKorean ? "61 20 62 " : "61 A0 62 "));
    CHECK(WideToAnsi(L"ab", 2, out, 8) == 2);
}

TEST_CASE("every character of the fold table in the run's code page")
{
    // A character the code page holds keeps its own bytes; only one that it lacks
    // becomes its look-alike, which in 949 is always a character of the code page.
    // 949 holds U+00AD, U+00B4, U+2032 and U+2033 of the table.
    struct Row {
        char16_t unit;
        std::string cp1252;
        std::string cp949;
    };
    const Row rows[] = {
        {0x00A0, "\xA0", " "},
        {0x2000, " ", " "},
        {0x2009, " ", " "},
        {0x200A, " ", " "},
        {0x202F, " ", " "},
        {0x205F, " ", " "},
        {0x200B, "", ""},
        {0x200D, "", ""},
        {0x2060, "", ""},
        {0xFEFF, "", ""},
        {0x00AD, "\xAD", "\xA1\xA9"},
        {0x2010, "-", "-"},
        {0x2011, "-", "-"},
        {0x2012, "?", "\xA1\xAA"}, // U+2015 in 1252 too: it has no form there
        {0x2013, "\x96", "\xA1\xAA"},
        {0x2014, "\x97", "\xA1\xAA"},
        {0x2022, "\x95", "\xA1\xA4"},
        {0x2023, "\xB7", "\xA1\xA4"},
        {0x2043, "\xB7", "\xA1\xA4"},
        {0x2219, "\xB7", "\xA1\xA4"},
        {0x00B4, "\xB4", "\xA2\xA5"},
        {0x2032, "'", "\xA1\xC7"},
        {0x2033, "\"", "\xA1\xC8"},
        {0x00A3, "\xA3", "\xA1\xCC"},
        {0x2212, "-", "\xA3\xAD"}, // U+FF0D, best fit to "-" in 1252
        {0x02C6, "\x88", "^"},
        {0x02DC, "\x98", "~"},
    };
    for (const Row& row : rows) {
        CAPTURE(Hex(Units(std::u16string(1, row.unit), true)));
        const std::string& bytes = kKorean ? row.cp949 : row.cp1252;
        const wchar_t text[] = {(wchar_t)row.unit, 0};
        char out[8] = {};
        CHECK(WideToAnsi(text, -1, out, 8) == (int)bytes.size() + 1);
        CHECK(Hex(out) == Hex(bytes));
        CHECK(Hex(WideToAnsi(WindowsAnsiCodePage(), std::u16string(1, row.unit))) == Hex(bytes));
    }
}

TEST_CASE("files with the fold table's characters: kept where the code page holds them")
{
    struct Expect {
        std::string text;
        TextLoss loss;
        bool savesBack;
    };
    struct Row {
        std::string name;
        std::string bytes;
        Expect cp1252;
        Expect cp949;
    };
    const std::u16string dashes = u"g\u2013h\u2014i\u00A3j\u00A0k\u2022l\n";
    const std::string utf8 = "g\xE2\x80\x93h\xE2\x80\x94i\xC2\xA3j\xC2\xA0k\xE2\x80\xA2l\n";
    const Spellings dashText = {"", utf8, dashes};
    const Expect dashes1252 = {"g\x96h\x97i\xA3j\xA0k\x95l\r\n", TextWhole, true};
    const Expect dashes949 = {"g\xA1\xAAh\xA1\xAAi\xA1\xCCj k\xA1\xA4l\r\n", TextWhole, false};
    const std::string primes = "\xE2\x80\xB2\xE2\x80\xB3\xC2\xB4\xC2\xAD";
    const Row rows[] = {
        {"UTF-8 dashes, pound, NBSP, bullet", utf8, dashes1252, dashes949},
        {"the same with a mark", Form("UTF-8 BOM").encode(dashText), dashes1252, dashes949},
        {"the same in UTF-16 LE", Form("UTF-16 LE").encode(dashText), dashes1252, dashes949},
        {"primes, acute accent, soft hyphen",
         primes,
         {"'\"\xB4\xAD", TextWhole, false},
         {"\xA1\xC7\xA1\xC8\xA2\xA5\xA1\xA9", TextWhole, true}},
        {"Korean beside an em dash",
         "\xED\x95\x9C\xE2\x80\x94",
         {"?\x97", TextLostCharacters, false},
         {"\xC7\xD1\xA1\xAA", TextWhole, false}},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        const Expect& expect = kKorean ? row.cp949 : row.cp1252;
        std::string path = Scratch("folds.txt");
        PutFile(path, row.bytes);
        Loaded r = Load(path);
        REQUIRE(r.ok);
        CHECK(Hex(r.text) == Hex(expect.text));
        CHECK(r.loss == expect.loss);
        REQUIRE(WriteTextFile(path.c_str(), r.text.data(), (int32_t)r.text.size(), r.encoding, r.bom, r.eol));
        CHECK((GetFile(path) == row.bytes) == expect.savesBack);
    }
}

TEST_CASE("clipboard text in code page 1252" * doctest::skip(kKorean))
{
    struct Row {
        std::string name;
        std::vector<ClipFormat> formats;
        std::string text;
    };
    const Row rows[] = {
        {"Unicode wins", {UnicodeClip(u"\u00E9t\u00E9"), AnsiClip("other")}, "\xE9t\xE9"},
        {"Unicode is folded where the code page lacks a character",
         {UnicodeClip(u"a\u00A0z\u200Bc\u2022\u2023\u2014\u00A3\u2010\r")},
         "a\xA0zc\x95\xB7\x97\xA3-\r\n"},
        // CF_TEXT alone: the system makes CF_UNICODETEXT from it with the code page, and
        // that reading wins, so ANSI text whose bytes happen to be valid UTF-8 is kept.
        {"CF_TEXT alone", {AnsiClip("caf\xC3\xA9")}, "caf\xC3\xA9"},
        {"ANSI in CF_TEXT", {AnsiClip("caf\xE9")}, "caf\xE9"},
        {"line ends", {AnsiClip("a\nb\rc\r\n")}, "a\r\nb\r\nc\r\n"},
        // Our own copy of an ANSI text that looks like UTF-8 must paste unchanged.
        {"own copy", {UnicodeClip(u"\u00C3\u00A9"), AnsiClip("\xC3\xA9")}, "\xC3\xA9"},
        {"CF_TEXT put before differing Unicode", {AnsiClip("x\xC3\xA9"), UnicodeClip(u"y")},
         "y"},
        {"Unicode that folds to nothing", {UnicodeClip(u"\u200B"), AnsiClip("z")}, "z"},
        {"no text", {}, ""},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        PutClipboard(row.formats);
        CHECK(Hex(GetClipboardTextAnsi(ClipboardWindow())) == Hex(row.text));
    }
    CHECK(OpenClipboard(ClipboardWindow()));
    CloseClipboard();
}

TEST_CASE("code page 949: a folded file, double-byte text, clipboard" * doctest::skip(!kKorean))
{
    std::string path = Scratch("korean.txt");
    PutFile(path, "\xE2\x80\x94\xC2\xA0\xED\x95\x9C\xC2\xA3\n");
    Loaded r = Load(path);
    REQUIRE(r.ok);
    CHECK(Hex(r.text) == Hex("\xA1\xAA \xC7\xD1\xA1\xCC\r\n"));
    CHECK(r.encoding == Utf8);
    CHECK(r.eol == Lf);

    // A UTF-16 file with U+4E0A (a Hanja of the code page) and CR LF stays CR LF.
    PutFile(path, std::string("\xFF\xFE\x0A\x4E\r\0\n\0", 8));
    r = Load(path);
    REQUIRE(r.ok);
    CHECK(r.eol == Crlf);
    CHECK(r.text == PlatformAnsi(u"\u4E0A\r\n"));
    CHECK(r.text.size() == 4);
    REQUIRE(WriteTextFile(path.c_str(), r.text.data(), (int32_t)r.text.size(), r.encoding, r.bom,
                          r.eol));
    CHECK(Hex(GetFile(path)) == Hex(std::string("\xFF\xFE\x0A\x4E\r\0\n\0", 8)));

    // Korean syllables whose bytes are also valid UTF-8 (C5 B0, C3 A5) paste as they are.
    PutClipboard({AnsiClip("\xC5\xB0\xC3\xA5")});
    CHECK(Hex(GetClipboardTextAnsi(ClipboardWindow())) == Hex("\xC5\xB0\xC3\xA5"));
    PutClipboard({AnsiClip("\xC7\xD1\xB1\xDB")});
    CHECK(Hex(GetClipboardTextAnsi(ClipboardWindow())) == Hex("\xC7\xD1\xB1\xDB"));
    PutClipboard({UnicodeClip(u"\u2014\uD55C")});
    CHECK(Hex(GetClipboardTextAnsi(ClipboardWindow())) == Hex("\xA1\xAA\xC7\xD1"));
}
