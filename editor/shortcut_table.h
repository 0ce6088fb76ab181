#pragma once
// The keyboard shortcut tables of the message loop, the main window and the tab bar,
// as data. Keys are matched against virtual-key codes with the modifier state read at
// the time of the WM_KEYDOWN. Pure: no windows.h.

enum {
    kVkTab = 0x09,
    kVkPageUp = 0x21, // VK_PRIOR
    kVkPageDown = 0x22, // VK_NEXT
    kVkF3 = 0x72,
    kVkF5 = 0x74,
    kVkF11 = 0x7A,
    kVkF12 = 0x7B,
};

enum ShortcutKind {
    kKeyNotFound,          // not in the table: the key goes on as usual
    kKeySend,              // WM_COMMAND(command) to the main window, synchronously
    kKeyConsume,           // taken, nothing happens
    kKeyUndo,
    kKeyRedo,
    kKeyReopenClosedTab,
    kKeyFindNext,          // find again, or open the Find window when there is no text
    kKeyFindPrevious,
    kKeyCycleForward,
    kKeyCycleBackward,
    kKeySelectAll,
    kKeyShowFind,
    kKeyShowReplace,
    kKeyShowGoToLine,
    kKeyFindNextOrOpen,    // FindNextOrOpenFindWindow, forward
    kKeyFindPreviousOrOpen,
    kKeyCopy,              // the editor's Copy, Cut and Paste
    kKeyCut,
    kKeyPaste,
    kKeyPost,              // WM_COMMAND(command) posted to the main window
};

// A modifier's required state in a row.
enum ModifierRule : signed char { kUp, kDown, kAnyState };

struct ShortcutRow {
    int vk;
    ModifierRule ctrl, alt, shift;
    ShortcutKind kind;
    int command;
};

struct ShortcutAction {
    ShortcutKind kind;
    int command;
};

struct ShortcutTable {
    const ShortcutRow* rows;
    int count;
};

ShortcutTable MessageLoopShortcuts();
ShortcutTable MainWindowShortcuts();
ShortcutTable TabBarShortcuts();
// The editor's Ctrl shortcuts, for the keys that reach it.
ShortcutTable EditorShortcuts();

// The first row that matches the key and the modifier state, or kKeyNotFound.
ShortcutAction LookupShortcut(const ShortcutTable& table, int vk, bool ctrl, bool alt, bool shift);
