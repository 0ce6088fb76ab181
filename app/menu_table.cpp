#include "app/menu_table.h"

#include "app/command_ids.h"

#include <vector>

namespace {

// clang-format off
#define ITEM(id, text) {kMenuItem, id, text}
#define SEP {kMenuSeparator, 0, nullptr}
#define POPUP(text) {kMenuPopup, 0, text}
#define END {kMenuEnd, 0, nullptr}
#define COPY_PATH_ITEMS                                                    \
    ITEM(IDM_EDIT_COPY_FULL_PATH, "Current &Full File Path to Clipboard"), \
    ITEM(IDM_EDIT_COPY_FILE_NAME, "Current &File Name to Clipboard"),      \
    ITEM(IDM_EDIT_COPY_DIR_PATH, "Current &Directory Path to Clipboard")
#define TABLE(caption, entries) {caption, entries, (int)(sizeof(entries) / sizeof(entries[0]))}
// clang-format on

const char kReopenClosedTabText[] = "Re&open Closed Tab\tCtrl+Shift+T";

const MenuEntry kFileMenu[] = {
    ITEM(IDM_FILE_NEW, "&New\tCtrl+N"),
    ITEM(IDM_FILE_OPEN, "&Open...\tCtrl+O"),
    ITEM(IDM_FILE_OPEN_SFTP, "Open from &SFTP...\tCtrl+Shift+O"),
    ITEM(IDM_FILE_REFRESH_SFTP, "Refresh from SFT&P\tCtrl+Shift+R"),
    ITEM(IDM_FILE_REOPEN_CLOSED, kReopenClosedTabText),
    SEP,
    {kMenuRecentFiles, 0, "Recent &Files"},
    SEP,
    ITEM(IDM_FILE_SAVE, "&Save\tCtrl+S"),
    ITEM(IDM_FILE_SAVE_AS, "Save &As...\tCtrl+Alt+S"),
    ITEM(IDM_FILE_CLOSE_TAB, "&Close Tab\tCtrl+W"),
    ITEM(IDM_FILE_CLOSE_OTHERS, "Close &All BUT This"),
    SEP,
    POPUP("Open &Containing Folder"),
    ITEM(IDM_FILE_OPEN_FOLDER_EXPLORER, "&Explorer"),
    ITEM(IDM_FILE_OPEN_FOLDER_CMD, "Command Prompt (&cmd)"),
    END,
    SEP,
    ITEM(IDM_FILE_EXIT, "E&xit"),
};

const MenuEntry kEditMenu[] = {
    ITEM(IDM_EDIT_UNDO, "&Undo\tCtrl+Z"),
    ITEM(IDM_EDIT_REDO, "&Redo\tCtrl+Y"),
    SEP,
    ITEM(IDM_EDIT_CUT, "Cu&t\tCtrl+X"),
    ITEM(IDM_EDIT_COPY, "&Copy\tCtrl+C"),
    ITEM(IDM_EDIT_PASTE, "&Paste\tCtrl+V"),
    ITEM(IDM_EDIT_SELECT_ALL, "Select &All\tCtrl+A"),
    ITEM(IDM_EDIT_READ_ONLY, "&Read-Only Mode"),
    SEP,
    ITEM(IDM_TOOLS_HTML_BEAUTIFY, "HTML &Beautifier\tCtrl+Shift+H"),
    ITEM(IDM_TOOLS_JSON_LINT, "JSON &Lint\tCtrl+Shift+J"),
    ITEM(IDM_TOOLS_JSON_FORMAT, "JSON &Format\tCtrl+Alt+J"),
    ITEM(IDM_TOOLS_JSON_MINIFY, "JSON &Minify"),
    SEP,
    POPUP("Copy to &Clipboard"),
    COPY_PATH_ITEMS,
    END,
    POPUP("EOL &Conversion"),
    ITEM(IDM_EOL_CRLF, "Windows (CR LF)"),
    ITEM(IDM_EOL_LF, "Unix (LF)"),
    ITEM(IDM_EOL_CR, "Macintosh (CR)"),
    END,
};

const MenuEntry kSearchMenu[] = {
    ITEM(IDM_SEARCH_FIND, "&Find...\tCtrl+F"),
    ITEM(IDM_SEARCH_FIND_NEXT, "Find &Next\tF3"),
    ITEM(IDM_SEARCH_FIND_PREV, "Find &Previous\tShift+F3"),
    ITEM(IDM_SEARCH_REPLACE, "&Replace...\tCtrl+H"),
    SEP,
    ITEM(IDM_SEARCH_GOTO_LINE, "&Go to Line...\tCtrl+G"),
};

const MenuEntry kEncodingMenu[] = {
    ITEM(IDM_ENC_RELOAD_ANSI, "&Reload as ANSI"),
    ITEM(IDM_ENC_RELOAD_UTF8, "Reload as &UTF-8"),
    ITEM(IDM_ENC_RELOAD_UTF8_BOM, "Reload as UTF-8 &BOM"),
    ITEM(IDM_ENC_RELOAD_UTF16LE, "Reload as UTF-16 &LE BOM"),
    ITEM(IDM_ENC_RELOAD_UTF16BE, "Reload as UTF-16 &BE BOM"),
    SEP,
    ITEM(IDM_ENC_CONVERT_ANSI, "&Convert to ANSI"),
    ITEM(IDM_ENC_CONVERT_UTF8, "Convert to &UTF-8"),
    ITEM(IDM_ENC_CONVERT_UTF8_BOM, "Convert to UTF-8 &BOM"),
    ITEM(IDM_ENC_CONVERT_UTF16LE, "Convert to UTF-16 &LE BOM"),
    ITEM(IDM_ENC_CONVERT_UTF16BE, "Convert to UTF-16 &BE BOM"),
};

const MenuEntry kToolsMenu[] = {
    ITEM(IDM_TOOLS_HTML_BEAUTIFY, "HTML &Beautifier\tCtrl+Shift+H"),
    ITEM(IDM_TOOLS_JSON_LINT, "JSON &Lint\tCtrl+Shift+J"),
    ITEM(IDM_TOOLS_JSON_FORMAT, "JSON &Format\tCtrl+Alt+J"),
    ITEM(IDM_TOOLS_JSON_MINIFY, "JSON &Minify"),
    SEP,
    ITEM(IDM_TOOLS_FONT, "&Font...\tCtrl+Alt+F"),
    SEP,
    ITEM(IDM_TOOLS_VIM_MODE, "Toggle &Vim Mode\tF12"),
    ITEM(IDM_TOOLS_DIFF_MODE, "Toggle &Diff Mode\tF11"),
    ITEM(IDM_TOOLS_AUTOSAVE, "&Auto Save && Session Backup"),
    SEP,
    ITEM(IDM_TOOLS_REGISTER_TXT, "Register .txt &Association (Open With)"),
    SEP,
    ITEM(IDM_HELP_SHORTCUTS, "Keyboard &Shortcuts..."),
    ITEM(IDM_HELP_CHECK_UPDATES, "Check for &Updates..."),
    ITEM(IDM_HELP_ABOUT, "&About Zorvik..."),
};

const MenuEntry kHelpMenu[] = {
    ITEM(IDM_HELP_SHORTCUTS, "Keyboard &Shortcuts..."),
    SEP,
    ITEM(IDM_HELP_CHECK_UPDATES, "Check for &Updates..."),
    SEP,
    ITEM(IDM_HELP_ABOUT, "&About Zorvik..."),
};

const MenuEntry kTabContextMenu[] = {
    ITEM(IDM_FILE_CLOSE_TAB, "&Close\tCtrl+W"),
    ITEM(IDM_FILE_CLOSE_OTHERS, "Close &All BUT This"),
    ITEM(IDM_FILE_REOPEN_CLOSED, kReopenClosedTabText),
    SEP,
    ITEM(IDM_FILE_SAVE, "&Save\tCtrl+S"),
    ITEM(IDM_FILE_SAVE_AS, "Save &As...\tCtrl+Alt+S"),
    ITEM(IDM_FILE_REFRESH_SFTP, "Refresh from SFT&P\tCtrl+Shift+R"),
    SEP,
    ITEM(IDM_FILE_OPEN_FOLDER_EXPLORER, "Open &Containing Folder in Explorer"),
    ITEM(IDM_FILE_OPEN_FOLDER_CMD, "Open Containing Folder in &cmd"),
    SEP,
    POPUP("Copy to &Clipboard"),
    COPY_PATH_ITEMS,
    END,
    SEP,
    POPUP("&Move Tab"),
    ITEM(IDM_TAB_MOVE_LEFT, "Move &Left\tCtrl+Shift+Page Up"),
    ITEM(IDM_TAB_MOVE_RIGHT, "Move &Right\tCtrl+Shift+Page Down"),
    SEP,
    ITEM(IDM_TAB_MOVE_FIRST, "Move to &Start"),
    ITEM(IDM_TAB_MOVE_LAST, "Move to &End"),
    END,
};

const MenuEntry kTabBarMenu[] = {
    ITEM(IDM_FILE_NEW, "&New Tab\tCtrl+N"),
    ITEM(IDM_FILE_REOPEN_CLOSED, kReopenClosedTabText),
};

struct CommandRuleRow {
    int first, last;
    CommandRule rule;
};

const CommandRuleRow kCommandRules[] = {
#define COMMAND(first, last, handler, rule) {first, last, rule},
#include "app/command_table.inc"
#undef COMMAND
};

const MenuTable kMainMenus[] = {
    TABLE("&File", kFileMenu),         TABLE("&Edit", kEditMenu),
    TABLE("&Search", kSearchMenu),     TABLE("&Encoding", kEncodingMenu),
    TABLE("&Tools", kToolsMenu),       TABLE("&Help", kHelpMenu),
};

} // namespace

