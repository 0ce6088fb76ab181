#include <doctest/doctest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "document/encoding_choices.h"
#include "document/restore_text.h"
#include "document/textcodec.h"

namespace {

// A code page of ASCII alone that shows exactly which units reach it: ASCII stays,
// every other unit becomes <XXXX> and counts as missing. Bytes go to units one for
// one (Latin-1).
std::u16string ProbeToUtf16(const std::string& ansi)
{
    std::u16string out;
    for (unsigned char b : ansi)
        out.push_back(b);
    return out;
}

std::string ProbeFromUtf16(const std::u16string& text, bool, bool* usedDefault)
{
    std::string out;
    bool missing = false;
    for (char16_t u : text) {
        if (u < 0x80) {
            out.push_back((char)u);
        } else {
            char buf[8];
            snprintf(buf, sizeof buf, "<%04X>", (unsigned)u);
            out += buf;
            missing = true;
        }
    }
    if (usedDefault)
        *usedDefault = missing;
    return out;
}

bool NoLead(unsigned char)
{
    return false;
}

const CodePage kProbe = {ProbeToUtf16, ProbeFromUtf16, NoLead};

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

std::string Hex16(const std::u16string& s)
{
    std::string out;
    char buf[8];
    for (char16_t u : s) {
        snprintf(buf, sizeof buf, "%04X ", (unsigned)u);
        out += buf;
    }
    return out;
}

const int kWhole = -2; // the row's length is the size of its bytes

} // namespace

TEST_CASE("UTF-8 decoding: valid input, invalid sequences, strict and lenient modes")
{
    struct Row {
        std::string bytes;
        uint32_t flags;
        std::u16string units; // expected result; empty with error for failures
        uint32_t error;
    };
    const std::u16string bad = u"\xFFFD";
    const Row rows[] = {
        {"A", 0, u"A", 0},
        {"\xC3\xA9", 0, u"\u00E9", 0},
        {"\xDF\xBF", 0, u"\u07FF", 0},
        {"\xE0\xA0\x80", 0, u"\u0800", 0},
        {"\xE2\x82\xAC", 0, u"\u20AC", 0},
        {"\xEF\xBF\xBF", 0, u"\uFFFF", 0},
        {"\xF0\x90\x80\x80", 0, u"\xD800\xDC00", 0},
        {"\xF0\x9F\x98\x80", 0, u"\xD83D\xDE00", 0},
        {"\xF4\x8F\xBF\xBF", 0, u"\xDBFF\xDFFF", 0},
        {std::string("a\0b", 3), 0, std::u16string(u"a\0b", 3), 0},
        // The breaking byte goes with the bad sequence: no letter A.
        {"\xC3" "A", 0, bad, 0},
        {"x\xE4" "A", 0, u"x\xFFFD", 0},
        {"\xC0\x80", 0, bad + bad, 0},
        {"\xC1\xBF", 0, bad + bad, 0},
        {"\xE0\x80\x80", 0, bad, 0},
        {"\xED\xA0\x80", 0, bad, 0},
        {"\xED\xBF\xBF", 0, bad, 0},
        {"\xF0\x8F\xBF\xBF", 0, bad, 0},
        {"\xF4\x90\x80\x80", 0, bad, 0},
        {"\xF5\x80", 0, bad + bad, 0},
        {"\xFF" "a", 0, u"\xFFFD" "a", 0},
        {"\x80\xBF", 0, bad + bad, 0},
        {"\xE2\x28\xA1", 0, bad + bad, 0},
        {"ab\xF0\x9F\x98", 0, u"ab\xFFFD", 0},
        {"\xF0\x9F" "A" "B", 0, u"\xFFFD" "B", 0},
        {"A", kMbErrInvalidChars, u"A", 0},
        {"\xC3\xA9", kMbErrInvalidChars, u"\u00E9", 0},
        {"ok\xC3" "A", kMbErrInvalidChars, u"", kErrorNoUnicodeTranslation},
        {"\xC0\x80", kMbErrInvalidChars, u"", kErrorNoUnicodeTranslation},
        {"\xED\xA0\x80", kMbErrInvalidChars, u"", kErrorNoUnicodeTranslation},
        {"\xE2\x82", kMbErrInvalidChars, u"", kErrorNoUnicodeTranslation},
        {"\xF4\x90\x80\x80", 1, u"", kErrorNoUnicodeTranslation},
    };
    for (const Row& row : rows) {
        CAPTURE(Hex(row.bytes));
        CAPTURE(row.flags);
        uint32_t error = 99;
        int counted = Utf8ToUtf16(row.flags, row.bytes.data(), (int)row.bytes.size(), nullptr, 0,
                                  &error);
        CHECK(counted == (int)row.units.size());
        CHECK(error == row.error);
        std::u16string out(row.units.size() + 4, u'~');
        int n = Utf8ToUtf16(row.flags, row.bytes.data(), (int)row.bytes.size(), &out[0],
                            (int)out.size(), &error);
        REQUIRE(n == (int)row.units.size());
        CHECK(Hex16(out.substr(0, (size_t)n)) == Hex16(row.units));
        CHECK(error == row.error);
    }
}

