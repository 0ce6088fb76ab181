#pragma once
// The .txt association and the Explorer and clipboard helpers for a tab's path.

#include <windows.h>

enum FolderTool { kFolderExplorer, kFolderCommandPrompt };
enum PathPart { kCopyFullPath, kCopyFileName, kCopyFolder };

void RegisterTextFileAssociation(bool confirm);
void OpenContainingFolder(HWND mainWnd, int tab, FolderTool tool);
void CopyPathToClipboard(HWND mainWnd, int tab, PathPart part);
