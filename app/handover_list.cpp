#include "app/handover_list.h"

#include "app/cmdline.h"
#include "app/decimal_text.h"

#include <string.h>

bool AppendHandOverPath(std::string* list, const std::string& fullPath)
{
    if (!list->empty()) {
        if (list->size() + fullPath.size() + 4 > kHandOverListLimit)
            return false;
        *list += ' ';
    }
    *list += '"';
    *list += fullPath;
    *list += '"';
    return true;
}

std::string BuildHandOverList(const std::vector<std::string>& fullPaths)
{
    std::string list;
    for (const std::string& path : fullPaths)
        if (!AppendHandOverPath(&list, path))
            break;
    return list;
}

std::vector<std::string> SplitHandOverList(const std::string& list)
{
    std::vector<std::string> paths;
    const char* cursor = list.c_str();
    char token[kCommandLineTokenSize];
    while (GetNextCommandLineToken(&cursor, token))
        paths.push_back(token);
    return paths;
}

bool AcceptHandOverCopyData(unsigned long code, const void* data, unsigned long size, std::string* text)
{
    if (code != kCopyDataOpenFiles || !data || size < 1 || size > kHandOverCopyDataMax)
        return false;
    const char* bytes = (const char*)data;
    text->assign(bytes, strnlen(bytes, size));
    return true;
}

bool HandOverFileSizeAccepted(unsigned long long size)
{
    return size >= 1 && size <= kHandOverFileMax;
}

std::string HandOverFilePath(const std::string& tempFolder, unsigned long processId)
{
    return tempFolder + "zorvik_open_" + std::to_string(processId) + ".txt";
}

std::string HandOverPartialFilePath(const std::string& tempFolder, unsigned long processId)
{
    return tempFolder + "zorvik_open_" + std::to_string(processId) + ".part";
}

std::string HandOverFilePattern(const std::string& tempFolder)
{
    return tempFolder + "zorvik_open_*.txt";
}

std::string HandOverPartialFilePattern(const std::string& tempFolder)
{
    return tempFolder + "zorvik_open_*.part";
}

bool ParseHandOverPartialName(const std::string& name, unsigned long* processId)
{
    const std::string prefix = "zorvik_open_", suffix = ".part";
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    return ParseDecimal32(name, prefix.size(), name.size() - suffix.size(), processId);
}

bool HandOverPartialAbandoned(bool senderRuns, unsigned long long ageMs)
{
    return !senderRuns || ageMs > kHandOverPartialMaxAgeMs;
}
