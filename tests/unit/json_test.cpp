#include <doctest/doctest.h>

#include <string>

#include "tools/json/json.h"

const CodePage& TestAnsiCodePage();
const CodePage& TestDbcsCodePage();

namespace {

JsonCheckResult Check(const std::string& text, JsonToolMode mode = JsonToolMode::Validate)
{
    return CheckJson(text, mode, TestAnsiCodePage());
}

std::string Nested(int depth, const std::string& open, const std::string& close)
{
    std::string text;
    for (int i = 0; i < depth; ++i)
        text += open;
    for (int i = 0; i < depth; ++i)
        text += close;
    return text;
}

} // namespace

TEST_CASE("first error: message, line and column")
{
    struct Row {
        std::string text;
        const char* message;
        int line;
        int column;
    };
    const Row rows[] = {
        {"", "Document is empty", 1, 1},
        {" \r\n\t \r\n", "Document is empty", 1, 1},
        {"01", "Unexpected token '1'", 1, 2},
        {"1.", "Unexpected number", 1, 3},
        {"1e", "Unexpected number", 1, 3},
        {"1e+", "Unexpected number", 1, 4},
        {"1.x", "Unexpected number", 1, 3},
        {"-", "Unexpected end of JSON input", 1, 2},
        {"- 1", "Unexpected token '1'", 1, 3},
        {"- ", "Unexpected end of JSON input", 1, 3},
        {"-a", "Unexpected token 'a'", 1, 2},
        {".5", "Unexpected token '.'", 1, 1},
        {"nul", "Unexpected token 'n'", 1, 1},
        {"trueX", "Unexpected token 't'", 1, 1},
        {"true_", "Unexpected token 't'", 1, 1},
        {"false1", "Unexpected token 'f'", 1, 1},
        {"true X", "Unexpected token 'X'", 1, 6},
        {"[1] x", "Unexpected token 'x'", 1, 5},
        {"[1,]", "Trailing comma in array", 1, 4},
        {"[1, \r\n ]", "Trailing comma in array", 2, 2},
        {"[1 2]", "Expected ',' or ']'", 1, 4},
        {"[", "Unexpected end of JSON input", 1, 2},
        {"[1,", "Unexpected end of JSON input", 1, 4},
        {"[1", "Unexpected end of JSON input", 1, 3},
        {"[,1]", "Unexpected token ','", 1, 2},
        {"{\"a\":1,}", "Trailing comma in object", 1, 8},
        {"{a:1}", "Expected property name or '}'", 1, 2},
        {"{\"a\":1,,\"b\":2}", "Expected property name or '}'", 1, 8},
        {"{\"a\" 1}", "Expected ':' after property name", 1, 6},
        {"{\"a\":1 \"b\":2}", "Expected ',' or '}'", 1, 8},
        {"{", "Unexpected end of JSON input", 1, 2},
        {"{\"a\"", "Unexpected end of JSON input", 1, 5},
        {"{\"a\":", "Unexpected end of JSON input", 1, 6},
        {"{\"a\":1", "Unexpected end of JSON input", 1, 7},
        {"[1]\r\n  x", "Unexpected token 'x'", 2, 3},
        {"[1,\n2,\n\n   @]", "Unexpected token '@'", 4, 4},
        {"\"a\tb\"", "Unescaped control character in string", 1, 3},
        {std::string("\"a\0b\"", 5), "Unescaped control character in string", 1, 3},
        {"\"abc", "Unexpected end of JSON input", 1, 5},
        {"\"\\", "Unexpected end of JSON input", 1, 3},
        {"\"\\x\"", "Bad escape sequence", 1, 4},
        {"\"\\u12\"", "Bad Unicode escape", 1, 4},
        {"\"\\u12g4\"", "Bad Unicode escape", 1, 4},
        {"\"\\u12", "Bad Unicode escape", 1, 4},
        {"\"\\ud800\"", "Bad Unicode surrogate pair", 1, 8},
        {"\"\\ud800\\u0041\"", "Bad Unicode surrogate pair", 1, 8},
        {"\"\\ud800\\n\"", "Bad Unicode surrogate pair", 1, 8},
        {"\"\\ud800\\udc0g\"", "Bad Unicode surrogate pair", 1, 8},
        {"\"\\ud800\\udbff\"", "Bad Unicode surrogate pair", 1, 8},
        {"\"\\ud800\\", "Bad Unicode surrogate pair", 1, 8},
        {"\"\\udc00\\udc00\"", "Bad Unicode surrogate pair", 1, 8},
        {"\x01", "Unexpected token (0x01)", 1, 1},
        {" \xE9", "Unexpected token (0xE9)", 1, 2},
        {"[1]\x7F", "Unexpected token (0x7F)", 1, 4},
        {"\"\xE9", "Unexpected end of JSON input", 1, 3},
    };
    for (const Row& row : rows) {
        CAPTURE(row.text);
        JsonCheckResult r = Check(row.text, JsonToolMode::Format);
        CHECK_FALSE(r.ok);
        CHECK(r.message == row.message);
        CHECK(r.line == row.line);
        CHECK(r.column == row.column);
        CHECK(r.output.empty());
        CHECK(r.summary.empty());
    }
}

