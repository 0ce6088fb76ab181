#pragma once
// Where the program keeps its files, and the parts of paths it shows: one place for the
// executable's folder, APPDATA, the temporary folder and full paths.

#include <string>

// The executable's folder without a trailing backslash; empty when the module path does
// not fit MAX_PATH (a cut path would name some other folder).
std::string ExecutableFolder();
// The file name in the executable's folder; the name alone when the path would not fit
// the buffer (a cut path could name another file).
void PathBesideExecutable(const char* name, char* buffer, int size);
// The settings file "Zorvik.ini" beside the executable.
void GetSettingsPath(char* buffer, int size);
// %APPDATA% as it stands; empty when unset or longer than MAX_PATH.
std::string AppDataFolder();
// The temporary folder with its trailing backslash (GetTempPathA); empty on failure.
std::string TempFolder();
// The full path of a file as the program compares paths (GetFullPathNameA, else the path
// cut to 259 characters).
std::string MakeFullPath(const char* path);
// What follows the last backslash; the whole path without one.
const char* FileNamePart(const char* path);
