#pragma once
// HTML layout for the Beautifier command: block elements on lines of their own with
// their content one level deeper, short inline-only elements whole on one line, pre and
// textarea bodies verbatim, script and style bodies re-indented. Pure: text in, text out
// (CR LF line breaks); never fails.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/html/html_tokenizer.h"

// Indentation stops growing past this many levels: unclosed block tags (thousands of
// <p> or <style>) would otherwise make the output grow with the square of the input.
enum { kMaxHtmlIndentLevel = 100 };

// Lays text out again with width spaces per level (2 when width is below 1). Text that
// gives no tokens (empty, white space alone) gives an empty string; any other result
// ends with a line break: CR LF, or the page's own LF that ends an unterminated
// doctype, CDATA section or markup.
std::string BeautifyHtml(const std::string& text, int32_t width, HtmlLeadByteTest isLeadByte);

// The index of the end tag that closes the element whose start tag is tokens[index],
// when the whole element fits on one line (80 columns of token text, one more per
// token) and holds only inline content; else -1.
int FindSingleLineRun(const std::vector<HtmlToken>& tokens, int index);

// A script or style body as whole lines, each indented by level * width spaces (blank
// lines stay empty) and ending with CR LF, after removing the lines' common indentation
// and the blank lines at both ends. Empty when the body is white space alone.
std::string ReindentRawBlock(const std::string& body, int level, int width);
