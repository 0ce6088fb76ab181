#include "app/status_bar.h"

#include "app/main_window.h"
#include "app/settings.h"
#include "app/status_text.h"
#include "document/document.h"
#include "vim/vim.h"

#include <commctrl.h>

void SetStatusText(const char* text)
{
    if (!gStatusWnd)
        return;
    // The status bar repaints itself at once on a new text (about 9 ms under Wine), which
    // would land in every Undo and Redo; with redrawing off it waits for the next paint.
    SendMessageA(gStatusWnd, WM_SETREDRAW, FALSE, 0);
    SendMessageA(gStatusWnd, SB_SETTEXTA, 0, (LPARAM)text);
    SendMessageA(gStatusWnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(gStatusWnd, nullptr, TRUE);
}

void UpdateStatusBar()
{
    if (!gTabsWnd || !gStatusWnd || GetSelectedTabIndex() < 0)
        return;
    TabDocument* doc = GetActiveDocument();
    if (doc) {
        StatusInfo info = {};
        info.encoding = doc->encoding;
        info.bom = doc->bom;
        info.eol = doc->eol;
        info.hasEditor = gEditorWnd != nullptr;
        if (gEditorWnd) {
            info.bytes = GetWindowTextLengthA(gEditorWnd);
            info.lines = (int)SendMessageA(gEditorWnd, EM_GETLINECOUNT, 0, 0);
        }
        info.diffMode = gDiffMode;
        info.autoSave = gAutoSave;
        info.readOnly = doc->readOnly;
        std::string reason = TextLossStatus(doc->textLoss);
        info.lossReason = reason.c_str();
        info.sftpUrl = doc->sftpUrl;
        SetStatusText(FormatStatusText(info).c_str());
    }
    VimUpdateStatus();
}
