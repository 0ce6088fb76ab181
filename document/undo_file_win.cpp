#include "document/undo_file.h"

#include <windows.h>

#include <memory>
#include <new>

#include "document/paths.h"
#include "document/safe_write.h"

namespace {

bool IsFolder(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string UndoFolder()
{
    std::string exeFolder = ExecutableFolder();
    std::string candidate = exeFolder + "\\undo";
    if (!exeFolder.empty()) {
        if (CreateDirectoryA(candidate.c_str(), nullptr) ||
            (GetLastError() == ERROR_ALREADY_EXISTS && IsFolder(candidate)))
            return candidate;
    }
    std::string appData = AppDataFolder();
    if (appData.empty())
        return candidate;
    std::string base = appData + "\\Zorvik";
    CreateDirectoryA(base.c_str(), nullptr);
    std::string folder = base + "\\undo";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// The whole file, or false when it cannot be opened or held in memory. A read that stops
// early leaves the bytes read so far, which the parser treats as a cut file.
bool ReadWholeFile(const std::string& path, std::unique_ptr<char[]>* data, size_t* size)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    if ((low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0) {
        CloseHandle(file);
        return false;
    }
    data->reset(new (std::nothrow) char[low ? low : 1]);
    if (!*data) {
        CloseHandle(file);
        return false;
    }
    DWORD done = 0;
    while (done < low) {
        DWORD got = 0;
        if (!ReadFile(file, data->get() + done, low - done, &got, nullptr) || got == 0)
            break;
        done += got;
    }
    CloseHandle(file);
    *size = done;
    return true;
}

}  // namespace

std::string BuildUndoFilePath(const char* documentPath, int32_t id)
{
    std::string folder = UndoFolder();
    if (documentPath && documentPath[0])
        return folder + "\\" + UndoFileNameForPath(documentPath);
    return folder + "\\" + UndoFileNameForUntitled(GetTickCount(), id);
}

void DeleteUntitledUndoFile(const char* documentPath, const std::string& undoFilePath)
{
    if (documentPath && documentPath[0])
        return;
    size_t slash = undoFilePath.rfind('\\');
    size_t name = slash == std::string::npos ? 0 : slash + 1;
    if (undoFilePath.compare(name, 9, "untitled_") == 0)
        DeleteFileA(undoFilePath.c_str());
}

bool WriteUndoFile(const std::string& path, const std::vector<UndoStep>& undo,
                   const std::vector<UndoStep>& redo, int32_t savedIndex)
{
    if (path.empty())
        return false;
    if (undo.empty() && redo.empty())
        return true;
    try {
        SafeFileWriter file(path);
        return StreamUndoFile(undo, redo, savedIndex,
                              [&file](const char* data, size_t size) { return file.Write(data, size); }) &&
               file.Commit();
    } catch (const std::exception&) {
        return false;
    }
}

bool WriteUndoFileOf(UndoHistory& history)
{
    if (history.undoFilePath.empty())
        return false;
    if (history.writtenRevision == history.revision && history.writtenPath == history.undoFilePath)
        return true;
    if (!WriteUndoFile(history.undoFilePath, history.undo, history.redo, history.savedIndex))
        return false;
    try {
        history.writtenPath = history.undoFilePath;
        history.writtenRevision = history.revision;
    } catch (const std::exception&) {
        history.writtenPath.clear();
    }
    return true;
}

bool LoadUndoFile(const std::string& path, std::vector<UndoStep>& undo,
                  std::vector<UndoStep>& redo, int32_t* savedIndex)
{
    if (path.empty())
        return false;
    std::unique_ptr<char[]> data;
    size_t size = 0;
    if (!ReadWholeFile(path, &data, &size))
        return false;
    try {
        return ParseUndoFile(data.get(), size, undo, redo, savedIndex) == UndoFileRead::Complete;
    } catch (const std::exception&) {
        return false;
    }
}
