#include <doctest/doctest.h>

#include "editor/editor_key_rules.h"
#include "editor/point_offset.h"
#include "editor/word_occurrences.h"

#include <string.h>
#include <string>
#include <vector>

namespace {

bool HangulLead(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

std::string Words(const std::string& text, const std::vector<WordHighlight>& found)
{
    std::string out;
    for (const WordHighlight& w : found)
        out +=
            (out.empty() ? "" : ",") + std::to_string(w.start) + ":" + text.substr(w.start, w.end - w.start);
    return out;
}

} // namespace

TEST_CASE("characters that never reach the text")
{
    for (unsigned code : {0x01u, 0x03u, 0x06u, 0x07u, 0x09u, 0x0Au, 0x0Cu, 0x0Eu, 0x0Fu, 0x13u, 0x16u, 0x17u,
                          0x18u, 0x19u, 0x1Au, 0x1Bu, 0x7Fu}) {
        CAPTURE(code);
        CHECK(IsDroppedControlCharacter(code, false));
        CHECK(IsDroppedControlCharacter(code, true));
    }
    // Backspace only with Ctrl (Ctrl+H); Enter, Ctrl+B, Ctrl+D and text pass.
    CHECK(IsDroppedControlCharacter(0x08, true));
    for (unsigned code : {0x08u, 0x0Du, 0x02u, 0x04u, 0x20u, 0x61u, 0xE9u}) {
        CAPTURE(code);
        CHECK_FALSE(IsDroppedControlCharacter(code, false));
    }
    CHECK_FALSE(IsDroppedControlCharacter(0x0D, true));
}

TEST_CASE("the rule of hyphens and the time stamp")
{
    CHECK(std::string(kHyphenRule) == std::string(22, '-'));
    CHECK(TimeStampText(2024, 3, 7, 9, 5, 0) == "2024-03-07 09:05:00");
    CHECK(TimeStampText(1999, 12, 31, 23, 59, 59) == "1999-12-31 23:59:59");
}

TEST_CASE("indentation: the lines taken, each line's change and the selection's end")
{
    // A selection that ends at the very start of a line leaves that line out, unless the
    // selection is empty or lies on one line.
    CHECK(IndentLastLine(25, 60, 2, 5, 60) == 4);
    CHECK(IndentLastLine(25, 61, 2, 5, 60) == 5);
    CHECK(IndentLastLine(60, 60, 5, 5, 60) == 5);
    CHECK(IndentLastLine(58, 60, 4, 5, 60) == 4);

    struct Row {
        const char* head;
        bool outdent;
        int delta;
    };
    const Row rows[] = {
        {"ab", false, 2},  {"", false, 2},   {"\tx", true, -1},  {" \t", true, -1},
        {"   ", true, -2}, {"  ", true, -2}, {" x", true, -1},   {" ", true, -1},
        {"x ", true, 0},   {"", true, 0},    {"\t\t", true, -1},
    };
    for (const Row& row : rows) {
        CAPTURE(row.head);
        CHECK(IndentDelta(row.outdent, row.head, (int)strlen(row.head) < 2 ? (int)strlen(row.head) : 2) ==
              row.delta);
    }

    // Tab over three lines: the end follows by six.
    CHECK(IndentedSelectionEnd(60, 6, 54) == 66);
    // Shift+Tab with the end inside the removed indentation of its line: the line start,
    // never before it (and never -1, which would select the whole text).
    CHECK(IndentedSelectionEnd(1, -2, 0) == 0);
    CHECK(IndentedSelectionEnd(31, -4, 28) == 28);
    CHECK(IndentedSelectionEnd(35, -4, 28) == 31);
}

TEST_CASE("smart Home alternates between the indentation and the line start")
{
    const char* line = "    word";
    CHECK(SmartHomeTarget(line, 8, 100, 106) == 104);
    CHECK(SmartHomeTarget(line, 8, 100, 104) == 100);
    CHECK(SmartHomeTarget(line, 8, 100, 100) == 104);
    CHECK(SmartHomeTarget("\t x", 3, 10, 13) == 12);
    CHECK(SmartHomeTarget("word", 4, 10, 12) == 10);
    CHECK(SmartHomeTarget("word", 4, 10, 10) == 10);
    CHECK(SmartHomeTarget("   ", 3, 0, 1) == 3);
    CHECK(SmartHomeTarget("", 0, 7, 7) == 7);
}

TEST_CASE("the double click's word")
{
    struct Row {
        const char* text;
        int offset, lineStart;
        bool found;
        int start, end;
    };
    const Row rows[] = {
        {"alpha beta", 7, 0, true, 6, 10},
        {"alpha beta", 6, 0, true, 6, 10},
        {"alpha beta", 5, 0, true, 0, 5},          // the blank after a word takes the word
        {"alpha  beta", 6, 0, false, 0, 0},        // the second of two blanks
        {" alpha", 0, 0, false, 0, 0},             // a blank at the line start
        {"a == b", 3, 0, true, 2, 4},              // punctuation is a run of its own
        {"foo_bar(x)", 2, 0, true, 0, 7},          // "_" belongs to the word
        {"ab\r\ncd", 9, 4, true, 4, 6},            // beyond the text: the last character
        {"ab  \r\ncd", 3, 0, false, 0, 0},         // beyond the line end on blanks
        {"ab\r\ncd", 2, 0, true, 0, 2},            // on the line break: the character before
        {"ab\r\n", 4, 4, false, 0, 0},             // an empty last line
        {"ab\r\ncd", 5, 6, false, 0, 0},           // a line start after the offset
        {"x \xB0\xA1\xB0\xA1y", 3, 0, true, 2, 6}, // double-byte characters, clicked on a trail byte
        {"", 0, 0, false, 0, 0},
    };
    for (const Row& row : rows) {
        CAPTURE(row.text);
        CAPTURE(row.offset);
        ClickedWord w =
            FindClickedWord(row.text, (int)strlen(row.text), row.offset, row.lineStart, HangulLead);
        CHECK(w.found == row.found);
        if (row.found) {
            CHECK(w.start == row.start);
            CHECK(w.end == row.end);
        }
    }
    CHECK(FindClickedWord("a == b", 6, 3, 0, nullptr).cls == kWordClassOther);
    CHECK(FindClickedWord("x \xB0\xA1", 4, 2, 0, HangulLead).cls == kWordClassDbcs);
}

TEST_CASE("occurrences of the double-clicked word")
{
    struct Row {
        std::string text;
        int start, end;
        WordClass cls;
        const char* expected;
    };
    const Row rows[] = {
        // Any letter case, alone or next to punctuation; not inside longer words, not
        // after "_" or a digit.
        {"value Value (VALUE) values _value value2 xvalue\r\nvalue.", 0, 5, kWordClassWord,
         "0:value,6:Value,13:VALUE,49:value"},
        {"id id", 0, 2, kWordClassWord, "0:id,3:id"},
        {"once upon", 0, 4, kWordClassWord, ""},         // one occurrence: none
        {"== ==", 0, 2, kWordClassOther, ""},            // punctuation gets none
        {"ab\r\nab", 4, 6, kWordClassWord, "0:ab,4:ab"}, // a line break ends a word
        {"aaa", 0, 1, kWordClassWord, ""},               // never inside a run of the word
        // A double-byte word next to a letter stands alone: the classes differ.
        {"\xB0\xA1 x\xB0\xA1 \xB0\xA1\xB0\xA1", 0, 2, kWordClassDbcs, "0:\xB0\xA1,4:\xB0\xA1"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.text);
        std::vector<WordHighlight> found = FindWordOccurrences(row.text.data(), (int)row.text.size(),
                                                               row.start, row.end, row.cls, HangulLead);
        CHECK(Words(row.text, found) == row.expected);
    }

    // A word of 5,000 letters is not searched; a list stops at 100,000 entries.
    std::string longWord(5000, 'a');
    std::string twice = longWord + " " + longWord;
    CHECK(FindWordOccurrences(twice.data(), (int)twice.size(), 0, 5000, kWordClassWord, nullptr).empty());
    std::string many;
    for (int i = 0; i < kMaxWordHighlights + 5; ++i)
        many += "x ";
    std::vector<WordHighlight> capped =
        FindWordOccurrences(many.data(), (int)many.size(), 0, 1, kWordClassWord, nullptr);
    CHECK(capped.size() == (size_t)kMaxWordHighlights);
    CHECK(capped.back().start == 2 * (kMaxWordHighlights - 1));
}

TEST_CASE("offsets past 65,535 rebuilt from the 16 bits the control reports")
{
    CHECK(LineAtY(0, 1, 0, 16, 10) == 0);
    CHECK(LineAtY(33, 1, 4, 16, 10) == 6);
    CHECK(LineAtY(400, 1, 4, 16, 10) == 9); // below the last line
    CHECK(LineAtY(-20, 1, 4, 16, 10) == 2); // above the first visible line
    CHECK(LineAtY(-20, 1, 0, 16, 10) == 0);
    CHECK(LineAtY(5, 0, 3, 0, 10) == 8); // no height: one pixel a line

    struct Row {
        unsigned low;
        int estimate, expected;
    };
    const Row nearest[] = {
        {70000 & 0xFFFF, 69990, 70000},
        {875, 875, 875},
        {65535, 65540, 65535},
        {10, 65530, 65546},
        {65530, 3, 0xFFFA}, // never below 0
        {0, 98304, 65536},  // a tie: the smaller
    };
    for (const Row& row : nearest) {
        CAPTURE(row.estimate);
        CHECK(NearestWithLow16(row.low, row.estimate) == row.expected);
    }

    CHECK(LineOffsetsWithLow16(70000 & 0xFFFF, 69960, 78) == std::vector<int>{70000});
    CHECK(LineOffsetsWithLow16(5, 0, 80) == std::vector<int>{5});
    CHECK(LineOffsetsWithLow16(65530, 65500, 80) == std::vector<int>{65530});
    CHECK(LineOffsetsWithLow16(2, 65530, 10) == std::vector<int>{65538});
    CHECK(LineOffsetsWithLow16(200, 0, 80).empty());
    CHECK(LineOffsetsWithLow16(100, 0, 200000) == (std::vector<int>{100, 65636, 131172, 196708}));
}