TEST_CASE("the error offset is the byte offset of the first error")
{
    CHECK(Check("").errorOffset == 0);
    CHECK(Check("[1]\r\n  x").errorOffset == 7);
    CHECK(Check("[1,").errorOffset == 3);
    CHECK(Check("[1,]").errorOffset == 3);
}

TEST_CASE("valid documents: summary and message")
{
    struct Row {
        const char* text;
        const char* summary;
    };
    const Row rows[] = {
        {"null", "null"},
        {" true ", "boolean"},
        {"false", "boolean"},
        {"0", "number"},
        {"-0", "number"},
        {"1.5e+10", "number"},
        {"-12.25E-3", "number"},
        {"\"s\"", "string"},
        {"[1,2,3]", "array, 3 items"},
        {"[1]", "array, 1 items"},
        {"[]", "array, 0 items"},
        {"{\"a\":1}", "object, 1 keys"},
        {"{\"a\":1,\"a\":2}", "object, 1 keys"},
        {"{}", "object, 0 keys"},
        {"\r\n\t{ \"a\" : [ ] , \"b\" : { } }\r\n", "object, 2 keys"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.text);
        JsonCheckResult r = Check(row.text);
        CHECK(r.ok);
        CHECK(r.message == "Valid JSON");
        CHECK(r.summary == row.summary);
        CHECK(r.line == 1);
        CHECK(r.column == 1);
        CHECK(r.errorOffset == 0);
        CHECK(r.output.empty());
    }
}

TEST_CASE("format and minify output")
{
    struct Row {
        std::string text;
        std::string formatted;
        std::string minified;
    };
    const Row rows[] = {
        {"0", "0", "0"},
        {"-0", "-0", "-0"},
        {" 1.5e+10 ", "1.5e+10", "1.5e+10"},
        {"-12.25E-3", "-12.25E-3", "-12.25E-3"},
        {"null", "null", "null"},
        {"[true,false]", "[\r\n  true,\r\n  false\r\n]", "[true,false]"},
        {" [ ] ", "[]", "[]"},
        {"{ }", "{}", "{}"},
        {"{\"a\":[1,2],\"b\":{}}",
         "{\r\n  \"a\": [\r\n    1,\r\n    2\r\n  ],\r\n  \"b\": {}\r\n}",
         "{\"a\":[1,2],\"b\":{}}"},
        {"[[[]],{\"k\":{\"x\":null}}]",
         "[\r\n  [\r\n    []\r\n  ],\r\n  {\r\n    \"k\": {\r\n      \"x\": null\r\n    }\r\n  }\r\n]",
         "[[[]],{\"k\":{\"x\":null}}]"},
        {"{\"a\":1,\"a\":2}", "{\r\n  \"a\": 2\r\n}", "{\"a\":2}"},
        {"{\"a\":1,\"b\":2,\"a\":{\"c\":3}}", "{\r\n  \"a\": {\r\n    \"c\": 3\r\n  },\r\n  \"b\": 2\r\n}",
         "{\"a\":{\"c\":3},\"b\":2}"},
        {"\"\\/\"", "\"/\"", "\"/\""},
        {"\"\\u0001\\b\\f\\n\\r\\t\\\"\\\\\\u001F\"", "\"\\u0001\\b\\f\\n\\r\\t\\\"\\\\\\u001f\"",
         "\"\\u0001\\b\\f\\n\\r\\t\\\"\\\\\\u001f\""},
        {"\"\\u0041\\u007f\x7F\"", "\"A\x7F\x7F\"", "\"A\x7F\x7F\""},
        {"\"\\u2028\\u2029\"", "\"\\u2028\\u2029\"", "\"\\u2028\\u2029\""},
        // Characters of the code page are written as they are.
        {"\"\\u00E9\"", "\"\xE9\"", "\"\xE9\""},
        {"\"\\u20ac\xE9\x80\"", "\"\x80\xE9\x80\"", "\"\x80\xE9\x80\""},
        // Characters the code page lacks keep their escapes instead of becoming look-alikes.
        {"\"\\u0100\"", "\"\\u0100\"", "\"\\u0100\""},
        {"[\"\\uff02\"]", "[\r\n  \"\\uff02\"\r\n]", "[\"\\uff02\"]"},
        {"\"\\uD83D\\uDE00\"", "\"\\ud83d\\ude00\"", "\"\\ud83d\\ude00\""},
        {"\"a\\u0100b\xE9\\u4e2d\\u00fc\"", "\"a\\u0100b\xE9\\u4e2d\xFC\"", "\"a\\u0100b\xE9\\u4e2d\xFC\""},
        {"{\"\\u0100\":\"\\u0101\"}", "{\r\n  \"\\u0100\": \"\\u0101\"\r\n}", "{\"\\u0100\":\"\\u0101\"}"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.text);
        JsonCheckResult formatted = Check(row.text, JsonToolMode::Format);
        REQUIRE(formatted.ok);
        CHECK(formatted.output == row.formatted);
        JsonCheckResult minified = Check(row.text, JsonToolMode::Minify);
        REQUIRE(minified.ok);
        CHECK(minified.output == row.minified);
    }
}

