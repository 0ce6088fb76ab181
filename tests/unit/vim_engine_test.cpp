#include <doctest/doctest.h>

#include "tests/unit/vim_string_editor.h"

#include <string.h>
#include <string>
#include <vector>

namespace {

void StartVim()
{
    VimReset();
    gVimEnabled = true;
    gVimCommandLine[0] = 0;
    gVimCommandLength = 0;
    gVimVisualAnchor = gVimVisualCursor = -1;
}

StringEditor EditorOver(const char* text, int caret)
{
    StartVim();
    StringEditor s;
    s.text = text;
    s.anchor = s.caret = caret;
    return s;
}

// Lead bytes of a double-byte page such as 949.
bool HangulLead(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

} // namespace

TEST_CASE("motions on the text")
{
    SUBCASE("words, blank-separated words and word ends")
    {
        std::string t = "foo.bar baz";
        CHECK(VimWordForward(t, 0) == 3);
        CHECK(VimWordForward(t, 3) == 4);
        CHECK(VimWordForward(t, 4) == 8);
        CHECK(VimWordForward(t, 8) == 11);
        CHECK(VimBigWordForward(t, 0) == 8);
        CHECK(VimWordBackward(t, 8) == 4);
        CHECK(VimWordBackward(t, 4) == 3);
        CHECK(VimWordBackward(t, 1) == 0);
        CHECK(VimBigWordBackward(t, 8) == 0);
        CHECK(VimWordBackward("  x", 2) == 0); // only blanks before: the start
        std::string e = "ab  cd";
        CHECK(VimWordEnd(e, 0, nullptr) == 1);
        CHECK(VimWordEnd(e, 1, nullptr) == 5);
        CHECK(VimWordEnd(e, 5, nullptr) == 5);
        CHECK(VimBigWordEnd("a.b c", 0, nullptr) == 2);
        CHECK(VimWordEnd("", 0, nullptr) == 0);
        // Word motions cross line breaks.
        CHECK(VimWordForward("ab\r\ncd", 0) == 4);
        // A double-byte character is stepped over whole from its lead byte.
        CHECK(VimWordEnd("\xB0\xA1 x", 0, HangulLead) == 3);
    }
    SUBCASE("inner word")
    {
        struct Row {
            const char* text;
            int position, start, end;
        } rows[] = {
            {"foo  bar", 4, 3, 5}, // the blank run alone
            {"a-b", 1, 1, 2},      // a single punctuation byte
            {"foo bar", 5, 4, 7},
            {"foo\r\n\r\nbar", 4, 3, 7}, // line breaks are blanks
            {"", 0, 0, 0},
        };
        for (const Row& r : rows) {
            CAPTURE(r.text);
            int s = -1, e = -1;
            VimInnerWord(r.text, r.position, &s, &e);
            CHECK(s == r.start);
            CHECK(e == r.end);
        }
    }
    SUBCASE("lines, brackets and searching")
    {
        std::string t = "\t\t\r\n  ab\r\nz";
        CHECK(VimFirstNonBlank(t, 1) == 2); // a line of tabs: its end
        CHECK(VimFirstNonBlank(t, 5) == 6);
        CHECK(VimLineStart(t, 7) == 4);
        CHECK(VimLineEnd(t, 4) == 8); // before the CR LF
        CHECK(VimLineEnd(t, 10) == 11);
        std::string b = "(a(b)c)";
        CHECK(VimMatchBracket(b, 0) == 6);
        CHECK(VimMatchBracket(b, 2) == 4);
        CHECK(VimMatchBracket(b, 6) == 0);
        CHECK(VimMatchBracket(b, 1) == 1);
        CHECK(VimMatchBracket("((", 0) == 0); // no partner
        std::string s = "ab ab ab";
        CHECK(VimFindNext(s, "ab", 0, false, nullptr) == 3);
        CHECK(VimFindNext(s, "ab", 3, false, nullptr) == 6);
        CHECK(VimFindNext(s, "ab", 6, false, nullptr) == 0);
        CHECK(VimFindNext(s, "ab", 0, true, nullptr) == 6);
        CHECK(VimFindNext(s, "ab", 4, true, nullptr) == 3);
        CHECK(VimFindNext(s, "zz", 0, false, nullptr) == -1);
        CHECK(VimFindNext(s, "Ab", 0, false, nullptr) == -1); // case-sensitive
        CHECK(VimFindFrom(s, "ab", 3, nullptr) == 3); // the search line counts the match at the cursor
        // The backslash inside a double-byte character is no match.
        std::string d = "\x95\x5C \\";
        CHECK(VimFindFrom(d, "\\", 0, [](unsigned char b) { return b == 0x95; }) == 3);
        CHECK(VimFindFrom(d, "\\", 0, nullptr) == 1);
    }
}

TEST_CASE("key sequences in NORMAL mode")
{
    struct Row {
        const char* text;
        int caret;
        const char* keys;
        const char* result;
        int resultCaret;
        VimMode mode;
    } rows[] = {
        // yy then p on a middle line pastes the line below, the caret at its start.
        {"one\r\ntwo\r\nthree", 5, "yyp", "one\r\ntwo\r\ntwo\r\nthree", 10, kVimNormal},
        {"one\r\ntwo\r\nthree", 5, "yyP", "one\r\ntwo\r\ntwo\r\nthree", 5, kVimNormal},
        // dd on the last line keeps the line break before it.
        {"one\r\ntwo", 6, "dd", "one\r\n", 5, kVimNormal},
        {"a\r\nb\r\nc", 3, "dd", "a\r\nc", 3, kVimNormal},
        {"a\r\nb\r\nc\r\nd", 0, "2dd", "b\r\nc\r\nd", 0, kVimNormal}, // dd takes no count
        {"a\r\nb\r\nc\r\nd", 3, "dj", "a\r\nd", 3, kVimNormal},
        {"a\r\nb\r\nc\r\nd", 3, "dk", "c\r\nd", 0, kVimNormal},
        {"abcdef", 1, "3x", "aef", 1, kVimNormal},
        // A count never deletes the line break: x stops at the line end.
        {"abc\r\ndef", 1, "999999999x", "a\r\ndef", 1, kVimNormal},
        {"ab\r\ncd", 2, "x", "ab\r\ncd", 2, kVimNormal},
        {"ab\r\ncd", 2, "s", "ab\r\ncd", 2, kVimInsert},
        {"ab", 2, "x", "ab", 2, kVimNormal},
        {"foo bar", 0, "dw", "bar", 0, kVimNormal},
        {"foo bar", 0, "cw", "bar", 0, kVimInsert},
        {"foo bar baz", 0, "d2w", "baz", 0, kVimNormal},
        {"foo bar baz", 0, "2dw", "baz", 0, kVimNormal},
        {"foo bar", 4, "db", "bar", 0, kVimNormal},
        {"foo bar", 0, "de", " bar", 0, kVimNormal},
        {"foo bar", 1, "d$", "f", 1, kVimNormal},
        {"  foo", 4, "d^", "  o", 2, kVimNormal},
        {"foo bar", 5, "d0", "ar", 0, kVimNormal},
        {"abcdef", 1, "d2l", "adef", 1, kVimNormal},
        {"abcdef", 4, "dh", "abcef", 3, kVimNormal},
        {"foo bar baz", 5, "ciw", "foo  baz", 4, kVimInsert},
        {"foo bar baz", 5, "diwiX", "foo X baz", 5, kVimInsert},
        {"abcxdef", 0, "dfx", "def", 0, kVimNormal},
        {"abcxdef", 0, "dtx", "xdef", 0, kVimNormal},
        {"xyzabc", 5, "dFx", "c", 0, kVimNormal},
        {"xyzabc", 5, "dTx", "xc", 1, kVimNormal},
        {"a.b.c", 0, "2f.", "a.b.c", 3, kVimNormal},
        {"(ab)c", 0, "d%", ")c", 0, kVimNormal},
        {"(a(b)c)", 0, "%", "(a(b)c)", 6, kVimNormal},
        {"(a(b)c)", 6, "%", "(a(b)c)", 0, kVimNormal},
        {"l1\r\nl2\r\nl3", 9, "dgg", "3", 0, kVimNormal},
        {"l1\r\nl2\r\nl3", 9, "cgg", "3", 0, kVimInsert},
        {"l1\r\nl2\r\nl3", 0, "dG", "", 0, kVimNormal},
        {"l1\r\nl2\r\nl3", 0, "2G", "l1\r\nl2\r\nl3", 4, kVimNormal},
        {"l1\r\nl2\r\nl3", 0, "G", "l1\r\nl2\r\nl3", 10, kVimNormal},
        {"l1\r\nl2\r\nl3", 0, "99G", "l1\r\nl2\r\nl3", 8, kVimNormal},
        {"l1\r\nl2\r\nl3", 9, "gg", "l1\r\nl2\r\nl3", 0, kVimNormal},
        {"l1\r\nl2\r\nl3", 9, "2gg", "l1\r\nl2\r\nl3", 4, kVimNormal},
        {"a b c d e", 0, "3w", "a b c d e", 6, kVimNormal},
        {"a b c", 0, "999999999w", "a b c", 5, kVimNormal},
        {"one\r\ntwo\r\nthree", 0, "2j", "one\r\ntwo\r\nthree", 10, kVimNormal},
        {"one\r\ntwo\r\nthree", 1, "999999999j", "one\r\ntwo\r\nthree", 11, kVimNormal},
        {"a\r\n  b", 0, "J", "a   b", 1, kVimNormal},
        {"a\r\nb\r\nc", 0, "999J", "a b c", 3, kVimNormal},
        {"aBc1", 0, "9~", "AbC1", 4, kVimNormal},
        {"ab\r\ncd", 0, "o", "ab\r\n\r\ncd", 4, kVimInsert},
        {"ab\r\ncd", 5, "O", "ab\r\n\r\ncd", 4, kVimInsert},
        {"ab\r\ncd", 0, "A", "ab\r\ncd", 2, kVimInsert},
        {"  ab", 3, "I", "  ab", 2, kVimInsert},
        {"ab", 0, "a", "ab", 1, kVimInsert},
        {"abc", 1, "rX", "aXc", 1, kVimNormal},
        {"ab\r\ncd", 2, "rX", "ab\r\ncd", 2, kVimNormal}, // never over a line break
        {"abc", 1, "r\r", "abc", 1, kVimNormal},         // nor a stray CR into the line
        {"abc", 1, "iXY\x1b", "aXYbc", 2, kVimNormal},   // Esc steps back one character
        {"abc", 0, "3d\x1bx", "bc", 0, kVimNormal},      // Esc drops count and operator
        {"abc", 0, "df\x1bx", "bc", 0, kVimNormal},
        {"foo bar foo", 1, "*", "foo bar foo", 8, kVimNormal},
        {"foo bar foo", 8, "#", "foo bar foo", 0, kVimNormal},
        {"ab\r\nfoo foo\r\ncd", 8, "S", "ab\r\n\r\ncd", 4, kVimInsert}, // S clears the line's text
    };
    for (const Row& r : rows) {
        CAPTURE(r.text);
        CAPTURE(r.keys);
        StringEditor s = EditorOver(r.text, r.caret);
        Keys(s, r.keys);
        CHECK(s.text == r.result);
        CHECK(s.caret == r.resultCaret);
        CHECK(s.anchor == s.caret);
        CHECK(gVimMode == r.mode);
    }
}

TEST_CASE("counts neither overflow nor run past what they can do")
{
    StringEditor s = EditorOver("abc", 0);
    Keys(s, "99999999999999");
    CHECK(gVimCount == kVimMaxCount);
    Keys(s, "x");
    CHECK(s.text == "");
    CHECK(gVimCount == 0);

    // Undo stops at the first step that finds nothing to undo.
    s = EditorOver("abc", 0);
    Keys(s, "xx");
    Keys(s, "999999999u");
    CHECK(s.text == "abc");
    CHECK(s.undoCalls == 3);
    Keys(s, "999999999");
    Ctrl(s, 'R');
    CHECK(s.text == "c");
}

TEST_CASE("x deletes without touching the clipboard; the selection goes first")
{
    StringEditor s = EditorOver("abcdef", 0);
    s.clipboard = "keep";
    Keys(s, "3x");
    CHECK(s.text == "def");
    CHECK(s.clipboard == "keep");
    // After a search the match is selected: x takes it, a count takes more after it.
    s = EditorOver("one two three", 0);
    Keys(s, "/two\r");
    CHECK(s.anchor == 4);
    CHECK(s.caret == 7);
    Keys(s, "2x");
    CHECK(s.text == "one three");
    // A double-byte character is one character.
    s = EditorOver("a\xB0\xA1z", 1);
    s.lead = HangulLead;
    Keys(s, "x");
    CHECK(s.text == "az");
    // A lead byte before a line break is no double-byte character: the break stays.
    s = EditorOver("a\xB0\r\nz", 1);
    s.lead = HangulLead;
    Keys(s, "x");
    CHECK(s.text == "a\r\nz");
}

TEST_CASE("paste: linewise by the clipboard's last line feed, characterwise otherwise")
{
    StringEditor s = EditorOver("one\r\ntwo", 6);
    s.clipboard = "x\r\n";
    Keys(s, "p"); // on the last line a line break comes first
    CHECK(s.text == "one\r\ntwo\r\nx\r\n");
    CHECK(s.caret == 10);
    s = EditorOver("ab", 0);
    s.clipboard = "X";
    Keys(s, "p");
    CHECK(s.text == "aXb");
    Keys(s, "0P");
    CHECK(s.text == "XaXb");
    s = EditorOver("ab", 2);
    s.clipboard = "X";
    Keys(s, "3p"); // at the line end: no step right
    CHECK(s.text == "abXXX");
}

TEST_CASE("visual modes select from the anchor and act on the range")
{
    StringEditor s = EditorOver("abcdef", 3);
    Keys(s, "v");
    CHECK(gVimMode == kVimVisual);
    CHECK(s.anchor == 3);
    CHECK(s.caret == 4); // the cursor's character is inside
    Keys(s, "h");
    // Before the anchor the anchor's character stays selected.
    CHECK(s.anchor == 4);
    CHECK(s.caret == 2);
    Keys(s, "y");
    CHECK(s.clipboard == "cd");
    CHECK(gVimMode == kVimNormal);
    CHECK(s.caret == 3); // back at the anchor

    s = EditorOver("abcdef", 1);
    Keys(s, "vlld");
    CHECK(s.text == "aef");
    s = EditorOver("abcdef", 1);
    Keys(s, "vllcX");
    CHECK(s.text == "aXef");
    CHECK(s.clipboard == "bcd");
    s = EditorOver("abcdef", 1);
    Keys(s, "vl~");
    CHECK(s.text == "aBCdef");
    CHECK(s.caret == 1);
    s = EditorOver("foo bar", 5);
    Keys(s, "viw");
    CHECK(s.anchor == 4);
    CHECK(s.caret == 7);
    s = EditorOver("foo bar", 0);
    Keys(s, "vw");
    CHECK(s.caret == 4); // in VISUAL, w stops one before the next word

    // Visual-line yank and paste: whole lines with their line breaks.
    s = EditorOver("one\r\ntwo\r\nthree", 1);
    Keys(s, "Vj");
    CHECK(gVimMode == kVimVisualLine);
    CHECK(s.anchor == 0);
    CHECK(s.caret == 10);
    Keys(s, "y");
    CHECK(s.clipboard == "one\r\ntwo\r\n");
    Keys(s, "Gp");
    CHECK(s.text == "one\r\ntwo\r\nthree\r\none\r\ntwo\r\n");
    CHECK(s.caret == 17);
    s = EditorOver("one\r\ntwo\r\nthree", 6);
    Keys(s, "Vd");
    CHECK(s.text == "one\r\nthree");
    s = EditorOver("one\r\ntwo", 6);
    s.clipboard = "X";
    Keys(s, "Vkp"); // the lines go, the clipboard comes in their place
    CHECK(s.text == "X");

    // A command that enters INSERT leaves the visual mode instead of typing over it.
    s = EditorOver("ab\r\ncd", 0);
    Keys(s, "vloX");
    CHECK(s.text == "ab\r\nX\r\ncd");
}

TEST_CASE("the command line")
{
    StringEditor s = EditorOver("aa\r\nba\r\n\r\nxa", 0);
    Keys(s, ":%s/a/b/g\r");
    CHECK(s.text == "bb\r\nbb\r\n\r\nxb");
    CHECK(s.wholeReplacements == 1);
    CHECK(s.replacements == 0);
    CHECK(gVimMode == kVimNormal);
    // One undo step for the whole substitution.
    Keys(s, "u");
    CHECK(s.text == "aa\r\nba\r\n\r\nxa");
    // Without g: the first occurrence of each line.
    Keys(s, ":%s/a/b/\r");
    CHECK(s.text == "ba\r\nbb\r\n\r\nxb");
    // The line keeps "%s/" and the old text, which n then looks for.
    CHECK(std::string(gVimCommandLine) == "%s/a");
    Keys(s, ":%s//x/\r");
    CHECK(s.text == "ba\r\nbb\r\n\r\nxb");
    Keys(s, ":%s/zz/y/g\r"); // nothing matched: the text is not replaced
    CHECK(s.wholeReplacements == 2);
    // Never inside a double-byte character: its trail byte may be a backslash.
    s = EditorOver("\x95\x5C\\", 0);
    s.lead = [](unsigned char b) { return b == 0x95; };
    Keys(s, ":%s/\\/x/g\r");
    CHECK(s.text == "\x95\x5Cx");

    s = EditorOver("x", 0);
    struct Row {
        const char* line;
        std::vector<VimWindowCommand> commands;
    } rows[] = {
        {":w\r", {kVimSave}},
        {":q\r", {kVimClose}},
        {":wq\r", {kVimSave, kVimClose}},
        {":x\r", {kVimSave, kVimClose}},
        {":W\r", {}},
        {":w \r", {}},
    };
    for (const Row& r : rows) {
        CAPTURE(r.line);
        s.commands.clear();
        Keys(s, r.line);
        CHECK(s.commands == r.commands);
    }
    // After :w the line holds "w", and n looks for it.
    s = EditorOver("a w b w", 0);
    Keys(s, ":w\rn");
    CHECK(s.caret == 2);

    // 128 typed characters keep the first 127; Backspace on the empty line leaves it.
    s = EditorOver("", 0);
    Keys(s, ":");
    Keys(s, std::string(128, 'k').c_str());
    CHECK(gVimCommandLength == 127);
    CHECK(strlen(gVimCommandLine) == 127);
    Keys(s, "\b");
    CHECK(gVimCommandLength == 126);
    Keys(s, "\x1b:\b");
    CHECK(gVimMode == kVimNormal);
}

TEST_CASE("the search line and n, N")
{
    StringEditor s = EditorOver("ab ab ab", 0);
    Keys(s, "/ab\r");
    // The match at the cursor counts and is selected.
    CHECK(s.anchor == 0);
    CHECK(s.caret == 2);
    Keys(s, "n");
    CHECK(s.caret == 3);
    Keys(s, "n");
    CHECK(s.caret == 6);
    Keys(s, "n"); // wraps to the start
    CHECK(s.caret == 0);
    Keys(s, "N"); // and backward to the end
    CHECK(s.caret == 6);
    s = EditorOver("ab ab ab", 4);
    Keys(s, "/zz\rn");
    CHECK(s.caret == 4);
}

TEST_CASE("the status suffix")
{
    StringEditor s = EditorOver("abc", 0);
    s.status = "Encoding: ANSI | VIM: INSERT";
    struct Row {
        const char* keys;
        const char* suffix;
    } rows[] = {
        {"3", " | VIM: NORMAL 3"},
        {"d", " | VIM: NORMAL 3 (Pending: d)"},
        {"f", " | VIM: NORMAL 3 (Pending: df)"},
        {"\x1b", " | VIM: NORMAL"},
        {":w", " | VIM: COMMAND :w"},
        {"\x1b/ab", " | VIM: SEARCH /ab"},
        {"\x1bi", " | VIM: INSERT"},
        {"\x1bV", " | VIM: V-LINE"},
        {"v", " | VIM: VISUAL"},
    };
    for (const Row& r : rows) {
        CAPTURE(r.keys);
        Keys(s, r.keys);
        CHECK(s.status == std::string("Encoding: ANSI") + r.suffix);
    }
    gVimEnabled = false;
    CHECK(VimStatusText(s.status) == "Encoding: ANSI");
}

TEST_CASE("a key whose character never comes leaves nothing to swallow")
{
    // "i" enters INSERT and drops its own character; when that character does not arrive
    // (the key was sent without one), the next typed character must still be inserted.
    StringEditor s = EditorOver("ab", 0);
    VimEditor e = s.Editor();
    CHECK(VimKeyDown(e, 'I', VimModifiers{false, false}));
    CHECK(gVimMode == kVimInsert);
    Keys(s, "x");
    CHECK(s.text == "xab");
}

TEST_CASE("Ctrl is not tested for x, c and v in NORMAL mode")
{
    StringEditor s = EditorOver("abc", 0);
    Ctrl(s, 'X');
    CHECK(s.text == "bc");
    Ctrl(s, 'C');
    CHECK(gVimPendingOperator == 'c');
    Keys(s, "\x1b");
    Ctrl(s, 'V');
    CHECK(gVimMode == kVimVisual);
    // Ctrl with a letter that no row takes goes on to the editor.
    Keys(s, "\x1b");
    VimEditor e = s.Editor();
    CHECK_FALSE(VimKeyDown(e, 'Q', VimModifiers{false, true}));
    CHECK(VimKeyDown(e, 'Q', VimModifiers{false, false}));
}

TEST_CASE("undo restores the selection the user had before the command")
{
    StringEditor s = EditorOver("foo bar baz", 0);
    s.rememberedStart = s.rememberedEnd = 0;
    Keys(s, "w"); // a motion: nothing typed in between
    Keys(s, "dw");
    CHECK(s.text == "foo baz");
    Keys(s, "0u");
    CHECK(s.text == "foo bar baz");
    CHECK(s.anchor == 4);
    CHECK(s.caret == 4);
}

TEST_CASE("a read-only document refuses every edit but keeps motions and yanks")
{
    const char* keys[] = {"x", "dd", "dw", "cw", "s", "S", "J", "o", "O", "p", "rX", "~", "vd", "Vc", ":%s/a/b/\r"};
    for (const char* k : keys) {
        CAPTURE(k);
        StringEditor s = EditorOver("a b\r\nc", 0);
        s.readOnly = true;
        s.clipboard = "X";
        Keys(s, k);
        CHECK(s.text == "a b\r\nc");
        CHECK(s.beeps >= 1);
        CHECK(gVimMode != kVimInsert);
    }
    StringEditor s = EditorOver("a b\r\nc", 0);
    s.readOnly = true;
    Keys(s, "yyjw");
    CHECK(s.clipboard == "a b\r\n");
    CHECK(s.caret == 6);
    CHECK(s.beeps == 0);
}

namespace {

// A CR without its LF, or an LF without its CR: what a split line break leaves.
bool HasLoneBreak(const std::string& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        bool pairedCr = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        bool pairedLf = text[i] == '\n' && i > 0 && text[i - 1] == '\r';
        if ((text[i] == '\r' && !pairedCr) || (text[i] == '\n' && !pairedLf))
            return true;
    }
    return false;
}

// Keys typed over a text from a caret, and the text and caret they leave.
struct EditRow {
    const char* text;
    int caret;
    const char* keys;
    const char* result;
    int resultCaret;
};

template <size_t N>
void CheckEdits(const EditRow (&rows)[N])
{
    for (const EditRow& r : rows) {
        CAPTURE(r.text);
        CAPTURE(r.keys);
        StringEditor s = EditorOver(r.text, r.caret);
        Keys(s, r.keys);
        CHECK(s.text == r.result);
        CHECK(s.caret == r.resultCaret);
    }
}

} // namespace

