#pragma once
// What the JSON and HTML commands do to the editor, decided from its text and selection.
// Pure: the commands read the editor, ask here, and carry the plan out.

#include <cstdint>
#include <string>

#include "tools/html/html_tokenizer.h"
#include "tools/json/json.h"

enum class TextToolAction {
    Report,      // only the status text
    SelectError, // select [start, end) and show the status text; the text stays as it is
    Replace,     // replace [start, end) (the whole text for a whole-document plan) by output
};

struct TextToolPlan {
    TextToolAction action = TextToolAction::Report;
    bool wholeDocument = true; // no selection: the command works on the whole text
    int32_t start = 0;
    int32_t end = 0;
    std::string output;
    std::string status;
};

// The input of a command: the selected bytes, or the whole text when the selection is
// empty (selStart and selEnd in either order, clamped to the text).
struct TextToolScope {
    bool wholeDocument = true;
    int32_t lo = 0;
    int32_t hi = 0;
};
TextToolScope ChooseTextToolScope(int32_t selStart, int32_t selEnd, int32_t textLength);

// The error selection of invalid JSON: the offending byte (both bytes of a double-byte
// character) at base + errorOffset, clamped to the text; a bare caret when the error lies
// at or past the end of the input or on a NUL byte.
void JsonErrorSelection(int32_t base, uint32_t errorOffset, const std::string& input, int32_t total,
                        bool (*isLeadByte)(unsigned char), int32_t* start, int32_t* end);

TextToolPlan PlanJsonTool(const std::string& text, int32_t selStart, int32_t selEnd, JsonToolMode mode,
                          const CodePage& codePage);
TextToolPlan PlanHtmlBeautifier(const std::string& text, int32_t selStart, int32_t selEnd,
                                HtmlLeadByteTest isLeadByte);
