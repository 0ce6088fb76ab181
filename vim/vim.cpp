#include "vim/vim.h"

#include "app/main_window.h"

#include <commctrl.h>
#include <string>

bool gVimEnabled = false;
VimMode gVimMode = kVimNormal;
int gVimVisualAnchor = -1;
int gVimVisualCursor = -1;

static const char* VimModeName(VimMode mode)
{
    switch (mode) {
    case kVimInsert: return "INSERT";
    case kVimVisual: return "VISUAL";
    case kVimVisualLine: return "VISUAL LINE";
    case kVimCommand: return "COMMAND";
    case kVimSearch: return "SEARCH";
    default: return "NORMAL";
    }
}

void VimUpdateStatus()
{
    if (!gStatusWnd)
        return;
    char buffer[1024] = "";
    SendMessageA(gStatusWnd, SB_GETTEXTA, 0, (LPARAM)buffer);
    std::string text = buffer;
    size_t vim = text.find(" | VIM:");
    if (vim != std::string::npos)
        text.erase(vim);
    if (gVimEnabled) {
        text += " | VIM: ";
        text += VimModeName(gVimMode);
    }
    SetStatusText(text.c_str());
}