TEST_CASE("validate and unknown modes write no output")
{
    CHECK(Check("[1, 2]", JsonToolMode::Validate).output.empty());
    JsonCheckResult r = Check("[1, 2]", static_cast<JsonToolMode>(7));
    CHECK(r.ok);
    CHECK(r.output.empty());
    CHECK(r.summary == "array, 2 items");
}

TEST_CASE("every byte of the code page inside a string survives format and minify")
{
    std::string text = "\"";
    for (int b = 0x20; b < 0x100; ++b) {
        if (b != '"' && b != '\\')
            text += (char)b;
    }
    text += "\"";
    CHECK(Check(text, JsonToolMode::Format).output == text);
    CHECK(Check(text, JsonToolMode::Minify).output == text);
}

TEST_CASE("double-byte code page: characters, trail bytes and columns")
{
    const CodePage& dbcs = TestDbcsCodePage();
    struct Row {
        std::string text;
        bool ok;
        std::string outputOrMessage;
        int column;
    };
    const Row rows[] = {
        // A trail byte that looks like a backslash or a quote belongs to its character.
        {"\"\x81\x5C\"", true, "\"\x81\x5C\"", 1},
        {"[\"a\x90\x22\"]", true, "[\"a\x90\x22\"]", 1},
        {"\"\x80\xFF\xB0\xA1\"", true, "\"\x80\xFF\xB0\xA1\"", 1},
        {"\"\\u4e41\\u00e9\"", true, "\"\x81" "A\\u00e9\"", 1},
        {"\"\x81", false, "Unexpected end of JSON input", 3},
        {"\"\x81\"", false, "Unexpected end of JSON input", 4},
        {"\"\xB0\xA1\" x", false, "Unexpected token 'x'", 6},
    };
    for (const Row& row : rows) {
        CAPTURE(row.text);
        JsonCheckResult r = CheckJson(row.text, JsonToolMode::Minify, dbcs);
        CHECK(r.ok == row.ok);
        if (row.ok)
            CHECK(r.output == row.outputOrMessage);
        else
            CHECK(r.message == row.outputOrMessage);
        CHECK(r.column == row.column);
    }

    std::u16string units;
    std::string text("\"\x81\x5C" "a\"");
    JsonParser parser{text, dbcs};
    REQUIRE(ParseJsonString(parser, units));
    CHECK(units == std::u16string{char16_t(0x4E5C), u'a'});
}

