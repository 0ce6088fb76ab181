#pragma once
// The rules behind the shell commands: a document's folder and file name, what Open
// Containing Folder starts, and the registry values of the .txt association. Pure: no
// windows.h, so they are tested natively by tables.

#include <string>
#include <vector>

// The full path cut at its last backslash, or at its last forward slash when it has no
// backslash; a file in a drive's root keeps the separator ("C:\"). Empty when the path
// has neither separator (the caller takes the current directory).
std::string FolderOfPath(const std::string& fullPath);
// The part after the last backslash (or forward slash when there is none), else the whole.
std::string FileNameOfPath(const std::string& fullPath);

// What ShellExecute is asked to start for Open Containing Folder.
struct FolderLaunch {
    std::string file;       // "explorer.exe" or "cmd.exe"
    std::string parameters; // empty: none
    std::string directory;  // empty: none
};
// The command prompt starts in the folder; Explorer selects an existing file, or opens
// the folder when the file is gone (or is a directory).
FolderLaunch ContainingFolderLaunch(const std::string& fullPath, const std::string& folder, bool fileExists,
                                    bool commandPrompt);

// "\"<exe>\" \"%1\"" and "\"<exe>\",0": the command and icon of the registry entries.
std::string AssociationCommand(const std::string& exePath);
std::string AssociationIcon(const std::string& exePath);

enum class RegistryRoot { CurrentUser, ClassesRoot };
struct RegistryValue {
    RegistryRoot root;
    std::string key;
    std::string name; // empty: the key's default value
    std::string data; // written as REG_SZ
};
// Every value of the .txt association in the order it is written: the classes under the
// current user, Explorer's lists of the current user, then the same classes under
// HKEY_CLASSES_ROOT and its txtfile verb.
std::vector<RegistryValue> AssociationValues(const std::string& exePath);
