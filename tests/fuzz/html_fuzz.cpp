// Tokenizer and layout over arbitrary bytes. The first byte picks the indentation width
// and whether a double-byte code page is in force; the checks are the invariants that
// hold for every input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tests/unit/html_rerun.h"
#include "tools/html/html_layout.h"

namespace {

bool FakeLeadByte(unsigned char b)
{
    return b >= 0x81 && b <= 0xFE;
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    int width = (data[0] & 7) - 1;
    HtmlLeadByteTest lead = (data[0] & 8) ? FakeLeadByte : nullptr;
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    std::vector<HtmlToken> tokens = TokenizeHtml(text, lead);
    for (size_t i = 0; i < tokens.size(); ++i) {
        const HtmlToken& t = tokens[i];
        Check(!t.text.empty() || t.kind == HtmlTokenKind::ScriptBody);
        if (t.kind == HtmlTokenKind::StartTag || t.kind == HtmlTokenKind::EmptyTag) {
            std::string name;
            bool selfClosed = false;
            // The normal form is its own normal form, but for an empty name (see below).
            std::string again = NormalizeHtmlTag(t.text, name, selfClosed, lead);
            Check(t.name.empty() || (again == t.text && name == t.name));
        }
        int end = FindSingleLineRun(tokens, (int)i);
        Check(end == -1 || (end > (int)i && tokens[end].kind == HtmlTokenKind::EndTag));
        if (t.kind == HtmlTokenKind::ScriptBody)
            ReindentRawBlock(t.text, (int)(i % 5), width);
    }

    std::string once = BeautifyHtml(text, width, lead);
    Check(once.empty() || once.back() == '\n');
    if (!MayChangeAgain(text)) {
        std::string twice = BeautifyHtml(once, width, lead);
        Check(BeautifyHtml(twice, width, lead) == twice);
    }
    return 0;
}
