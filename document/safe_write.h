#pragma once
// Replacing a file so that a crash or a full disk never leaves it half written: the bytes
// go to a temporary file beside it, are flushed to the disk, and only then take the old
// file's place in one rename.

#include <cstddef>
#include <string>

// For the program's own files (session, undo files). False on any failure; the old file
// is then left as it was and the temporary file is removed. *created (when given) tells
// whether the folder took the temporary file at all, as against a write, flush or rename
// that failed after it.
bool WriteFileSafely(const std::string& path, const char* data, size_t size, bool* created = nullptr);
bool WriteFileSafely(const std::string& path, const std::string& bytes, bool* created = nullptr);

// The same for bytes that come in pieces (a session streamed from the documents): they go
// to the temporary file as they come, small pieces gathered into larger writes, large
// ones straight from the caller's memory, and the file takes the old one's place only in
// Commit. Without Commit the temporary file is removed and the old file stays.
class SafeFileWriter {
public:
    explicit SafeFileWriter(const std::string& path);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;
    // Whether the folder took the temporary file.
    bool Created() const;
    // False once any write failed (and from then on).
    bool Write(const char* data, size_t size);
    // Flushes the bytes to the disk and renames the file into place; false on any failure
    // before or now, and the old file is then as it was.
    bool Commit();

private:
    bool Drain();
    std::string path_, temp_;
    void* file_;
    std::string pending_;
    bool ok_;
};

// The temporary file that WriteFileSafely writes before the rename.
std::string SafeWriteTempPath(const std::string& path);

// For the user's files. The temporary file gets a name of its own in the same folder (no
// existing file is ever taken over for it), and the new file keeps the old one's
// attributes. What the rename costs: the new file is a new file, so a file with several
// hard links is cut loose from the others (they keep the old text), a symbolic link is
// replaced by a plain file, and permissions of its own that the old file had give way
// to the folder's. A device (NUL, a pipe) takes the bytes directly. False when the file is read-only, a folder, or any step
// fails; the old file is then as it was.
bool ReplaceFileContent(const char* path, const std::string& bytes);
