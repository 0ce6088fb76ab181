#include "editor/shortcut_table.h"

#include "app/command_ids.h"

namespace {

const ModifierRule U = kUp, D = kDown, A = kAnyState;

// Alt without Ctrl is never looked up here, and with Ctrl and Alt down only S, F and J are.
const ShortcutRow kLoopRows[] = {
    {'N', D, U, A, kKeySend, IDM_FILE_NEW},
    {'O', D, U, U, kKeySend, IDM_FILE_OPEN},
    {'O', D, U, D, kKeySend, IDM_FILE_OPEN_SFTP},
    {'S', D, U, A, kKeySend, IDM_FILE_SAVE},
    {'S', D, D, A, kKeySend, IDM_FILE_SAVE_AS},
    {'W', D, U, A, kKeySend, IDM_FILE_CLOSE_TAB},
    {'F', D, U, A, kKeySend, IDM_SEARCH_FIND},
    {'F', D, D, A, kKeySend, IDM_TOOLS_FONT},
    {'H', D, U, U, kKeySend, IDM_SEARCH_REPLACE},
    {'H', D, U, D, kKeySend, IDM_TOOLS_HTML_BEAUTIFY},
    {'G', D, U, A, kKeySend, IDM_SEARCH_GOTO_LINE},
    {'J', D, U, D, kKeySend, IDM_TOOLS_JSON_LINT},
    {'J', D, D, A, kKeySend, IDM_TOOLS_JSON_FORMAT},
    {'R', D, U, D, kKeySend, IDM_FILE_REFRESH_SFTP},
    {'T', D, U, D, kKeyReopenClosedTab, 0},
    {'Z', D, U, U, kKeyUndo, 0},
    {'Z', D, U, D, kKeyRedo, 0},
    {'Y', D, U, A, kKeyRedo, 0},
    {'A', D, U, A, kKeySelectAll, 0},
    {kVkTab, D, U, U, kKeyCycleForward, 0},
    {kVkTab, D, U, D, kKeyCycleBackward, 0},
    {kVkPageUp, D, U, D, kKeySend, IDM_TAB_MOVE_LEFT},
    {kVkPageDown, D, U, D, kKeySend, IDM_TAB_MOVE_RIGHT},
    {kVkPageUp, D, U, U, kKeyConsume, 0},
    {kVkPageDown, D, U, U, kKeyConsume, 0},
    {kVkF3, U, U, U, kKeyFindNext, 0},
    {kVkF3, U, U, D, kKeyFindPrevious, 0},
    {kVkF11, U, U, A, kKeySend, IDM_TOOLS_DIFF_MODE},
    {kVkF12, U, U, A, kKeySend, IDM_TOOLS_VIM_MODE},
};

// The main window sees keys that reach it through other message loops (menus, message
// boxes); F3, F11 and F12 work whatever the modifiers, the rest only with Ctrl.
const ShortcutRow kMainWindowRows[] = {
    {kVkF3, A, A, U, kKeyFindNextOrOpen, 0},
    {kVkF3, A, A, D, kKeyFindPreviousOrOpen, 0},
    {kVkF11, A, A, A, kKeySend, IDM_TOOLS_DIFF_MODE},
    {kVkF12, A, A, A, kKeySend, IDM_TOOLS_VIM_MODE},
    {'F', D, A, A, kKeyShowFind, 0},
    {'H', D, A, U, kKeyShowReplace, 0},
    {'H', D, A, D, kKeySend, IDM_TOOLS_HTML_BEAUTIFY},
    {'J', D, U, D, kKeySend, IDM_TOOLS_JSON_LINT},
    {'J', D, D, U, kKeySend, IDM_TOOLS_JSON_FORMAT},
    {kVkTab, D, A, U, kKeyCycleForward, 0},
    {kVkTab, D, A, D, kKeyCycleBackward, 0},
    {kVkPageUp, D, A, D, kKeySend, IDM_TAB_MOVE_LEFT},
    {kVkPageDown, D, A, D, kKeySend, IDM_TAB_MOVE_RIGHT},
    {'N', D, A, A, kKeySend, IDM_FILE_NEW},
    {'G', D, A, A, kKeyShowGoToLine, 0},
    {'W', D, A, A, kKeySend, IDM_FILE_CLOSE_TAB},
    {'S', D, U, A, kKeySend, IDM_FILE_SAVE},
    {'S', D, D, A, kKeySend, IDM_FILE_SAVE_AS},
    {'O', D, A, A, kKeySend, IDM_FILE_OPEN},
};

const ShortcutRow kTabBarRows[] = {
    {'N', D, U, A, kKeySend, IDM_FILE_NEW},
    {'O', D, U, A, kKeySend, IDM_FILE_OPEN},
    {'S', D, U, A, kKeySend, IDM_FILE_SAVE},
    {'W', D, U, A, kKeySend, IDM_FILE_CLOSE_TAB},
    {'F', D, U, A, kKeySend, IDM_SEARCH_FIND},
    {'H', D, U, A, kKeySend, IDM_SEARCH_REPLACE},
    {'G', D, U, A, kKeySend, IDM_SEARCH_GOTO_LINE},
    {kVkTab, D, U, U, kKeyCycleForward, 0},
    {kVkTab, D, U, D, kKeyCycleBackward, 0},
    {kVkPageUp, D, U, D, kKeySend, IDM_TAB_MOVE_LEFT},
    {kVkPageDown, D, U, D, kKeySend, IDM_TAB_MOVE_RIGHT},
    {kVkPageUp, D, U, U, kKeyConsume, 0},
    {kVkPageDown, D, U, U, kKeyConsume, 0},
    {'S', D, D, A, kKeySend, IDM_FILE_SAVE_AS},
    {kVkF3, U, U, U, kKeyFindNext, 0},
    {kVkF3, U, U, D, kKeyFindPrevious, 0},
    {kVkF11, U, U, A, kKeySend, IDM_TOOLS_DIFF_MODE},
    {kVkF12, U, U, A, kKeySend, IDM_TOOLS_VIM_MODE},
};

// Keys reach the editor past the message loop when the gutter forwards them or another
// loop runs; Ctrl+C, Ctrl+V and Ctrl+X always do. Ctrl with Alt up, except Ctrl+Alt+J.
const ShortcutRow kEditorRows[] = {
    {'Z', D, U, U, kKeyUndo, 0},
    {'Z', D, U, D, kKeyRedo, 0},
    {'Y', D, U, A, kKeyRedo, 0},
    {'T', D, U, D, kKeyReopenClosedTab, 0},
    {'A', D, U, A, kKeySelectAll, 0},
    {'C', D, U, A, kKeyCopy, 0},
    {'F', D, U, A, kKeyShowFind, 0},
    {'G', D, U, A, kKeyShowGoToLine, 0},
    {'H', D, U, U, kKeyShowReplace, 0},
    {'H', D, U, D, kKeySend, IDM_TOOLS_HTML_BEAUTIFY},
    {'J', D, U, D, kKeySend, IDM_TOOLS_JSON_LINT},
    {'N', D, U, A, kKeySend, IDM_FILE_NEW},
    {'O', D, U, A, kKeySend, IDM_FILE_OPEN},
    {'S', D, U, A, kKeySend, IDM_FILE_SAVE},
    {'V', D, U, A, kKeyPaste, 0},
    {'W', D, U, A, kKeySend, IDM_FILE_CLOSE_TAB},
    {'X', D, U, A, kKeyCut, 0},
    {kVkPageUp, D, U, D, kKeyPost, IDM_TAB_MOVE_LEFT},
    {kVkPageDown, D, U, D, kKeyPost, IDM_TAB_MOVE_RIGHT},
    {'J', D, D, A, kKeySend, IDM_TOOLS_JSON_FORMAT},
};

bool Matches(ModifierRule rule, bool down)
{
    return rule == kAnyState || (rule == kDown) == down;
}

template <int N>
ShortcutTable TableOf(const ShortcutRow (&rows)[N])
{
    return ShortcutTable{rows, N};
}

} // namespace

ShortcutTable MessageLoopShortcuts() { return TableOf(kLoopRows); }
ShortcutTable MainWindowShortcuts() { return TableOf(kMainWindowRows); }
ShortcutTable TabBarShortcuts() { return TableOf(kTabBarRows); }
ShortcutTable EditorShortcuts() { return TableOf(kEditorRows); }

ShortcutAction LookupShortcut(const ShortcutTable& table, int vk, bool ctrl, bool alt, bool shift)
{
    for (int i = 0; i < table.count; ++i) {
        const ShortcutRow& row = table.rows[i];
        if (row.vk == vk && Matches(row.ctrl, ctrl) && Matches(row.alt, alt) &&
            Matches(row.shift, shift))
            return ShortcutAction{row.kind, row.command};
    }
    return ShortcutAction{kKeyNotFound, 0};
}
