#include "document/paths.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

std::string ExecutableFolder()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    const char* slash = strrchr(path, '\\');
    return slash ? std::string(path, slash - path) : std::string();
}

void PathBesideExecutable(const char* name, char* buffer, int size)
{
    if (!buffer || size <= 0)
        return;
    std::string folder = ExecutableFolder();
    if (!folder.empty() && (int)folder.size() + 1 + (int)strlen(name) < size)
        snprintf(buffer, size, "%s\\%s", folder.c_str(), name);
    else
        snprintf(buffer, size, "%s", name);
}

void GetSettingsPath(char* buffer, int size)
{
    PathBesideExecutable("Zorvik.ini", buffer, size);
}

std::string AppDataFolder()
{
    char folder[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("APPDATA", folder, sizeof(folder));
    return length > 0 && length < sizeof(folder) ? std::string(folder, length) : std::string();
}

std::string TempFolder()
{
    char folder[MAX_PATH];
    DWORD length = GetTempPathA(sizeof(folder), folder);
    return length > 0 && length < sizeof(folder) ? std::string(folder, length) : std::string();
}

std::string MakeFullPath(const char* path)
{
    char full[MAX_PATH];
    DWORD n = GetFullPathNameA(path, sizeof(full), full, nullptr);
    if (n == 0 || n >= sizeof(full))
        return std::string(path, strnlen(path, MAX_PATH - 1));
    return full;
}

const char* FileNamePart(const char* path)
{
    const char* slash = strrchr(path, '\\');
    return slash ? slash + 1 : path;
}
