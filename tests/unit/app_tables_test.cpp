#include <doctest/doctest.h>

#include "app/command_ids.h"
#include "app/menu_table.h"
#include "app/recent_menu_text.h"
#include "editor/shortcut_table.h"
#include "app/status_text.h"
#include "editor/diff_line.h"
#include "editor/editor_metrics.h"

#include <string.h>
#include <string>

TEST_CASE("shortcut lookup: modifiers decide, letters are their own keys")
{
    struct Row {
        const char* name;
        ShortcutTable table;
        int vk;
        bool ctrl, alt, shift;
        ShortcutKind kind;
        int command;
    };
    const ShortcutTable loop = MessageLoopShortcuts(), main = MainWindowShortcuts(), tabs = TabBarShortcuts(),
                        editor = EditorShortcuts();
    const Row rows[] = {
        {"loop Ctrl+Z", loop, 'Z', true, false, false, kKeyUndo, 0},
        {"loop Ctrl+Shift+Z", loop, 'Z', true, false, true, kKeyRedo, 0},
        {"loop Ctrl+Shift+Y", loop, 'Y', true, false, true, kKeyRedo, 0},
        {"loop Ctrl+Shift+T", loop, 'T', true, false, true, kKeyReopenClosedTab, 0},
        {"loop Ctrl+T", loop, 'T', true, false, false, kKeyNotFound, 0},
        {"loop Ctrl+Shift+A", loop, 'A', true, false, true, kKeySelectAll, 0},
        {"loop Ctrl+Alt+A", loop, 'A', true, true, false, kKeyNotFound, 0},
        {"loop Ctrl+PgDn", loop, kVkPageDown, true, false, false, kKeyConsume, 0},
        {"loop Ctrl+Shift+Tab", loop, kVkTab, true, false, true, kKeyCycleBackward, 0},
        {"loop Shift+F3", loop, kVkF3, false, false, true, kKeyFindPrevious, 0},
        {"loop Ctrl+F3", loop, kVkF3, true, false, false, kKeyNotFound, 0},
        {"loop Alt+F3", loop, kVkF3, false, true, false, kKeyNotFound, 0},
        {"loop Alt+S", loop, 'S', false, true, false, kKeyNotFound, 0},
        {"loop Ctrl+Alt+O", loop, 'O', true, true, false, kKeyNotFound, 0},
        {"loop Ctrl+Alt+Shift+F", loop, 'F', true, true, true, kKeySend, IDM_TOOLS_FONT},
        {"loop Ctrl+Shift+O", loop, 'O', true, false, true, kKeySend, IDM_FILE_OPEN_SFTP},
        {"main Ctrl+Shift+O", main, 'O', true, false, true, kKeySend, IDM_FILE_OPEN},
        {"main Ctrl+Alt+N", main, 'N', true, true, false, kKeySend, IDM_FILE_NEW},
        {"main Ctrl+Alt+F", main, 'F', true, true, false, kKeyShowFind, 0},
        {"main Ctrl+Shift+H", main, 'H', true, false, true, kKeySend, IDM_TOOLS_HTML_BEAUTIFY},
        {"main Ctrl+Alt+H", main, 'H', true, true, false, kKeyShowReplace, 0},
        {"main Ctrl+Alt+Shift+J", main, 'J', true, true, true, kKeyNotFound, 0},
        {"main Ctrl+G", main, 'G', true, false, false, kKeyShowGoToLine, 0},
        {"main Ctrl+Shift+F3", main, kVkF3, true, false, true, kKeyFindPreviousOrOpen, 0},
        {"main Alt+F11", main, kVkF11, false, true, false, kKeySend, IDM_TOOLS_DIFF_MODE},
        {"main N alone", main, 'N', false, false, false, kKeyNotFound, 0},
        {"tabs Ctrl+Shift+H", tabs, 'H', true, false, true, kKeySend, IDM_SEARCH_REPLACE},
        {"tabs Ctrl+Alt+S", tabs, 'S', true, true, false, kKeySend, IDM_FILE_SAVE_AS},
        {"tabs Ctrl+Alt+W", tabs, 'W', true, true, false, kKeyNotFound, 0},
        {"tabs Ctrl+PgUp", tabs, kVkPageUp, true, false, false, kKeyConsume, 0},
        {"tabs Ctrl+J", tabs, 'J', true, false, true, kKeyNotFound, 0},
        {"tabs Ctrl+F12", tabs, kVkF12, true, false, false, kKeyNotFound, 0},
        {"editor Ctrl+Shift+Z", editor, 'Z', true, false, true, kKeyRedo, 0},
        {"editor Ctrl+Alt+Z", editor, 'Z', true, true, false, kKeyNotFound, 0},
        {"editor Ctrl+Shift+C", editor, 'C', true, false, true, kKeyCopy, 0},
        {"editor Ctrl+X", editor, 'X', true, false, false, kKeyCut, 0},
        {"editor Ctrl+Shift+V", editor, 'V', true, false, true, kKeyPaste, 0},
        {"editor Ctrl+J", editor, 'J', true, false, false, kKeyNotFound, 0},
        {"editor Ctrl+Alt+Shift+J", editor, 'J', true, true, true, kKeySend, IDM_TOOLS_JSON_FORMAT},
        {"editor Ctrl+Shift+H", editor, 'H', true, false, true, kKeySend, IDM_TOOLS_HTML_BEAUTIFY},
        {"editor Ctrl+Shift+O", editor, 'O', true, false, true, kKeySend, IDM_FILE_OPEN},
        {"editor Ctrl+T", editor, 'T', true, false, false, kKeyNotFound, 0},
        {"editor Ctrl+Shift+PgDn", editor, kVkPageDown, true, false, true, kKeyPost, IDM_TAB_MOVE_RIGHT},
        {"editor Ctrl+PgDn", editor, kVkPageDown, true, false, false, kKeyNotFound, 0},
        {"editor Ctrl+Alt+S", editor, 'S', true, true, false, kKeyNotFound, 0},
        {"editor Ctrl+L", editor, 'L', true, false, false, kKeyNotFound, 0},
        {"editor C alone", editor, 'C', false, false, false, kKeyNotFound, 0},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        ShortcutAction action = LookupShortcut(row.table, row.vk, row.ctrl, row.alt, row.shift);
        CHECK(action.kind == row.kind);
        if (row.kind == kKeySend || row.kind == kKeyPost)
            CHECK(action.command == row.command);
    }
}