TEST_CASE("UTF-8 decoding: lengths, terminator and capacity")
{
    uint32_t error = 0;
    char16_t out[8] = {};
    CHECK(Utf8ToUtf16(0, nullptr, 5, out, 8, &error) == 0);
    CHECK(Utf8ToUtf16(0, "abc", 0, out, 8, &error) == 0);

    // A negative length takes the terminator with it, and nothing after it.
    CHECK(Utf8ToUtf16(0, "ab\0cd", -1, nullptr, 0, &error) == 3);
    CHECK(Utf8ToUtf16(0, "ab\0cd", -1, out, 8, &error) == 3);
    CHECK(std::u16string(out, 3) == std::u16string(u"ab\0", 3));

    // Too small: 0 and ERROR_INSUFFICIENT_BUFFER, what fitted stays written.
    char16_t small[2] = {u'~', u'~'};
    CHECK(Utf8ToUtf16(0, "abc", 3, small, 2, &error) == 0);
    CHECK(error == kErrorInsufficientBuffer);
    CHECK(small[0] == u'a');
    CHECK(small[1] == u'b');

    // The high half of a pair may land without its low half.
    char16_t one[2] = {u'~', u'~'};
    CHECK(Utf8ToUtf16(0, "\xF0\x9F\x98\x80", 4, one, 1, &error) == 0);
    CHECK(error == kErrorInsufficientBuffer);
    CHECK(one[0] == 0xD83D);
    CHECK(one[1] == u'~');

    // A capacity of 0 only counts, destination or not.
    CHECK(Utf8ToUtf16(0, "abc", 3, small, 0, &error) == 3);
    CHECK(error == 0);
}