TEST_CASE("nesting is bounded at 512 levels")
{
    const char* tooDeep = "Nesting deeper than 512 levels";
    struct Row {
        std::string text;
        bool ok;
        std::string message;
        int column;
    };
    const Row rows[] = {
        {Nested(500, "[", "]"), true, "Valid JSON", 1},
        {Nested(512, "[", "]"), true, "Valid JSON", 1},
        {Nested(513, "[", "]"), false, tooDeep, 513},
        {std::string(100000, '['), false, tooDeep, 513},
        {Nested(512, "{\"a\":", "}").insert(512 * 5, "1"), true, "Valid JSON", 1},
        {Nested(513, "{\"a\":", "}").insert(513 * 5, "1"), false, tooDeep, 512 * 5 + 1},
        {std::string(50000, '{'), false, "Expected property name or '}'", 2},
    };
    for (const Row& row : rows) {
        CAPTURE(row.text.substr(0, 20));
        JsonCheckResult r = Check(row.text, JsonToolMode::Format);
        CHECK(r.ok == row.ok);
        CHECK(r.message == row.message);
        CHECK(r.column == row.column);
    }

    std::string deep = Nested(500, "[", "]");
    CHECK(Check(deep, JsonToolMode::Minify).output == deep);
    std::string formatted = Check(deep, JsonToolMode::Format).output;
    CHECK(Check(formatted, JsonToolMode::Minify).output == deep);

    std::string mixed;
    for (int i = 0; i < 300; ++i)
        mixed += "[{\"k\":";
    mixed += "[]";
    CHECK(Check(mixed).message == "Nesting deeper than 512 levels");
    CHECK(Check(mixed).column == 6 * 256 + 1);
}

TEST_CASE("a tree far deeper than the bound is released without recursion")
{
    JsonValue root;
    JsonValue* node = &root;
    for (int i = 0; i < 200000; ++i) {
        if (i % 2) {
            node->type = JsonType::Array;
            node->items.emplace_back();
            node->items.emplace_back();
            node = &node->items.back();
        } else {
            node->type = JsonType::Object;
            node->members.push_back(JsonMember{u"k", JsonValue()});
            node = &node->members.back().value;
        }
    }
    JsonValue moved = std::move(root);
    moved = JsonValue();
    CHECK(moved.items.empty());
}

TEST_CASE("duplicate keys in large objects: last value wins, first place kept")
{
    // Small objects scan their keys, larger ones index them (past 32 members); check on
    // both sides of the switch.
    for (int count : {3, 8, 9, 10, 32, 33, 34, 2000}) {
        CAPTURE(count);
        std::string text = "{";
        std::string expected = "{";
        for (int i = 0; i < count; ++i) {
            std::string key = "\"k" + std::to_string(i) + "\"";
            text += key + ":" + std::to_string(i) + ",";
            expected += key + ":" + (i % 3 == 0 ? "\"again\"" : std::to_string(i));
            expected += i + 1 < count ? "," : "}";
        }
        for (int i = 0; i < count; i += 3)
            text += "\"k" + std::to_string(i) + "\":\"again\",";
        text += "\"k0\":\"again\"}";
        JsonCheckResult r = Check(text, JsonToolMode::Minify);
        REQUIRE(r.ok);
        CHECK(r.output == expected);
        CHECK(r.summary == "object, " + std::to_string(count) + " keys");
    }
    // Keys compare as exact units: case and escapes that decode alike.
    JsonCheckResult r = Check("{\"a\":1,\"A\":2,\"\\u0061\":3}", JsonToolMode::Minify);
    CHECK(r.output == "{\"a\":3,\"A\":2}");
}

TEST_CASE("parse functions keep the first error and its position")
{
    std::string text = "[1, tru]";
    JsonParser parser{text, TestAnsiCodePage()};
    JsonValue value;
    CHECK_FALSE(ParseJsonValue(parser, value));
    CHECK(parser.failed);
    CHECK(parser.error == "Unexpected token 't'");
    CHECK(parser.errorPos == 4);
    // A later report does not replace the first one.
    parser.pos = 0;
    CHECK_FALSE(MatchJsonLiteral(parser, "null"));
    CHECK(parser.error == "Unexpected token 't'");
    CHECK(parser.errorPos == 4);

    std::string spaced = "  \r\n ?";
    JsonParser q{spaced, TestAnsiCodePage()};
    CHECK(ReportUnexpectedToken(q) == "Unexpected token '?'");
    CHECK(q.pos == 5);
}
