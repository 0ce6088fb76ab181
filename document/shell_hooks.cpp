#include "document/shell_hooks.h"

namespace {

void NoText(const char*) {}
void NoUpdate() {}
void NoTabUpdate(int) {}
bool NothingMissing(HWND)
{
    return true;
}
void NoLayout(HWND) {}
bool NoHold(HWND)
{
    return false;
}
void NoRelease(HWND, int, int) {}

} // namespace

ShellHooks gShellHooks = {NoText,         NoUpdate, NoUpdate, NoTabUpdate, NoUpdate, NothingMissing,
                          NoLayout,       NoUpdate, {NoHold, NoRelease, NoUpdate}};
