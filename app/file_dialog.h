#pragma once
#include <windows.h>

// The Open dialog (save false: the file must exist) or the Save As dialog (save true: the
// folder must exist, overwriting asks), both for "Text Files (*.txt)" and "All Files
// (*.*)". The buffer holds the initial name and receives the chosen one; false on Cancel.
bool AskForFileName(HWND owner, bool save, char* buffer, int size);
