#include "app/shell_integration.h"

// Shell integration arrives with its own work.
void RegisterTextFileAssociation(bool) {}
void OpenContainingFolder(HWND, int, FolderTool) {}
void CopyPathToClipboard(HWND, int, PathPart) {}
