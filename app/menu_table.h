#pragma once
// The menus as data: the Win32 builder walks these arrays, and tests compare the built
// menus against them. Pure: no windows.h.

enum MenuEntryKind {
    kMenuItem,       // a command item: id and text
    kMenuSeparator,
    kMenuPopup,      // opens a submenu with this text; entries until the matching kMenuEnd
    kMenuEnd,
    kMenuRecentFiles // the "Recent &Files" submenu, filled from the recent-files list
};

struct MenuEntry {
    MenuEntryKind kind;
    int id;
    const char* text;
};

struct MenuTable {
    const char* caption; // the menu bar's text for it
    const MenuEntry* entries;
    int count;
};

// In menu-bar order: File, Edit, Search, Encoding, Tools, Help.
const MenuTable* MainMenuTables(int* count);
// The context menu of a tab, and the one of the tab bar's empty part.
MenuTable TabContextMenuTable();
MenuTable TabBarMenuTable();

// What the greying of the commands depends on.
struct CommandState {
    int tab;          // the tab the menu is for: the clicked one, or the active one
    int tabCount;
    bool hasPath;     // its document has a file
    bool hasSftpUrl;  // its document came over SFTP
    bool closedTabs;  // a closed tab can be reopened
};

// When a command can act; each row of the command table (app/command_table.inc) names one.
enum CommandRule {
    kAlwaysEnabled,
    kNeedsPath,      // its document has a file
    kNeedsOtherTabs, // there is another tab
    kNeedsClosedTab, // a closed tab can be reopened
    kNeedsSftpUrl,   // its document came over SFTP
    kNeedsTabBefore, // the tab is not the first
    kNeedsTabAfter,  // the tab is not the last
};

// The one greying rule of the menu bar and the context menus, by the command table's
// rules: false for a command that cannot act in that state.
bool CommandEnabled(int id, const CommandState& state);
// The commands CommandEnabled can grey, for the menu bar to refresh when a menu opens.
const int* GreyableCommands(int* count);
