#pragma once
// The Vim mode's keys, operators and command line, working through a table of editor
// operations: the program fills it with the EDIT control's messages, tests with a string.
// Pure: no windows.h.

#include "editor/visual_columns.h" // LeadByteTest

#include <string>

enum VimMode { kVimNormal, kVimInsert, kVimVisual, kVimVisualLine, kVimCommand, kVimSearch };

// Editor-wide state (not per tab); it survives tab switches.
extern bool gVimEnabled;
extern VimMode gVimMode;
extern char gVimPendingOperator;    // d, c, y, g; e and f: c and y followed by g; h: d followed by g
extern char gVimPendingCharCommand; // f, F, t, T, r waiting for a character; i waiting for w
extern int gVimCount;
extern bool gVimSwallowChar;        // the character of the key just handled is dropped
extern char gVimCommandLine[128];   // what was typed after ":" or "/", NUL-terminated
extern int gVimCommandLength;
extern int gVimVisualAnchor;
extern int gVimVisualCursor;

// Virtual-key codes the mode reads (the positions of a US layout for the symbols).
enum VimKeyCode {
    kVimKeySpace = 0x20,
    kVimKeyEscape = 0x1B,
    kVimKeyLeft = 0x25,
    kVimKeyUp = 0x26,
    kVimKeyRight = 0x27,
    kVimKeyDown = 0x28,
    kVimKeySemicolon = 0xBA, // VK_OEM_1: ":" with Shift
    kVimKeySlash = 0xBF,     // VK_OEM_2
    kVimKeyBackquote = 0xC0, // VK_OEM_3: "~" with Shift
    // The modifiers, whose own key-downs come before the keys they modify.
    kVimKeyShift = 0x10,
    kVimKeyControl = 0x11,
    kVimKeyAlt = 0x12,
    kVimKeyCapsLock = 0x14,
    kVimKeyLeftWindows = 0x5B,
    kVimKeyRightWindows = 0x5C,
    kVimKeyLeftShift = 0xA0,
    kVimKeyRightShift = 0xA1,
    kVimKeyLeftControl = 0xA2,
    kVimKeyRightControl = 0xA3,
    kVimKeyLeftAlt = 0xA4,
    kVimKeyRightAlt = 0xA5,
};

enum VimWindowCommand { kVimSave, kVimClose };

// What the mode may do to the editor. Positions are byte offsets into the whole text.
struct VimEditor {
    void* context;
    void (*readText)(void* context, std::string* text);
    void (*getSelection)(void* context, int* start, int* end);
    // EM_SETSEL: the caret goes to `caret`.
    void (*setSelection)(void* context, int anchor, int caret);
    void (*scrollCaret)(void* context);
    // Replaces the selection, recorded like typing.
    void (*replaceSelection)(void* context, const std::string& text);
    // Replaces the whole text as one undo step.
    void (*replaceAll)(void* context, const std::string& text);
    // An arrow key to the control's own procedure.
    void (*sendKey)(void* context, int virtualKey);
    bool (*copySelection)(void* context);
    // Puts a text of the mode's own on the clipboard.
    bool (*copyText)(void* context, const std::string& text);
    // True when the clipboard holds text that ends with a line feed.
    bool (*clipboardIsLinewise)(void* context);
    // Pastes the clipboard `count` times at the selection.
    void (*paste)(void* context, int count);
    bool (*undo)(void* context);
    bool (*redo)(void* context);
    // Posted to the main window: the command runs after the key.
    void (*windowCommand)(void* context, VimWindowCommand command);
    bool (*isReadOnly)(void* context);
    void (*beep)(void* context);
    // The selection as the user sees it before a command, for the undo step.
    void (*rememberSelection)(void* context);
    void (*statusChanged)(void* context);
    LeadByteTest isLeadByte;
};

struct VimModifiers {
    bool shift;
    bool ctrl;
};

// Counts stop growing here, so no count overflows.
const int kVimMaxCount = 999999999;

// True for the key-down of a modifier alone (Shift, Ctrl, Alt, Caps Lock, the Windows
// keys, each side), which a keyboard sends before the key it modifies.
bool VimIsModifierKey(int virtualKey);
// A key-down while Vim mode is on; true when the mode consumed it. A modifier's own
// key-down changes nothing and is not consumed.
bool VimKeyDown(const VimEditor& editor, int virtualKey, VimModifiers modifiers);
// A typed character; true when the mode consumed it.
bool VimChar(const VimEditor& editor, int character);
// Vim off, NORMAL, nothing pending; the command line and the visual positions stay.
void VimReset();
// VimReset, and the command line and the visual positions cleared too.
void ResetVimState();

// The cursor: the moving end in the visual modes, else the end of the selection.
int VimGetCursor(const VimEditor& editor);
// Moves the cursor; in the visual modes the selection follows from the anchor.
void VimMoveCursor(const VimEditor& editor, int position);

// " | VIM: " and the mode (with count, pending operator or the typed line), or "" while
// the mode is off.
std::string VimStatusSuffix();
// The status text with an old suffix cut off and the current one appended.
std::string VimStatusText(const std::string& statusText);

// :%s/old/new/flags on a text: every line (ending at LF) that is not empty gets its first
// occurrence of old, or with a "g" in the flags every occurrence, replaced by new; plain
// bytes, case-sensitive, never inside a double-byte character. False when the arguments
// make no substitution (no "/" after old, or old empty).
bool VimSubstitute(const std::string& text, const std::string& arguments, LeadByteTest isLeadByte,
                   std::string* result);
