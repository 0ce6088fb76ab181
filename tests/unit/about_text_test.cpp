#include <doctest/doctest.h>

#include "app/about_text.h"

#include <string.h>

#include <string>
#include <vector>

namespace {

// The lines of a text whose every line ends in CR LF; a lone CR or LF fails the test.
std::vector<std::string> CrLfLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        REQUIRE(end != std::string::npos);
        std::string line = text.substr(start, end - start);
        CHECK(line.find_first_of("\r\n") == std::string::npos);
        lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

bool IsHeading(const std::string& line)
{
    return line.size() > 3 && line[0] == ' ' && line[1] == '[' && line.back() == ']';
}

} // namespace

TEST_CASE("the shortcut reference: banner, sections and the column of the descriptions")
{
    const std::string& text = ShortcutReferenceText();
    REQUIRE(text.size() >= 2);
    CHECK(text.compare(text.size() - 2, 2, "\r\n") == 0);
    std::vector<std::string> lines = CrLfLines(text);
    CHECK(lines.size() == 59);
    REQUIRE(lines.size() > 4);

    CHECK(lines[0] == std::string(63, '='));
    CHECK(lines[1] == std::string(18, ' ') + "Zorvik Keyboard Shortcuts" + std::string(20, ' '));
    CHECK(lines[1].size() == 63);
    CHECK(lines[2] == std::string(63, '='));
    CHECK(lines[3].empty());

    const std::vector<std::string> keys = {"Ctrl+N",
                                           "Ctrl+O",
                                           "Ctrl+Shift+O",
                                           "Ctrl+Shift+R",
                                           "(single instance)",
                                           "Ctrl+Shift+T",
                                           "Ctrl+S",
                                           "Ctrl+Alt+S",
                                           "Ctrl+W",
                                           "Ctrl+Tab",
                                           "Ctrl+Shift+Tab",
                                           "Ctrl+Shift+Page Up",
                                           "Ctrl+Shift+Page Down",
                                           "Ctrl+Z",
                                           "Ctrl+Y / Ctrl+Shift+Z",
                                           "Ctrl+X",
                                           "Ctrl+C",
                                           "Ctrl+V",
                                           "Ctrl+A",
                                           "Ctrl+Shift+H",
                                           "Ctrl+Shift+J",
                                           "Ctrl+Alt+J",
                                           "Ctrl+L",
                                           "F5",
                                           "Ctrl+F",
                                           "Ctrl+H",
                                           "Ctrl+G",
                                           "F3",
                                           "Shift+F3",
                                           "Ctrl+Alt+F",
                                           "Ctrl+Mouse Wheel",
                                           "F11",
                                           "F12",
                                           "Alt+Shift+Click & Drag",
                                           "Alt+Shift+Arrow Keys",
                                           "Arrow Keys (Up/Down/Left/Right)",
                                           "Home / End",
                                           "Shift+End",
                                           "Shift+Left / Shift+Right",
                                           "Typing / Backspace / Del",
                                           "Tab / Shift+Tab",
                                           "Escape",
                                           "Drag & Drop Tab",
                                           "Right-Click on Tab"};
    std::vector<std::string> headings;
    size_t entry = 0;
    for (size_t i = 4; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        CAPTURE(line);
        if (line.empty()) {
            // Between sections only: never two in a row, never before an entry.
            CHECK(i + 1 < lines.size());
            CHECK(IsHeading(lines[i + 1]));
            continue;
        }
        if (IsHeading(line)) {
            headings.push_back(line.substr(1));
            CHECK(lines[i - 1].empty());
            continue;
        }
        REQUIRE(entry < keys.size());
        const std::string& key = keys[entry++];
        REQUIRE(line.compare(0, 2 + key.size(), "  " + key) == 0);
        size_t description = line.find_first_not_of(' ', 2 + key.size());
        REQUIRE(description != std::string::npos);
        if (2 + key.size() < (size_t)kShortcutDescriptionColumn)
            CHECK(description == (size_t)kShortcutDescriptionColumn);
        else // too long for the column: one blank
            CHECK(description == 3 + key.size());
    }
    CHECK(entry == keys.size());
    REQUIRE(headings.size() == 6);
    const std::vector<std::string> given = {
        "[File & Tab Operations]", "[Edit & Clipboard]", "[Search & Navigation]",
        "[View & Modes]",          headings[4],          "[Tab Bar Mouse Gestures]"};
    CHECK(headings == given);
}

TEST_CASE("the reference's descriptions that are given word for word")
{
    const std::string& text = ShortcutReferenceText();
    const char* const lines[] = {
        "  (single instance)         A second Zorvik opens files as tabs in this window\r\n",
        "  Ctrl+Z                    Multi-Level Undo (Persistent Disk-Backed, 100,000 steps)\r\n",
        "  Ctrl+L                    Insert Horizontal Rule (----------------------)\r\n",
        "  F5                        Insert Current Date & Time (YYYY-MM-DD HH:MM:SS)\r\n",
        "  Ctrl+Alt+J                JSON Format (2-space indent)\r\n",
        "  Home / End                Home: first non-blank (again: column 0) / End: each line end\r\n",
        "  Escape                    Clear Multi-Caret Selection\r\n",
        "  Arrow Keys (Up/Down/Left/Right) ",
    };
    for (const char* line : lines) {
        CAPTURE(line);
        CHECK(text.find(line) != std::string::npos);
    }
}

TEST_CASE("the About window's texts")
{
    CHECK(AboutVersionLine() == "Version 1.3.0  (Build: 20261110_110011)");
    CHECK(AboutCompiledLine("Nov 10 2026", "11:00:13") ==
          "Compiled: Nov 10 2026 11:00:13  [Pure Static i686]");

    std::string features = AboutFeatureTextUtf8();
    CHECK(features.compare(features.size() - 2, 2, "\r\n") != 0);
    std::vector<std::string> lines = CrLfLines(features + "\r\n");
    REQUIRE(lines.size() == 6);
    for (const std::string& line : lines) {
        CAPTURE(line);
        CHECK(line.compare(0, 4, "\xE2\x80\xA2 ") == 0);
    }
    const char* const given[] = {
        "Automatic Session Backup & Debounced Auto-Save Recovery",
        "Offscreen Double-Buffering (Flicker-Free Smooth Scrolling)",
        "Multi-Encoding Support (Reload/Convert ANSI, UTF-8, UTF-16)",
        "Vim Mode Navigation, Diff Mode & Column Block Editing",
        "Full Win95 / Win98 / WinXP / Win7 / Win10 / Win11 Compatibility",
    };
    for (int i = 0; i < 5; ++i)
        CHECK(lines[i + 1].substr(4) == given[i]);
}
