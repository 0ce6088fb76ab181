// Parses arbitrary bytes and, for every valid document, checks that the writer keeps the
// data: formatting is idempotent, minifying the formatted text gives the minified text,
// and both outputs parse back to valid JSON with the same summary.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/json/json.h"

const CodePage& TestDbcsCodePage();

namespace {

void Require(bool condition)
{
    if (!condition)
        abort();
}

void CheckOne(const std::string& text, const CodePage& cp)
{
    JsonCheckResult formatted = CheckJson(text, JsonToolMode::Format, cp);
    if (!formatted.ok) {
        Require(!formatted.message.empty());
        Require(formatted.errorOffset <= text.size());
        Require(formatted.line >= 1 && formatted.column >= 1);
        Require(formatted.output.empty() && formatted.summary.empty());
        return;
    }
    JsonCheckResult minified = CheckJson(text, JsonToolMode::Minify, cp);
    Require(minified.ok);
    JsonCheckResult again = CheckJson(formatted.output, JsonToolMode::Format, cp);
    Require(again.ok && again.output == formatted.output && again.summary == formatted.summary);
    JsonCheckResult compact = CheckJson(formatted.output, JsonToolMode::Minify, cp);
    Require(compact.ok && compact.output == minified.output);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text((const char*)data, size);
    CheckOne(text, Cp1252CodePage());
    CheckOne(text, TestDbcsCodePage());
    return 0;
}