TEST_CASE("no command splits a CR LF, at a line's end or at a line's start")
{
    const char* texts[] = {"ab\r\ncd", "ab\r\n\r\ncd", "ab\r\n"};
    // Every command that works on a range, and the motions that could leave the cursor
    // between CR and LF (followed by typing there).
    const char* commands[] = {
        "vd", "vx", "vc", "vy", "vyP", "vS", "v~", "vp", "vhd", "vld", "vjd", "vkd", "vwd", "ved", "vwwy",
        "dl", "cl", "yl", "yl$p", "3dl", "dh", "ch", "yh", "3dh", "dw", "dW", "db", "dB", "de", "dE",
        "d0", "d$", "d^", "d%", "diw", "dj", "dk", "dgg", "dG", "cw", "ce", "yw", "ye",
        "df\r", "dt\r", "dF\r", "dT\r", "df\n", "dt\n", "dF\n", "dT\n", "cf\r", "yf\rP",
        "viwd", "viwiX", "f\riX", "F\niX", "t\niX", "T\riX", "eiX", "EiX", "~iX", "3~iX", "x", "3x", "s", "J", "S",
        "yyp", "yyP", "ddp", "Vd", "Vyp", "aX", "AX", "oX", "OX",
    };
    for (const char* text : texts) {
        std::string t = text;
        for (int at = 0; at <= (int)t.size(); ++at) {
            // The line ends (before a CR LF) and the line starts (after one).
            bool lineEnd = at == (int)t.size() || t[(size_t)at] == '\r';
            bool lineStart = at == 0 || t[(size_t)at - 1] == '\n';
            if (!lineEnd && !lineStart)
                continue;
            for (const char* keys : commands) {
                CAPTURE(text);
                CAPTURE(at);
                CAPTURE(keys);
                StringEditor s = EditorOver(text, at);
                s.clipboard = "q";
                Keys(s, keys);
                Keys(s, "\x1b");
                CHECK_FALSE(HasLoneBreak(s.text));
                CHECK_FALSE(HasLoneBreak(s.clipboard));
                CHECK_FALSE(VimInsideLineBreak(s.text, s.caret));
                CHECK_FALSE(VimInsideLineBreak(s.text, s.anchor));
            }
        }
    }
}

