#include <doctest/doctest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "document/safe_write.h"
#include "document/undo_file.h"

namespace {

std::string ExeFolder()
{
    char buffer[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string path(buffer, n);
    return path.substr(0, path.rfind('\\'));
}

// A fresh folder beside the test executable.
std::string ScratchFolder(const char* name)
{
    std::string folder = ExeFolder() + "\\" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

std::string ReadFileBytes(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

UndoStep Step(int32_t position, const char* removed, const char* inserted)
{
    UndoStep s;
    s.position = position;
    s.removed = removed;
    s.inserted = inserted;
    s.selBeforeStart = position;
    s.selAfterEnd = position + 1;
    s.tick = 4242;
    s.kind = UndoStepKind::Replace;
    return s;
}

}  // namespace

TEST_CASE("safe write creates and replaces a file and leaves no temporary file")
{
    std::string folder = ScratchFolder("safe_write");
    std::string path = folder + "\\target.bin";
    DeleteFileA(path.c_str());
    CHECK(WriteFileSafely(path, std::string("first\0version", 13)));
    CHECK(ReadFileBytes(path) == std::string("first\0version", 13));
    CHECK(WriteFileSafely(path, "second"));
    CHECK(ReadFileBytes(path) == "second");
    CHECK(WriteFileSafely(path, ""));
    CHECK(ReadFileBytes(path) == "");
    CHECK_FALSE(Exists(SafeWriteTempPath(path)));

    // A big buffer goes out in pieces.
    std::string big(3 * 1024 * 1024 + 17, 'z');
    CHECK(WriteFileSafely(path, big));
    CHECK(ReadFileBytes(path) == big);
}

TEST_CASE("a failed safe write leaves the old file as it was")
{
    std::string folder = ScratchFolder("safe_write_fail");
    CHECK_FALSE(WriteFileSafely(folder + "\\no such folder\\x.bin", "data"));
    CHECK_FALSE(Exists(folder + "\\no such folder\\x.bin.tmp"));
    CHECK_FALSE(WriteFileSafely("", "data"));

    // The target is a folder: the rename fails, the folder stays, the temporary file goes.
    std::string blocked = folder + "\\blocked";
    CreateDirectoryA(blocked.c_str(), nullptr);
    CHECK_FALSE(WriteFileSafely(blocked, "data"));
    CHECK((GetFileAttributesA(blocked.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0);
    CHECK_FALSE(Exists(SafeWriteTempPath(blocked)));

    // The temporary file cannot be made (a folder holds its name): the target stays.
    std::string kept = folder + "\\kept.bin";
    CHECK(WriteFileSafely(kept, "old"));
    CreateDirectoryA(SafeWriteTempPath(kept).c_str(), nullptr);
    CHECK_FALSE(WriteFileSafely(kept, "new"));
    CHECK(ReadFileBytes(kept) == "old");
    RemoveDirectoryA(SafeWriteTempPath(kept).c_str());
}

namespace {

// The reader lets go of the file a moment after the write began.
DWORD WINAPI CloseAfterPause(void* handle)
{
    Sleep(100);
    CloseHandle((HANDLE)handle);
    return 0;
}

} // namespace

TEST_CASE("a safe write waits a moment for another process's open of the old file to end")
{
    std::string path = ScratchFolder("safe_write_busy") + "\\busy.bin";
    REQUIRE(WriteFileSafely(path, "old"));
    // A reader as a virus scanner opens it: every sharing allowed, still no rename over it.
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(reader != INVALID_HANDLE_VALUE);
    HANDLE closer = CreateThread(nullptr, 0, CloseAfterPause, reader, 0, nullptr);
    REQUIRE(closer != nullptr);
    CHECK(WriteFileSafely(path, "new"));
    WaitForSingleObject(closer, INFINITE);
    CloseHandle(closer);
    CHECK(ReadFileBytes(path) == "new");
    CHECK_FALSE(Exists(SafeWriteTempPath(path)));
}

TEST_CASE("undo files on disk")
{
    std::string folder = ScratchFolder("undo_files");
    std::string path = folder + "\\doc.und";
    DeleteFileA(path.c_str());
    std::vector<UndoStep> undo = {Step(0, "", "abc"), Step(3, "x", "yz")};
    std::vector<UndoStep> redo = {Step(5, "later", ""), Step(4, "", "next")};

    CHECK_FALSE(WriteUndoFile("", undo, redo, 1));
    REQUIRE(WriteUndoFile(path, undo, redo, kUndoSavePointLost));
    CHECK(ReadFileBytes(path) == SerializeUndoFile(undo, redo, kUndoSavePointLost));

    std::vector<UndoStep> u, r;
    int32_t saved = 99;
    CHECK(LoadUndoFile(path, u, r, &saved));
    CHECK(saved == kUndoSavePointLost);
    REQUIRE(u.size() == 2);
    REQUIRE(r.size() == 2);
    CHECK(u[1].inserted == "yz");
    CHECK(r.back().inserted == "next");

    // Nothing to write: true, and the file already there stays.
    CHECK(WriteUndoFile(path, {}, {}, 0));
    CHECK(ReadFileBytes(path) == SerializeUndoFile(undo, redo, kUndoSavePointLost));

    // A missing file or a bad header leaves the caller's stacks alone.
    saved = 7;
    CHECK_FALSE(LoadUndoFile(folder + "\\missing.und", u, r, &saved));
    CHECK_FALSE(LoadUndoFile("", u, r, &saved));
    CHECK(u.size() == 2);
    CHECK(saved == 7);

    // A file cut inside its last record keeps the records before it.
    std::string cut = folder + "\\cut.und";
    std::string bytes = SerializeUndoFile(undo, {}, 2);
    REQUIRE(WriteFileSafely(cut, bytes.substr(0, bytes.size() - 1)));
    CHECK_FALSE(LoadUndoFile(cut, u, r, &saved));
    CHECK(u.size() == 1);
    CHECK(r.empty());
    CHECK(saved == 2);
}

TEST_CASE("an undo file is written again only when its history changed or moved")
{
    std::string folder = ScratchFolder("undo_unchanged");
    UndoHistory history;
    history.undoFilePath = folder + "\\doc.und";
    DeleteFileA(history.undoFilePath.c_str());
    CHECK(WriteUndoFileOf(history)); // empty stacks: nothing on the disk
    CHECK_FALSE(Exists(history.undoFilePath));

    // Each change of the history below writes the file anew; between them the file is
    // deleted behind the writer's back, so a write that was left out shows.
    struct Change {
        const char* what;
        void (*apply)(UndoHistory&);
    } changes[] = {
        {"a typed change", [](UndoHistory& h) { RecordTypedChange(h, h.snapshot + "typed", 0, 0, 5, 5, 1000); }},
        {"a change merged into the last step", [](UndoHistory& h) { RecordTypedChange(h, h.snapshot + "more", 5, 5, 9, 9, 1001); }},
        {"an undo", [](UndoHistory& h) { TakeUndo(h, h.snapshot, nullptr); }},
        {"a redo", [](UndoHistory& h) { TakeRedo(h, h.snapshot, nullptr); }},
        {"a save", [](UndoHistory& h) { MarkHistorySaved(h); }},
        {"a captured change", [](UndoHistory& h) { RecordCapturedChange(h, h.snapshot, "replaced", 0, 0, 0, 8, 1002); }},
        {"a new path", [](UndoHistory& h) { h.undoFilePath += ".moved"; }},
    };
    for (const Change& change : changes) {
        CAPTURE(change.what);
        change.apply(history);
        REQUIRE(WriteUndoFileOf(history));
        CHECK(ReadFileBytes(history.undoFilePath) ==
              SerializeUndoFile(history.undo, history.redo, history.savedIndex));
        DeleteFileA(history.undoFilePath.c_str());
        CHECK(WriteUndoFileOf(history));
        CHECK_FALSE(Exists(history.undoFilePath));
    }
    UndoHistory pathless;
    CHECK_FALSE(WriteUndoFileOf(pathless));
}

TEST_CASE("undo file paths live in the undo folder beside the executable")
{
    std::string folder = ExeFolder() + "\\undo";
    std::string named = BuildUndoFilePath("C:\\docs\\my notes.txt", 3);
    CHECK(named == folder + "\\" + UndoFileNameForPath("C:\\docs\\my notes.txt"));
    CHECK((GetFileAttributesA(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0);

    for (const char* untitled : {static_cast<const char*>(nullptr), ""}) {
        std::string path = BuildUndoFilePath(untitled, 12);
        std::string prefix = folder + "\\untitled_";
        CHECK(path.compare(0, prefix.size(), prefix) == 0);
        CHECK(path.size() > prefix.size() + 7);
        CHECK(path.compare(path.size() - 7, 7, "_12.und") == 0);
    }
}
