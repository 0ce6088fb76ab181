#pragma once
// The settings file "Zorvik.ini" next to the executable: [Settings] and [RecentFiles].

#include <windows.h>

#include "document/paths.h"

#include <string>
#include <vector>

#include "document/document.h"
#include "document/session.h"
#include "editor/editor_paint.h"
#include "editor/fonts.h"

extern std::vector<std::string> gRecentFiles;
extern HMENU gRecentFilesMenu;

enum { kMaxRecentFiles = 10 };

// The settings' defaults from the settings table, no recent files: the state before the
// settings file is read.
void ResetSettingsState();


// Reads [Settings] into the globals; an empty face, "Consolas" or "Courier New" is
// replaced by the first installed coding font and written back at once.
void LoadSettings();
// FontName, FontSize, DiffMode and AutoSave, as the main window writes them at close.
void SaveExitSettings();
void SaveFontSettings();

void LoadRecentFiles();
void SaveRecentFiles();
void AddRecentFile(const char* path);
void RemoveRecentFile(const char* path);
void ClearRecentFiles();
void BuildRecentFilesMenu(HMENU menu);
// Commands 6100-6109 and 6199.
void OpenRecentFile(HWND mainWnd, int index);
void ClearRecentFilesCommand(HWND mainWnd);
