#include "editor/editor_hooks.h"

namespace {

void NoLayout(HWND) {}
void NoFontChange() {}
void NoShortcut(HWND, const ShortcutAction&) {}
void NoModalMode(HWND) {}
bool NoModalKey(HWND, int, WNDPROC)
{
    return false;
}
bool NoModalCharacter(HWND, int)
{
    return false;
}
bool NoModalCharacters()
{
    return false;
}

} // namespace

EditorHooks gEditorHooks = {NoLayout, NoFontChange, NoShortcut, NoModalMode, NoModalKey, NoModalCharacter, NoModalCharacters};
