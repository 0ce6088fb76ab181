#include <doctest/doctest.h>

#include "tests/window/harness.h"

#include "app/command_ids.h"
#include "app/main_window.h"
#include "document/document.h"
#include "document/undo_core.h"
#include "editor/block_mode.h"
#include "search/find_engine.h"

#include <string>

namespace {

size_t UndoSteps()
{
    return GetActiveDocument()->history->undo.size();
}

void Command(HWND mainWnd, int id)
{
    SendMessageA(mainWnd, WM_COMMAND, (WPARAM)id, 0);
}

void CtrlZ(HWND mainWnd)
{
    SetFocus(gEditorWnd);
    PressKey(mainWnd, 'Z', true, false, false, gEditorWnd);
}

} // namespace

TEST_CASE("JSON and HTML commands on a selection and on the whole text, each undone by one Ctrl+Z")
{
    TestWindow f;
    REQUIRE(f.hwnd);
    struct Row {
        const char* name;
        int command;
        const char* text;
        int selStart, selEnd;
        const char* result;
        std::pair<int, int> selection;
        const char* status;
    };
    // clang-format off
    const Row rows[] = {
        {"format, document", IDM_TOOLS_JSON_FORMAT, "{\"a\":[1,2]}", 3, 3, "{\r\n  \"a\": [\r\n    1,\r\n    2\r\n  ]\r\n}",
         {0, 0}, "JSON formatted (Document, 2 spaces)"},
        {"minify, selection", IDM_TOOLS_JSON_MINIFY, "x = [ 1, 2 ];", 4, 12, "x = [1,2];", {4, 9},
         "JSON minified (Selection)"},
        {"html, document", IDM_TOOLS_HTML_BEAUTIFY, "<div><p>x</p></div>", 0, 0,
         "<div>\r\n  <p>x</p>\r\n</div>\r\n", {0, 0}, "HTML Beautified (Entire Document)"},
        {"html, selection", IDM_TOOLS_HTML_BEAUTIFY, "ab<ul><li>x</li></ul>cd", 2, 21,
         "ab<ul>\r\n  <li>x</li>\r\n</ul>\r\ncd", {2, 29}, "HTML Beautified (Selection)"},
    };
    // clang-format on
    for (const Row& row : rows) {
        INFO(std::string(row.name));
        SetWindowTextA(gEditorWnd, "");
        TypeText(row.text);
        SelectInEditor(row.selStart, row.selEnd);
        size_t steps = UndoSteps();
        Command(f.hwnd, row.command);
        CHECK(EditorText() == row.result);
        CHECK(EditorSelection() == row.selection);
        CHECK(StatusText() == row.status);
        CHECK(UndoSteps() == steps + 1);
        CtrlZ(f.hwnd);
        CHECK(EditorText() == row.text);
        CHECK(UndoSteps() == steps);
    }
}

TEST_CASE("JSON Lint reports and selects; unchanged output and errors make no undo step")
{
    TestWindow f;
    REQUIRE(f.hwnd);
    TypeText("v = {\"k\": [1,, 2]};");
    size_t steps = UndoSteps();
    SelectInEditor(4, 18);
    Command(f.hwnd, IDM_TOOLS_JSON_FORMAT);
    CHECK(EditorSelection() == std::make_pair(13, 14));
    CHECK(StatusText() == "Invalid JSON at line 1, column 10: Unexpected token ','");
    CHECK(UndoSteps() == steps);

    // A text set without a change notification: the first command records it as a step
    // of its own, before its own work.
    SetWindowTextA(gEditorWnd, "[1,2]");
    steps = UndoSteps();
    SelectInEditor(0, 0);
    Command(f.hwnd, IDM_TOOLS_JSON_LINT);
    CHECK(UndoSteps() == steps + 1);
    steps = UndoSteps();
    SelectInEditor(0, 0);
    Command(f.hwnd, IDM_TOOLS_JSON_LINT);
    CHECK(StatusText() == "Valid JSON (Document): array, 2 items");
    gBlockMode = true;
    Command(f.hwnd, IDM_TOOLS_JSON_MINIFY);
    CHECK(StatusText() == "JSON Minify: already minified");
    CHECK(gBlockMode);
    CHECK(UndoSteps() == steps);
    // Replacing leaves block mode.
    Command(f.hwnd, IDM_TOOLS_JSON_FORMAT);
    CHECK_FALSE(gBlockMode);
    CHECK(EditorText() == "[\r\n  1,\r\n  2\r\n]");

    SetWindowTextA(gEditorWnd, "");
    Command(f.hwnd, IDM_TOOLS_JSON_LINT);
    CHECK(StatusText() == "Invalid JSON at line 1, column 1: Document is empty");
    Command(f.hwnd, IDM_TOOLS_HTML_BEAUTIFY);
    CHECK(StatusText() == "HTML Beautifier: Document is empty");
}

TEST_CASE("a read-only document: the text commands change nothing and say so")
{
    TestWindow f;
    REQUIRE(f.hwnd);
    SetWindowTextA(gEditorWnd, "[1, 2]");
    Command(f.hwnd, IDM_EDIT_READ_ONLY);
    for (int command : {IDM_TOOLS_JSON_FORMAT, IDM_TOOLS_JSON_MINIFY, IDM_TOOLS_HTML_BEAUTIFY}) {
        CAPTURE(command);
        SelectInEditor(0, 0);
        Command(f.hwnd, command);
        CHECK(EditorText() == "[1, 2]");
        CHECK(StatusText() == kReadOnlyRefusal);
    }
    // Lint changes nothing and works as ever.
    Command(f.hwnd, IDM_TOOLS_JSON_LINT);
    CHECK(StatusText() == "Valid JSON (Document): array, 2 items");
}