TEST_CASE("status text: names, sizes at their boundaries, modes")
{
    StatusInfo base = {};
    base.encoding = Utf8;
    base.bom = true;
    base.eol = Lf;
    base.hasEditor = true;
    base.bytes = 2048;
    base.lines = 10;
    base.autoSave = true;
    CHECK(FormatStatusText(base) == "Encoding: UTF-8-BOM | Unix (LF) | 2.0 KB | 10 lines | AutoSave");

    struct Row {
        long long bytes;
        const char* size;
    } sizes[] = {{1023, " | 1023 bytes | "}, {1024, " | 1.0 KB | "}, {1048575, " | 1024.0 KB | "},
                 {1048576, " | 1.00 MB | "}, {0, " | 0 bytes | "}};
    for (const Row& row : sizes) {
        StatusInfo info = base;
        info.bytes = row.bytes;
        CAPTURE(row.bytes);
        CHECK(FormatStatusText(info).find(row.size) != std::string::npos);
    }

    StatusInfo odd = base;
    odd.encoding = (EncodingId)7;
    odd.eol = (EolMode)5;
    odd.autoSave = false;
    odd.diffMode = true;
    odd.readOnly = true;
    std::string url = "sftp://user@host:22/" + std::string(60, 'x');
    odd.sftpUrl = url.c_str();
    CHECK(FormatStatusText(odd) == "Encoding: Unknown | Windows (CR LF) | 2.0 KB | 10 lines | DIFF | [Read-Only] | " +
                                       url.substr(0, 60));
    odd.lossReason = "why it is not saved";
    CHECK(FormatStatusText(odd) ==
          "Encoding: Unknown | Windows (CR LF) | 2.0 KB | 10 lines | DIFF | [Read-Only] | "
          "why it is not saved | " +
              url.substr(0, 60));
    odd.lossReason = nullptr;
    odd.hasEditor = false;
    odd.sftpUrl = nullptr;
    CHECK(FormatStatusText(odd) == "Encoding: Unknown | Windows (CR LF) | DIFF | [Read-Only]");

    const char* names[] = {"ANSI", "UTF-8", "UTF-8-BOM", "UTF-16 LE BOM", "UTF-16 BE BOM"};
    CHECK(std::string(EncodingDisplayName(0, true)) == names[0]);
    CHECK(std::string(EncodingDisplayName(1, false)) == names[1]);
    CHECK(std::string(EncodingDisplayName(2, false)) == names[3]);
    CHECK(std::string(EncodingDisplayName(3, false)) == names[4]);
    CHECK(std::string(EolDisplayName(Cr)) == "Mac (CR)");
}

