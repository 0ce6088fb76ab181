#include "app/settings.h"

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/recent_menu_text.h"
#include "app/tabs.h"
#include "editor/fonts.h"

#include <stdio.h>
#include <string.h>

std::vector<std::string> gRecentFiles;
HMENU gRecentFilesMenu = nullptr;

namespace {

const char kSettings[] = "Settings";
const char kRecent[] = "RecentFiles";

enum SettingWrite { kNeverWritten, kWrittenAtClose };

// One row per numeric key, so that reading and writing cannot drift apart.
struct IntSetting {
    const char* key;
    int* intValue;
    bool* boolValue;
    int defaultValue;
    int minValue, maxValue; // clamp when minValue < maxValue
    SettingWrite write;
};

// The face before the settings are read; a missing FontName key picks an installed one.
const char kStartFontName[] = "GulimChe";

const IntSetting kIntSettings[] = {
    {"FontSize", &gFontSize, nullptr, 14, 6, 72, kWrittenAtClose},
    {"DiffMode", nullptr, &gDiffMode, 0, 0, 0, kWrittenAtClose},
    {"AutoSave", nullptr, &gAutoSave, 1, 0, 0, kWrittenAtClose},
    {"NewPageEncoding", &gNewPageEncoding, nullptr, 1, 0, 0, kNeverWritten},
    {"NewPageBOM", nullptr, &gNewPageBom, 0, 0, 0, kNeverWritten},
};

void WriteInt(const char* section, const char* key, int value)
{
    char path[MAX_PATH], text[16];
    GetSettingsPath(path, sizeof(path));
    snprintf(text, sizeof(text), "%d", value);
    WritePrivateProfileStringA(section, key, text, path);
}

void WriteFontName()
{
    char path[MAX_PATH];
    GetSettingsPath(path, sizeof(path));
    WritePrivateProfileStringA(kSettings, "FontName", gFontName, path);
}

bool IsReplacedFace(const char* face)
{
    return face[0] == 0 || _stricmp(face, "Consolas") == 0 || _stricmp(face, "Courier New") == 0;
}

} // namespace

void ResetSettingsState()
{
    lstrcpynA(gFontName, kStartFontName, sizeof(gFontName));
    for (const IntSetting& s : kIntSettings) {
        if (s.intValue)
            *s.intValue = s.defaultValue;
        else
            *s.boolValue = s.defaultValue != 0;
    }
    gRecentFiles.clear();
    gRecentFilesMenu = nullptr;
}

void LoadSettings()
{
    char path[MAX_PATH];
    GetSettingsPath(path, sizeof(path));
    GetPrivateProfileStringA(kSettings, "FontName", "", gFontName, sizeof(gFontName), path);
    if (IsReplacedFace(gFontName)) {
        lstrcpynA(gFontName, PickDefaultCodingFont(), sizeof(gFontName));
        WriteFontName();
    }
    for (const IntSetting& s : kIntSettings) {
        int value = (int)GetPrivateProfileIntA(kSettings, s.key, s.defaultValue, path);
        if (s.minValue < s.maxValue) {
            if (value < s.minValue)
                value = s.minValue;
            if (value > s.maxValue)
                value = s.maxValue;
        }
        if (s.intValue)
            *s.intValue = value;
        else
            *s.boolValue = value != 0;
    }
}

void SaveExitSettings()
{
    WriteFontName();
    for (const IntSetting& s : kIntSettings) {
        if (s.write != kWrittenAtClose)
            continue;
        WriteInt(kSettings, s.key, s.intValue ? *s.intValue : (*s.boolValue ? 1 : 0));
    }
}

void SaveFontSettings()
{
    WriteFontName();
    WriteInt(kSettings, "FontSize", gFontSize);
}

void LoadRecentFiles()
{
    gRecentFiles.clear();
    char path[MAX_PATH];
    GetSettingsPath(path, sizeof(path));
    int count = (int)GetPrivateProfileIntA(kRecent, "Count", 0, path);
    if (count > kMaxRecentFiles)
        count = kMaxRecentFiles;
    for (int i = 1; i <= count; ++i) {
        char key[16], value[MAX_PATH];
        snprintf(key, sizeof(key), "File%d", i);
        GetPrivateProfileStringA(kRecent, key, "", value, sizeof(value), path);
        if (value[0])
            gRecentFiles.push_back(value);
    }
}

void SaveRecentFiles()
{
    char path[MAX_PATH];
    GetSettingsPath(path, sizeof(path));
    WriteInt(kRecent, "Count", (int)gRecentFiles.size());
    for (int i = 1; i <= kMaxRecentFiles; ++i) {
        char key[16];
        snprintf(key, sizeof(key), "File%d", i);
        const char* value = i <= (int)gRecentFiles.size() ? gRecentFiles[i - 1].c_str() : nullptr;
        WritePrivateProfileStringA(kRecent, key, value, path);
    }
}

static void EraseRecentFile(const char* path)
{
    for (size_t i = 0; i < gRecentFiles.size(); ++i) {
        if (_stricmp(gRecentFiles[i].c_str(), path) == 0) {
            gRecentFiles.erase(gRecentFiles.begin() + i);
            return;
        }
    }
}

void AddRecentFile(const char* path)
{
    if (!path || !path[0])
        return;
    std::string full = MakeFullPath(path);
    EraseRecentFile(full.c_str());
    gRecentFiles.insert(gRecentFiles.begin(), full);
    if (gRecentFiles.size() > kMaxRecentFiles)
        gRecentFiles.resize(kMaxRecentFiles);
    SaveRecentFiles();
}

void RemoveRecentFile(const char* path)
{
    if (!path || !path[0])
        return;
    EraseRecentFile(path);
    SaveRecentFiles();
}

void ClearRecentFiles()
{
    gRecentFiles.clear();
    SaveRecentFiles();
}

void BuildRecentFilesMenu(HMENU menu)
{
    if (!menu)
        return;
    while (GetMenuItemCount(menu) > 0)
        DeleteMenu(menu, 0, MF_BYPOSITION);
    if (gRecentFiles.empty()) {
        AppendMenuA(menu, MF_STRING | MF_GRAYED, 0, "(Empty)");
        return;
    }
    for (size_t i = 0; i < gRecentFiles.size() && i < kMaxRecentFiles; ++i) {
        std::string text = RecentFileMenuText((int)i, gRecentFiles[i]);
        AppendMenuA(menu, MF_STRING, IDM_RECENT_FILE_FIRST + i, text.c_str());
    }
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDM_RECENT_CLEAR, "Clear &Recent Files List");
}

void OpenRecentFile(HWND mainWnd, int index)
{
    if (index < 0 || index >= (int)gRecentFiles.size())
        return;
    std::string path = gRecentFiles[index];
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::string message = "The file does not exist:\n" + path +
                              "\n\nDo you want to remove it from the recent files list?";
        if (MessageBoxA(mainWnd, message.c_str(), "Zorvik - Recent Files",
                        MB_YESNO | MB_ICONQUESTION) == IDYES) {
            RemoveRecentFile(path.c_str());
            BuildRecentFilesMenu(gRecentFilesMenu);
        }
        return;
    }
    OpenFileByPath(mainWnd, path.c_str());
}

void ClearRecentFilesCommand(HWND mainWnd)
{
    ClearRecentFiles();
    BuildRecentFilesMenu(gRecentFilesMenu);
    SetStatusText("Recent files list cleared");
}