const MenuTable* MainMenuTables(int* count)
{
    *count = (int)(sizeof(kMainMenus) / sizeof(kMainMenus[0]));
    return kMainMenus;
}

MenuTable TabContextMenuTable()
{
    return TABLE(nullptr, kTabContextMenu);
}

MenuTable TabBarMenuTable()
{
    return TABLE(nullptr, kTabBarMenu);
}

namespace {

bool RuleAllows(CommandRule rule, const CommandState& state)
{
    switch (rule) {
    case kAlwaysEnabled:
        return true;
    case kNeedsPath:
        return state.hasPath;
    case kNeedsOtherTabs:
        return state.tabCount >= 2;
    case kNeedsClosedTab:
        return state.closedTabs;
    case kNeedsSftpUrl:
        return state.hasSftpUrl;
    case kNeedsTabBefore:
        return state.tab != 0;
    case kNeedsTabAfter:
        return state.tab != state.tabCount - 1;
    }
    return true;
}

} // namespace

bool CommandEnabled(int id, const CommandState& state)
{
    for (const CommandRuleRow& row : kCommandRules)
        if (id >= row.first && id <= row.last)
            return RuleAllows(row.rule, state);
    return true;
}

const int* GreyableCommands(int* count)
{
    static const std::vector<int> ids = [] {
        std::vector<int> greyable;
        for (const CommandRuleRow& row : kCommandRules)
            for (int id = row.first; row.rule != kAlwaysEnabled && id <= row.last; ++id)
                greyable.push_back(id);
        return greyable;
    }();
    *count = (int)ids.size();
    return ids.data();
}