TEST_CASE("a range that reaches into a line break takes it whole or stops before it")
{
    struct Row {
        const char* text;
        int caret;
        const char* keys;
        const char* result;
        const char* clipboard;
    } rows[] = {
        // VISUAL takes the character under the cursor: at a line's end the line break.
        {"ab\r\ncd", 2, "vd", "abcd", "q"},
        {"ab\r\ncd", 2, "vy", "ab\r\ncd", "\r\n"},
        {"ab\r\ncd", 4, "vhd", "abd", "q"},
        // l and h count bytes, and stop before a line break they would split.
        {"ab\r\ncd", 2, "dl", "ab\r\ncd", "q"},
        {"ab\r\ncd", 1, "3dl", "acd", "q"},
        {"ab\r\ncd", 4, "dh", "ab\r\ncd", "q"},
        {"ab\r\ncd", 2, "yl", "ab\r\ncd", "q"},
        // f and F take the line break they found, t and T stop before it.
        {"ab\r\ncd", 0, "df\r", "cd", "q"},
        {"ab\r\ncd", 0, "dt\n", "\r\ncd", "q"},
        {"ab\r\ncd", 5, "dF\n", "abd", "q"},
        {"ab\r\ncd", 5, "dT\r", "ab\r\nd", "q"},
        {"ab\r\ncd", 0, "yf\r", "ab\r\ncd", "ab\r\n"},
    };
    for (const Row& r : rows) {
        CAPTURE(r.text);
        CAPTURE(r.keys);
        StringEditor s = EditorOver(r.text, r.caret);
        s.clipboard = "q";
        Keys(s, r.keys);
        CHECK(s.text == r.result);
        CHECK(s.clipboard == r.clipboard);
    }
    // * on a lone LF looks for an LF, and finds the one of a CR LF: the caret goes before
    // that break.
    StringEditor s = EditorOver("a\nb\r\nc", 1);
    Keys(s, "*");
    CHECK(s.caret == 3);
    // iw in VISUAL over the blanks of a line break puts the cursor on the whole break.
    s = EditorOver("ab\r\ncd", 2);
    Keys(s, "viw");
    CHECK(gVimVisualCursor == 2);
}

