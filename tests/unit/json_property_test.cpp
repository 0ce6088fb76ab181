#include <doctest/doctest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "tools/json/json.h"

const CodePage& TestAnsiCodePage();
const CodePage& TestDbcsCodePage();

namespace {

struct Random {
    uint64_t state;
    uint32_t Next()
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return (uint32_t)(state >> 16);
    }
    uint32_t Below(uint32_t n) { return Next() % n; }
    bool Chance(uint32_t percent) { return Below(100) < percent; }
};

// Writes random valid JSON text: every construct of the grammar, random white space,
// escapes of every kind and raw bytes of the code page (double-byte characters with
// any trail byte when `doubleByte` is set).
struct Generator {
    Random random;
    bool doubleByte;
    std::string out;

    void Space()
    {
        static const char kSpace[] = {' ', '\t', '\r', '\n'};
        while (random.Chance(25))
            out += kSpace[random.Below(4)];
    }

    void Digits(bool allowLeadingZero)
    {
        int count = 1 + (int)random.Below(4);
        for (int i = 0; i < count; ++i)
            out += (char)('0' + (i == 0 && !allowLeadingZero ? 1 + random.Below(9) : random.Below(10)));
    }

    void Number()
    {
        if (random.Chance(30))
            out += '-';
        if (random.Chance(20))
            out += '0';
        else
            Digits(false);
        if (random.Chance(30)) {
            out += '.';
            Digits(true);
        }
        if (random.Chance(25)) {
            out += random.Chance(50) ? 'e' : 'E';
            if (random.Chance(60))
                out += random.Chance(50) ? '+' : '-';
            Digits(true);
        }
    }

    void UnitEscape(unsigned unit)
    {
        char buffer[8];
        snprintf(buffer, sizeof buffer, random.Chance(50) ? "\\u%04x" : "\\u%04X", unit);
        out += buffer;
    }

    void StringPiece()
    {
        static const char* kEscapes[] = {"\\\"", "\\\\", "\\/", "\\b", "\\f", "\\n", "\\r", "\\t"};
        switch (random.Below(8)) {
        case 0:
            out += kEscapes[random.Below(8)];
            break;
        case 1: {
            unsigned unit = random.Below(0x10000);
            if (unit >= 0xD800 && unit <= 0xDFFF)
                unit = random.Below(0x100);
            UnitEscape(unit);
            break;
        }
        case 2:
            UnitEscape(0xD800 + random.Below(0x400));
            UnitEscape(0xDC00 + random.Below(0x400));
            break;
        case 3:
            if (doubleByte) {
                out += (char)(0x81 + random.Below(0x7E));
                out += (char)random.Below(0x100);
            } else {
                out += (char)(0x80 + random.Below(0x80));
            }
            break;
        case 4:
            UnitEscape(random.Chance(50) ? 0x2028 : 0x7F + random.Below(0x40));
            break;
        default: {
            char c = (char)(0x20 + random.Below(0x5F));
            out += (c == '"' || c == '\\') ? 'q' : c;
            break;
        }
        }
    }

    void String()
    {
        out += '"';
        int pieces = (int)random.Below(8);
        for (int i = 0; i < pieces; ++i)
            StringPiece();
        out += '"';
    }

    void Value(int depth)
    {
        Space();
        uint32_t kind = random.Below(depth > 6 ? 4 : 7);
        switch (kind) {
        case 0:
            Number();
            break;
        case 1:
            String();
            break;
        case 2:
            out += random.Chance(50) ? "true" : "false";
            break;
        case 3:
            out += "null";
            break;
        case 4:
        case 5: {
            out += '[';
            int count = (int)random.Below(5);
            for (int i = 0; i < count; ++i) {
                if (i)
                    out += ',';
                Value(depth + 1);
            }
            Space();
            out += ']';
            break;
        }
        default: {
            out += '{';
            int count = (int)random.Below(5);
            for (int i = 0; i < count; ++i) {
                if (i)
                    out += ',';
                Space();
                // Few distinct keys, so that duplicates are common.
                if (random.Chance(70)) {
                    out += "\"k";
                    out += (char)('0' + random.Below(4));
                    out += '"';
                } else {
                    String();
                }
                Space();
                out += ':';
                Value(depth + 1);
            }
            Space();
            out += '}';
            break;
        }
        }
        Space();
    }
};

bool SameTree(const JsonValue& a, const JsonValue& b)
{
    if (a.type != b.type)
        return false;
    switch (a.type) {
    case JsonType::Null:
        return true;
    case JsonType::Boolean:
        return a.boolValue == b.boolValue;
    case JsonType::Number:
        return a.numberText == b.numberText;
    case JsonType::String:
        return a.stringValue == b.stringValue;
    case JsonType::Array:
        if (a.items.size() != b.items.size())
            return false;
        for (size_t i = 0; i < a.items.size(); ++i) {
            if (!SameTree(a.items[i], b.items[i]))
                return false;
        }
        return true;
    case JsonType::Object:
        if (a.members.size() != b.members.size())
            return false;
        for (size_t i = 0; i < a.members.size(); ++i) {
            if (a.members[i].key != b.members[i].key || !SameTree(a.members[i].value, b.members[i].value))
                return false;
        }
        return true;
    }
    return false;
}

bool Parse(const std::string& text, const CodePage& cp, JsonValue& out)
{
    JsonParser parser{text, cp};
    return ParseJsonValue(parser, out) && !parser.failed;
}

void CheckProperties(const std::string& x, const CodePage& cp)
{
    JsonCheckResult formatted = CheckJson(x, JsonToolMode::Format, cp);
    REQUIRE(formatted.ok);
    JsonCheckResult minified = CheckJson(x, JsonToolMode::Minify, cp);
    REQUIRE(minified.ok);
    const std::string& f = formatted.output;

    CHECK(CheckJson(f, JsonToolMode::Format, cp).output == f);
    CHECK(CheckJson(f, JsonToolMode::Minify, cp).output == minified.output);
    CHECK(CheckJson(minified.output, JsonToolMode::Minify, cp).output == minified.output);
    CHECK(CheckJson(f, JsonToolMode::Validate, cp).summary == formatted.summary);

    JsonValue original, reparsed, fromMinified;
    REQUIRE(Parse(x, cp, original));
    REQUIRE(Parse(f, cp, reparsed));
    REQUIRE(Parse(minified.output, cp, fromMinified));
    CHECK(SameTree(original, reparsed));
    CHECK(SameTree(original, fromMinified));
}

} // namespace

TEST_CASE("format and minify keep the data over generated documents")
{
    struct Page {
        const char* name;
        const CodePage& cp;
        bool doubleByte;
    };
    const Page pages[] = {
        {"ANSI", TestAnsiCodePage(), false},
        {"double-byte", TestDbcsCodePage(), true},
    };
    for (const Page& page : pages) {
        Generator generator{{0x9E3779B97F4A7C15ull}, page.doubleByte, std::string()};
        for (int i = 0; i < 1500; ++i) {
            generator.out.clear();
            generator.Value(0);
            CAPTURE(page.name);
            CAPTURE(generator.out);
            CheckProperties(generator.out, page.cp);
        }
    }
}
