#include "app/shell_paths.h"

namespace {

size_t LastSeparator(const std::string& path)
{
    size_t at = path.rfind('\\');
    return at != std::string::npos ? at : path.rfind('/');
}

enum class Data { Literal, Icon, Command };

struct ClassEntry {
    const char* key;
    const char* name;
    Data kind;
    const char* literal;
};

// Written under HKEY_CURRENT_USER\Software\Classes first, then under HKEY_CLASSES_ROOT.
const ClassEntry kClassEntries[] = {
    {"Applications\\Zorvik.exe", "FriendlyAppName", Data::Literal, "Zorvik"},
    {"Applications\\Zorvik.exe\\DefaultIcon", "", Data::Icon, ""},
    {"Applications\\Zorvik.exe\\shell\\open\\command", "", Data::Command, ""},
    {"Applications\\Zorvik.exe\\SupportedTypes", ".txt", Data::Literal, ""},
    {"Applications\\Zorvik.exe\\SupportedTypes", ".log", Data::Literal, ""},
    {"Applications\\Zorvik.exe\\SupportedTypes", ".ini", Data::Literal, ""},
    {".txt\\OpenWithList\\Zorvik.exe", "", Data::Literal, ""},
    {".txt\\OpenWithProgids", "Zorvik.txt", Data::Literal, ""},
    {"Zorvik.txt", "", Data::Literal, "Text Document (Zorvik)"},
    {"Zorvik.txt\\DefaultIcon", "", Data::Icon, ""},
    {"Zorvik.txt\\shell\\open\\command", "", Data::Command, ""},
    {"SystemFileAssociations\\text\\shell\\Zorvik", "", Data::Literal, "Edit with Zorvik"},
    {"SystemFileAssociations\\text\\shell\\Zorvik", "Icon", Data::Icon, ""},
    {"SystemFileAssociations\\text\\shell\\Zorvik\\command", "", Data::Command, ""},
    {"SystemFileAssociations\\.txt\\shell\\Zorvik", "", Data::Literal, "Edit with Zorvik"},
    {"SystemFileAssociations\\.txt\\shell\\Zorvik", "Icon", Data::Icon, ""},
    {"SystemFileAssociations\\.txt\\shell\\Zorvik\\command", "", Data::Command, ""},
};

const char kFileExts[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.txt\\";

} // namespace

std::string FolderOfPath(const std::string& fullPath)
{
    std::string path = fullPath.substr(0, 259);
    size_t at = LastSeparator(path);
    if (at == std::string::npos)
        return "";
    if (at == 2 && path[1] == ':')
        return path.substr(0, 3);
    return path.substr(0, at);
}

std::string FileNameOfPath(const std::string& fullPath)
{
    size_t at = LastSeparator(fullPath);
    return at == std::string::npos ? fullPath : fullPath.substr(at + 1);
}

FolderLaunch ContainingFolderLaunch(const std::string& fullPath, const std::string& folder, bool fileExists,
                                    bool commandPrompt)
{
    if (commandPrompt)
        return {"cmd.exe", "", folder};
    if (fileExists)
        return {"explorer.exe", "/select,\"" + fullPath + "\"", folder};
    return {"explorer.exe", folder, ""};
}

std::string AssociationCommand(const std::string& exePath)
{
    return "\"" + exePath + "\" \"%1\"";
}

std::string AssociationIcon(const std::string& exePath)
{
    return "\"" + exePath + "\",0";
}

std::vector<RegistryValue> AssociationValues(const std::string& exePath)
{
    const std::string command = AssociationCommand(exePath), icon = AssociationIcon(exePath);
    std::vector<RegistryValue> values;
    auto addClasses = [&](RegistryRoot root, const std::string& prefix) {
        for (const ClassEntry& e : kClassEntries) {
            std::string data = e.kind == Data::Icon ? icon : e.kind == Data::Command ? command : e.literal;
            values.push_back({root, prefix + e.key, e.name, data});
        }
    };
    addClasses(RegistryRoot::CurrentUser, "Software\\Classes\\");
    values.push_back({RegistryRoot::CurrentUser, std::string(kFileExts) + "OpenWithList", "z", "Zorvik.exe"});
    values.push_back({RegistryRoot::CurrentUser, std::string(kFileExts) + "OpenWithProgids", "Zorvik.txt", ""});
    addClasses(RegistryRoot::ClassesRoot, "");
    values.push_back({RegistryRoot::ClassesRoot, "txtfile\\shell\\Zorvik", "", "Open with Zorvik"});
    values.push_back({RegistryRoot::ClassesRoot, "txtfile\\shell\\Zorvik\\command", "", command});
    return values;
}
