#include <doctest/doctest.h>

#include "app/command_ids.h"
#include "app/shell_integration.h"
#include "app/shell_paths.h"
#include "document/document.h"
#include "editor/clipboard.h"
#include "tests/window/harness.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

struct Launch {
    std::string verb, file, parameters, directory;
    int show;
};
std::vector<Launch> gLaunches;

HINSTANCE WINAPI RecordShellExecute(HWND, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show)
{
    auto text = [](LPCSTR s) { return std::string(s ? s : "<null>"); };
    gLaunches.push_back({text(verb), text(file), text(parameters), text(directory), show});
    return (HINSTANCE)42;
}

struct LaunchRecorder {
    LaunchRecorder()
    {
        gLaunches.clear();
        gShellExecute = RecordShellExecute;
    }
    ~LaunchRecorder() { gShellExecute = ShellExecuteA; }
};

std::string ExecutablePath()
{
    char exe[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, exe, sizeof(exe));
    exe[n < sizeof(exe) ? n : 0] = 0;
    return exe;
}

HKEY RootKey(RegistryRoot root)
{
    return root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT;
}

// The value's bytes with its type, or "<missing>".
std::string ReadRegistryValue(const RegistryValue& value, DWORD* type)
{
    HKEY key;
    if (RegOpenKeyExA(RootKey(value.root), value.key.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<missing>";
    char data[1024];
    DWORD size = sizeof(data);
    LONG result = RegQueryValueExA(key, value.name.empty() ? nullptr : value.name.c_str(), nullptr, type,
                                   (BYTE*)data, &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? std::string(data, size) : "<missing>";
}

void DeleteRegistryValue(const RegistryValue& value)
{
    HKEY key;
    if (RegOpenKeyExA(RootKey(value.root), value.key.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, value.name.empty() ? nullptr : value.name.c_str());
    RegCloseKey(key);
}

const char kConfirmation[] =
    "Zorvik has been registered to the 'Open With' list and context menu for .txt files.\r\n"
    "You can now right-click any .txt file in Explorer and open it with Zorvik, or set it as default.";

} // namespace

TEST_CASE("the .txt association: every value reads back where it was written, silently at start")
{
    std::vector<RegistryValue> values = AssociationValues(ExecutablePath());
    for (const RegistryValue& value : values)
        DeleteRegistryValue(value);
    {
        MessageBoxAnswers boxes;
        RegisterTextFileAssociation(false);
        CHECK(boxes.seen.empty());
    }
    // Wine's HKEY_CLASSES_ROOT does not show the current user's classes: each value is read
    // from the root it was written to.
    for (const RegistryValue& value : values) {
        CAPTURE(value.key);
        CAPTURE(value.name);
        DWORD type = 0;
        CHECK(ReadRegistryValue(value, &type) == value.data + std::string(1, '\0'));
        CHECK(type == REG_SZ);
    }
}

TEST_CASE("Register .txt Association confirms once per use")
{
    TestWindow w;
    MessageBoxAnswers boxes;
    SendMessageA(w.hwnd, WM_COMMAND, IDM_TOOLS_REGISTER_TXT, 0);
    SendMessageA(w.hwnd, WM_COMMAND, IDM_TOOLS_REGISTER_TXT, 0);
    REQUIRE(boxes.seen.size() == 2);
    for (const MessageBoxAnswers::Seen& box : boxes.seen) {
        CHECK(box.title == "Zorvik File Association");
        CHECK(box.text == kConfirmation);
    }
}

TEST_CASE("when the current user's entries cannot be written, the command warns instead of confirming")
{
    typedef LONG(WINAPI * OverrideProc)(HKEY, HKEY);
    OverrideProc overrideKey =
        (OverrideProc)(void*)GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegOverridePredefKey");
    bool canOverride = overrideKey != nullptr;
    REQUIRE(canOverride);
    // A volatile key takes no lasting subkeys: with it standing in for HKEY_CURRENT_USER,
    // every write of the current user's part fails.
    HKEY standIn = nullptr;
    REQUIRE(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\ZorvikVolatileStandIn", 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &standIn, nullptr) == ERROR_SUCCESS);
    REQUIRE(overrideKey(HKEY_CURRENT_USER, standIn) == ERROR_SUCCESS);
    std::vector<MessageBoxAnswers::Seen> seen;
    {
        MessageBoxAnswers boxes;
        RegisterTextFileAssociation(true);
        seen = boxes.seen;
    }
    overrideKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(standIn);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\ZorvikVolatileStandIn");
    REQUIRE(seen.size() == 1);
    CHECK(seen[0].title == "Zorvik File Association");
    CHECK(seen[0].text.find("could not be registered") != std::string::npos);
}

TEST_CASE("Open Containing Folder and the Copy path commands over documents in different places")
{
    TestWindow w;
    LaunchRecorder recorder;
    std::string folder = ExeFolder();
    std::string dir = folder + "shell dir";
    CreateDirectoryA(dir.c_str(), nullptr);
    std::string inDir = w.File("shell dir\\a b.txt", "x");
    std::string slashed = inDir;
    for (char& c : slashed)
        if (c == '\\')
            c = '/';
    const std::string atRoot = "C:\\zorvik_shell_root.txt";
    WriteFileBytes(atRoot, "x");
    w.files.push_back(atRoot);
    std::string gone = folder + "gone.txt";
    DeleteFileA(gone.c_str());
    std::string folderNoSlash = folder.substr(0, folder.size() - 1);

    struct Row {
        const char* name;
        std::string path;     // stored in the document; empty: untitled
        std::string caption;  // of the tab
        std::string full, fileName, dir;
        Launch explorer, prompt;
    };
    const Launch none = {"", "", "", "", 0};
    const Row rows[] = {
        {"folder with a blank", inDir, "a b.txt", inDir, "a b.txt", dir,
         {"open", "explorer.exe", "/select,\"" + inDir + "\"", dir, SW_SHOWNORMAL},
         {"open", "cmd.exe", "<null>", dir, SW_SHOWNORMAL}},
        {"forward slashes", slashed, "a b.txt", inDir, "a b.txt", dir,
         {"open", "explorer.exe", "/select,\"" + inDir + "\"", dir, SW_SHOWNORMAL},
         {"open", "cmd.exe", "<null>", dir, SW_SHOWNORMAL}},
        {"drive root", atRoot, "zorvik_shell_root.txt", atRoot, "zorvik_shell_root.txt", "C:\\",
         {"open", "explorer.exe", "/select,\"" + atRoot + "\"", "C:\\", SW_SHOWNORMAL},
         {"open", "cmd.exe", "<null>", "C:\\", SW_SHOWNORMAL}},
        {"file deleted", gone, "gone.txt", gone, "gone.txt", folderNoSlash,
         {"open", "explorer.exe", folderNoSlash, "<null>", SW_SHOWNORMAL},
         {"open", "cmd.exe", "<null>", folderNoSlash, SW_SHOWNORMAL}},
        {"untitled", "", "Untitled", "", "Untitled", "", none, none},
        {"new tab", "", "new 2", "", "new 2", "", none, none},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        TabDocument* doc = GetActiveDocument();
        REQUIRE(doc);
        SetDocumentString(&doc->path, row.path.empty() ? nullptr : row.path.c_str());
        TCITEMA item;
        ZeroMemory(&item, sizeof(item));
        item.mask = TCIF_TEXT;
        item.pszText = (char*)row.caption.c_str();
        SendMessageA(GetDlgItem(w.hwnd, IDC_TAB_BAR), TCM_SETITEMA, SelectedTab(), (LPARAM)&item);

        auto copied = [&](int command) {
            CopyTextToClipboard(w.hwnd, "before");
            SendMessageA(w.hwnd, WM_COMMAND, command, 0);
            return ClipboardTextBytes(w.hwnd);
        };
        bool untitled = row.path.empty();
        CHECK(copied(IDM_EDIT_COPY_FULL_PATH) == (untitled ? "before" : row.full));
        CHECK(copied(IDM_EDIT_COPY_FILE_NAME) == row.fileName);
        CHECK(copied(IDM_EDIT_COPY_DIR_PATH) == (untitled ? "before" : row.dir));

        gLaunches.clear();
        SendMessageA(w.hwnd, WM_COMMAND, IDM_FILE_OPEN_FOLDER_EXPLORER, 0);
        SendMessageA(w.hwnd, WM_COMMAND, IDM_FILE_OPEN_FOLDER_CMD, 0);
        if (untitled) {
            CHECK(gLaunches.empty());
        } else {
            REQUIRE(gLaunches.size() == 2);
            const Launch* expected[] = {&row.explorer, &row.prompt};
            for (int i = 0; i < 2; ++i) {
                CHECK(gLaunches[i].verb == expected[i]->verb);
                CHECK(gLaunches[i].file == expected[i]->file);
                CHECK(gLaunches[i].parameters == expected[i]->parameters);
                CHECK(gLaunches[i].directory == expected[i]->directory);
                CHECK(gLaunches[i].show == expected[i]->show);
            }
        }
    }
    DeleteFileA(inDir.c_str());
    RemoveDirectoryA(dir.c_str());
}
