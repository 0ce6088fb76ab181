// The tokenizer and the layout with the system's own lead-byte test: CTest starts this
// under Wine in the Korean locale, where the ANSI code page is 949.
#include <doctest/doctest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "document/codepage.h"
#include "tools/html/html_layout.h"

TEST_CASE("double-byte text under the system code page")
{
    REQUIRE(GetACP() == 949);
    HtmlLeadByteTest lead = WindowsAnsiCodePage().isLeadByte;
    REQUIRE(lead(0xB0));
    REQUIRE_FALSE(lead('A'));

    // 0xB0 0x41 and 0xB1 0x5A are characters whose trail bytes look like capital letters.
    std::vector<HtmlToken> tokens =
        TokenizeHtml("<DIV\xB0\x41 title='\xB1\x5A'>\xB0\xA1 \xB0\x41</DIV\xB0\x41>", lead);
    REQUIRE(tokens.size() == 3);
    CHECK(tokens[0].name == "div\xB0\x41");
    CHECK(tokens[0].text == "<div\xB0\x41 title='\xB1\x5A'>");
    CHECK(tokens[1].text == "\xB0\xA1 \xB0\x41");
    CHECK(tokens[2].text == "</div\xB0\x41>");

    // A lone lead byte does not take the closing quote, the line end or the "<".
    CHECK(BeautifyHtml("<p title=\"\xB0\">a\xB0\r\n<b>x</b>\xB0</p>", 2, lead) ==
          "<p title=\"\xB0\">a\xB0 <b>x</b>\xB0</p>\r\n");
    CHECK(BeautifyHtml("<div>\xB0\r\n<p>x</p></div>", 2, lead) ==
          "<div>\r\n  \xB0\r\n  <p>x</p>\r\n</div>\r\n");
}
