#include "app/about_text.h"

#include "app/update_rules.h"

#include <stdio.h>

namespace {

struct ShortcutEntry {
    const char* key;
    const char* description;
};

struct ShortcutSection {
    const char* heading;
    const ShortcutEntry* entries;
    int count;
};

// clang-format off
const ShortcutEntry kFileAndTabs[] = {
    {"Ctrl+N", "New Tab"},
    {"Ctrl+O", "Open File"},
    {"Ctrl+Shift+O", "Open Remote File via SFTP"},
    {"Ctrl+Shift+R", "Refresh Remote File from SFTP"},
    {"(single instance)", "A second Zorvik opens files as tabs in this window"},
    {"Ctrl+Shift+T", "Reopen Closed Tab (with its undo history)"},
    {"Ctrl+S", "Save"},
    {"Ctrl+Alt+S", "Save As"},
    {"Ctrl+W", "Close Tab"},
    {"Ctrl+Tab", "Next Tab"},
    {"Ctrl+Shift+Tab", "Previous Tab"},
    {"Ctrl+Shift+Page Up", "Move Tab Left"},
    {"Ctrl+Shift+Page Down", "Move Tab Right"},
};

const ShortcutEntry kEditAndClipboard[] = {
    {"Ctrl+Z", "Multi-Level Undo (Persistent Disk-Backed, 100,000 steps)"},
    {"Ctrl+Y / Ctrl+Shift+Z", "Redo"},
    {"Ctrl+X", "Cut (block selections too)"},
    {"Ctrl+C", "Copy (block selections too)"},
    {"Ctrl+V", "Paste"},
    {"Ctrl+A", "Select All"},
    {"Ctrl+Shift+H", "HTML Beautifier"},
    {"Ctrl+Shift+J", "JSON Lint (validate, with the error position)"},
    {"Ctrl+Alt+J", "JSON Format (2-space indent)"},
    {"Ctrl+L", "Insert Horizontal Rule (----------------------)"},
    {"F5", "Insert Current Date & Time (YYYY-MM-DD HH:MM:SS)"},
};

const ShortcutEntry kSearchAndNavigation[] = {
    {"Ctrl+F", "Find"},
    {"Ctrl+H", "Replace"},
    {"Ctrl+G", "Go to Line"},
    {"F3", "Find Next"},
    {"Shift+F3", "Find Previous"},
};

const ShortcutEntry kViewAndModes[] = {
    {"Ctrl+Alt+F", "Choose Editor Font"},
    {"Ctrl+Mouse Wheel", "Zoom In / Out"},
    {"F11", "Toggle Diff Mode (colour added and removed lines)"},
    {"F12", "Toggle Vim Mode"},
};

const ShortcutEntry kColumnEditing[] = {
    {"Alt+Shift+Click & Drag", "Select a Rectangular Block"},
    {"Alt+Shift+Arrow Keys", "Start or Grow a Block Selection"},
    {"Arrow Keys (Up/Down/Left/Right)", "Move the Block Carets Together"},
    {"Home / End", "Home: first non-blank (again: column 0) / End: each line end"},
    {"Shift+End", "Extend Every Row to Its Line End"},
    {"Shift+Left / Shift+Right", "Shrink or Grow Every Row by One Column"},
    {"Typing / Backspace / Del", "Edit Every Row (or Caret) at Once"},
    {"Tab / Shift+Tab", "Indent / Unindent Every Row"},
    {"Escape", "Clear Multi-Caret Selection"},
};

const ShortcutEntry kTabBarMouse[] = {
    {"Drag & Drop Tab", "Move the Tab to Another Place"},
    {"Right-Click on Tab", "Tab Menu (Close, Save, Copy Path, Move Tab...)"},
};
// clang-format on

#define SECTION(heading, entries)                                                                            \
    {                                                                                                        \
        heading, entries, (int)(sizeof(entries) / sizeof(entries[0]))                                        \
    }
const ShortcutSection kSections[] = {
    SECTION("[File & Tab Operations]", kFileAndTabs),
    SECTION("[Edit & Clipboard]", kEditAndClipboard),
    SECTION("[Search & Navigation]", kSearchAndNavigation),
    SECTION("[View & Modes]", kViewAndModes),
    SECTION("[Column Block & Multi-Caret Editing]", kColumnEditing),
    SECTION("[Tab Bar Mouse Gestures]", kTabBarMouse),
};
#undef SECTION

const char kCrLf[] = "\r\n";
const int kBannerWidth = 63;

std::string EntryLine(const ShortcutEntry& entry)
{
    std::string line = std::string("  ") + entry.key;
    // A key too long for the column keeps one blank before its description.
    line.resize(line.size() < (size_t)kShortcutDescriptionColumn ? (size_t)kShortcutDescriptionColumn
                                                                 : line.size() + 1,
                ' ');
    return line + entry.description;
}

std::string BuildShortcutReference()
{
    const std::string rule(kBannerWidth, '=');
    std::string text = rule + kCrLf;
    text += std::string(18, ' ') + "Zorvik Keyboard Shortcuts" + std::string(20, ' ') + kCrLf;
    text += rule + kCrLf;
    // The sections stand apart by an empty line; none follows the last one.
    for (const ShortcutSection& section : kSections) {
        text += kCrLf;
        text += std::string(" ") + section.heading + kCrLf;
        for (int i = 0; i < section.count; ++i)
            text += EntryLine(section.entries[i]) + kCrLf;
    }
    return text;
}

} // namespace

std::string AboutVersionLine()
{
    char text[128];
    snprintf(text, sizeof(text), "Version %s  (Build: %s)", kProgramVersion, kProgramBuildStamp);
    return text;
}

std::string AboutCompiledLine(const char* date, const char* time)
{
    return std::string("Compiled: ") + date + " " + time + "  [Pure Static i686]";
}

const char* AboutFeatureTextUtf8()
{
    return "\xE2\x80\xA2 Tabbed Editing, Path Copying & Explorer \"Open With\" Integration\r\n"
           "\xE2\x80\xA2 Automatic Session Backup & Debounced Auto-Save Recovery\r\n"
           "\xE2\x80\xA2 Offscreen Double-Buffering (Flicker-Free Smooth Scrolling)\r\n"
           "\xE2\x80\xA2 Multi-Encoding Support (Reload/Convert ANSI, UTF-8, UTF-16)\r\n"
           "\xE2\x80\xA2 Vim Mode Navigation, Diff Mode & Column Block Editing\r\n"
           "\xE2\x80\xA2 Full Win95 / Win98 / WinXP / Win7 / Win10 / Win11 Compatibility";
}

const std::string& ShortcutReferenceText()
{
    static const std::string text = BuildShortcutReference();
    return text;
}
