#include "tools/html/html_layout.h"

#include <algorithm>
#include <cstdint>

namespace {

const size_t npos = std::string::npos;
const size_t kSingleLineLimit = 80;

bool IsHtmlSpace(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsStructural(HtmlTokenKind kind)
{
    return kind == HtmlTokenKind::StartTag || kind == HtmlTokenKind::EndTag ||
           kind == HtmlTokenKind::EmptyTag || kind == HtmlTokenKind::RawText ||
           kind == HtmlTokenKind::ScriptBody;
}

bool EndsWithLf(const std::string& text)
{
    return !text.empty() && text.back() == '\n';
}

// A pre body whose last line holds only blanks already ends where its end tag can
// stand; indenting that tag would add the indentation to the body on every run.
bool EndsWithBlankLine(const std::string& body)
{
    size_t lf = body.rfind('\n');
    if (lf == npos)
        return false;
    for (size_t i = lf + 1; i < body.size(); ++i) {
        if (body[i] != ' ' && body[i] != '\t')
            return false;
    }
    return true;
}

bool StartsWithLineBreak(const std::string& body)
{
    return !body.empty() && (body[0] == '\n' || body[0] == '\r');
}

// What the single-line rule looks at in a token, in 8 bytes instead of a token's 72, so
// that its look-ahead stays in the cache on large pages.
struct TokenSummary {
    HtmlTokenKind kind;
    uint16_t length;    // the text length, capped: anything past the limit is too long
    int8_t inlineName;  // the name's index in gInlineElements, or -1
};

TokenSummary Summarize(const HtmlToken& token)
{
    TokenSummary summary;
    summary.length = (uint16_t)std::min(token.text.size(), kSingleLineLimit + 1);
    summary.kind = token.kind;
    summary.inlineName = (int8_t)(token.name.empty() ? -1 : InlineElementIndex(token.name));
    return summary;
}

// FindSingleLineRun over summaries of tokens[first] onwards (count of them). Names are
// compared through their index in the inline table: a start tag of any other name
// ends the run, and an end tag of another name does too, once its name is compared.
int FindRun(const std::vector<HtmlToken>& tokens, const TokenSummary* summary, int first, int count,
            int index)
{
    if (index < first || index >= first + count || summary[index - first].kind != HtmlTokenKind::StartTag)
        return -1;
    const TokenSummary* s = summary - first;
    size_t sum = s[index].length + 1;
    if (sum > kSingleLineLimit)
        return -1;
    int name = s[index].inlineName;
    int depth = 0;
    for (int k = index;;) {
        switch (s[k].kind) {
        case HtmlTokenKind::StartTag:
            if (k > index && s[k].inlineName < 0)
                return -1;
            if (k == index || s[k].inlineName == name)
                ++depth;
            break;
        case HtmlTokenKind::EndTag:
            if (name >= 0 ? s[k].inlineName == name : tokens[k].name == tokens[index].name) {
                if (--depth == 0)
                    return k;
            } else if (s[k].inlineName < 0) {
                return -1;
            }
            break;
        case HtmlTokenKind::RawText:
        case HtmlTokenKind::ScriptBody:
            return -1;
        case HtmlTokenKind::EmptyTag:
            if (s[k].inlineName < 0)
                return -1;
            break;
        default:
            break;
        }
        if (++k >= first + count)
            return -1;
        sum += s[k].length + 1;
        if (sum > kSingleLineLimit)
            return -1;
    }
}

struct Layout {
    const std::vector<HtmlToken>& tokens;
    int width;
    std::string out;
    bool atLineStart = true;
    int level = 0;
    std::vector<bool> stack;
    std::vector<TokenSummary> summary;
    // For every inline start tag, the end tag that matches it (-1 for none), and for
    // every token how many structural tokens stand before it: filled on first use, in
    // one pass, so that thousands of unclosed inline tags cost no more than their count.
    bool matchesKnown = false;
    std::vector<int> matchingEnd;
    std::vector<int> structuralBefore;
};

int IndentLevel(const Layout& l)
{
    return std::min(l.level, (int)kMaxHtmlIndentLevel);
}

void LineBreak(Layout& l)
{
    l.out += "\r\n";
}

void Indent(Layout& l)
{
    l.out.append((size_t)IndentLevel(l) * (size_t)l.width, ' ');
}

void StartLine(Layout& l)
{
    if (!l.atLineStart)
        LineBreak(l);
    Indent(l);
}

// One blank between two items on a line, unless one is there or a tag just closed;
// a tag that followed white space in the page keeps that blank after a tag too.
void Join(Layout& l, const HtmlToken& token)
{
    if (l.out.empty())
        return;
    char last = l.out.back();
    if (last != ' ' && (last != '>' || token.spaceBefore))
        l.out += ' ';
}

bool ParentIsBlock(const Layout& l)
{
    return !l.stack.empty() && l.stack.back();
}

void FindMatchingEndTags(Layout& l)
{
    const std::vector<HtmlToken>& tokens = l.tokens;
    l.matchesKnown = true;
    l.matchingEnd.assign(tokens.size(), -1);
    l.structuralBefore.assign(tokens.size() + 1, 0);
    std::vector<int> open[sizeof gInlineElements / sizeof gInlineElements[0]];
    for (size_t k = 0; k < tokens.size(); ++k) {
        const HtmlToken& token = tokens[k];
        l.structuralBefore[k + 1] = l.structuralBefore[k] + (IsStructural(token.kind) ? 1 : 0);
        if ((token.kind != HtmlTokenKind::StartTag && token.kind != HtmlTokenKind::EndTag) ||
            l.summary[k].inlineName < 0)
            continue;
        int name = l.summary[k].inlineName;
        if (token.kind == HtmlTokenKind::StartTag) {
            open[name].push_back((int)k);
        } else if (!open[name].empty()) {
            l.matchingEnd[open[name].back()] = (int)k;
            open[name].pop_back();
        }
    }
}

// An inline element is laid out as a block when it has a matching end tag and tags or
// bodies stand between the two.
bool HoldsStructure(Layout& l, int start)
{
    if (!l.matchesKnown)
        FindMatchingEndTags(l);
    int end = l.matchingEnd[start];
    return end >= 0 && l.structuralBefore[end] - l.structuralBefore[start + 1] > 0;
}

void WriteSingleLine(Layout& l, int start, int end)
{
    const std::vector<HtmlToken>& tokens = l.tokens;
    std::string& out = l.out;
    out += tokens[start].text;
    for (int k = start + 1; k <= end; ++k) {
        const HtmlToken& token = tokens[k];
        bool afterStartTag = tokens[k - 1].kind == HtmlTokenKind::StartTag;
        if (token.kind == HtmlTokenKind::EndTag) {
            out += token.text;
        } else if (token.kind == HtmlTokenKind::Text) {
            if (token.spaceBefore && !afterStartTag && !out.empty() && out.back() != ' ')
                out += ' ';
            out += token.text;
            if (token.spaceAfter && tokens[k + 1].kind != HtmlTokenKind::EndTag)
                out += ' ';
        } else {
            if (!afterStartTag)
                Join(l, token);
            out += token.text;
        }
    }
}

void LayOutComment(Layout& l, const std::string& text)
{
    StartLine(l);
    bool first = true;
    for (size_t start = 0; start < text.size();) {
        size_t lf = text.find('\n', start);
        size_t stop = lf == npos ? text.size() : lf;
        size_t next = lf == npos ? text.size() : lf + 1;
        if (stop > start && text[stop - 1] == '\r')
            --stop;
        size_t content = start;
        while (content < stop && IsHtmlSpace((unsigned char)text[content]))
            ++content;
        if (first) {
            l.out.append(text, content, stop - content);
        } else {
            Indent(l);
            if (content < stop) {
                l.out += ' ';
                l.out.append(text, content, stop - content);
            }
        }
        LineBreak(l);
        first = false;
        start = next;
    }
    l.atLineStart = true;
}

// Doctypes, CDATA and markup are written as they stand; only one that runs unterminated
// to the end of the page can end with a line break of its own, and adding another one
// would make it grow on every run.
void WriteVerbatimLine(Layout& l, const std::string& text)
{
    l.out += text;
    if (!EndsWithLf(text))
        LineBreak(l);
    l.atLineStart = true;
}

void LayOutText(Layout& l, const HtmlToken& token)
{
    if (ParentIsBlock(l)) {
        StartLine(l);
        l.out += token.text;
        LineBreak(l);
        l.atLineStart = true;
        return;
    }
    if (l.atLineStart)
        Indent(l);
    else if (token.spaceBefore && !l.out.empty() && l.out.back() != ' ')
        l.out += ' ';
    l.out += token.text;
    if (token.spaceAfter)
        l.out += ' ';
    l.atLineStart = false;
}

void LayOutEmptyTag(Layout& l, int index)
{
    const HtmlToken& token = l.tokens[index];
    if (l.summary[index].inlineName < 0 || IsOwnLineElement(token.name) || ParentIsBlock(l)) {
        StartLine(l);
        l.out += token.text;
        LineBreak(l);
        l.atLineStart = true;
        return;
    }
    if (l.atLineStart)
        Indent(l);
    else
        Join(l, token);
    l.out += token.text;
    l.atLineStart = false;
}

int LayOutStartTag(Layout& l, int index)
{
    const HtmlToken& token = l.tokens[index];
    bool inlineName = l.summary[index].inlineName >= 0;
    int end = FindRun(l.tokens, l.summary.data(), 0, (int)l.tokens.size(), index);
    if (end >= 0) {
        if (ParentIsBlock(l)) {
            StartLine(l);
        } else if (l.atLineStart) {
            Indent(l);
        } else if (inlineName) {
            Join(l, token);
        } else {
            LineBreak(l);
            Indent(l);
        }
        WriteSingleLine(l, index, end);
        if (ParentIsBlock(l) || !inlineName) {
            LineBreak(l);
            l.atLineStart = true;
        } else {
            l.atLineStart = false;
        }
        return end + 1;
    }
    if (!inlineName || HoldsStructure(l, index)) {
        StartLine(l);
        l.out += token.text;
        // The page drops one line break right after <pre> and <textarea>: a body that
        // begins with its own keeps it as the tag's line break, and adding another one
        // would add an empty line to what the page shows.
        size_t next = (size_t)index + 1;
        if (next < l.tokens.size() && l.tokens[next].kind == HtmlTokenKind::RawText &&
            StartsWithLineBreak(l.tokens[next].text)) {
            l.atLineStart = false;
        } else {
            LineBreak(l);
            l.atLineStart = true;
        }
        l.stack.push_back(true);
        ++l.level;
        return index + 1;
    }
    if (ParentIsBlock(l))
        StartLine(l);
    else if (l.atLineStart)
        Indent(l);
    else
        Join(l, token);
    l.out += token.text;
    l.stack.push_back(false);
    l.atLineStart = false;
    return index + 1;
}

void LayOutEndTag(Layout& l, int index)
{
    const HtmlToken& token = l.tokens[index];
    bool wasEmpty = l.stack.empty();
    bool popped = false;
    if (!wasEmpty) {
        popped = l.stack.back();
        l.stack.pop_back();
    }
    bool closesInline = l.summary[index].inlineName >= 0 && (wasEmpty || !popped);
    if (closesInline) {
        l.out += token.text;
        if (ParentIsBlock(l)) {
            LineBreak(l);
            l.atLineStart = true;
        } else {
            l.atLineStart = false;
        }
        return;
    }
    if (l.level > 0)
        --l.level;
    const HtmlToken* before = index > 0 ? &l.tokens[index - 1] : nullptr;
    if (!(before && before->kind == HtmlTokenKind::RawText && EndsWithBlankLine(before->text)))
        StartLine(l);
    l.out += token.text;
    LineBreak(l);
    l.atLineStart = true;
}

int LayOutToken(Layout& l, int index)
{
    const HtmlToken& token = l.tokens[index];
    switch (token.kind) {
    case HtmlTokenKind::Doctype:
        if (!l.atLineStart)
            LineBreak(l);
        WriteVerbatimLine(l, token.text);
        break;
    case HtmlTokenKind::Comment:
        LayOutComment(l, token.text);
        break;
    case HtmlTokenKind::CData:
    case HtmlTokenKind::Markup:
        StartLine(l);
        WriteVerbatimLine(l, token.text);
        break;
    case HtmlTokenKind::Text:
        LayOutText(l, token);
        break;
    case HtmlTokenKind::RawText:
        l.out += token.text;
        l.atLineStart = EndsWithLf(token.text);
        break;
    case HtmlTokenKind::ScriptBody: {
        std::string body = ReindentRawBlock(token.text, IndentLevel(l), l.width);
        if (!body.empty()) {
            l.out += body;
            l.atLineStart = true;
        }
        break;
    }
    case HtmlTokenKind::EmptyTag:
        LayOutEmptyTag(l, index);
        break;
    case HtmlTokenKind::StartTag:
        return LayOutStartTag(l, index);
    case HtmlTokenKind::EndTag:
        LayOutEndTag(l, index);
        break;
    }
    return index + 1;
}

}  // namespace

std::string BeautifyHtml(const std::string& text, int32_t width, HtmlLeadByteTest isLeadByte)
{
    std::vector<HtmlToken> tokens = TokenizeHtml(text, isLeadByte);
    if (tokens.empty())
        return std::string();
    Layout l{tokens, width >= 1 ? width : 2};
    l.out.reserve(text.size() + text.size() / 4);
    l.summary.reserve(tokens.size());
    for (const HtmlToken& token : tokens)
        l.summary.push_back(Summarize(token));
    for (int i = 0; i < (int)tokens.size();)
        i = LayOutToken(l, i);
    size_t keep = l.out.find_last_not_of(" \t");
    l.out.erase(keep == npos ? 0 : keep + 1);
    if (!l.out.empty() && l.out.back() != '\n')
        l.out += "\r\n";
    return std::move(l.out);
}

int FindSingleLineRun(const std::vector<HtmlToken>& tokens, int index)
{
    if (index < 0 || index >= (int)tokens.size())
        return -1;
    // Every token adds at least 2 to a sum that may not pass 80, so no run is longer.
    int count = std::min((int)tokens.size() - index, 42);
    TokenSummary summary[42];
    for (int k = 0; k < count; ++k)
        summary[k] = Summarize(tokens[index + k]);
    return FindRun(tokens, summary, index, count, index);
}

std::string ReindentRawBlock(const std::string& body, int level, int width)
{
    struct Line {
        size_t start, end;
    };
    std::vector<Line> lines;
    for (size_t start = 0; start < body.size();) {
        size_t lf = body.find('\n', start);
        size_t stop = lf == npos ? body.size() : lf;
        size_t next = lf == npos ? body.size() : lf + 1;
        if (stop > start && body[stop - 1] == '\r')
            --stop;
        lines.push_back({start, stop});
        start = next;
    }
    auto blank = [&](const Line& line) {
        for (size_t i = line.start; i < line.end; ++i) {
            if (!IsHtmlSpace((unsigned char)body[i]))
                return false;
        }
        return true;
    };
    size_t first = 0, last = lines.size();
    while (first < last && blank(lines[first]))
        ++first;
    while (last > first && blank(lines[last - 1]))
        --last;
    if (first == last)
        return std::string();
    size_t common = npos;
    for (size_t k = first; k < last; ++k) {
        if (blank(lines[k]))
            continue;
        size_t i = lines[k].start;
        while (i < lines[k].end && (body[i] == ' ' || body[i] == '\t'))
            ++i;
        common = std::min(common, i - lines[k].start);
    }
    size_t indent = level > 0 && width > 0 ? (size_t)level * (size_t)width : 0;
    std::string out;
    for (size_t k = first; k < last; ++k) {
        size_t start = lines[k].start, stop = lines[k].end;
        if (stop - start >= common)
            start += common;
        while (stop > start && IsHtmlSpace((unsigned char)body[stop - 1]))
            --stop;
        if (stop > start) {
            out.append(indent, ' ');
            out.append(body, start, stop - start);
        }
        out += "\r\n";
    }
    return out;
}
