#include "app/shell_integration.h"

#include "app/main_window.h"
#include "app/shell_paths.h"
#include "document/document.h"
#include "document/paths.h"
#include "editor/clipboard.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

ShellExecuteProc gShellExecute = ShellExecuteA;

namespace {

const char kAssociationCaption[] = "Zorvik File Association";

bool WriteRegistryValue(const RegistryValue& value)
{
    HKEY root = value.root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT;
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, value.key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(key, value.name.empty() ? nullptr : value.name.c_str(), 0, REG_SZ,
                                 (const BYTE*)value.data.c_str(), (DWORD)value.data.size() + 1);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

// The document of the tab (-1: the active one, *tab then names it) with its full path and
// folder; false when there is no such tab. A document without a path gives empty strings.
bool TabPaths(int* tab, TabDocument** doc, std::string* fullPath, std::string* folder)
{
    if (!gTabsWnd)
        return false;
    if (*tab < 0)
        *tab = TabCtrl_GetCurSel(gTabsWnd);
    if (*tab < 0)
        return false;
    *doc = GetTabDocument(*tab);
    if (!*doc)
        return false;
    fullPath->clear();
    folder->clear();
    if (!(*doc)->path || !(*doc)->path[0])
        return true;
    *fullPath = MakeFullPath((*doc)->path);
    *folder = FolderOfPath(*fullPath);
    if (folder->empty()) {
        char current[MAX_PATH];
        DWORD n = GetCurrentDirectoryA(sizeof(current), current);
        if (n > 0 && n < sizeof(current))
            *folder = current;
    }
    return true;
}

} // namespace

void RegisterTextFileAssociation(bool confirm)
{
    char exe[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, exe, sizeof(exe));
    exe[n < sizeof(exe) ? n : sizeof(exe) - 1] = 0;
    // Without administrator rights the HKEY_CLASSES_ROOT part may fail entirely: that is
    // expected and silent. The current user's entries are what the confirmation promises.
    bool currentUserWritten = true;
    for (const RegistryValue& value : AssociationValues(exe))
        if (!WriteRegistryValue(value) && value.root == RegistryRoot::CurrentUser)
            currentUserWritten = false;
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    if (!confirm)
        return;
    if (currentUserWritten)
        MessageBoxA(nullptr,
                    "Zorvik has been registered to the 'Open With' list and context menu for .txt files.\r\n"
                    "You can now right-click any .txt file in Explorer and open it with Zorvik, or set it as "
                    "default.",
                    kAssociationCaption, MB_ICONINFORMATION);
    else
        MessageBoxA(nullptr,
                    "Zorvik could not be registered for .txt files: the registry entries of the current user "
                    "could not be written.",
                    kAssociationCaption, MB_ICONWARNING);
}

void OpenContainingFolder(HWND mainWnd, int tab, FolderTool tool)
{
    TabDocument* doc = nullptr;
    std::string fullPath, folder;
    if (!TabPaths(&tab, &doc, &fullPath, &folder))
        return;
    if (fullPath.empty()) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    DWORD attributes = GetFileAttributesA(fullPath.c_str());
    bool fileExists = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    FolderLaunch launch = ContainingFolderLaunch(fullPath, folder, fileExists, tool == kFolderCommandPrompt);
    auto orNull = [](const std::string& s) { return s.empty() ? nullptr : s.c_str(); };
    gShellExecute(nullptr, "open", launch.file.c_str(), orNull(launch.parameters), orNull(launch.directory),
                  SW_SHOWNORMAL);
}

void CopyPathToClipboard(HWND mainWnd, int tab, PathPart part)
{
    TabDocument* doc = nullptr;
    std::string fullPath, folder;
    if (!TabPaths(&tab, &doc, &fullPath, &folder))
        return;
    std::string text;
    if (!fullPath.empty()) {
        text = part == kCopyFullPath ? fullPath : part == kCopyFileName ? FileNameOfPath(fullPath) : folder;
    } else if (part == kCopyFileName) {
        char caption[64] = "";
        TCITEMA item;
        ZeroMemory(&item, sizeof(item));
        item.mask = TCIF_TEXT;
        item.pszText = caption;
        item.cchTextMax = sizeof(caption);
        SendMessageA(gTabsWnd, TCM_GETITEMA, tab, (LPARAM)&item);
        text = caption;
    } else {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    CopyTextToClipboard(mainWnd, text);
}