TEST_CASE("a linewise yank of the last line pastes as a whole line")
{
    const EditRow rows[] = {
        {"one\r\nthree", 7, "yyp", "one\r\nthree\r\nthree\r\n", 12},
        {"one\r\nthree", 7, "yyP", "one\r\nthree\r\nthree", 5},
        {"one\r\nthree", 7, "Vyp", "one\r\nthree\r\nthree\r\n", 12},
        {"one\r\nthree", 0, "yjP", "one\r\nthree\r\none\r\nthree", 0},
        {"one", 1, "yyp", "one\r\none\r\n", 5},
        // An empty last line is a line too.
        {"one\r\n", 5, "yykP", "\r\none\r\n", 0},
    };
    CheckEdits(rows);
    // cc copies the last line as a line as well.
    StringEditor s = EditorOver("one\r\nthree", 7);
    Keys(s, "cc\x1b");
    CHECK(s.clipboard == "three\r\n");
}

TEST_CASE("w in VISUAL moves on to the next word each time")
{
    struct Row {
        const char* text;
        const char* keys;
        int cursor;
    } rows[] = {
        {"foo bar baz", "vw", 3},
        {"foo bar baz", "vww", 7},
        {"foo bar baz", "vwww", 10},
        {"foo bar baz", "v2w", 7},
        {"foo bar baz", "vWW", 7},
        {"a.b", "vw", 1}, // the punctuation run is a word of its own
        {"a.b", "vww", 2},
        // Across a line break the cursor stops at the line's end, then goes on.
        {"foo\r\nbar x", "vw", 3},
        {"foo\r\nbar x", "vww", 8},
    };
    for (const Row& r : rows) {
        CAPTURE(r.text);
        CAPTURE(r.keys);
        StringEditor s = EditorOver(r.text, 0);
        Keys(s, r.keys);
        CHECK(gVimMode == kVimVisual);
        CHECK(gVimVisualCursor == r.cursor);
    }
}

