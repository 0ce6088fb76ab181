#pragma once
// Replacing a file so that a crash or a full disk never leaves it half written: the bytes
// go to a temporary file beside it, are flushed to the disk, and only then take the old
// file's place in one rename.

#include <cstddef>
#include <string>

// False on any failure; the old file is then left as it was and the temporary file is
// removed. *created (when given) tells whether the folder took the temporary file at all,
// as against a write, flush or rename that failed after it.
bool WriteFileSafely(const std::string& path, const char* data, size_t size, bool* created = nullptr);
bool WriteFileSafely(const std::string& path, const std::string& bytes, bool* created = nullptr);

// The temporary file that WriteFileSafely writes before the rename.
std::string SafeWriteTempPath(const std::string& path);
