#pragma once
// The JSON tool's engine: parse a document held as ANSI code page bytes into a value
// tree, report the first syntax error with its position, and write the tree back
// indented or compact. No window, file or global state is touched.

#include <cstdint>
#include <string>
#include <vector>

#include "document/codepage.h"

enum class JsonType : int32_t { Null = 0, Boolean = 1, Number = 2, String = 3, Array = 4, Object = 5 };

// Any value other than Format and Minify behaves as Validate.
enum class JsonToolMode : int32_t { Validate = 0, Format = 1, Minify = 2 };

// Arrays and objects nested deeper than this are a syntax error, so that neither the
// parser nor the writer can run out of stack on hostile input.
constexpr int kJsonMaxDepth = 512;

struct JsonMember;

struct JsonValue {
    JsonType type = JsonType::Null;
    bool boolValue = false;
    std::string numberText;      // a Number exactly as written in the source
    std::u16string stringValue;  // a String after escape decoding
    std::vector<JsonValue> items;
    std::vector<JsonMember> members;  // in order of first appearance, keys unique

    JsonValue() = default;
    JsonValue(const JsonValue&) = default;
    JsonValue(JsonValue&&) noexcept = default;
    JsonValue& operator=(const JsonValue&) = default;
    JsonValue& operator=(JsonValue&&) noexcept = default;
    // Recursion into the children is bounded; deeper subtrees go onto a work list, so
    // the depth of a tree never limits its release.
    ~JsonValue();
};

struct JsonMember {
    std::u16string key;
    JsonValue value;
};

struct JsonParser {
    const std::string& text;
    const CodePage& codePage;
    uint32_t pos = 0;
    bool failed = false;
    std::string error;
    uint32_t errorPos = 0;
    int depth = 0;  // arrays and objects currently open
    // One vector per nesting level, reused by every array and object read at that level:
    // their elements gather here and then move once into a vector of the final size.
    std::vector<std::vector<JsonValue>> itemScratch;
    std::vector<std::vector<JsonMember>> memberScratch;
};

struct JsonCheckResult {
    bool ok = false;
    int32_t line = 1;          // 1-based line of the first error
    int32_t column = 1;        // 1-based byte column of the first error
    uint32_t errorOffset = 0;  // byte offset of the first error in the text
    std::string message;       // "Valid JSON" or the error message
    std::string output;        // formatted or minified text (Format and Minify only)
    std::string summary;       // e.g. "array, 3 items" (empty on error)
};

JsonCheckResult CheckJson(const std::string& text, JsonToolMode mode, const CodePage& codePage);

// The parse functions return false once an error is recorded; only the first error
// of a parse is kept.
bool ParseJsonValue(JsonParser& parser, JsonValue& out);
bool ParseJsonString(JsonParser& parser, std::u16string& out);
bool MatchJsonLiteral(JsonParser& parser, const char* word);
// Skips white space (moving the position onto the offending byte) and returns the
// message for the byte found there.
std::string ReportUnexpectedToken(JsonParser& parser);

// Pretty output indents by two spaces per level with CR LF line ends. Characters that
// the code page cannot hold exactly are written as \u escapes, so no data is lost.
void WriteJsonValue(std::string& out, const JsonValue& value, bool pretty, int depth,
                    const CodePage& codePage);
void WriteJsonString(std::string& out, const std::u16string& units, const CodePage& codePage);
