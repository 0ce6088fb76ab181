#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "tools/html/html_tokenizer.h"

namespace {

// A stand-in for a double-byte code page: every byte from 0x81 to 0xFE leads.
bool FakeLeadByte(unsigned char b)
{
    return b >= 0x81 && b <= 0xFE;
}

// One token per string: a kind letter, the text in brackets, "=name" for a name, "^" for
// spaceBefore and "$" for spaceAfter.
std::string Describe(const HtmlToken& t)
{
    static const char kLetters[] = "DCXMSEYTRB";
    std::string s(1, kLetters[(int)t.kind]);
    s += "[" + t.text + "]";
    if (!t.name.empty())
        s += "=" + t.name;
    if (t.spaceBefore)
        s += "^";
    if (t.spaceAfter)
        s += "$";
    return s;
}

std::vector<std::string> Tokens(const std::string& text, HtmlLeadByteTest lead = nullptr)
{
    std::vector<std::string> out;
    for (const HtmlToken& t : TokenizeHtml(text, lead))
        out.push_back(Describe(t));
    return out;
}

struct Row {
    std::string input;
    std::vector<std::string> tokens;
};

void CheckRows(const std::vector<Row>& rows, HtmlLeadByteTest lead = nullptr)
{
    for (const Row& row : rows) {
        CAPTURE(row.input);
        CHECK(Tokens(row.input, lead) == row.tokens);
    }
}

}  // namespace

TEST_CASE("tokens of text runs and of markup")
{
    CheckRows({
        {"", {}},
        {" \t\r\n\v\f ", {}},
        {" Hello \r\n  world ", {"T[Hello world]^$"}},
        {"a < b and c > d", {"T[a]$", "S[<b and c>]=b", "T[d]^"}},
        {"a < b", {"T[a]$", "S[<b>]=b"}},
        {"<", {"S[<]"}},
        {"<>", {"S[<>]"}},
        {"x<", {"T[x]", "S[<]"}},
        {"<!DOCTYPE html>", {"D[<!DOCTYPE html>]"}},
        {"<!doctype", {"D[<!doctype]"}},
        {"<!-- a -- b -->x", {"C[<!-- a -- b -->]", "T[x]"}},
        {"<!-->x", {"C[<!-->x]"}},
        {"<!---->", {"C[<!---->]"}},
        {"<?xml version='1.0'?>", {"M[<?xml version='1.0'?>]"}},
        {"<?>a?>", {"M[<?>a?>]"}},
        {"<% x %>", {"M[<% x %>]"}},
        {"<!ENTITY x>", {"M[<!ENTITY x>]"}},
        {"<!x", {"M[<!x]"}},
        {"<![CDATA[ x ]]>", {"X[<![CDATA[ x ]]>]"}},
        {"<![cdata[ x", {"X[<![cdata[ x]"}},
        {"</DIV class=x >", {"E[</div>]=div"}},
        {"</", {"E[</>]"}},
        {"</a title='x>y'>", {"E[</a>]=a", "T[y'>]"}},
        {"<a title='x>y'>", {"S[<a title='x>y'>]=a"}},
        // "/>" makes any start tag empty, a void name makes it empty without one.
        {"<br/><BR><div/><input disabled>",
         {"Y[<br>]=br", "Y[<br>]=br", "Y[<div />]=div", "Y[<input disabled>]=input"}},
    });
}