TEST_CASE("greying: one rule for the menu bar and the context menus")
{
    // An untitled local document, alone, nothing closed yet; the middle of three tabs, a
    // remote document with its downloaded copy, after a close.
    const CommandState lone = {0, 1, false, false, false};
    const CommandState middle = {1, 3, true, true, true};
    const CommandState last = {2, 3, true, false, true};
    struct Row {
        int id;
        bool lone, middle, last;
    } rows[] = {
        {IDM_FILE_OPEN_FOLDER_EXPLORER, false, true, true},
        {IDM_FILE_OPEN_FOLDER_CMD, false, true, true},
        {IDM_EDIT_COPY_FULL_PATH, false, true, true},
        {IDM_EDIT_COPY_FILE_NAME, true, true, true},
        {IDM_EDIT_COPY_DIR_PATH, false, true, true},
        {IDM_FILE_CLOSE_OTHERS, false, true, true},
        {IDM_FILE_REOPEN_CLOSED, false, true, true},
        {IDM_FILE_REFRESH_SFTP, false, true, false},
        {IDM_TAB_MOVE_LEFT, false, true, true},
        {IDM_TAB_MOVE_FIRST, false, true, true},
        {IDM_TAB_MOVE_RIGHT, false, true, false},
        {IDM_TAB_MOVE_LAST, false, true, false},
        {IDM_FILE_SAVE, true, true, true},
        {IDM_FILE_NEW, true, true, true},
    };
    for (const Row& row : rows) {
        CAPTURE(row.id);
        CHECK(CommandEnabled(row.id, lone) == row.lone);
        CHECK(CommandEnabled(row.id, middle) == row.middle);
        CHECK(CommandEnabled(row.id, last) == row.last);
    }

    // Every command the rule can grey is one the menu bar refreshes.
    int count = 0;
    const int* greyable = GreyableCommands(&count);
    for (const Row& row : rows) {
        bool listed = false;
        for (int i = 0; i < count; ++i)
            listed = listed || greyable[i] == row.id;
        CAPTURE(row.id);
        CHECK(listed == !(row.lone && row.middle && row.last));
    }
}

TEST_CASE("recent files menu text")
{
    CHECK(RecentFileMenuText(0, "C:\\R&D\\a.txt") == "&1  C:\\R&&D\\a.txt");
    CHECK(RecentFileMenuText(8, "x") == "&9  x");
    CHECK(RecentFileMenuText(9, "C:\\&&") == "1&0  C:\\&&&&");
}

TEST_CASE("gutter width and font size rules")
{
    CHECK(GutterWidthFor(1, 8) == 40);
    CHECK(GutterWidthFor(999, 8) == 40);
    CHECK(GutterWidthFor(1000, 8) == 46);
    CHECK(GutterWidthFor(100000, 8) == 62);
    CHECK(GutterWidthFor(0, 8) == 40);
    CHECK(GutterWidthFor(1000, 0) == 46);
    CHECK(GutterWidthFor(99999, 10) == 64);
    CHECK(ClampFontSize(200) == 72);
    CHECK(ClampFontSize(0) == 6);
    CHECK(ClampFontSize(-3) == 6);
    CHECK(ClampFontSize(7 - 2) == 6);
    CHECK(ClampFontSize(74) == 72);
}

TEST_CASE("diff classification of a line")
{
    // In code page 949 the bytes 80-FE lead double-byte characters: 96, 97 and A0 at a
    // line start are Korean characters there, not dashes or a no-break space.
    LeadByteTest cp949 = [](unsigned char b) { return b >= 0x81 && b <= 0xFE; };
    struct Row {
        const char* text;
        int result; // 0 none, 1 added, 2 removed
        int korean; // the same in code page 949
    } rows[] = {
        {"+a", 1, 1},
        {"++", 1, 1},
        {"+", 1, 1},
        {"  -c", 2, 2},
        {"+++ b/file", 0, 0},
        {"--- a/file", 0, 0},
        {"---", 0, 0},
        {"-x", 2, 2},
        {"--", 2, 2},
        {"", 0, 0},
        {"   \t ", 0, 0},
        {"plain", 0, 0},
        {"\xC2\xA0-x", 2, 2},
        {"\xA1\xA1\xA3\xAB", 1, 1},
        {"\xEF\xBC\x8B", 1, 1},
        {"\xEF\xBC", 0, 0},
        {"\x96 dash", 2, 0},
        {"\x97", 2, 0},
        {"\x96\xA1 -", 2, 0},
        {"\xE2\x80\x94 em", 2, 2},
        {"\xE2\x80\x96", 0, 0},
        {"\xE2\x88\x92", 2, 2},
        {"\xE2\x80\x8B+", 1, 1},
        {"\xE3\x80\x80-", 2, 2},
        {"\xA3\xAD", 2, 2},
        {"\xA1\xAA", 2, 2},
        {"\xA0+", 1, 0},
        {"\xA0\xA1-", 0, 0},
    };
    for (const Row& row : rows) {
        CAPTURE(row.text);
        for (LeadByteTest lead : {LeadByteTest(nullptr), cp949}) {
            int expected = lead ? row.korean : row.result;
            bool added = false, removed = false;
            bool result = ClassifyDiffLine(row.text, (int)strlen(row.text), &added, &removed, lead);
            CHECK(result == (expected != 0));
            CHECK(added == (expected == 1));
            CHECK(removed == (expected == 2));
        }
    }
}
