#include "tools/json/json.h"

namespace {

inline bool IsHighSurrogate(char16_t u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}

inline bool IsLowSurrogate(char16_t u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

void AppendUnitEscape(std::string& out, char16_t unit)
{
    static const char kHex[] = "0123456789abcdef";
    char escape[6] = {'\\', 'u', kHex[(unit >> 12) & 15], kHex[(unit >> 8) & 15],
                      kHex[(unit >> 4) & 15], kHex[unit & 15]};
    out.append(escape, sizeof escape);
}

// The units below 0x80 that cannot be written as they are.
void AppendAsciiEscape(std::string& out, char16_t unit)
{
    switch (unit) {
    case '"':
        out += "\\\"";
        break;
    case '\\':
        out += "\\\\";
        break;
    case 0x08:
        out += "\\b";
        break;
    case 0x0C:
        out += "\\f";
        break;
    case 0x0A:
        out += "\\n";
        break;
    case 0x0D:
        out += "\\r";
        break;
    case 0x09:
        out += "\\t";
        break;
    default:
        AppendUnitEscape(out, unit);
        break;
    }
}

inline bool IsNonAsciiRunUnit(char16_t u)
{
    return u >= 0x80 && u != 0x2028 && u != 0x2029;
}

// Writes the units from `start` up to the end of their non-ASCII run and returns the
// index after the run. The run is converted in one call when the code page holds all
// of it; otherwise character by character, each character the code page cannot hold
// exactly (no best fit, no default character) becoming its \u escapes.
size_t WriteAnsiRun(std::string& out, const std::u16string& units, size_t start,
                    const CodePage& cp)
{
    size_t end = start;
    while (end < units.size() && IsNonAsciiRunUnit(units[end]))
        ++end;
    bool usedDefault = false;
    std::string bytes = cp.fromUtf16(units.substr(start, end - start), true, &usedDefault);
    if (!usedDefault && !bytes.empty()) {
        out += bytes;
        return end;
    }
    for (size_t i = start; i < end;) {
        size_t length = (IsHighSurrogate(units[i]) && i + 1 < end && IsLowSurrogate(units[i + 1])) ? 2 : 1;
        usedDefault = false;
        bytes = cp.fromUtf16(units.substr(i, length), true, &usedDefault);
        if (usedDefault || bytes.empty()) {
            for (size_t k = i; k < i + length; ++k)
                AppendUnitEscape(out, units[k]);
        } else {
            out += bytes;
        }
        i += length;
    }
    return end;
}

void AppendIndent(std::string& out, int depth)
{
    if (depth > 0)
        out.append((size_t)depth * 2, ' ');
}

void WriteArray(std::string& out, const JsonValue& value, bool pretty, int depth, const CodePage& cp)
{
    if (value.items.empty()) {
        out += "[]";
        return;
    }
    out += pretty ? "[\r\n" : "[";
    size_t count = value.items.size();
    for (size_t i = 0; i < count; ++i) {
        if (pretty)
            AppendIndent(out, depth + 1);
        WriteJsonValue(out, value.items[i], pretty, depth + 1, cp);
        if (i + 1 < count)
            out += ',';
        if (pretty)
            out += "\r\n";
    }
    if (pretty)
        AppendIndent(out, depth);
    out += ']';
}

void WriteObject(std::string& out, const JsonValue& value, bool pretty, int depth, const CodePage& cp)
{
    if (value.members.empty()) {
        out += "{}";
        return;
    }
    out += pretty ? "{\r\n" : "{";
    size_t count = value.members.size();
    for (size_t i = 0; i < count; ++i) {
        const JsonMember& member = value.members[i];
        if (pretty)
            AppendIndent(out, depth + 1);
        WriteJsonString(out, member.key, cp);
        out += pretty ? ": " : ":";
        WriteJsonValue(out, member.value, pretty, depth + 1, cp);
        if (i + 1 < count)
            out += ',';
        if (pretty)
            out += "\r\n";
    }
    if (pretty)
        AppendIndent(out, depth);
    out += '}';
}

} // namespace

void WriteJsonString(std::string& out, const std::u16string& units, const CodePage& codePage)
{
    out += '"';
    size_t n = units.size();
    size_t i = 0;
    while (i < n) {
        size_t start = i;
        while (i < n && units[i] >= 0x20 && units[i] < 0x80 && units[i] != '"' && units[i] != '\\')
            ++i;
        if (i > start) {
            size_t old = out.size();
            out.resize(old + (i - start));
            char* dest = &out[old];
            for (size_t k = start; k < i; ++k)
                *dest++ = (char)units[k];
        }
        if (i >= n)
            break;
        char16_t unit = units[i];
        if (unit < 0x80) {
            AppendAsciiEscape(out, unit);
            ++i;
        } else if (unit == 0x2028 || unit == 0x2029) {
            AppendUnitEscape(out, unit);
            ++i;
        } else {
            i = WriteAnsiRun(out, units, i, codePage);
        }
    }
    out += '"';
}

void WriteJsonValue(std::string& out, const JsonValue& value, bool pretty, int depth,
                    const CodePage& codePage)
{
    switch (value.type) {
    case JsonType::Null:
        out += "null";
        break;
    case JsonType::Boolean:
        out += value.boolValue ? "true" : "false";
        break;
    case JsonType::Number:
        out += value.numberText;
        break;
    case JsonType::String:
        WriteJsonString(out, value.stringValue, codePage);
        break;
    case JsonType::Array:
        WriteArray(out, value, pretty, depth, codePage);
        break;
    case JsonType::Object:
        WriteObject(out, value, pretty, depth, codePage);
        break;
    }
}