TEST_CASE("a modifier's own key-down changes nothing")
{
    const int modifiers[] = {kVimKeyShift,    kVimKeyControl,     kVimKeyAlt,          kVimKeyCapsLock,
                             kVimKeyLeftWindows, kVimKeyRightWindows, kVimKeyLeftShift, kVimKeyRightShift,
                             kVimKeyLeftControl, kVimKeyRightControl, kVimKeyLeftAlt,  kVimKeyRightAlt};
    for (int vk : modifiers) {
        CAPTURE(vk);
        StringEditor s = EditorOver("abc def", 0);
        Keys(s, "3d");
        s.status = "Encoding: ANSI";
        VimEditor e = s.Editor();
        CHECK_FALSE(VimKeyDown(e, vk, VimModifiers{vk != kVimKeyControl, vk == kVimKeyControl}));
        CHECK(gVimCount == 3);
        CHECK(gVimPendingOperator == 'd');
        CHECK(s.status == "Encoding: ANSI"); // no refresh
        // Between f's key-down and its character the flag that drops the character stays.
        Keys(s, "\x1b");
        CHECK(VimKeyDown(e, 'F', VimModifiers{false, false}));
        CHECK_FALSE(VimKeyDown(e, vk, VimModifiers{false, false}));
        CHECK(VimChar(e, 'f'));
        CHECK(gVimPendingCharCommand == 'f');
    }
}

