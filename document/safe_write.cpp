#include "document/safe_write.h"

#include <windows.h>

namespace {

// WriteFile takes a DWORD; smaller pieces also keep a failing disk from being asked for
// one huge write.
constexpr size_t kWritePiece = 1 << 20;

// The attributes a file may be given back; the others belong to the file system.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Another process that has the old file open for a moment (a virus scanner, an indexer, a
// backup, a second program reading it) makes the rename over it fail until it lets go;
// the write is given that moment instead of being lost until the next one. Windows and
// Wine both refuse such a rename with ERROR_ACCESS_DENIED, which a lasting cause (a folder
// of that name, a read-only file) gives as well: those cost the few retries, then fail.
constexpr int kRenameTries = 20;
constexpr DWORD kRenamePauseMs = 25;

bool MoveOver(const char* temp, const char* path, DWORD flags)
{
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExA(temp, path, flags))
            return true;
        DWORD error = GetLastError();
        if (attempt == kRenameTries || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION))
            return false;
        Sleep(kRenamePauseMs);
    }
}

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

// The whole content, on the disk and not just in the cache, before anything is renamed:
// a crash after the rename must not find a file whose blocks were never written.
bool FillAndClose(HANDLE file, const char* data, size_t size)
{
    bool ok = WriteAll(file, data, size) && FlushFileBuffers(file);
    if (!CloseHandle(file))
        ok = false;
    return ok;
}

// The folder that holds path, or empty when the path cannot be made full.
std::string FolderOf(const char* path)
{
    char full[MAX_PATH];
    char* name = nullptr;
    DWORD length = GetFullPathNameA(path, MAX_PATH, full, &name);
    if (length == 0 || length >= MAX_PATH || !name || name == full)
        return std::string();
    return std::string(full, (size_t)(name - full));
}

// A device (NUL, a console, a pipe) cannot be replaced by a file; it just takes bytes.
bool IsDevice(const char* path)
{
    HANDLE probe = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return false;
    bool device = GetFileType(probe) != FILE_TYPE_DISK;
    CloseHandle(probe);
    return device;
}

bool WriteToDevice(const char* path, const std::string& bytes)
{
    HANDLE device = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE)
        return false;
    bool ok = WriteAll(device, bytes.data(), bytes.size());
    return CloseHandle(device) && ok;
}

// The temporary file takes the place of the old one in one rename, which either happens
// whole or not at all. (ReplaceFile would also carry the old file's security over, but it
// is not one step: Wine's removes the old file before the new one takes its name, and a
// kill in between leaves no file at all.) The attributes go onto the new file before the
// rename, so it never shows without them.
bool PutInPlace(const char* temp, const char* path, DWORD oldAttributes)
{
    DWORD flags = MOVEFILE_WRITE_THROUGH;
    if (oldAttributes != INVALID_FILE_ATTRIBUTES) {
        DWORD kept = oldAttributes & kKeptAttributes;
        if (kept && !SetFileAttributesA(temp, kept))
            return false;
        flags |= MOVEFILE_REPLACE_EXISTING;
    }
    return MoveOver(temp, path, flags);
}

}  // namespace

std::string SafeWriteTempPath(const std::string& path)
{
    return path + ".tmp";
}

SafeFileWriter::SafeFileWriter(const std::string& path)
    : path_(path), temp_(path.empty() ? std::string() : SafeWriteTempPath(path)), file_(INVALID_HANDLE_VALUE),
      ok_(false)
{
    if (path_.empty())
        return;
    file_ = CreateFileA(temp_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ok_ = file_ != INVALID_HANDLE_VALUE;
}

SafeFileWriter::~SafeFileWriter()
{
    if (file_ != INVALID_HANDLE_VALUE) {
        CloseHandle(file_);
        DeleteFileA(temp_.c_str());
    }
}

bool SafeFileWriter::Created() const
{
    return file_ != INVALID_HANDLE_VALUE;
}

bool SafeFileWriter::Drain()
{
    if (ok_ && !pending_.empty())
        ok_ = WriteAll(file_, pending_.data(), pending_.size());
    pending_.clear();
    return ok_;
}

bool SafeFileWriter::Write(const char* data, size_t size)
{
    if (!ok_)
        return false;
    if (pending_.size() + size <= kWritePiece) {
        if (pending_.capacity() < kWritePiece)
            pending_.reserve(kWritePiece);
        pending_.append(data, size);
        return true;
    }
    if (!Drain())
        return false;
    if (size < kWritePiece) {
        pending_.append(data, size);
        return true;
    }
    ok_ = WriteAll(file_, data, size);
    return ok_;
}

bool SafeFileWriter::Commit()
{
    if (file_ == INVALID_HANDLE_VALUE)
        return false;
    bool ok = Drain() && FlushFileBuffers(file_);
    if (!CloseHandle(file_))
        ok = false;
    file_ = INVALID_HANDLE_VALUE;
    if (ok && !MoveOver(temp_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ok = false;
    if (!ok)
        DeleteFileA(temp_.c_str());
    ok_ = false;
    return ok;
}

bool WriteFileSafely(const std::string& path, const char* data, size_t size, bool* created)
{
    SafeFileWriter writer(path);
    if (created)
        *created = writer.Created();
    return writer.Write(data, size) && writer.Commit();
}

bool WriteFileSafely(const std::string& path, const std::string& bytes, bool* created)
{
    return WriteFileSafely(path, bytes.data(), bytes.size(), created);
}

bool ReplaceFileContent(const char* path, const std::string& bytes)
{
    if (!path || !*path)
        return false;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        // The system refuses to replace a read-only file, except to an administrator under
        // some emulations; a save must not overrule the flag either way.
        if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
            return false;
        if (IsDevice(path))
            return WriteToDevice(path, bytes);
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
        // Only a definite "not found" counts as a new file: anything else (a locked folder,
        // a path that names no folder) is not written at all.
        return false;
    }
    std::string folder = FolderOf(path);
    char temp[MAX_PATH];
    // GetTempFileName makes the file under a name no other file has, so nothing of the
    // user's can be overwritten or deleted in its place.
    if (folder.empty() || !GetTempFileNameA(folder.c_str(), "~zv", 0, temp))
        return false;
    HANDLE file =
        CreateFileA(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = file != INVALID_HANDLE_VALUE && FillAndClose(file, bytes.data(), bytes.size()) &&
              PutInPlace(temp, path, attributes);
    if (!ok)
        DeleteFileA(temp);
    return ok;
}
