#include <doctest/doctest.h>

#include "app/shell_paths.h"

#include <string>
#include <vector>

TEST_CASE("folder and file name of a document's path")
{
    struct Row {
        std::string path, folder, name;
    };
    const std::string longFolder = "C:\\" + std::string(270, 'd');
    const Row rows[] = {
        {"C:\\work\\notes\\a.txt", "C:\\work\\notes", "a.txt"},
        {"C:\\a.txt", "C:\\", "a.txt"},
        {"C:/work/notes/a.txt", "C:/work/notes", "a.txt"},
        {"C:/a.txt", "C:/", "a.txt"},
        // A backslash wins over later forward slashes.
        {"C:\\work/notes\\sub/a.txt", "C:\\work/notes", "sub/a.txt"},
        {"\\\\server\\share\\a.txt", "\\\\server\\share", "a.txt"},
        {"\\a.txt", "", "a.txt"},
        {"a.txt", "", "a.txt"},
        {"C:\\work\\", "C:\\work", ""},
        // The folder comes from the first 259 characters only.
        {longFolder + "\\a.txt", "C:\\", "a.txt"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.path);
        CHECK(FolderOfPath(row.path) == row.folder);
        CHECK(FileNameOfPath(row.path) == row.name);
    }
}

TEST_CASE("what Open Containing Folder starts")
{
    struct Row {
        const char* name;
        std::string path, folder;
        bool exists, prompt;
        FolderLaunch launch;
    };
    const Row rows[] = {
        {"file selected", "C:\\w\\a.txt", "C:\\w", true, false, {"explorer.exe", "/select,\"C:\\w\\a.txt\"", "C:\\w"}},
        {"drive root", "C:\\a.txt", "C:\\", true, false, {"explorer.exe", "/select,\"C:\\a.txt\"", "C:\\"}},
        {"file gone", "C:\\w\\gone.txt", "C:\\w", false, false, {"explorer.exe", "C:\\w", ""}},
        {"blank in path", "C:\\my w\\a b.txt", "C:\\my w", true, false,
         {"explorer.exe", "/select,\"C:\\my w\\a b.txt\"", "C:\\my w"}},
        {"prompt", "C:\\w\\a.txt", "C:\\w", true, true, {"cmd.exe", "", "C:\\w"}},
        {"prompt, file gone", "C:\\w\\gone.txt", "C:\\w", false, true, {"cmd.exe", "", "C:\\w"}},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        FolderLaunch launch = ContainingFolderLaunch(row.path, row.folder, row.exists, row.prompt);
        CHECK(launch.file == row.launch.file);
        CHECK(launch.parameters == row.launch.parameters);
        CHECK(launch.directory == row.launch.directory);
    }
}

TEST_CASE("the association's values: one classes table under both roots, Explorer's lists, the txtfile verb")
{
    const std::string exe = "C:\\Program Files\\Ed\\editor.exe";
    const std::string command = "\"C:\\Program Files\\Ed\\editor.exe\" \"%1\"";
    const std::string icon = "\"C:\\Program Files\\Ed\\editor.exe\",0";
    CHECK(AssociationCommand(exe) == command);
    CHECK(AssociationIcon(exe) == icon);

    std::vector<RegistryValue> values = AssociationValues(exe);
    REQUIRE(values.size() == 38);
    const std::string prefix = "Software\\Classes\\";
    for (size_t i = 0; i < 17; ++i) {
        const RegistryValue& user = values[i];
        const RegistryValue& machine = values[19 + i];
        CAPTURE(machine.key);
        CHECK(user.root == RegistryRoot::CurrentUser);
        CHECK(machine.root == RegistryRoot::ClassesRoot);
        CHECK(user.key == prefix + machine.key);
        CHECK(user.name == machine.name);
        CHECK(user.data == machine.data);
    }
    struct Row {
        size_t index;
        RegistryRoot root;
        std::string key, name, data;
    };
    const std::string fileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.txt\\";
    const Row rows[] = {
        {0, RegistryRoot::CurrentUser, prefix + "Applications\\Zorvik.exe", "FriendlyAppName", "Zorvik"},
        {1, RegistryRoot::CurrentUser, prefix + "Applications\\Zorvik.exe\\DefaultIcon", "", icon},
        {2, RegistryRoot::CurrentUser, prefix + "Applications\\Zorvik.exe\\shell\\open\\command", "", command},
        {5, RegistryRoot::CurrentUser, prefix + "Applications\\Zorvik.exe\\SupportedTypes", ".ini", ""},
        {7, RegistryRoot::CurrentUser, prefix + ".txt\\OpenWithProgids", "Zorvik.txt", ""},
        {8, RegistryRoot::CurrentUser, prefix + "Zorvik.txt", "", "Text Document (Zorvik)"},
        {12, RegistryRoot::CurrentUser, prefix + "SystemFileAssociations\\text\\shell\\Zorvik", "Icon", icon},
        {16, RegistryRoot::CurrentUser, prefix + "SystemFileAssociations\\.txt\\shell\\Zorvik\\command", "", command},
        {17, RegistryRoot::CurrentUser, fileExts + "OpenWithList", "z", "Zorvik.exe"},
        {18, RegistryRoot::CurrentUser, fileExts + "OpenWithProgids", "Zorvik.txt", ""},
        {36, RegistryRoot::ClassesRoot, "txtfile\\shell\\Zorvik", "", "Open with Zorvik"},
        {37, RegistryRoot::ClassesRoot, "txtfile\\shell\\Zorvik\\command", "", command},
    };
    for (const Row& row : rows) {
        CAPTURE(row.index);
        const RegistryValue& v = values[row.index];
        CHECK(v.root == row.root);
        CHECK(v.key == row.key);
        CHECK(v.name == row.name);
        CHECK(v.data == row.data);
    }
}
