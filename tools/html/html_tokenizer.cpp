#include "tools/html/html_tokenizer.h"

#include <cstring>

const char* const gVoidElements[19] = {
    "area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta",
    "param", "source", "track", "wbr", "basefont", "bgsound", "frame", "isindex", "keygen",
};

const char* const gInlineElements[38] = {
    "a", "abbr", "acronym", "b", "bdo", "big", "br", "cite", "code", "dfn",
    "em", "i", "kbd", "label", "map", "mark", "q", "ruby", "rt", "rp",
    "s", "samp", "small", "span", "strike", "strong", "sub", "sup", "time", "tt",
    "u", "var", "wbr", "del", "ins", "data", "img", "input",
};

const char* const gOwnLineElements[11] = {
    "meta", "link", "hr", "base", "col", "param", "source", "track", "area", "basefont", "frame",
};

namespace {

const size_t npos = std::string::npos;

bool IsHtmlSpace(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The double-byte ANSI code pages (932, 936, 949, 950) have no trail byte below 0x40.
// A lead byte in front of one stands alone, so that a stray lead byte cannot hide a
// line end, a blank, "<", ">", "=", "/" or a closing quote (and with it the rest of the
// page), nor pair with a byte that the normal form moved next to it.
bool CanBeTrailByte(unsigned char c)
{
    return c >= 0x40;
}

// Length of the character at i: 2 for a lead byte and its trail byte before end, else 1.
size_t CharLength(const std::string& s, size_t i, size_t end, HtmlLeadByteTest isLeadByte)
{
    if (isLeadByte && i + 1 < end && isLeadByte((unsigned char)s[i]) &&
        CanBeTrailByte((unsigned char)s[i + 1]))
        return 2;
    return 1;
}

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
}

// The table entries are lower case already; most names differ in their first byte.
bool EqualsNoCase(const std::string& name, const char* entry)
{
    size_t i = 0;
    for (; i < name.size(); ++i) {
        if (entry[i] == 0 || LowerAscii(name[i]) != entry[i])
            return false;
    }
    return entry[i] == 0;
}

// A name table with, for every first letter, the set of entries that begin with it, so
// that a look-up compares a name with two or three entries instead of all of them.
struct NameTable {
    const char* const* names;
    uint64_t byFirstLetter[26];
};

template <size_t N>
NameTable MakeNameTable(const char* const (&names)[N])
{
    static_assert(N <= 64, "one bit per entry");
    NameTable table{names, {}};
    for (size_t i = 0; i < N; ++i)
        table.byFirstLetter[names[i][0] - 'a'] |= 1ull << i;
    return table;
}

int TableIndex(const NameTable& table, const std::string& name)
{
    if (name.empty())
        return -1;
    char first = LowerAscii(name[0]);
    if (first < 'a' || first > 'z')
        return -1;
    for (uint64_t set = table.byFirstLetter[first - 'a']; set; set &= set - 1) {
        int i = __builtin_ctzll(set);
        if (EqualsNoCase(name, table.names[i]))
            return i;
    }
    return -1;
}

// True when s holds at position at the lower-case word, ASCII case ignored.
bool MatchesAt(const std::string& s, size_t at, const char* lowerWord, size_t length)
{
    if (at > s.size() || s.size() - at < length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (LowerAscii(s[at + i]) != lowerWord[i])
            return false;
    }
    return true;
}

size_t SkipHtmlSpace(const std::string& s, size_t i, size_t end)
{
    while (i < end && IsHtmlSpace((unsigned char)s[i]))
        ++i;
    return i;
}

// A "/" that does not close the tag, between attributes or after the name, is dropped.
size_t SkipBlanksAndStraySlashes(const std::string& s, size_t i, size_t end)
{
    for (;;) {
        i = SkipHtmlSpace(s, i, end);
        if (i >= end || s[i] != '/' || (i + 1 < end && s[i + 1] == '>'))
            return i;
        ++i;
    }
}

// The element name after "<" or "</": only ASCII letters outside double-byte characters
// are lower-cased. The name ends at the same byte as a plain byte scan would end it.
size_t ReadElementName(const std::string& s, size_t i, size_t end, HtmlLeadByteTest isLeadByte,
                       std::string& name)
{
    while (i < end && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n'))
        ++i;
    bool trail = false;
    for (; i < end; ++i) {
        unsigned char c = (unsigned char)s[i];
        if (IsHtmlSpace(c) || c == '/' || c == '>')
            break;
        if (trail) {
            name += (char)c;
            trail = false;
        } else {
            name += LowerAscii((char)c);
            trail = CharLength(s, i, end, isLeadByte) == 2;
        }
    }
    return i;
}

size_t ReadAttributeName(const std::string& s, size_t i, size_t end, HtmlLeadByteTest isLeadByte,
                         std::string& out)
{
    size_t start = i;
    while (i < end) {
        unsigned char c = (unsigned char)s[i];
        if (IsHtmlSpace(c) || c == '/' || c == '=' || c == '>')
            break;
        i += CharLength(s, i, end, isLeadByte);
    }
    out.append(s, start, i - start);
    return i;
}

// A value after "=": quoted as typed, or unquoted up to white space, ">" or "/>".
// A quote inside an unquoted value is an ordinary byte, and so is a "/" that does not
// close the tag (src=a/b.png). An unterminated quoted value runs to the end and gets
// its closing quote, so that a second pass reads the tag the same way.
size_t ReadAttributeValue(const std::string& s, size_t i, size_t end, HtmlLeadByteTest isLeadByte,
                          std::string& out, bool& endsInSlash)
{
    endsInSlash = false;
    char quote = s[i];
    if (quote == '"' || quote == '\'') {
        // A quote is never taken as a trail byte, so a plain search finds the same byte
        // as a scan that steps double-byte characters whole.
        size_t close = s.find(quote, i + 1);
        if (close == npos || close >= end) {
            out.append(s, i, end - i);
            out += quote;
            return end;
        }
        out.append(s, i, close + 1 - i);
        return close + 1;
    }
    size_t start = i;
    while (i < end) {
        unsigned char c = (unsigned char)s[i];
        if (IsHtmlSpace(c) || c == '>' || (c == '/' && i + 1 < end && s[i + 1] == '>'))
            break;
        size_t length = CharLength(s, i, end, isLeadByte);
        endsInSlash = length == 1 && c == '/';
        i += length;
    }
    out.append(s, start, i - start);
    return i;
}

// Reads the start tag whose "<" is at pos and returns where it ends: right after its
// ">" (or "/>"), or end. The tokenizer and NormalizeHtmlTag both use this one reading,
// so that they always agree on where a tag ends.
size_t ReadStartTag(const std::string& s, size_t pos, size_t end, HtmlLeadByteTest isLeadByte,
                    std::string& out, std::string& name, bool& selfClosed)
{
    size_t i = ReadElementName(s, pos + 1, end, isLeadByte, name);
    // A stray "/" in front of the name («< /b>») is dropped like any other; the name
    // after it is the element's, as the next run would read «< b>».
    while (name.empty() && i < end && s[i] == '/' && !(i + 1 < end && s[i + 1] == '>'))
        i = ReadElementName(s, i + 1, end, isLeadByte, name);
    // «< !x>» or «< %x>» keeps its blank: without it the next run would read markup.
    bool markupLike = !name.empty() && (name[0] == '!' || name[0] == '?' || name[0] == '%');
    out.assign(markupLike ? "< " : "<", markupLike ? 2 : 1);
    out += name;
    bool slashLast = false;
    while (i < end) {
        i = SkipBlanksAndStraySlashes(s, i, end);
        if (i >= end)
            break;
        if (s[i] == '>') {
            ++i;
            break;
        }
        if (s[i] == '/') {  // only a "/>" is left here
            selfClosed = true;
            i += 2;
            break;
        }
        out += ' ';
        slashLast = false;
        i = ReadAttributeName(s, i, end, isLeadByte, out);
        // A stray "/" before the "=" goes like a blank («b/=c» is «b=c»): written as
        // «b =c», the next run would read it so.
        i = SkipBlanksAndStraySlashes(s, i, end);
        if (i >= end || s[i] != '=')
            continue;
        out += '=';
        i = SkipHtmlSpace(s, i + 1, end);
        if (i >= end)
            break;
        i = ReadAttributeValue(s, i, end, isLeadByte, out, slashLast);
    }
    // An unquoted value that ends in "/" keeps a blank before the ">", or the next
    // pass would read "/>" as the end of a self-closed tag.
    if (IsVoidElement(name)) {
        selfClosed = true;
        out += slashLast ? " >" : ">";
    } else if (selfClosed) {
        out += " />";
    } else {
        out += slashLast ? " >" : ">";
    }
    return i;
}

size_t ReadTag(const std::string& s, size_t pos, size_t end, HtmlLeadByteTest isLeadByte,
               std::string& out, std::string& name, bool& selfClosed)
{
    name.clear();
    selfClosed = false;
    if (end - pos < 2 || s[pos] != '<') {
        out.assign(s, pos, end - pos);
        return end;
    }
    if (s[pos + 1] == '/') {
        ReadElementName(s, pos + 2, end, isLeadByte, name);
        out.assign("</", 2);
        out += name;
        out += '>';
        return end;
    }
    return ReadStartTag(s, pos, end, isLeadByte, out, name, selfClosed);
}

// The elements whose body the tokenizer cuts out whole: the first two give RawText,
// the others a ScriptBody.
const char* const kBodyElements[4] = {"pre", "textarea", "script", "style"};

// The next closing marker "</name" of one body element. The tokenizer only moves
// forward, so one answer serves every later question until the position passes it:
// each byte is searched at most once per element name, even with thousands of
// unclosed elements.
struct BodyEndSearch {
    bool asked = false;
    size_t from = 0;
    size_t found = npos;
};

size_t FindBodyEnd(const std::string& s, size_t from, const std::string& name, BodyEndSearch& memo)
{
    if (memo.asked && from >= memo.from && (memo.found == npos || from <= memo.found))
        return memo.found;
    // "<" is never taken as a trail byte, so every "<" is a character boundary.
    size_t found = npos;
    size_t markerLength = 2 + name.size();
    for (size_t i = s.find('<', from); i != npos && s.size() - i >= markerLength;
         i = s.find('<', i + 1)) {
        if (s[i + 1] == '/' && MatchesAt(s, i + 2, name.data(), name.size())) {
            found = i;
            break;
        }
    }
    memo.asked = true;
    memo.from = from;
    memo.found = found;
    return found;
}

struct Tokenizer {
    const std::string& s;
    HtmlLeadByteTest isLeadByte;
    std::vector<HtmlToken> tokens;
    bool pendingSpace = false;
    BodyEndSearch bodyEnds[4];
};

void Emit(Tokenizer& t, HtmlTokenKind kind, std::string text, std::string name)
{
    HtmlToken token;
    token.kind = kind;
    token.text = std::move(text);
    token.name = std::move(name);
    token.spaceBefore = t.pendingSpace;
    t.pendingSpace = false;
    t.tokens.push_back(std::move(token));
}

size_t ReadText(Tokenizer& t, size_t pos)
{
    const std::string& s = t.s;
    size_t end = s.find('<', pos);
    if (end == npos)
        end = s.size();
    // White space is never a lead or trail byte, so the blanks at both ends can be
    // trimmed before and after collapsing.
    size_t i = pos;
    while (i < end && IsHtmlSpace((unsigned char)s[i]))
        ++i;
    if (i == end) {
        t.pendingSpace = true;
        return end;
    }
    std::string collapsed(end - i, ' ');
    char* out = &collapsed[0];
    size_t length = 0;
    bool inSpace = false;
    while (i < end) {
        if (t.isLeadByte && CharLength(s, i, end, t.isLeadByte) == 2) {
            out[length++] = s[i++];
            out[length++] = s[i++];
            inSpace = false;
            continue;
        }
        char c = s[i++];
        if (!IsHtmlSpace((unsigned char)c)) {
            out[length++] = c;
            inSpace = false;
        } else if (!inSpace) {
            out[length++] = ' ';
            inSpace = true;
        }
    }
    if (inSpace)
        --length;
    collapsed.resize(length);
    HtmlToken token;
    token.kind = HtmlTokenKind::Text;
    token.text = std::move(collapsed);
    token.spaceBefore = IsHtmlSpace((unsigned char)s[pos]);
    token.spaceAfter = IsHtmlSpace((unsigned char)s[end - 1]);
    t.pendingSpace = false;
    t.tokens.push_back(std::move(token));
    return end;
}

// A construct that runs through the first terminator at or after from, else to the end.
size_t ReadThrough(Tokenizer& t, size_t pos, size_t from, const char* terminator, HtmlTokenKind kind)
{
    size_t at = t.s.find(terminator, from);
    size_t end = at == npos ? t.s.size() : at + std::strlen(terminator);
    Emit(t, kind, t.s.substr(pos, end - pos), std::string());
    return end;
}

size_t ReadEndTag(Tokenizer& t, size_t pos)
{
    // ">" is never taken as a trail byte, so the first ">" ends the tag.
    size_t at = t.s.find('>', pos + 2);
    size_t end = at == npos ? t.s.size() : at + 1;
    std::string name, text;
    bool selfClosed;
    ReadTag(t.s, pos, end, t.isLeadByte, text, name, selfClosed);
    Emit(t, HtmlTokenKind::EndTag, std::move(text), std::move(name));
    return end;
}

size_t ReadStartTagToken(Tokenizer& t, size_t pos)
{
    std::string name, text;
    bool selfClosed = false;
    size_t end = ReadTag(t.s, pos, t.s.size(), t.isLeadByte, text, name, selfClosed);
    if (selfClosed) {  // set for "/>" and for every void element
        Emit(t, HtmlTokenKind::EmptyTag, std::move(text), std::move(name));
        return end;
    }
    int body = -1;
    if (name.size() >= 3 && name.size() <= 8) {
        for (int i = 0; i < 4; ++i) {
            if (name.compare(kBodyElements[i]) == 0)
                body = i;
        }
    }
    Emit(t, HtmlTokenKind::StartTag, std::move(text), name);
    if (body < 0)
        return end;
    size_t close = FindBodyEnd(t.s, end, name, t.bodyEnds[body]);
    if (close == npos)
        return end;
    if (body < 2) {
        if (close > end)
            Emit(t, HtmlTokenKind::RawText, t.s.substr(end, close - end), std::string());
    } else {
        Emit(t, HtmlTokenKind::ScriptBody, t.s.substr(end, close - end), name);
    }
    return close;
}

size_t ReadMarkupOrTag(Tokenizer& t, size_t pos)
{
    const std::string& s = t.s;
    size_t left = s.size() - pos;
    if (left == 1)
        return ReadStartTagToken(t, pos);
    char next = s[pos + 1];
    if (next == '!') {
        if (left >= 4 && s[pos + 2] == '-' && s[pos + 3] == '-')
            return ReadThrough(t, pos, pos + 4, "-->", HtmlTokenKind::Comment);
        if (left >= 9 && MatchesAt(s, pos, "<![cdata[", 9))
            return ReadThrough(t, pos, pos + 9, "]]>", HtmlTokenKind::CData);
        if (left >= 9 && MatchesAt(s, pos, "<!doctype", 9))
            return ReadThrough(t, pos, pos + 9, ">", HtmlTokenKind::Doctype);
        return ReadThrough(t, pos, pos + 2, ">", HtmlTokenKind::Markup);
    }
    if (next == '?')
        return ReadThrough(t, pos, pos + 2, "?>", HtmlTokenKind::Markup);
    if (next == '%')
        return ReadThrough(t, pos, pos + 2, "%>", HtmlTokenKind::Markup);
    if (next == '/')
        return ReadEndTag(t, pos);
    return ReadStartTagToken(t, pos);
}

}  // namespace

std::vector<HtmlToken> TokenizeHtml(const std::string& text, HtmlLeadByteTest isLeadByte)
{
    Tokenizer t{text, isLeadByte, {}, false, {}};
    t.tokens.reserve(text.size() / 16 + 16);
    size_t pos = 0;
    while (pos < text.size())
        pos = text[pos] == '<' ? ReadMarkupOrTag(t, pos) : ReadText(t, pos);
    return std::move(t.tokens);
}

std::string NormalizeHtmlTag(const std::string& rawTag, std::string& name, bool& selfClosed,
                             HtmlLeadByteTest isLeadByte)
{
    std::string out;
    ReadTag(rawTag, 0, rawTag.size(), isLeadByte, out, name, selfClosed);
    return out;
}

bool IsVoidElement(const std::string& name)
{
    static const NameTable table = MakeNameTable(gVoidElements);
    return TableIndex(table, name) >= 0;
}

bool IsInlineElement(const std::string& name)
{
    return InlineElementIndex(name) >= 0;
}

int InlineElementIndex(const std::string& name)
{
    static const NameTable table = MakeNameTable(gInlineElements);
    return TableIndex(table, name);
}

bool IsOwnLineElement(const std::string& name)
{
    static const NameTable table = MakeNameTable(gOwnLineElements);
    return TableIndex(table, name) >= 0;
}