TEST_CASE("the commands with Shift and Ctrl, their modifiers pressed first")
{
    const EditRow rows[] = {
        {"ab cd\r\nef", 0, "d$", "\r\nef", 0},
        {"(ab)c", 0, "d%", ")c", 0},
        {"l1\r\nl2\r\nl3", 4, "dG", "l1\r\n", 4},
        {"l1\r\nl2\r\nl3", 0, "3G", "l1\r\nl2\r\nl3", 8},
        {"a.b c", 0, "dW", "c", 0},
        {"xyzabc", 5, "dFx", "c", 0},
        {"a\r\nb\r\nc\r\nd", 0, "3J", "a b c d", 5},
        {"abcd", 0, "3~", "ABCd", 3},
    };
    CheckEdits(rows);
    // A count, then Ctrl+R: the count survives Ctrl's own key-down.
    StringEditor s = EditorOver("abc", 0);
    Keys(s, "xxx3u");
    REQUIRE(s.text == "abc");
    Keys(s, "2");
    Ctrl(s, 'R');
    CHECK(s.text == "c");
}

TEST_CASE("S, Shift+I after an operator, dg and the arrows of h, j, k, l")
{
    // S empties the line and leaves the clipboard alone.
    StringEditor s = EditorOver("ab\r\ncd", 1);
    s.clipboard = "keep";
    Keys(s, "S");
    CHECK(s.text == "\r\ncd");
    CHECK(s.clipboard == "keep");
    // Only i starts the inner word: Shift+I ends the operator, and w then only moves.
    s = EditorOver("foo bar", 0);
    Keys(s, "dIw");
    CHECK(s.text == "foo bar");
    CHECK(s.caret == 4);
    // d waiting for its second g shows as d.
    s = EditorOver("l1\r\nl2", 4);
    Keys(s, "dg");
    CHECK(s.status == "Encoding: ANSI | VIM: NORMAL (Pending: d)");
    Keys(s, "g");
    CHECK(s.text == "l2");
    // h, j, k, l collapse a selection that stands also where the caret cannot move.
    struct Row {
        const char* keys;
        int caret;
    } rows[] = {
        {"/baz\rl", 11}, {"/baz\rj", 11}, {"/baz\rk", 11}, {"/foo\rh", 2}, {"ggvll\x1bk", 3},
    };
    for (const Row& r : rows) {
        CAPTURE(r.keys);
        s = EditorOver("foo bar baz", 0);
        Keys(s, r.keys);
        CHECK(s.anchor == r.caret);
        CHECK(s.caret == r.caret);
    }
}
