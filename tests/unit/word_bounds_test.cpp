#include <doctest/doctest.h>

#include "editor/word_bounds.h"

#include <string.h>
#include <string>

namespace {

// Lead bytes of a double-byte page whose trail bytes include ASCII punctuation, as in 932:
// 0x95 0x5C is one character whose second byte is a backslash.
bool ShiftJisLead(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Lead bytes of a page such as 949, where a trail byte may have a lead byte's value.
bool HangulLead(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

struct MoveRow {
    const char* text;
    int position, left, right;
    LeadByteTest lead;
};

} // namespace

TEST_CASE("word moves: Ctrl+Left and Ctrl+Right targets")
{
    MoveRow rows[] = {
        // position, FindWordLeft, FindWordRight
        {"word   second", 0, 0, 7, nullptr},
        {"word   second", 13, 7, 13, nullptr},   // the end of the text stays there
        {"word   second", 5, 0, 7, nullptr},     // inside the blanks
        {"foo.bar", 7, 4, 7, nullptr},
        {"foo.bar", 4, 3, 7, nullptr},
        {"foo.bar", 3, 0, 4, nullptr},
        {"foo.bar", 0, 0, 3, nullptr},
        {"one two\r\nthree", 9, 4, 14, nullptr}, // line breaks are blanks
        {"one two\r\n\r\n  x", 7, 4, 13, nullptr},
        {"   ", 3, 0, 3, nullptr},
        {"", 0, 0, 0, nullptr},
        {"ab", -5, 0, 2, nullptr},
        {"ab", 40, 0, 2, nullptr},               // past the end: the end
        {"caf\xE9s bar", 5, 0, 6, nullptr},      // bytes from 0x80 belong to words
        {"x == y", 4, 2, 5, nullptr},
        // A double-byte character whose trail byte is a backslash is one word character.
        {"ab\x95\x5C" "cd", 6, 0, 6, ShiftJisLead},
        {"ab\x95\x5C" "cd", 0, 0, 6, ShiftJisLead},
        {"ab\x95\x5C" "cd", 6, 4, 6, nullptr},   // byte by byte the backslash splits it
        {"ab\x95\x5C" "cd", 0, 0, 3, nullptr},
        {"\x95\x5C-", 1, 0, 2, ShiftJisLead},    // a position inside the pair
        {"\xB0\xA1\xB0\xA1 x", 4, 0, 5, HangulLead},
        {"a \x95", 3, 2, 3, ShiftJisLead},       // a lead byte as the last byte stands alone
    };
    for (const MoveRow& row : rows) {
        CAPTURE(row.text);
        CAPTURE(row.position);
        int length = (int)strlen(row.text);
        CHECK(FindWordLeft(row.text, length, row.position, row.lead) == row.left);
        CHECK(FindWordRight(row.text, length, row.position, row.lead) == row.right);
    }
}

TEST_CASE("character starts never split a double-byte character")
{
    const char* text = "a\xB0\xA1\xB0\xA1z";
    int length = (int)strlen(text);
    struct Row {
        int position, start, before, width;
    } rows[] = {
        {0, 0, 0, 1}, {1, 1, 0, 2}, {2, 1, 1, 2}, {3, 3, 1, 2}, {4, 3, 3, 2}, {5, 5, 3, 1}, {6, 6, 5, 1},
    };
    for (const Row& row : rows) {
        CAPTURE(row.position);
        CHECK(CharStartAt(text, length, row.position, HangulLead) == row.start);
        CHECK(CharStartBefore(text, length, row.position, HangulLead) == row.before);
        // The width is that of a character starting at the position, whatever precedes it.
        CHECK(CharWidthAt(text, length, row.position, HangulLead) == row.width);
    }
}

TEST_CASE("the word-break rule of the editor control")
{
    struct Row {
        const char* text;
        int position, code, result;
        LeadByteTest lead;
    } rows[] = {
        {"foo bar", 7, kWordBreakLeft, 4, nullptr},
        {"foo  bar", 5, kWordBreakLeft, 3, nullptr},  // back over the blanks alone
        {"foo bar", 0, kWordBreakLeft, 0, nullptr},
        {"foo bar", 0, kWordBreakRight, 3, nullptr},
        {"foo bar", 3, kWordBreakRight, 4, nullptr},
        {"foo bar", 7, kWordBreakRight, 7, nullptr},
        {"foo bar", 9, kWordBreakRight, 7, nullptr},
        {"a==b", 1, kWordBreakRight, 3, nullptr},
        {"caf\xE9", 0, kWordBreakRight, 3, nullptr},  // not a lead byte: another class
        {"foo bar", 2, 7, 0, nullptr},                // unknown code
        // A double-byte character is a class of its own.
        {"ab\xB0\xA1\xB0\xA1" "cd", 2, kWordBreakRight, 6, HangulLead},
        {"ab\xB0\xA1\xB0\xA1" "cd", 6, kWordBreakLeft, 2, HangulLead},
        {"ab\xB0\xA1\xB0\xA1" "cd", 8, kWordBreakLeft, 6, HangulLead},
        {"ab\x95\x5C" "cd", 4, kWordBreakLeft, 2, ShiftJisLead},
        // Delimiters: blanks, other bytes and positions outside the text.
        {"a b", 1, kWordBreakIsDelimiter, 1, nullptr},
        {"a b", 0, kWordBreakIsDelimiter, 0, nullptr},
        {"a-b", 1, kWordBreakIsDelimiter, 1, nullptr},
        {"a_b", 1, kWordBreakIsDelimiter, 0, nullptr},
        {"a b", -1, kWordBreakIsDelimiter, 1, nullptr},
        {"a b", 3, kWordBreakIsDelimiter, 1, nullptr},
        {"\x95\x5C", 0, kWordBreakIsDelimiter, 0, ShiftJisLead},
        {"\x95\x5C", 1, kWordBreakIsDelimiter, 0, ShiftJisLead}, // the backslash is a trail byte
        {"\x95\x5C", 1, kWordBreakIsDelimiter, 1, nullptr},
    };
    for (const Row& row : rows) {
        CAPTURE(row.text);
        CAPTURE(row.position);
        CAPTURE(row.code);
        CHECK(WordBreakPosition(row.text, (int)strlen(row.text), row.position, row.code, row.lead) == row.result);
    }
}

TEST_CASE("a long run of lead-byte values is walked once, not once per character")
{
    std::string text;
    for (int i = 0; i < 1 << 19; ++i)
        text += "\xB0\xA1";
    int length = (int)text.size();
    CHECK(FindWordLeft(text.data(), length, length, HangulLead) == 0);
    CHECK(WordBreakPosition(text.data(), length, length, kWordBreakLeft, HangulLead) == 0);
    CHECK(FindWordRight(text.data(), length, 1, HangulLead) == length);
}
