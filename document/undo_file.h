#pragma once
// Undo files: one document's undo and redo stacks on disk, so that a history survives
// closing its tab and restarting the program. The format and the file names are pure
// functions over bytes; BuildUndoFilePath, WriteUndoFile and LoadUndoFile touch the disk.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "document/le_bytes.h"
#include "document/undo_core.h"

extern const char kUndoFileMagic[];  // "ZRVK_UNDO_02\n"
constexpr size_t kUndoFileMagicSize = 13;
constexpr uint32_t kUndoFileMaxSteps = 100000;
constexpr uint32_t kUndoFileMaxTextBytes = 50000000;
constexpr size_t kUndoSafeNameMaxBytes = 30;

// The whole file: the undo steps oldest first, then the redo steps from the next to
// redo (the last element) to the one that would be redone last. Only what the reader
// takes back whole is written: the undo steps after the newest one with a text over
// kUndoFileMaxTextBytes, the redo steps before the nearest such one, and the save
// point counted from the first step written (kUndoSavePointLost when it is not among
// them).
std::string SerializeUndoFile(const std::vector<UndoStep>& undo, const std::vector<UndoStep>& redo,
                              int32_t savedIndex);
// The same bytes, handed to the sink in pieces (each step text in one piece, straight from
// the step); false as soon as the sink refuses one.
bool StreamUndoFile(const std::vector<UndoStep>& undo, const std::vector<UndoStep>& redo, int32_t savedIndex,
                    const ByteSink& sink);

enum class UndoFileRead {
    BadHeader,  // wrong magic or a count out of bounds: the caller's stacks are untouched
    Damaged,    // a record ended short or broke a bound: the records before it were kept
    Complete,
};

// Reads an undo file from a byte buffer. Unless the header is bad, both stacks are
// replaced and *savedIndex is set (0 when the file ends before it). Never reads past
// size and never allocates more than the bytes that remain could fill.
UndoFileRead ParseUndoFile(const char* data, size_t size, std::vector<UndoStep>& undo,
                           std::vector<UndoStep>& redo, int32_t* savedIndex);

// The file name of a document's path: text after the last backslash, each byte other
// than A-Z, a-z, 0-9, '-' and '_' turned into '_', cut to 30 bytes.
std::string UndoSafeName(const std::string& path);
// FNV-1a over the path with A-Z folded to a-z and '/' read as '\'.
uint32_t UndoPathHash(const std::string& path);
// "<safe name>_<hash as %08x>.und"
std::string UndoFileNameForPath(const std::string& path);
// "untitled_<tick>_<id>.und"
std::string UndoFileNameForUntitled(uint32_t tick, int32_t id);

#ifdef _WIN32
// The undo-file path of a document (path null or empty: an untitled one, named after the
// tick count and id). The folder is "undo" beside the executable, else "Zorvik\undo"
// under APPDATA; it is created when needed.
std::string BuildUndoFilePath(const char* documentPath, int32_t id);
// False for an empty path or a failed write (the old file then stays as it was); true
// without touching the disk when both stacks are empty.
bool WriteUndoFile(const std::string& path, const std::vector<UndoStep>& undo,
                   const std::vector<UndoStep>& redo, int32_t savedIndex);
// WriteUndoFile of the history's stacks to its undoFilePath, unless that file was last
// written by this history with the stacks as they are now (its bytes would be the same).
bool WriteUndoFileOf(UndoHistory& history);
// Deletes the undo file of an untitled document (documentPath null or empty). Its name
// holds a tick count that no later run can build again, so it is of use only while its tab
// is open or on the closed-tab list. A document with a path keeps its undo file.
void DeleteUntitledUndoFile(const char* documentPath, const std::string& undoFilePath);
// True when the whole file was read. A bad header or a missing file leaves the stacks and
// savedIndex untouched; a damaged record keeps the records before it and returns false.
bool LoadUndoFile(const std::string& path, std::vector<UndoStep>& undo,
                  std::vector<UndoStep>& redo, int32_t* savedIndex);
#endif
