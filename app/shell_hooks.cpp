// The shell's side of the lower layers' hooks: what they ask for, carried out by the
// main window's modules and the Vim mode.

#include "app/commands.h"
#include "app/main_window.h"
#include "app/settings.h"
#include "app/shortcuts.h"
#include "app/status_bar.h"
#include "app/tab_strip.h"
#include "app/tabs.h"
#include "document/shell_hooks.h"
#include "editor/control_drawing.h"
#include "editor/editor_hooks.h"
#include "editor/gutter.h"
#include "vim/vim.h"

void InstallShellHooks()
{
    gShellHooks.setStatusText = ShowStatusText;
    gShellHooks.updateStatusBar = ShowDocumentStatus;
    gShellHooks.updateStatusBarAfterEdit = ShowDocumentStatusAfterEdit;
    gShellHooks.updateTabIcon = RefreshTabIcon;
    gShellHooks.updateAllTabIcons = RefreshAllTabIcons;
    gShellHooks.checkActiveFileExists = CheckActiveFileExists;
    gShellHooks.layoutMainWindow = LayoutMainWindowIfReady;
    gShellHooks.refreshGutter = RefreshGutter;
    gShellHooks.readStatusText = ReadStatusText;
    gShellHooks.editorDrawing = kControlDrawing;

    gEditorHooks.layoutMainWindow = LayoutMainWindow;
    gEditorHooks.fontChanged = SaveFontSettings;
    gEditorHooks.runShortcut = ExecuteShortcut;
    RegisterVimHooks();
}