TEST_CASE("pre, textarea, script and style bodies")
{
    CheckRows({
        {"<pre> a</PRE>", {"S[<pre>]=pre", "R[ a]", "E[</pre>]=pre"}},
        {"<pre></pre>", {"S[<pre>]=pre", "E[</pre>]=pre"}},
        {"<textarea>\r\n x <b></textarea>",
         {"S[<textarea>]=textarea", "R[\r\n x <b>]", "E[</textarea>]=textarea"}},
        {"<script></script>", {"S[<script>]=script", "B[]=script", "E[</script>]=script"}},
        {"<style>a{}</style >", {"S[<style>]=style", "B[a{}]=style", "E[</style>]=style"}},
        {"<script>var a;", {"S[<script>]=script", "T[var a;]"}},
        {"<pre>", {"S[<pre>]=pre"}},
        // The marker needs nothing after the name.
        {"<pre>x</pref>", {"S[<pre>]=pre", "R[x]", "E[</pref>]=pref"}},
        {"<pre>x</pr", {"S[<pre>]=pre", "T[x]", "E[</pr>]=pr"}},
        // Each question finds the next closing marker after its own start tag.
        {"<style>a<style>b</style>c",
         {"S[<style>]=style", "B[a<style>b]=style", "E[</style>]=style", "T[c]"}},
        {"<pre>a</pre>b<pre>c</pre>",
         {"S[<pre>]=pre", "R[a]", "E[</pre>]=pre", "T[b]", "S[<pre>]=pre", "R[c]", "E[</pre>]=pre"}},
        {"<pre>a<textarea>b</pre>c</textarea>",
         {"S[<pre>]=pre", "R[a<textarea>b]", "E[</pre>]=pre", "T[c]", "E[</textarea>]=textarea"}},
        {"<style><style>", {"S[<style>]=style", "S[<style>]=style"}},
        {"<script>a</script><script>",
         {"S[<script>]=script", "B[a]=script", "E[</script>]=script", "S[<script>]=script"}},
        {"<style>x<pre>y</style><pre>z</pre>",
         {"S[<style>]=style", "B[x<pre>y]=style", "E[</style>]=style", "S[<pre>]=pre", "R[z]",
          "E[</pre>]=pre"}},
    });
}

TEST_CASE("tag normal form")
{
    struct TagRow {
        std::string raw, normal, name;
        bool selfClosed;
    };
    const TagRow rows[] = {
        {"<DIV  Class = 'x'   ID=y>", "<div Class='x' ID=y>", "div", false},
        {"<br/>", "<br>", "br", true},
        {"<BR>", "<br>", "br", true},
        {"<br />", "<br>", "br", true},
        {"<div/>", "<div />", "div", true},
        {"<input disabled>", "<input disabled>", "input", true},
        {"<div class=x", "<div class=x>", "div", false},
        {"<\r\n p\tid=\"a b\"\f>", "<p id=\"a b\">", "p", false},
        {"<\vp>", "< p>", "", false},
        {"<a href=\"x\"title='y'>", "<a href=\"x\" title='y'>", "a", false},
        {"<a b c=>", "<a b c=>", "a", false},
        {"<a =x>", "<a =x>", "a", false},
        {"<a x=\"1>", "<a x=\"1>\">", "a", false},
        {"<a>tail", "<a>", "a", false},
        {"</A B='>'>", "</a>", "a", false},
        {"</ a>", "</a>", "a", false},
        {"</>", "</>", "", false},
        {"<", "<", "", false},
        {"x", "x", "", false},
        // A "/" that does not close the tag: kept inside an unquoted value, dropped elsewhere.
        {"<a href=x/y>", "<a href=x/y>", "a", false},
        {"<img src=a/b.png>", "<img src=a/b.png>", "img", true},
        {"<a href=http://h/p/>", "<a href=http://h/p />", "a", true},
        {"<a/b>", "<a b>", "a", false},
        {"<a b/c>", "<a b c>", "a", false},
        {"<div / >", "<div>", "div", false},
        {"<a /", "<a>", "a", false},
        {"<a/", "<a>", "a", false},
        {"</a/b>", "</a>", "a", false},
        {"<a b/=c>", "<a b=c>", "a", false},
        {"< /b>", "<b>", "b", false},
        // Normal forms that the next run reads the same way, not as markup.
        {"< !x>", "< !x>", "!x", false},
        {"<\t%x y>", "< %x y>", "%x", false},
        {"< ?x>", "< ?x>", "?x", false},
        // A value that ends in "/" must not turn into "/>" on the next run.
        {"<a href=x/ >", "<a href=x/ >", "a", false},
        {"<a href=x/", "<a href=x/ >", "a", false},
        {"<img src=a/ >", "<img src=a/ >", "img", true},
        {"<a href=x/ />", "<a href=x/ />", "a", true},
        // Quotes inside unquoted values and names are ordinary bytes.
        {"<input value=O'Brien>", "<input value=O'Brien>", "input", true},
        {"<a b\"c>", "<a b\"c>", "a", false},
    };
    for (const TagRow& row : rows) {
        CAPTURE(row.raw);
        std::string name = "stale";
        bool selfClosed = !row.selfClosed;
        CHECK(NormalizeHtmlTag(row.raw, name, selfClosed, nullptr) == row.normal);
        CHECK(name == row.name);
        CHECK(selfClosed == row.selfClosed);
    }
}

