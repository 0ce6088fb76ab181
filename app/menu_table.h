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

// Ids that the menu state greys or checks for the active document.
bool IsPathDependentCommand(int id); // 1008, 1009, 7001, 7003
