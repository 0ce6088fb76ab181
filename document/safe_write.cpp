#include "document/safe_write.h"

#include <windows.h>

namespace {

// WriteFile takes a DWORD; smaller pieces also keep a failing disk from being asked for
// one huge write.
constexpr size_t kWritePiece = 1 << 20;

bool WriteAll(HANDLE file, const char* data, size_t size)
{
    size_t done = 0;
    while (done < size) {
        size_t piece = size - done < kWritePiece ? size - done : kWritePiece;
        DWORD written = 0;
        if (!WriteFile(file, data + done, static_cast<DWORD>(piece), &written, nullptr) ||
            written == 0)
            return false;
        done += written;
    }
    return true;
}

}  // namespace

std::string SafeWriteTempPath(const std::string& path)
{
    return path + ".tmp";
}

bool WriteFileSafely(const std::string& path, const char* data, size_t size, bool* created)
{
    if (created)
        *created = false;
    if (path.empty())
        return false;
    std::string temp = SafeWriteTempPath(path);
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    if (created)
        *created = true;
    bool ok = WriteAll(file, data, size) && FlushFileBuffers(file);
    if (!CloseHandle(file))
        ok = false;
    if (ok && !MoveFileExA(temp.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ok = false;
    if (!ok)
        DeleteFileA(temp.c_str());
    return ok;
}

bool WriteFileSafely(const std::string& path, const std::string& bytes, bool* created)
{
    return WriteFileSafely(path, bytes.data(), bytes.size(), created);
}
