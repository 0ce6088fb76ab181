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
bool NoStatusBar(std::string*)
{
    return false;
}

} // namespace

ShellHooks gShellHooks = {NoText,   NoUpdate, NoUpdate,    NoTabUpdate,
                          NoUpdate, NothingMissing, NoLayout, NoUpdate,
                          NoStatusBar, {NoHold, NoRelease, NoUpdate}};
