#pragma once
// The .txt association and the Explorer and clipboard helpers for a tab's path.

#include <windows.h>

enum FolderTool { kFolderExplorer, kFolderCommandPrompt };
enum PathPart { kCopyFullPath, kCopyFileName, kCopyFolder };

// Writes the association's registry values and tells the shell. With confirm, a box says
// whether the current user's entries were written.
void RegisterTextFileAssociation(bool confirm);
// tab: the tab's index, or -1 for the active tab.
void OpenContainingFolder(HWND mainWnd, int tab, FolderTool tool);
void CopyPathToClipboard(HWND mainWnd, int tab, PathPart part);

// ShellExecuteA; tests put a recorder here to see what Open Containing Folder starts.
typedef HINSTANCE(WINAPI* ShellExecuteProc)(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                            LPCSTR directory, INT show);
extern ShellExecuteProc gShellExecute;
