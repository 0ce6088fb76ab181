#pragma once
// HTML tokenizer for the beautifier: splits a page (ANSI bytes) into a flat token list
// and rewrites every tag into one normal form on the way. Pure: no windows.h, no state.
// Malformed markup is never rejected; each construct runs to its terminator or to the end.

#include <cstdint>
#include <string>
#include <vector>

// True for the first byte of a double-byte character; the program passes
// WindowsAnsiCodePage().isLeadByte. Null means a single-byte code page.
using HtmlLeadByteTest = bool (*)(unsigned char byte);

enum class HtmlTokenKind : int32_t {
    Doctype = 0,
    Comment = 1,
    CData = 2,
    Markup = 3,      // <?...?>, <%...%> and other <!...>
    StartTag = 4,
    EndTag = 5,
    EmptyTag = 6,    // ends with "/>" or names a void element
    Text = 7,        // white space collapsed and trimmed; never empty
    RawText = 8,     // a pre or textarea body, verbatim; never empty
    ScriptBody = 9,  // a script or style body, verbatim; may be empty
};

struct HtmlToken {
    HtmlTokenKind kind = HtmlTokenKind::Text;
    std::string text;
    // Lower-case element name of a tag; "script" or "style" for a ScriptBody.
    std::string name;
    // Text: the raw run began with white space. Any other kind: a run of white space
    // alone (which gives no token) stood directly before it, so that the layout can
    // keep one blank between two inline elements.
    bool spaceBefore = false;
    // Text only: the raw run ended with white space.
    bool spaceAfter = false;
};

extern const char* const gVoidElements[19];
extern const char* const gInlineElements[38];
// Void elements that the layout always puts on a line of their own.
extern const char* const gOwnLineElements[11];

std::vector<HtmlToken> TokenizeHtml(const std::string& text, HtmlLeadByteTest isLeadByte);

// Rewrites one raw tag (from "<" to its ">" or to the end of the input) into its normal
// form: lower-case element name, attributes separated by one space, nothing around "=",
// values quoted as typed (an unterminated one gets its closing quote), and a closing
// ">" or " />". A "/" inside an unquoted value is kept; any other "/" not followed by
// ">" is dropped. An end tag becomes "</name>". Bytes after the tag's own ">" are
// ignored. name is the lower-case element name, selfClosed is set for "/>" and for
// void elements.
std::string NormalizeHtmlTag(const std::string& rawTag, std::string& name, bool& selfClosed,
                             HtmlLeadByteTest isLeadByte);

// Case-insensitive (ASCII letters only) look-ups in the three tables.
bool IsVoidElement(const std::string& name);
bool IsInlineElement(const std::string& name);
// The index of name in gInlineElements, or -1.
int InlineElementIndex(const std::string& name);
bool IsOwnLineElement(const std::string& name);
