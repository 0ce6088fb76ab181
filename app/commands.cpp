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
void DoEol(HWND w, int id, LPARAM) { SetLineEnds(w, id - IDM_EOL_CRLF); }
void DoCheckUpdates(HWND w, int, LPARAM) { ShowUpdateWindow(w, false); }
void DoAbout(HWND w, int, LPARAM) { ShowAboutWindow(w); }
void DoShortcuts(HWND w, int, LPARAM) { ShowShortcutsWindow(w); }
void DoHandOver(HWND w, int, LPARAM lParam) { ReceivePendingOpenFiles(w, lParam); }
// clang-format on

const CommandRow kCommands[] = {
    {IDM_FILE_NEW, IDM_FILE_NEW, DoNew},
    {IDM_FILE_OPEN, IDM_FILE_OPEN, DoOpen},
    {IDM_FILE_SAVE, IDM_FILE_SAVE, DoSave},
    {IDM_FILE_SAVE_AS, IDM_FILE_SAVE_AS, DoSaveAs},
    {IDM_FILE_CLOSE_TAB, IDM_FILE_CLOSE_TAB, DoCloseTab},
    {IDM_FILE_EXIT, IDM_FILE_EXIT, DoExit},
    {IDM_FILE_CLOSE_OTHERS, IDM_FILE_CLOSE_OTHERS, DoCloseOthers},
    {IDM_FILE_OPEN_FOLDER_EXPLORER, IDM_FILE_OPEN_FOLDER_EXPLORER, DoFolderExplorer},
    {IDM_FILE_OPEN_FOLDER_CMD, IDM_FILE_OPEN_FOLDER_CMD, DoFolderCmd},
    {IDM_SEARCH_GOTO_LINE, IDM_SEARCH_GOTO_LINE, DoGoToLine},
    {IDM_SEARCH_FIND, IDM_SEARCH_FIND, DoFind},
    {IDM_SEARCH_FIND_NEXT, IDM_SEARCH_FIND_NEXT, DoFindNext},
    {IDM_SEARCH_FIND_PREV, IDM_SEARCH_FIND_PREV, DoFindPrev},
    {IDM_SEARCH_REPLACE, IDM_SEARCH_REPLACE, DoReplace},
    {IDM_TAB_MOVE_LEFT, IDM_TAB_MOVE_LAST, DoMoveTab},
    {IDM_FILE_REOPEN_CLOSED, IDM_FILE_REOPEN_CLOSED, DoReopenClosed},
    {IDM_FILE_OPEN_SFTP, IDM_FILE_OPEN_SFTP, DoOpenSftp},
    {IDM_FILE_REFRESH_SFTP, IDM_FILE_REFRESH_SFTP, DoRefreshSftp},
    {IDM_ENC_CONVERT_ANSI, IDM_ENC_CONVERT_UTF16BE, DoConvert},
    {IDM_ENC_RELOAD_ANSI, IDM_ENC_RELOAD_UTF16BE, DoReload},
    {IDM_TOOLS_VIM_MODE, IDM_TOOLS_VIM_MODE, DoVim},
    {IDM_TOOLS_DIFF_MODE, IDM_TOOLS_DIFF_MODE, DoDiff},
    {IDM_TOOLS_AUTOSAVE, IDM_TOOLS_AUTOSAVE, DoAutoSave},
    {IDM_TOOLS_REGISTER_TXT, IDM_TOOLS_REGISTER_TXT, DoRegisterTxt},
    {IDM_TOOLS_FONT, IDM_TOOLS_FONT, DoFont},
    {IDM_TOOLS_HTML_BEAUTIFY, IDM_TOOLS_HTML_BEAUTIFY, DoHtml},
    {IDM_TOOLS_JSON_LINT, IDM_TOOLS_JSON_LINT, DoJsonLint},
    {IDM_TOOLS_JSON_FORMAT, IDM_TOOLS_JSON_FORMAT, DoJsonFormat},
    {IDM_TOOLS_JSON_MINIFY, IDM_TOOLS_JSON_MINIFY, DoJsonMinify},
    {IDM_RECENT_FILE_FIRST, IDM_RECENT_FILE_LAST, DoRecent},
    {IDM_RECENT_CLEAR, IDM_RECENT_CLEAR, DoRecentClear},
    {IDM_EDIT_COPY_FULL_PATH, IDM_EDIT_COPY_FULL_PATH, DoCopyFullPath},
    {IDM_EDIT_COPY_FILE_NAME, IDM_EDIT_COPY_FILE_NAME, DoCopyFileName},
    {IDM_EDIT_COPY_DIR_PATH, IDM_EDIT_COPY_DIR_PATH, DoCopyDirPath},
    {IDM_EDIT_UNDO, IDM_EDIT_UNDO, DoUndo},
    {IDM_EDIT_CUT, IDM_EDIT_CUT, DoCut},
    {IDM_EDIT_COPY, IDM_EDIT_COPY, DoCopy},
    {IDM_EDIT_PASTE, IDM_EDIT_PASTE, DoPaste},
    {IDM_EDIT_SELECT_ALL, IDM_EDIT_SELECT_ALL, DoSelectAll},
    {IDM_EDIT_REDO, IDM_EDIT_REDO, DoRedo},
    {IDM_EDIT_READ_ONLY, IDM_EDIT_READ_ONLY, DoReadOnly},
    {IDM_EOL_CRLF, IDM_EOL_CR, DoEol},
    {IDM_HELP_CHECK_UPDATES, IDM_HELP_CHECK_UPDATES, DoCheckUpdates},
    {IDM_HELP_ABOUT, IDM_HELP_ABOUT, DoAbout},
    {IDM_HELP_SHORTCUTS, IDM_HELP_SHORTCUTS, DoShortcuts},
    {IDM_HANDOVER_FILES, IDM_HANDOVER_FILES, DoHandOver},
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

void ToggleVimMode(HWND mainWnd)
{
    gVimEnabled = !gVimEnabled;
    gVimMode = kVimNormal;
    VimUpdateStatus();
    CheckMainMenuItem(mainWnd, IDM_TOOLS_VIM_MODE, gVimEnabled);
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

void SetLineEnds(HWND, int eol)
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

void ConvertEncoding(HWND, int encoding, bool bom)
{
    TabDocument* doc = GetActiveDocument();
    if (!doc)
        return;
    doc->encoding = encoding;
    doc->bom = bom;
    UpdateStatusBar();
}
