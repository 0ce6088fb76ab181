#include "tools/json/json.h"

#include <cstdio>
#include <cstring>
#include <unordered_set>

namespace {

const char kEndOfInput[] = "Unexpected end of JSON input";
const char kTooDeep[] = "Nesting deeper than 512 levels";

// Objects up to this size look for a duplicate key by scanning; larger ones hash.
const size_t kLinearMemberScan = 32;

// Bytes that stand for themselves inside a string: ASCII from 0x20 except quote and
// backslash.
struct PlainStringBytes {
    bool table[256];
    PlainStringBytes()
    {
        for (int b = 0; b < 256; ++b)
            table[b] = b >= 0x20 && b < 0x80 && b != '"' && b != '\\';
    }
    bool operator[](unsigned char b) const { return table[b]; }
};
const PlainStringBytes kPlainStringByte;

inline bool IsJsonSpace(unsigned char b)
{
    return b == ' ' || b == '\n' || b == '\r' || b == '\t';
}

inline bool IsDigit(unsigned char b)
{
    return b >= '0' && b <= '9';
}

inline bool IsNameByte(unsigned char b)
{
    return IsDigit(b) || (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || b == '_';
}

inline uint32_t Size(const JsonParser& p)
{
    return (uint32_t)p.text.size();
}

inline unsigned char At(const JsonParser& p, uint32_t i)
{
    return (unsigned char)p.text[i];
}

void SkipSpace(JsonParser& p)
{
    uint32_t n = Size(p);
    while (p.pos < n && IsJsonSpace(At(p, p.pos)))
        ++p.pos;
}

void RecordError(JsonParser& p, const std::string& message)
{
    if (p.failed)
        return;
    p.failed = true;
    p.error = message;
    p.errorPos = p.pos;
}

bool Fail(JsonParser& p, const char* message)
{
    RecordError(p, message);
    return false;
}

bool FailAt(JsonParser& p, uint32_t pos, const char* message)
{
    p.pos = pos;
    return Fail(p, message);
}

bool FailEnd(JsonParser& p)
{
    return FailAt(p, Size(p), kEndOfInput);
}

bool FailUnexpected(JsonParser& p)
{
    RecordError(p, ReportUnexpectedToken(p));
    return false;
}

bool ParseNumber(JsonParser& p, std::string& out)
{
    uint32_t n = Size(p);
    uint32_t start = p.pos;
    if (At(p, p.pos) == '-')
        ++p.pos;
    if (p.pos >= n || !IsDigit(At(p, p.pos)))
        return FailUnexpected(p);
    if (At(p, p.pos) == '0') {
        ++p.pos;
    } else {
        while (p.pos < n && IsDigit(At(p, p.pos)))
            ++p.pos;
    }
    if (p.pos < n && At(p, p.pos) == '.') {
        ++p.pos;
        if (p.pos >= n || !IsDigit(At(p, p.pos)))
            return Fail(p, "Unexpected number");
        while (p.pos < n && IsDigit(At(p, p.pos)))
            ++p.pos;
    }
    if (p.pos < n && (At(p, p.pos) == 'e' || At(p, p.pos) == 'E')) {
        ++p.pos;
        if (p.pos < n && (At(p, p.pos) == '+' || At(p, p.pos) == '-'))
            ++p.pos;
        if (p.pos >= n || !IsDigit(At(p, p.pos)))
            return Fail(p, "Unexpected number");
        while (p.pos < n && IsDigit(At(p, p.pos)))
            ++p.pos;
    }
    out.assign(p.text, start, p.pos - start);
    return true;
}

bool ReadHex4(const std::string& text, size_t at, char16_t* unit)
{
    if (at + 4 > text.size())
        return false;
    unsigned value = 0;
    for (size_t i = at; i < at + 4; ++i) {
        unsigned char c = (unsigned char)text[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        value = value * 16 + digit;
    }
    *unit = (char16_t)value;
    return true;
}

// backslash is the position of the escape's backslash; the "u" has been read.
bool ParseUnicodeEscape(JsonParser& p, std::u16string& out, uint32_t backslash)
{
    char16_t unit;
    if (!ReadHex4(p.text, (size_t)backslash + 2, &unit))
        return FailAt(p, backslash + 2, "Bad Unicode escape");
    p.pos = backslash + 6;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        uint32_t second = backslash + 6;
        char16_t low;
        if ((size_t)second + 2 <= p.text.size() && At(p, second) == '\\' && At(p, second + 1) == 'u' &&
            ReadHex4(p.text, (size_t)second + 2, &low) && low >= 0xDC00 && low <= 0xDFFF) {
            out += unit;
            out += low;
            p.pos = second + 6;
            return true;
        }
        return Fail(p, "Bad Unicode surrogate pair");
    }
    if (unit >= 0xDC00 && unit <= 0xDFFF)
        return Fail(p, "Bad Unicode surrogate pair");
    out += unit;
    return true;
}

bool ParseEscape(JsonParser& p, std::u16string& out)
{
    uint32_t backslash = p.pos;
    ++p.pos;
    if (p.pos >= Size(p))
        return FailEnd(p);
    unsigned char escape = At(p, p.pos);
    ++p.pos;
    switch (escape) {
    case '"':
    case '/':
    case '\\':
        out += (char16_t)escape;
        return true;
    case 'b':
        out += u'\b';
        return true;
    case 'f':
        out += u'\f';
        return true;
    case 'n':
        out += u'\n';
        return true;
    case 'r':
        out += u'\r';
        return true;
    case 't':
        out += u'\t';
        return true;
    case 'u':
        return ParseUnicodeEscape(p, out, backslash);
    default:
        return Fail(p, "Bad escape sequence");
    }
}

// Decodes the characters of a run of non-ASCII bytes (single bytes, or a lead byte with
// whatever byte follows it) in one call to the code page. Should a character not come
// out as exactly one unit, the run is decoded again one character at a time, so that a
// character yielding nothing still stands as "?".
void DecodeAnsiRun(JsonParser& p, std::u16string& out)
{
    const CodePage& cp = p.codePage;
    uint32_t n = Size(p);
    uint32_t start = p.pos;
    size_t characters = 0;
    while (p.pos < n && At(p, p.pos) >= 0x80) {
        p.pos += (cp.isLeadByte(At(p, p.pos)) && p.pos + 1 < n) ? 2 : 1;
        ++characters;
    }
    std::u16string units = cp.toUtf16(p.text.substr(start, p.pos - start));
    if (units.size() == characters) {
        out += units;
        return;
    }
    for (uint32_t i = start; i < p.pos;) {
        uint32_t length = (cp.isLeadByte(At(p, i)) && i + 1 < n) ? 2 : 1;
        std::u16string one = cp.toUtf16(p.text.substr(i, length));
        if (one.empty())
            out += u'?';
        else
            out += one;
        i += length;
    }
}

void AppendAscii(std::u16string& out, const char* bytes, size_t length)
{
    size_t old = out.size();
    out.resize(old + length);
    char16_t* dest = &out[old];
    for (size_t i = 0; i < length; ++i)
        dest[i] = (unsigned char)bytes[i];
}

struct MemberKeyHash {
    const std::vector<JsonMember>* members;
    size_t operator()(uint32_t index) const
    {
        return std::hash<std::u16string>()((*members)[index].key);
    }
};

struct MemberKeyEqual {
    const std::vector<JsonMember>* members;
    bool operator()(uint32_t a, uint32_t b) const
    {
        return (*members)[a].key == (*members)[b].key;
    }
};

// Keeps the keys of one object unique as members arrive: a repeated key hands its new
// value to the first member of that name, which keeps its place.
struct MemberIndex {
    std::vector<JsonMember>& members;
    std::unordered_set<uint32_t, MemberKeyHash, MemberKeyEqual> set;
    bool hashed = false;

    explicit MemberIndex(std::vector<JsonMember>& m)
        : members(m), set(0, MemberKeyHash{&m}, MemberKeyEqual{&m})
    {
    }

    void MergeInto(size_t first)
    {
        members[first].value = std::move(members.back().value);
        members.pop_back();
    }

    void AddLast()
    {
        uint32_t last = (uint32_t)members.size() - 1;
        if (hashed) {
            auto found = set.insert(last);
            if (!found.second)
                MergeInto(*found.first);
            return;
        }
        for (uint32_t i = 0; i < last; ++i) {
            if (members[i].key == members[last].key) {
                MergeInto(i);
                return;
            }
        }
        if (members.size() > kLinearMemberScan) {
            set.reserve(members.size() * 2);
            for (uint32_t i = 0; i < members.size(); ++i)
                set.insert(i);
            hashed = true;
        }
    }
};

template <typename T>
void MoveScratch(std::vector<T>& scratch, std::vector<T>& out)
{
    out.reserve(out.size() + scratch.size());
    for (T& element : scratch)
        out.push_back(std::move(element));
    scratch.clear();
}

bool ParseArrayBody(JsonParser& p, JsonValue& out)
{
    uint32_t n = Size(p);
    out.type = JsonType::Array;
    ++p.pos;
    SkipSpace(p);
    if (p.pos < n && At(p, p.pos) == ']') {
        ++p.pos;
        return true;
    }
    std::vector<JsonValue>& items = p.itemScratch[p.depth];
    items.clear();
    for (;;) {
        items.emplace_back();
        if (!ParseJsonValue(p, items.back()))
            return false;
        SkipSpace(p);
        if (p.pos >= n)
            return FailEnd(p);
        unsigned char b = At(p, p.pos);
        if (b == ']') {
            ++p.pos;
            MoveScratch(items, out.items);
            return true;
        }
        if (b != ',')
            return Fail(p, "Expected ',' or ']'");
        ++p.pos;
        SkipSpace(p);
        if (p.pos < n && At(p, p.pos) == ']')
            return Fail(p, "Trailing comma in array");
    }
}

bool ParseObjectBody(JsonParser& p, JsonValue& out)
{
    uint32_t n = Size(p);
    out.type = JsonType::Object;
    ++p.pos;
    SkipSpace(p);
    if (p.pos < n && At(p, p.pos) == '}') {
        ++p.pos;
        return true;
    }
    std::vector<JsonMember>& members = p.memberScratch[p.depth];
    members.clear();
    MemberIndex index(members);
    for (;;) {
        SkipSpace(p);
        if (p.pos >= n)
            return FailEnd(p);
        if (At(p, p.pos) != '"')
            return Fail(p, "Expected property name or '}'");
        members.emplace_back();
        JsonMember& member = members.back();
        if (!ParseJsonString(p, member.key))
            return false;
        SkipSpace(p);
        if (p.pos >= n)
            return FailEnd(p);
        if (At(p, p.pos) != ':')
            return Fail(p, "Expected ':' after property name");
        ++p.pos;
        if (!ParseJsonValue(p, member.value))
            return false;
        index.AddLast();
        SkipSpace(p);
        if (p.pos >= n)
            return FailEnd(p);
        unsigned char b = At(p, p.pos);
        if (b == '}') {
            ++p.pos;
            MoveScratch(members, out.members);
            return true;
        }
        if (b != ',')
            return Fail(p, "Expected ',' or '}'");
        ++p.pos;
        SkipSpace(p);
        if (p.pos < n && At(p, p.pos) == '}')
            return Fail(p, "Trailing comma in object");
    }
}

bool ParseContainer(JsonParser& p, JsonValue& out, bool isArray)
{
    if (p.depth >= kJsonMaxDepth)
        return Fail(p, kTooDeep);
    ++p.depth;
    // Sized once for every level, so that a level's scratch never moves while in use.
    if (p.itemScratch.size() <= (size_t)kJsonMaxDepth) {
        p.itemScratch.resize(kJsonMaxDepth + 1);
        p.memberScratch.resize(kJsonMaxDepth + 1);
    }
    bool ok = isArray ? ParseArrayBody(p, out) : ParseObjectBody(p, out);
    --p.depth;
    return ok;
}

bool HasChildren(const JsonValue& v)
{
    return !v.items.empty() || !v.members.empty();
}

// How deep the release recurses before it hands subtrees to the work list.
const int kReleaseRecursion = 64;

// Empties v's children bottom-up, so that each one's own destructor has nothing to do.
void ReleaseChildren(JsonValue& v, int budget, std::vector<JsonValue>& pending)
{
    for (JsonValue& item : v.items) {
        if (!HasChildren(item))
            continue;
        if (budget > 0)
            ReleaseChildren(item, budget - 1, pending);
        else
            pending.push_back(std::move(item));
    }
    for (JsonMember& member : v.members) {
        if (!HasChildren(member.value))
            continue;
        if (budget > 0)
            ReleaseChildren(member.value, budget - 1, pending);
        else
            pending.push_back(std::move(member.value));
    }
    v.items.clear();
    v.members.clear();
}

bool IsBlank(const std::string& text)
{
    for (char c : text) {
        if (!IsJsonSpace((unsigned char)c))
            return false;
    }
    return true;
}

void LocateError(const std::string& text, uint32_t offset, JsonCheckResult& result)
{
    size_t end = offset < text.size() ? offset : text.size();
    int32_t line = 1;
    size_t lineStart = 0;
    const char* data = text.data();
    for (const char* lf = (const char*)memchr(data, '\n', end); lf;
         lf = (const char*)memchr(lf + 1, '\n', end - (size_t)(lf + 1 - data))) {
        ++line;
        lineStart = (size_t)(lf - data) + 1;
    }
    result.line = line;
    result.column = (int32_t)(end - lineStart) + 1;
    result.errorOffset = offset;
}

std::string Summarize(const JsonValue& root)
{
    char buffer[64];
    switch (root.type) {
    case JsonType::Null:
        return "null";
    case JsonType::Boolean:
        return "boolean";
    case JsonType::Number:
        return "number";
    case JsonType::String:
        return "string";
    case JsonType::Array:
        snprintf(buffer, sizeof buffer, "array, %u items", (unsigned)root.items.size());
        return buffer;
    case JsonType::Object:
        snprintf(buffer, sizeof buffer, "object, %u keys", (unsigned)root.members.size());
        return buffer;
    }
    return std::string();
}

} // namespace

JsonValue::~JsonValue()
{
    if (!HasChildren(*this))
        return;
    std::vector<JsonValue> pending;
    ReleaseChildren(*this, kReleaseRecursion, pending);
    while (!pending.empty()) {
        JsonValue next = std::move(pending.back());
        pending.pop_back();
        ReleaseChildren(next, kReleaseRecursion, pending);
    }
}

std::string ReportUnexpectedToken(JsonParser& p)
{
    SkipSpace(p);
    if (p.pos >= Size(p))
        return kEndOfInput;
    unsigned char b = At(p, p.pos);
    char buffer[40];
    if (b >= 0x20 && b <= 0x7E)
        snprintf(buffer, sizeof buffer, "Unexpected token '%c'", b);
    else
        snprintf(buffer, sizeof buffer, "Unexpected token (0x%02X)", b);
    return buffer;
}

bool MatchJsonLiteral(JsonParser& p, const char* word)
{
    size_t length = strlen(word);
    size_t n = p.text.size();
    if (p.pos + length <= n && memcmp(p.text.data() + p.pos, word, length) == 0 &&
        (p.pos + length == n || !IsNameByte(At(p, p.pos + (uint32_t)length)))) {
        p.pos += (uint32_t)length;
        return true;
    }
    return FailUnexpected(p);
}

bool ParseJsonString(JsonParser& p, std::u16string& out)
{
    uint32_t n = Size(p);
    if (p.pos >= n || At(p, p.pos) != '"')
        return FailUnexpected(p);
    ++p.pos;
    out.clear();
    const char* data = p.text.data();
    for (;;) {
        uint32_t start = p.pos;
        uint32_t end = start;
        while (end < n && kPlainStringByte[(unsigned char)data[end]])
            ++end;
        p.pos = end;
        if (end > start)
            AppendAscii(out, data + start, end - start);
        if (p.pos >= n)
            return FailEnd(p);
        unsigned char b = At(p, p.pos);
        if (b == '"') {
            ++p.pos;
            return true;
        }
        if (b == '\\') {
            if (!ParseEscape(p, out))
                return false;
        } else if (b < 0x20) {
            return Fail(p, "Unescaped control character in string");
        } else {
            DecodeAnsiRun(p, out);
        }
    }
}

bool ParseJsonValue(JsonParser& p, JsonValue& out)
{
    SkipSpace(p);
    if (p.pos >= Size(p))
        return FailEnd(p);
    unsigned char b = At(p, p.pos);
    switch (b) {
    case '"':
        out.type = JsonType::String;
        return ParseJsonString(p, out.stringValue);
    case 't':
        out.type = JsonType::Boolean;
        out.boolValue = true;
        return MatchJsonLiteral(p, "true");
    case 'f':
        out.type = JsonType::Boolean;
        out.boolValue = false;
        return MatchJsonLiteral(p, "false");
    case 'n':
        out.type = JsonType::Null;
        return MatchJsonLiteral(p, "null");
    case '[':
        return ParseContainer(p, out, true);
    case '{':
        return ParseContainer(p, out, false);
    default:
        if (b == '-' || IsDigit(b)) {
            out.type = JsonType::Number;
            return ParseNumber(p, out.numberText);
        }
        return FailUnexpected(p);
    }
}

JsonCheckResult CheckJson(const std::string& text, JsonToolMode mode, const CodePage& codePage)
{
    JsonCheckResult result;
    if (IsBlank(text)) {
        result.message = "Document is empty";
        return result;
    }
    JsonParser parser{text, codePage};
    JsonValue root;
    bool parsed = ParseJsonValue(parser, root);
    if (parsed && !parser.failed) {
        SkipSpace(parser);
        if (parser.pos < Size(parser)) {
            RecordError(parser, ReportUnexpectedToken(parser));
            parsed = false;
        }
    }
    if (!parsed || parser.failed) {
        LocateError(text, parser.errorPos, result);
        result.message = parser.error.empty() ? "Invalid JSON" : parser.error;
        return result;
    }
    result.ok = true;
    result.message = "Valid JSON";
    result.summary = Summarize(root);
    if (mode == JsonToolMode::Format || mode == JsonToolMode::Minify) {
        result.output.reserve(text.size());
        WriteJsonValue(result.output, root, mode == JsonToolMode::Format, 0, codePage);
    }
    return result;
}