TEST_CASE("the tokenizer and the normal form agree on where a tag ends")
{
    CheckRows({
        {"<input value=O'Brien> <small>it's</small>",
         {"Y[<input value=O'Brien>]=input", "S[<small>]=small^", "T[it's]", "E[</small>]=small"}},
        {"<a b\"c>d\"e", {"S[<a b\"c>]=a", "T[d\"e]"}},
        {"<a href=x/y>z</a>", {"S[<a href=x/y>]=a", "T[z]", "E[</a>]=a"}},
        {"x < y/2 > z", {"T[x]$", "S[<y 2>]=y", "T[z]^"}},
        {"<a title='x>y", {"S[<a title='x>y'>]=a"}},
        {"<a/b>c", {"S[<a b>]=a", "T[c]"}},
        {"<a /", {"S[<a>]=a"}},
        {"<b>a</b> <i>b</i>",
         {"S[<b>]=b", "T[a]", "E[</b>]=b", "S[<i>]=i^", "T[b]", "E[</i>]=i"}},
        {" <br>", {"Y[<br>]=br^"}},
    });
}

TEST_CASE("element name tables")
{
    CHECK(IsVoidElement("br"));
    CHECK(IsVoidElement("KeyGen"));
    CHECK_FALSE(IsVoidElement("b"));
    CHECK_FALSE(IsVoidElement("brx"));
    CHECK_FALSE(IsVoidElement(""));
    CHECK(IsInlineElement("A"));
    CHECK(IsInlineElement("input"));
    CHECK_FALSE(IsInlineElement("div"));
    CHECK_FALSE(IsInlineElement("spa"));
    CHECK(IsOwnLineElement("meta"));
    CHECK_FALSE(IsOwnLineElement("br"));
    CHECK(InlineElementIndex("b") == 3);
    CHECK(InlineElementIndex("p") == -1);
    for (const char* name : gOwnLineElements)
        CHECK(IsVoidElement(name));
}

TEST_CASE("double-byte characters")
{
    CheckRows({
        // A lead byte at the very end stays a byte of the last token.
        {"ab\x81", {"T[ab\x81]"}},
        {"<b \x81", {"S[<b \x81>]=b"}},
        // A pair is never split, so its trail byte cannot end a tag or a name.
        {"<a title=\x82\x41>x", {"S[<a title=\x82\x41>]=a", "T[x]"}},
        {"\xB0\xA1\x82\x5A", {"T[\xB0\xA1\x82\x5A]"}},
        // A lone lead byte takes no byte below 0x40, where no code page has trail bytes:
        // not a closing quote, a line end, a blank, "<", ">" or "=".
        {"<a title=\"\x81\">rest", {"S[<a title=\"\x81\">]=a", "T[rest]"}},
        {"<a title='\x81'>rest", {"S[<a title='\x81'>]=a", "T[rest]"}},
        {"\x81\r\nabc", {"T[\x81 abc]"}},
        {"x\x81<b>y", {"T[x\x81]", "S[<b>]=b", "T[y]"}},
        {"</a\x81>x", {"E[</a\x81>]=a\x81", "T[x]"}},
        {"\x82  \x41", {"T[\x82 \x41]"}},
        {"<a \x81  b>", {"S[<a \x81 b>]=a"}},
        {"<a \x81\r\n=\"v\">", {"S[<a \x81=\"v\">]=a"}},
        {"<a\x81>x", {"S[<a\x81>]=a\x81", "T[x]"}},
        {"<pre>\x81</pre>", {"S[<pre>]=pre", "R[\x81]", "E[</pre>]=pre"}},
        // Trail bytes that look like capital letters keep their case.
        {"<DIV\x81\x41Q x>", {"S[<div\x81\x41q x>]=div\x81\x41q"}},
        {"</X\x81\x5A>", {"E[</x\x81\x5A>]=x\x81\x5A"}},
    },
              FakeLeadByte);
    // Without a double-byte code page the same bytes are single characters.
    CheckRows({
        {"<DIV\x81\x41Q x>", {"S[<div\x81\x61q x>]=div\x81\x61q"}},
        {"\xB0\xA1\x82\x5A", {"T[\xB0\xA1\x82\x5A]"}},
    });
}