TEST_CASE("UTF-8 encoding: sequences, surrogates, terminator and capacity")
{
    struct Row {
        std::u16string units;
        std::string bytes;
    };
    const Row rows[] = {
        {u"A", "A"},
        {u"\u00E9", "\xC3\xA9"},
        {u"\u07FF", "\xDF\xBF"},
        {u"\u0800", "\xE0\xA0\x80"},
        {u"\uFFFF", "\xEF\xBF\xBF"},
        {u"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
        {u"\xDBFF\xDFFF", "\xF4\x8F\xBF\xBF"},
        {u"\xD800", "\xED\xA0\x80"},
        {u"\xDC00", "\xED\xB0\x80"},
        {u"\xD800" "a", "\xED\xA0\x80" "a"},
        {u"\xDC00\xD800", "\xED\xB0\x80\xED\xA0\x80"},
        {std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
    };
    for (const Row& row : rows) {
        CAPTURE(Hex16(row.units));
        uint32_t error = 99;
        int n = Utf16ToUtf8(row.units.data(), (int)row.units.size(), nullptr, 0, &error);
        CHECK(n == (int)row.bytes.size());
        std::string out(row.bytes.size(), '~');
        CHECK(Utf16ToUtf8(row.units.data(), (int)row.units.size(), &out[0], (int)out.size(),
                          &error) == (int)row.bytes.size());
        CHECK(Hex(out) == Hex(row.bytes));
        CHECK(error == 0);
    }

    uint32_t error = 0;
    CHECK(Utf16ToUtf8(u"\u00E9\0x", -1, nullptr, 0, &error) == 3);
    CHECK(Utf16ToUtf8(nullptr, 3, nullptr, 0, &error) == 0);

    // A character is written whole or not at all.
    char out[4] = {'~', '~', '~', '~'};
    CHECK(Utf16ToUtf8(u"\u00E9\u00E9", 2, out, 3, &error) == 0);
    CHECK(error == kErrorInsufficientBuffer);
    CHECK(Hex(std::string(out, 4)) == "C3 A9 7E 7E ");
}

TEST_CASE("UTF-8 round trip over every BMP character and the ends of the planes")
{
    std::u16string all;
    for (uint32_t v = 1; v <= 0xFFFF; ++v) {
        if (v < 0xD800 || v > 0xDFFF)
            all.push_back((char16_t)v);
    }
    all += u"\xD800\xDC00\xD83D\xDE00\xDBFF\xDFFF";
    uint32_t error = 0;
    int n = Utf16ToUtf8(all.data(), (int)all.size(), nullptr, 0, &error);
    std::string bytes((size_t)n, '\0');
    Utf16ToUtf8(all.data(), (int)all.size(), &bytes[0], n, &error);
    int m = Utf8ToUtf16(kMbErrInvalidChars, bytes.data(), n, nullptr, 0, &error);
    REQUIRE(m == (int)all.size());
    std::u16string back((size_t)m, u'\0');
    Utf8ToUtf16(kMbErrInvalidChars, bytes.data(), n, &back[0], m, &error);
    CHECK(back == all);
}

TEST_CASE("folding for the ANSI code page")
{
    struct Row {
        std::u16string in;
        std::u16string out;
    };
    const Row rows[] = {
        {std::u16string(u"a\0b", 3), u"ab"},
        {u"a\u200B\u200C\u200D\u2060\uFEFFb", u"ab"},
        {u"\u00A0\u2000\u2005\u200A\u202F\u205F", u"      "},
        {u"\u00AD\u2010\u2011", u"---"},
        {u"\u2012\u2013\u2014", u"\u2015\u2015\u2015"},
        {u"\u2022\u2023\u2043\u2219", u"\u00B7\u00B7\u00B7\u00B7"},
        {u"\u00B4\u2032\u2033", u"''\""},
        {u"\u00A3\u2212", u"\uFFE1\uFF0D"},
        {u"\u02C6\u02DC", u"^~"},
    };
    for (const Row& row : rows) {
        CAPTURE(Hex16(row.in));
        std::u16string folded = u"old";
        CHECK(FoldUnicodeForAnsi(row.in.data(), (int)row.in.size(), &folded));
        CHECK(Hex16(folded) == Hex16(row.out));
    }

    // Neighbours of the table and the characters it leaves alone.
    const std::u16string kept = u"a\u00A5\u00A2\u00B7\u2015\u2009x\u200E\u2024\u2213\uFFE1";
    std::u16string folded = u"old";
    bool changed = FoldUnicodeForAnsi(kept.data(), (int)kept.size(), &folded);
    // U+2009 is in the space range, so exactly one unit changes.
    CHECK(changed);
    CHECK(Hex16(folded) == Hex16(u"a\u00A5\u00A2\u00B7\u2015 x\u200E\u2024\u2213\uFFE1"));

    const std::u16string plain = u"a\u00A5\u00E9\u4E0A";
    folded = u"old";
    CHECK_FALSE(FoldUnicodeForAnsi(plain.data(), (int)plain.size(), &folded));
    CHECK(folded.empty());

    folded = u"old";
    CHECK_FALSE(FoldUnicodeForAnsi(nullptr, 3, &folded));
    CHECK(folded == u"old");
    CHECK_FALSE(FoldUnicodeForAnsi(u"", -1, &folded));
    CHECK(folded.empty());

    // A negative length stops at the terminator and puts one back.
    CHECK(FoldUnicodeForAnsi(u"a\u00A0b\0\u00A0", -1, &folded));
    CHECK(folded == std::u16string(u"a b\0", 4));
    CHECK_FALSE(FoldUnicodeForAnsi(u"ab\0\u00A0", -1, &folded));

    CHECK(WideToAnsi(kProbe, u"x\u2014\u00A0\uFEFFy\u00E9") == "x<2015> y<00E9>");
}

TEST_CASE("folding only what the code page lacks")
{
    // Code page 1252 holds the en and em dash, the pound sign, NBSP, the bullet, the
    // soft hyphen, the acute accent and the modifier circumflex and tilde.
    const CodePage& page = Cp1252CodePage();
    struct Row {
        std::u16string in;
        std::u16string out; // empty: nothing changes
        std::string ansi;
    };
    const Row rows[] = {
        {u"\u2013\u2014\u00A3\u00A0\u2022", u"", "\x96\x97\xA3\xA0\x95"},
        {u"\u00AD\u00B4\u02C6\u02DC", u"", "\xAD\xB4\x88\x98"},
        {u"a\u2010\u2032\u2033\u2009\u200B\uFEFFb", u"a-'\" b", "a-'\" b"},
        {u"\u2023\u2043\u2219\u2022", u"\u00B7\u00B7\u00B7\u2022", "\xB7\xB7\xB7\x95"},
        // Held and lacking units side by side: only the lacking one folds, here to a
        // look-alike that 1252 lacks as well, as the table says.
        {u"\u2014\u2012\u2013", u"\u2014\u2015\u2013", "\x97?\x96"},
        // The text model cannot hold U+0000 in any code page.
        {std::u16string(u"a\0\u2014", 3), u"a\u2014", "a\x97"},
        {u"\uD55C\u2014\u2212", u"\uD55C\u2014\uFF0D", "?\x97?"},
    };
    for (const Row& row : rows) {
        CAPTURE(Hex16(row.in));
        std::u16string folded = u"old";
        CHECK(FoldUnicodeForCodePage(page, row.in.data(), (int)row.in.size(), &folded) == !row.out.empty());
        CHECK(Hex16(folded) == Hex16(row.out));
        CHECK(Hex(WideToAnsi(page, row.in)) == Hex(row.ansi));
    }

    std::u16string folded = u"old";
    CHECK_FALSE(FoldUnicodeForCodePage(page, nullptr, 3, &folded));
    CHECK(folded == u"old");
    CHECK(FoldUnicodeForCodePage(page, u"\u2014\u200B\0\u200B", -1, &folded));
    CHECK(folded == std::u16string(u"\u2014\0", 2));
    CHECK_FALSE(FoldUnicodeForCodePage(page, u"\u2014\0\u200B", -1, &folded));
    CHECK(folded.empty());
}

TEST_CASE("what a file's text loses in the text model of code page 1252")
{
    struct Row {
        const char* name;
        std::string bytes;
        int32_t readAs; // -1: the encoding is recognised
        TextLoss loss;
    };
    const Row rows[] = {
        {"UTF-8 the code page holds", "caf\xC3\xA9", -1, TextWhole},
        {"UTF-8 Korean", "\xED\x95\x9C\xEA\xB8\x80", -1, TextLostCharacters},
        {"UTF-16 Korean", std::string("\xFF\xFE\x5C\xD5", 4), -1, TextLostCharacters},
        {"invalid UTF-8 after a mark",
         "\xEF\xBB\xBF"
         "a\xC3"
         "A",
         -1, TextLostCharacters},
        {"UTF-8 dashes, pound, NBSP and bullet", "\xE2\x80\x93\xE2\x80\x94\xC2\xA3\xC2\xA0\xE2\x80\xA2", -1,
         TextWhole},
        {"UTF-8 Korean beside an em dash", "\xED\x95\x9C\xE2\x80\x94", -1, TextLostCharacters},
        // Folded to U+2015, which the code page lacks too.
        {"UTF-8 figure dash", "\xE2\x80\x92", -1, TextLostCharacters},
        {"UTF-16 em dash", std::string("\xFF\xFE\x14\x20", 4), -1, TextWhole},
        {"ANSI bytes", "caf\xE9", -1, TextWhole},
        {"NUL", std::string("a\0b", 3), -1, TextLostNul},
        {"Korean UTF-8 reloaded as ANSI", "\xED\x95\x9C", Ansi, TextWhole},
        {"UTF-16 without a mark reloaded as UTF-16", std::string("a\0b\0", 4), Utf16Le, TextWhole},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        DecodedText d;
        if (row.readAs < 0)
            DecodeTextFile(Cp1252CodePage(), row.bytes.data(), row.bytes.size(), &d);
        else
            DecodeTextFileAs(Cp1252CodePage(), row.bytes.data(), row.bytes.size(), row.readAs, false, &d);
        CHECK(LossOf(d) == row.loss);
    }
}

TEST_CASE("text that code page 1252 holds reads whole and saves back byte for byte")
{
    const CodePage& page = Cp1252CodePage();
    const std::string ansi = "\x96 \x97 \xA3\xA0\x95 \xAD\xB4\x88\x98\r\n";
    const std::string utf8 = "\xE2\x80\x93 \xE2\x80\x94 \xC2\xA3\xC2\xA0\xE2\x80\xA2 "
                             "\xC2\xAD\xC2\xB4\xCB\x86\xCB\x9C\n";
    const char utf16[] = "\xFF\xFE\x13\x20 \0\x14\x20 \0\xA3\0\xA0\0\x22\x20 \0"
                         "\xAD\0\xB4\0\xC6\x02\xDC\x02\r\0\n\0";
    struct Row {
        const char* name;
        std::string bytes;
        int32_t encoding;
        bool bom;
        EolMode eol;
    };
    const Row rows[] = {
        {"UTF-8", utf8, Utf8, false, Lf},
        {"UTF-8 with mark", "\xEF\xBB\xBF" + utf8, Utf8, true, Lf},
        {"UTF-16 LE", std::string(utf16, sizeof utf16 - 1), Utf16Le, true, Crlf},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        DecodedText d;
        DecodeTextFile(page, row.bytes.data(), row.bytes.size(), &d);
        CHECK(Hex(d.text) == Hex(ansi));
        CHECK(LossOf(d) == TextWhole);
        CHECK(d.encoding == row.encoding);
        CHECK(d.bom == row.bom);
        std::string saved = EncodeTextFile(page, d.text.data(), d.text.size(), d.encoding, d.bom, d.eol);
        CHECK(Hex(saved) == Hex(row.bytes));
    }
}

TEST_CASE("a restored tab takes its file's text only when it was unmodified and the file changed")
{
    struct Row {
        const char* name;
        std::string file;
        int32_t encoding; // as the session stored it
        bool modified;
        std::string session;
        bool fromFile;
        std::string text; // the text the tab ends up with
        EolMode eol;
        TextLoss loss;
    };
    const std::string korean = "\xED\x95\x9C\xEA\xB8\x80";
    const Row rows[] = {
        {"unchanged", "a\nb\n", Utf8, false, "a\r\nb\r\n", false, "a\r\nb\r\n", Lf, TextWhole},
        {"changed on disk", "new\n", Utf8, false, "old\r\n", true, "new\r\n", Lf, TextWhole},
        {"changed on disk, unsaved edits", "new\n", Utf8, true, "typed\r\n", false, "typed\r\n", Lf,
         TextWhole},
        {"converted, not saved yet", "caf\xC3\xA9", Utf16Le, false, "caf\xE9", false, "caf\xE9", Crlf,
         TextWhole},
        {"reloaded as ANSI", korean, Ansi, false, korean, false, korean, Crlf, TextWhole},
        {"characters the code page lacks", korean, Utf8, false, "??", false, "??", Crlf, TextLostCharacters},
        {"the same, edited", korean, Utf8, true, "??x", false, "??x", Crlf, TextLostCharacters},
        {"reloaded as ANSI, edited", korean, Ansi, true, "x", false, "x", Crlf, TextWhole},
        {"a NUL", std::string("a\0b", 3), Utf8, false, "a", false, "a", Crlf, TextLostNul},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        RestoredText r;
        r.text = "stale";
        RestoreTabText(Cp1252CodePage(), row.file.data(), row.file.size(), row.encoding, false, row.modified,
                       row.session, &r);
        CHECK(r.fromFile == row.fromFile);
        CHECK((r.fromFile ? r.text : row.session) == row.text);
        if (r.fromFile)
            CHECK(r.encoding == Utf8);
        CHECK(r.eol == row.eol);
        CHECK(r.loss == row.loss);
    }
}

TEST_CASE("line ends: CR LF normaliser and census")
{
    CHECK(NormalizeToCrlf("\r\rb\n", 4) == "\r\n\r\nb\r\n");
    CHECK(NormalizeToCrlf("a\r\nb", 4) == "a\r\nb");
    CHECK(NormalizeToCrlf("a\n\rb\r", 5) == "a\r\n\r\nb\r\n");
    CHECK(NormalizeToCrlf("a\0\nb", 4) == std::string("a\0\r\nb", 5));
    CHECK(NormalizeToCrlf(nullptr, 4).empty());
    CHECK(NormalizeToCrlf("abc", 0).empty());
    std::string lfOnly(1000, '\n');
    CHECK(NormalizeToCrlf(lfOnly.data(), lfOnly.size()).size() == 2000);

    struct Row {
        std::string bytes;
        EolMode eol;
    };
    const Row rows[] = {
        {"a\nb\r\nc\n", Lf},
        {"a\rb\nc", Crlf},
        {"abc\r", Cr},
        {"abc", Crlf},
        {"", Crlf},
        {"a\r\n\r\nb\n\n", Crlf},
        {"a\r\rb\r\n", Cr},
        {"\n\r", Crlf},
    };
    for (const Row& row : rows) {
        CAPTURE(Hex(row.bytes));
        CHECK(DetectFileEol(row.bytes.data(), row.bytes.size(), Utf8) == row.eol);
        CHECK(DetectFileEol(row.bytes.data(), row.bytes.size(), Ansi) == row.eol);
    }
    LineEndCounts c = CountLineEnds("a\r\n\rb\n\r", 7);
    CHECK(c.crlf == 1);
    CHECK(c.cr == 2);
    CHECK(c.lf == 1);

    // U+4E0A and U+4E0D carry the bytes 0A and 0D; by units they are letters.
    for (const char* han : {"\x0A\x4E", "\x0D\x4E"}) {
        std::string le = std::string("\xFF\xFE" "a\0", 4) + han +
                         std::string("\r\0\n\0" "b\0\r\0\n\0", 10);
        CAPTURE(Hex(le));
        CHECK(DetectFileEol(le.data(), le.size(), Utf16Le) == Crlf);
        CHECK(EolFromCounts(CountLineEnds(le.data(), le.size())) != Crlf);
        c = CountLineEndsUtf16(le.data(), le.size(), false);
        CHECK(c.crlf == 2);
        CHECK(c.cr + c.lf == 0);
    }
    const std::string be("\xFE\xFF" "\0a" "\x4E\x0A" "\0\x0D\0\x0A" "\0b\0\x0A\0\x0A", 16);
    CHECK(DetectFileEol(be.data(), be.size(), Utf16Be) == Lf);
    CHECK(DetectFileEol(be.data(), be.size() - 4, Utf16Be) == Crlf);
    // An odd last byte is not a unit.
    CHECK(DetectFileEol("\xFF\xFE\x0D\0\x0A", 5, Utf16Le) == Cr);
}

TEST_CASE("decoding whole files: encoding decision, marks, NULs")
{
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
        {"half a mark", "\xEF\xBB", "\xEF\xBB", Ansi, false, Crlf, false},
        {"one high byte", "\xEF", "\xEF", Ansi, false, Crlf, false},
        {"ASCII is UTF-8", "a\nb\n", "a\r\nb\r\n", Utf8, false, Lf, false},
        {"valid UTF-8", "caf\xC3\xA9\r", "caf<00E9>\r\n", Utf8, false, Cr, false},
        {"one bad byte makes ANSI", "caf\xC3\xA9 \xE9t\xC3\xA9", "caf\xC3\xA9 \xE9t\xC3\xA9",
         Ansi, false, Crlf, false},
        {"mark, then bad UTF-8", "\xEF\xBB\xBF" "a\xC3" "Ab\xE4" "A",
         "a<FFFD>b<FFFD>", Utf8, true, Crlf, false},
        {"mark, overlong and surrogate", "\xEF\xBB\xBF\xC0\x80|\xED\xA0\x80",
         "<FFFD><FFFD>|<FFFD>", Utf8, true, Crlf, false},
        {"mark, ASCII kept", "\xEF\xBB\xBF" "a\rb", "a\r\nb", Utf8, true, Cr, false},
        {"folded on the way", "\xE2\x80\x94\xC2\xA0x\xEF\xBB\xBFy", "<2015> xy", Utf8, false, Crlf,
         false},
        {"LE odd length", std::string("\xFF\xFE" "a\0" "b", 5), "a", Utf16Le, true, Crlf, false},
        {"BE", std::string("\xFE\xFF\0a\0\xE9\0\n", 8), "a<00E9>\r\n", Utf16Be, true, Lf, false},
        {"NUL ends ASCII", std::string("ab\0cd\n", 6), "ab", Utf8, false, Lf, true},
        {"NUL ends ANSI", std::string("\xE9\0\xE9", 3), "\xE9", Ansi, false, Crlf, true},
        {"NUL after a mark", std::string("\xEF\xBB\xBF" "a\0b", 6), "a", Utf8, true, Crlf, true},
        {"U+0000 in UTF-8 dropped", std::string("\xC3\xA9\0b", 4), "<00E9>b", Utf8, false, Crlf,
         true},
        {"U+0000 in UTF-16 dropped", std::string("\xFF\xFE" "a\0\0\0b\0", 8), "ab", Utf16Le, true,
         Crlf, true},
        {"UTF-16 without a mark", std::string("a\0\r\0\n\0", 6), "a", Utf8, false, Crlf, true},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        DecodedText d;
        d.text = "stale";
        DecodeTextFile(kProbe, row.bytes.data(), row.bytes.size(), &d);
        CHECK(d.text == row.text);
        CHECK(d.encoding == row.encoding);
        CHECK(d.bom == row.bom);
        CHECK(d.eol == row.eol);
        CHECK(d.containsNul == row.nul);
    }
    // BE and LE of the same content give the same text.
    DecodedText le, be;
    DecodeTextFile(kProbe, "\xFF\xFE\x0A\x4E\x41\0", 6, &le);
    DecodeTextFile(kProbe, "\xFE\xFF\x4E\x0A\0\x41", 6, &be);
    CHECK(le.text == "<4E0A>A");
    CHECK(be.text == le.text);
}

TEST_CASE("decoding in a chosen encoding, as a reload does")
{
    struct Row {
        std::string name;
        std::string bytes;
        EncodingId encoding;
        bool bom;
        std::string text;
        bool bomAfter;
        EolMode eol;
    };
    const Row rows[] = {
        {"UTF-8 finds its mark", "\xEF\xBB\xBF" "a\xC3\xA9", Utf8, false, "a<00E9>", true, Crlf},
        {"UTF-8 without fall-back", "a\xE9\n", Utf8, false, "a<FFFD>", false, Lf},
        {"ANSI drops a UTF-8 mark", "\xEF\xBB\xBF" "a\xC3\xA9", Ansi, false, "a\xC3\xA9", false,
         Crlf},
        {"ANSI drops a UTF-16 mark", "\xFE\xFF" "ab", Ansi, false, "ab", false, Crlf},
        {"ANSI keeps the command's flag", "ab", Ansi, true, "ab", true, Crlf},
        {"LE without a mark", std::string("a\0\r\0\n\0z", 7), Utf16Le, true, "a\r\n", true, Crlf},
        {"LE with its mark", std::string("\xFF\xFE\x0A\x4E\r\0\n\0", 8), Utf16Le, false,
         "<4E0A>\r\n", true, Crlf},
        {"BE not taking the LE mark", std::string("\xFF\xFE\0a", 4), Utf16Be, false, "<FFFE>a",
         false, Crlf},
        {"BE LF", std::string("\xFE\xFF\0a\0\n", 6), Utf16Be, false, "a\r\n", true, Lf},
        {"empty", "", Utf16Le, false, "", false, Crlf},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        DecodedText d;
        DecodeTextFileAs(kProbe, row.bytes.data(), row.bytes.size(), row.encoding, row.bom, &d);
        CHECK(d.text == row.text);
        CHECK(d.encoding == row.encoding);
        CHECK(d.bom == row.bomAfter);
        CHECK(d.eol == row.eol);
    }
}

TEST_CASE("encoding for a save: marks, line ends, conversions")
{
    const CodePage& page = Cp1252CodePage();
    struct Row {
        std::string name;
        std::string text;
        int32_t encoding;
        bool bom;
        int32_t eol;
        std::string bytes;
    };
    const Row rows[] = {
        {"empty ANSI", "", Ansi, true, Crlf, ""},
        {"empty UTF-8", "", Utf8, false, Crlf, ""},
        {"empty UTF-8 mark", "", Utf8, true, Lf, "\xEF\xBB\xBF"},
        {"empty LE", "", Utf16Le, false, Crlf, "\xFF\xFE"},
        {"empty BE", "", Utf16Be, false, Cr, "\xFE\xFF"},
        {"LF", "a\r\nb", Ansi, false, Lf, "a\nb"},
        {"CR", "a\r\nb", Ansi, false, Cr, "a\rb"},
        {"CR LF kept", "a\r\nb\n", Ansi, false, Crlf, "a\r\nb\n"},
        {"stray ends to LF", "a\r\r\nb\nc\r", Ansi, false, Lf, "a\n\nb\nc\n"},
        {"stray ends to CR", "a\n\r\nb\r", Ansi, false, Cr, "a\r\rb\r"},
        {"unknown style keeps bytes", "a\r\nb\n", Ansi, false, 5, "a\r\nb\n"},
        {"ASCII UTF-8", "abc\r\n", Utf8, false, Crlf, "abc\r\n"},
        {"accented UTF-8", "caf\xE9\r\n\x80", Utf8, false, Lf, "caf\xC3\xA9\n\xE2\x82\xAC"},
        {"UTF-8 mark", "\xE9", Utf8, true, Crlf, "\xEF\xBB\xBF\xC3\xA9"},
        {"unknown encoding is UTF-8", "\xE9", 7, true, Crlf, "\xEF\xBB\xBF\xC3\xA9"},
        {"LE", "a\xE9\r\n", Utf16Le, false, Lf, std::string("\xFF\xFE" "a\0\xE9\0\n\0", 8)},
        {"BE", "a\x80\r\n", Utf16Be, true, Crlf,
         std::string("\xFE\xFF\0a\x20\xAC\0\r\0\n", 10)},
        {"embedded NUL", std::string("a\0b", 3), Utf16Le, false, Crlf,
         std::string("\xFF\xFE" "a\0\0\0b\0", 8)},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        std::string bytes = EncodeTextFile(page, row.text.data(), row.text.size(), row.encoding,
                                           row.bom, row.eol);
        CHECK(Hex(bytes) == Hex(row.bytes));
    }
    CHECK(EncodeTextFile(page, nullptr, 5, Utf8, true, Lf) == "\xEF\xBB\xBF");
}

TEST_CASE("encoding choices: menu offsets and status names from one table")
{
    struct Row {
        int32_t encoding;
        bool bom;
        int offset;
        const char* name;
    } rows[] = {
        {Ansi, false, 0, "ANSI"},
        {Ansi, true, 0, "ANSI"}, // ANSI has no mark to write
        {Utf8, false, 1, "UTF-8"},
        {Utf8, true, 2, "UTF-8-BOM"},
        {Utf16Le, true, 3, "UTF-16 LE BOM"},
        {Utf16Le, false, 3, "UTF-16 LE BOM"}, // UTF-16 is always written with its mark
        {Utf16Be, false, 4, "UTF-16 BE BOM"},
        {7, false, 1, "Unknown"},
        {-1, true, 1, "Unknown"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.encoding);
        CAPTURE(row.bom);
        CHECK(EncodingChoiceOffset(row.encoding, row.bom) == row.offset);
        CHECK(std::string(EncodingDisplayName(row.encoding, row.bom)) == row.name);
    }
    // Choosing an item and reading the document's state back check that same item.
    for (int i = 0; i < kEncodingChoiceCount; ++i)
        CHECK(EncodingChoiceOffset(kEncodingChoices[i].encoding, kEncodingChoices[i].bom) == i);
}
