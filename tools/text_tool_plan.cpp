#include "tools/text_tool_plan.h"

#include "tools/html/html_layout.h"

#include <cstdio>

namespace {

int32_t Clamp(int32_t value, int32_t low, int32_t high)
{
    return value < low ? low : value > high ? high : value;
}

const char* ScopeWord(bool wholeDocument)
{
    return wholeDocument ? "Document" : "Selection";
}

std::string WithScope(const char* format, const char* word)
{
    char buffer[64];
    snprintf(buffer, sizeof buffer, format, word);
    return buffer;
}

} // namespace

TextToolScope ChooseTextToolScope(int32_t selStart, int32_t selEnd, int32_t textLength)
{
    if (textLength < 0)
        textLength = 0;
    TextToolScope scope;
    scope.lo = Clamp(selStart < selEnd ? selStart : selEnd, 0, textLength);
    scope.hi = Clamp(selStart < selEnd ? selEnd : selStart, 0, textLength);
    scope.wholeDocument = scope.lo == scope.hi;
    if (scope.wholeDocument) {
        scope.lo = 0;
        scope.hi = textLength;
    }
    return scope;
}

void JsonErrorSelection(int32_t base, uint32_t errorOffset, const std::string& input, int32_t total,
                        bool (*isLeadByte)(unsigned char), int32_t* start, int32_t* end)
{
    int64_t at = (int64_t)base + errorOffset;
    int32_t s = (int32_t)(at < 0 ? 0 : at > total ? total : at);
    int32_t e = s;
    if (errorOffset < input.size()) {
        unsigned char byte = (unsigned char)input[errorOffset];
        if (byte != 0) {
            bool pair = isLeadByte && isLeadByte(byte) && errorOffset + 1 < input.size();
            e = s + (pair ? 2 : 1);
        }
        if (e > total)
            e = total;
    }
    *start = s;
    *end = e;
}

TextToolPlan PlanJsonTool(const std::string& text, int32_t selStart, int32_t selEnd, JsonToolMode mode,
                          const CodePage& codePage)
{
    TextToolScope scope = ChooseTextToolScope(selStart, selEnd, (int32_t)text.size());
    std::string input =
        scope.wholeDocument ? text : text.substr((size_t)scope.lo, (size_t)(scope.hi - scope.lo));
    JsonCheckResult result = CheckJson(input, mode, codePage);
    TextToolPlan plan;
    plan.wholeDocument = scope.wholeDocument;
    const char* word = ScopeWord(scope.wholeDocument);
    if (!result.ok) {
        plan.action = TextToolAction::SelectError;
        JsonErrorSelection(scope.lo, result.errorOffset, input, (int32_t)text.size(), codePage.isLeadByte,
                           &plan.start, &plan.end);
        char buffer[512];
        snprintf(buffer, sizeof buffer, "Invalid JSON at line %d, column %d: %.320s", (int)result.line,
                 (int)result.column, result.message.c_str());
        plan.status = buffer;
        return plan;
    }
    if (mode != JsonToolMode::Format && mode != JsonToolMode::Minify) {
        char buffer[256];
        snprintf(buffer, sizeof buffer, "Valid JSON (%s): %.180s", word, result.summary.c_str());
        plan.status = buffer;
        return plan;
    }
    if (result.output == input) {
        plan.status =
            mode == JsonToolMode::Minify ? "JSON Minify: already minified" : "JSON Format: already formatted";
        return plan;
    }
    plan.action = TextToolAction::Replace;
    plan.start = scope.lo;
    plan.end = scope.hi;
    plan.output = std::move(result.output);
    plan.status = WithScope(
        mode == JsonToolMode::Minify ? "JSON minified (%s)" : "JSON formatted (%s, 2 spaces)", word);
    return plan;
}

TextToolPlan PlanHtmlBeautifier(const std::string& text, int32_t selStart, int32_t selEnd,
                                HtmlLeadByteTest isLeadByte)
{
    TextToolScope scope = ChooseTextToolScope(selStart, selEnd, (int32_t)text.size());
    TextToolPlan plan;
    plan.wholeDocument = scope.wholeDocument;
    if (scope.wholeDocument && text.empty()) {
        plan.status = "HTML Beautifier: Document is empty";
        return plan;
    }
    std::string input =
        scope.wholeDocument ? text : text.substr((size_t)scope.lo, (size_t)(scope.hi - scope.lo));
    std::string output = BeautifyHtml(input, 2, isLeadByte);
    if (output == input) {
        plan.status = scope.wholeDocument ? "HTML Beautifier: Document already formatted"
                                          : "HTML Beautifier: Selection already formatted";
        return plan;
    }
    plan.action = TextToolAction::Replace;
    plan.start = scope.lo;
    plan.end = scope.hi;
    plan.output = std::move(output);
    plan.status = scope.wholeDocument ? "HTML Beautified (Entire Document)" : "HTML Beautified (Selection)";
    return plan;
}
