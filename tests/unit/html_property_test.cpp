#include <doctest/doctest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/unit/html_rerun.h"
#include "tests/unit/test_random.h"
#include "tools/html/html_layout.h"

namespace {

bool FakeLeadByte(unsigned char b)
{
    return b >= 0x81 && b <= 0xFE;
}

bool IsHtmlSpace(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Pieces of broken markup: stray "/", quotes, lone lead bytes, unterminated constructs.
std::string NoisyPage(Random& r, int pieces)
{
    static const char* const kPieces[] = {
        "<", ">", "/", "/>", "'", "\"", "=", " ", "  ", "\r\n", "\n", "\t", "\v",
        "<!--", "-->", "<!doctype ", "< /", "< ", "<\v", "< !", "< %", "<![CDATA[", "]]>",
        "<?", "?>", "<%", "%>", "<!", "</",
        "div", "p", "b", "i", "span", "br", "img", "meta", "li", "ul", "a", "input", "DIV", "B",
        "script", "style", "STYLE", "hr", "small", "em", "title",
        "x", "Hello", "it's", "O'Brien", "href=", "src=a/b.png", "=x/y", "&lt;", "a b", "var a;",
        "\x81", "\x82\x41", "\xB0\xA1", "\x81\"", "\x81\r\n", "\x81<", "{", "}",
    };
    std::string s;
    for (int i = 0; i < pieces; ++i)
        s += r.Pick(kPieces);
    return s;
}

// Well-formed enough that every byte of text and of attribute values is known to survive.
struct PageMaker {
    Random& r;
    bool dbcs;
    bool rawBodies;

    std::string Word()
    {
        static const char* const kWords[] = {
            "a", "Hello", "world", "x1", "it's", "\"q\"", "a/b", "&lt;", "&amp;", "1>0", "=", "Z",
        };
        std::string w = r.Pick(kWords);
        if (dbcs && r.OneIn(4)) {
            static const char* const kPairs[] = {"\xB0\xA1", "\x81\x41", "\x82\x5A", "\xC7\x61", "\xFE\xFE"};
            w += r.Pick(kPairs);
        }
        return w;
    }

    std::string Blank()
    {
        static const char* const kBlanks[] = {"", "", " ", "  ", "\r\n", "\r\n  ", "\t", "\n"};
        return r.Pick(kBlanks);
    }

    std::string Text()
    {
        std::string s = Blank();
        int words = 1 + r.Below(r.OneIn(6) ? 40 : 4);
        for (int i = 0; i < words; ++i)
            s += Word() + (i + 1 < words ? " " : "");
        return s + Blank();
    }

    std::string Attributes()
    {
        static const char* const kNames[] = {"class", "ID", "href", "data-x", "disabled", "title"};
        static const char* const kUnquoted[] = {"x", "a/b.png", "O'Brien", "1", "http://h/p", "a\"b"};
        static const char* const kQuoted[] = {"\"a b\"", "'x>y'", "\"it's\"", "'say \"hi\"'", "\"\"", "'/>'"};
        std::string s;
        int count = r.Below(3);
        for (int i = 0; i < count; ++i) {
            s += r.OneIn(3) ? "  " : " ";
            s += r.Pick(kNames);
            int form = r.Below(3);
            if (form == 0)
                continue;
            s += r.OneIn(4) ? " = " : "=";
            s += form == 1 ? r.Pick(kUnquoted) : r.Pick(kQuoted);
        }
        return s;
    }

    std::string Body(bool script)
    {
        static const char* const kLines[] = {
            "var a = 1;", "  if (a) {", "\tgo();", "}", "", "   ", "b { c: d }",
        };
        static const char* const kRaw[] = {"keep", "  this", "a <b> c", "", "\t", "x & y"};
        std::string s = r.OneIn(2) ? "\r\n" : "";
        int lines = r.Below(5);
        for (int i = 0; i < lines; ++i)
            s += std::string(script ? r.Pick(kLines) : r.Pick(kRaw)) + (r.OneIn(3) ? "\n" : "\r\n");
        if (r.OneIn(2))
            s += r.OneIn(2) ? "  " : "x";
        return s;
    }

    std::string Element(int depth)
    {
        static const char* const kBlocks[] = {"div", "p", "ul", "li", "section", "td", "h1"};
        static const char* const kInlines[] = {"b", "i", "span", "a", "em", "small", "code"};
        static const char* const kVoids[] = {"br", "img", "input", "hr", "meta", "wbr", "link"};
        int choice = r.Below(rawBodies ? 12 : 10);
        if (depth > 6 || choice < 3)
            return Text();
        if (choice == 3) {
            std::string v = std::string("<") + r.Pick(kVoids) + Attributes();
            return v + (r.OneIn(2) ? ">" : (r.OneIn(2) ? "/>" : " />"));
        }
        if (choice == 4)
            return Blank() + "<!-- " + Word() + "\r\n   " + Word() + " -->" + Blank();
        if (choice == 5) {
            const char* name = r.OneIn(2) ? "script" : "style";
            return std::string("<") + name + Attributes() + ">" + Body(true) + "</" + name + ">";
        }
        if (choice >= 10) {
            const char* name = r.OneIn(2) ? "pre" : "textarea";
            return std::string("<") + name + Attributes() + ">" + Body(false) + "</" + name + ">";
        }
        const char* name = choice < 8 ? r.Pick(kInlines) : r.Pick(kBlocks);
        std::string s = Blank() + "<" + name + Attributes() + ">";
        int children = r.Below(4);
        for (int i = 0; i < children; ++i)
            s += Element(depth + 1);
        if (!r.OneIn(8))
            s += std::string("</") + name + ">";
        return s + Blank();
    }

    std::string Page()
    {
        std::string s = r.OneIn(3) ? "<!DOCTYPE html>\r\n" : "";
        int elements = 1 + r.Below(6);
        for (int i = 0; i < elements; ++i)
            s += Element(0);
        return s;
    }
};

// The bytes that the layout must keep, in order: everything but white space, with ASCII
// case folded (element names are lower-cased) and the "/" of "/>" left out (void
// elements drop it, other self-closed tags get " />").
std::string KeptBytes(const std::string& s)
{
    std::string out;
    for (char c : s) {
        if (IsHtmlSpace((unsigned char)c))
            continue;
        if (c == '>' && !out.empty() && out.back() == '/')
            out.pop_back();
        out += (c >= 'A' && c <= 'Z') ? (char)(c + 32) : c;
    }
    return out;
}

std::vector<std::string> RawBodies(const std::string& html, HtmlLeadByteTest lead)
{
    std::vector<std::string> bodies;
    for (const HtmlToken& t : TokenizeHtml(html, lead)) {
        if (t.kind == HtmlTokenKind::RawText)
            bodies.push_back(t.text);
    }
    return bodies;
}

// A result that is not empty ends with a line break.
void CheckWellFormedOutput(const std::string& out)
{
    if (out.empty())
        return;
    CHECK(out.back() == '\n');
}

}  // namespace

TEST_CASE("broken markup always lays out, and a second run equals the third")
{
    Random r{1};
    for (int round = 0; round < 3000; ++round) {
        std::string page = NoisyPage(r, 1 + r.Below(60));
        HtmlLeadByteTest lead = r.OneIn(2) ? FakeLeadByte : nullptr;
        int width = r.Below(6) - 1;
        CAPTURE(page);
        CAPTURE(lead != nullptr);
        CAPTURE(width);
        std::string once = BeautifyHtml(page, width, lead);
        CheckWellFormedOutput(once);
        if (MayChangeAgain(page))
            continue;
        std::string twice = BeautifyHtml(once, width, lead);
        CHECK(BeautifyHtml(twice, width, lead) == twice);
    }
}

TEST_CASE("no byte of text or of attribute values is lost")
{
    Random r{2};
    for (int round = 0; round < 2000; ++round) {
        bool dbcs = r.OneIn(2);
        PageMaker maker{r, dbcs, round % 2 == 0};
        std::string page = maker.Page();
        HtmlLeadByteTest lead = dbcs ? FakeLeadByte : nullptr;
        CAPTURE(page);
        std::string once = BeautifyHtml(page, 2, lead);
        CheckWellFormedOutput(once);
        CHECK(KeptBytes(once) == KeptBytes(page));
        std::string twice = BeautifyHtml(once, 2, lead);
        // Pre and textarea bodies keep what the page shows on every further run.
        CHECK(RawBodies(twice, lead) == RawBodies(once, lead));
        CHECK(BeautifyHtml(twice, 2, lead) == twice);
    }
}

TEST_CASE("thousands of unclosed elements lay out with output in proportion to the input")
{
    struct Case {
        const char* unit;
        int count;
    };
    const Case cases[] = {
        {"<b>x", 20000},       {"<style>", 20000},  {"<pre>", 20000},     {"<script>a", 20000},
        {"<a href=x/y", 20000}, {"<a/", 20000},     {"<p>text ", 20000},  {"<div>", 20000},
        {"<span>", 20000},     {"<i>a<p>b", 10000}, {"<p title='", 5000}, {"<!--", 5000},
    };
    for (const Case& c : cases) {
        CAPTURE(c.unit);
        std::string page;
        for (int i = 0; i < c.count; ++i)
            page += c.unit;
        std::string out = BeautifyHtml(page, 2, nullptr);
        CheckWellFormedOutput(out);
        // At most one line per input byte, each indented by at most the deepest level.
        CHECK(out.size() <= page.size() * (2 * kMaxHtmlIndentLevel + 8));
    }
}
