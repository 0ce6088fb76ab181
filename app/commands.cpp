#include "app/commands.h"

#include "app/about.h"
#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/save_as.h"
#include "app/settings.h"
#include "app/shell_integration.h"
#include "app/single_instance.h"
#include "app/tab_strip.h"
#include "app/tabs.h"
#include "app/updater.h"
#include "document/closed_tabs.h"
#include "document/document.h"
#include "document/encoding_choices.h"
#include "document/save.h"
#include "document/session.h"
#include "document/undo.h"
#include "document/undo_core.h"
#include "editor/clipboard.h"
#include "editor/fonts.h"
#include "search/find.h"
#include "sftp/sftp_window.h"
#include "tools/text_tools.h"
#include "vim/vim.h"

namespace {

typedef void (*CommandHandler)(HWND mainWnd, int id, LPARAM lParam);

struct CommandRow {
    int first, last; // the ids this row handles
    CommandHandler handler;
};

// clang-format off
void DoNew(HWND w, int, LPARAM) { NewTab(w); }
void DoOpen(HWND w, int, LPARAM) { ChooseAndOpenFile(w); }
void DoSave(HWND w, int, LPARAM) { SaveFile(w); }
void DoSaveAs(HWND w, int, LPARAM) { SaveFileAs(w); }
void DoCloseTab(HWND w, int, LPARAM) { CloseActiveTab(w); }
void DoExit(HWND w, int, LPARAM) { PostMessageA(w, WM_CLOSE, 0, 0); }
void DoCloseOthers(HWND w, int, LPARAM) { CloseOtherTabs(w); }
void DoFolderExplorer(HWND w, int, LPARAM) { OpenContainingFolder(w, -1, kFolderExplorer); }
void DoFolderCmd(HWND w, int, LPARAM) { OpenContainingFolder(w, -1, kFolderCommandPrompt); }
void DoGoToLine(HWND, int, LPARAM) { ShowGoToLineWindow(gEditorWnd); }
void DoFind(HWND w, int, LPARAM) { ShowFindWindow(w, false); }
void DoFindNext(HWND w, int, LPARAM) { FindNextOrOpenFindWindow(w, true); }
void DoFindPrev(HWND w, int, LPARAM) { FindNextOrOpenFindWindow(w, false); }
void DoReplace(HWND w, int, LPARAM) { ShowFindWindow(w, true); }
void DoMoveTab(HWND w, int id, LPARAM) { MoveActiveTabCommand(w, id); }
void DoReopenClosed(HWND w, int, LPARAM) { ReopenClosedTab(w); }
void DoOpenSftp(HWND w, int, LPARAM) { ShowSftpDialog(w); }
void DoRefreshSftp(HWND w, int, LPARAM) { RefreshFromSftp(w); }

// The menu ids run parallel to the tables they index.
static_assert(IDM_ENC_CONVERT_UTF16BE - IDM_ENC_CONVERT_ANSI + 1 == kEncodingChoiceCount, "Convert to ids");
static_assert(IDM_ENC_RELOAD_UTF16BE - IDM_ENC_RELOAD_ANSI + 1 == kEncodingChoiceCount, "Reload as ids");
static_assert(IDM_EOL_LF - IDM_EOL_CRLF == Lf && IDM_EOL_CR - IDM_EOL_CRLF == Cr, "line-end ids");

void DoConvert(HWND w, int id, LPARAM)
{
    const EncodingChoice& choice = kEncodingChoices[id - IDM_ENC_CONVERT_ANSI];
    ConvertEncoding(w, choice.encoding, choice.bom);
}

void DoReload(HWND w, int id, LPARAM)
{
    const EncodingChoice& choice = kEncodingChoices[id - IDM_ENC_RELOAD_ANSI];
    ReloadWithEncoding(w, choice.encoding, choice.bom);
}

void DoVim(HWND w, int, LPARAM) { ToggleVimMode(w); }
void DoDiff(HWND w, int, LPARAM) { ToggleDiffMode(w); }
void DoAutoSave(HWND w, int, LPARAM) { ToggleAutoSave(w); }
void DoRegisterTxt(HWND, int, LPARAM) { RegisterTextFileAssociation(true); }
void DoFont(HWND w, int, LPARAM) { ChooseEditorFont(w); }
void DoHtml(HWND w, int, LPARAM) { RunHtmlBeautifier(w); }
void DoJsonLint(HWND w, int, LPARAM) { RunJsonTool(w, JsonToolMode::Validate); }
void DoJsonFormat(HWND w, int, LPARAM) { RunJsonTool(w, JsonToolMode::Format); }
void DoJsonMinify(HWND w, int, LPARAM) { RunJsonTool(w, JsonToolMode::Minify); }
void DoRecent(HWND w, int id, LPARAM) { OpenRecentFile(w, id - IDM_RECENT_FILE_FIRST); }
void DoRecentClear(HWND w, int, LPARAM) { ClearRecentFilesCommand(w); }
void DoCopyFullPath(HWND w, int, LPARAM) { CopyPathToClipboard(w, -1, kCopyFullPath); }
void DoCopyFileName(HWND w, int, LPARAM) { CopyPathToClipboard(w, -1, kCopyFileName); }
void DoCopyDirPath(HWND w, int, LPARAM) { CopyPathToClipboard(w, -1, kCopyFolder); }
void DoUndo(HWND, int, LPARAM) { Undo(gEditorWnd); }
void DoCut(HWND, int, LPARAM) { EditCut(gEditorWnd); }
void DoCopy(HWND, int, LPARAM) { EditCopy(gEditorWnd); }
void DoPaste(HWND, int, LPARAM) { EditPaste(gEditorWnd); }
void DoSelectAll(HWND, int, LPARAM) { SendMessageA(gEditorWnd, EM_SETSEL, 0, -1); }
void DoRedo(HWND, int, LPARAM) { Redo(gEditorWnd); }
void DoReadOnly(HWND w, int, LPARAM) { ToggleReadOnly(w); }
void DoEol(HWND w, int id, LPARAM) { SetLineEnds(w, (EolMode)(id - IDM_EOL_CRLF)); }
void DoCheckUpdates(HWND w, int, LPARAM) { ShowUpdateWindow(w, false); }
void DoAbout(HWND w, int, LPARAM) { ShowAboutWindow(w); }
void DoShortcuts(HWND w, int, LPARAM) { ShowShortcutsWindow(w); }
void DoHandOver(HWND w, int, LPARAM lParam) { ReceivePendingOpenFiles(w, lParam); }
// clang-format on

const CommandRow kCommands[] = {
#define COMMAND(first, last, handler, rule) {first, last, handler},
#include "app/command_table.inc"
#undef COMMAND
};

void CheckMainMenuItem(HWND mainWnd, int id, bool checked)
{
    HMENU menu = GetMenu(mainWnd);
    if (menu)
        CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

} // namespace

void DispatchCommand(HWND mainWnd, int id, LPARAM lParam)
{
    for (const CommandRow& row : kCommands) {
        if (id >= row.first && id <= row.last) {
            row.handler(mainWnd, id, lParam);
            return;
        }
    }
}

void ToggleDiffMode(HWND mainWnd)
{
    gDiffMode = !gDiffMode;
    CheckMainMenuItem(mainWnd, IDM_TOOLS_DIFF_MODE, gDiffMode);
    if (gEditorWnd)
        InvalidateRect(gEditorWnd, nullptr, FALSE);
    if (gGutterWnd)
        InvalidateRect(gGutterWnd, nullptr, FALSE);
    UpdateStatusBar();
}

void ToggleAutoSave(HWND mainWnd)
{
    gAutoSave = !gAutoSave;
    CheckMainMenuItem(mainWnd, IDM_TOOLS_AUTOSAVE, gAutoSave);
    if (gAutoSave && gTabsWnd)
        SaveSessionNow(mainWnd);
    UpdateStatusBar();
}

void ToggleReadOnly(HWND)
{
    TabDocument* doc = GetActiveDocument();
    if (!doc)
        return;
    doc->readOnly = !doc->readOnly;
    SendMessageA(gEditorWnd, EM_SETREADONLY, doc->readOnly, 0);
    UpdateStatusBar();
}

void SetLineEnds(HWND, EolMode eol)
{
    TabDocument* doc = GetActiveDocument();
    if (!doc || doc->eol == eol)
        return;
    doc->eol = eol;
    doc->modified = true;
    // The change is in no undo step, so no undo or redo may bring the flag back to clear.
    if (doc->history)
        doc->history->savedIndex = kUndoSavePointLost;
    SendMessageA(gEditorWnd, EM_SETMODIFY, TRUE, 0);
    UpdateTabIcon(GetSelectedTabIndex());
    UpdateStatusBar();
}

void ConvertEncoding(HWND, EncodingId encoding, bool bom)
{
    TabDocument* doc = GetActiveDocument();
    if (!doc)
        return;
    doc->encoding = encoding;
    doc->bom = bom;
    UpdateStatusBar();
}
