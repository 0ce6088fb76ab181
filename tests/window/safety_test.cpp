#include <doctest/doctest.h>

#include "tests/window/harness.h"

#include "app/main_window.h"
#include "app/settings.h"
#include "app/tabs.h"
#include "document/document.h"
#include "document/save.h"
#include "document/session.h"

#include <commctrl.h>

#include <algorithm>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

using Fixture = TestWindow;

void Command(HWND hwnd, int id)
{
    SendMessageA(hwnd, WM_COMMAND, id, 0);
}

// A text of about size bytes in lines of 80 characters.
std::string Lines(size_t size, char fill)
{
    std::string text;
    text.reserve(size + 82);
    while (text.size() < size)
        text += std::string(78, fill) + "\r\n";
    return text;
}

std::vector<std::string> FolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0)
            names.push_back(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// Writes pieces to a new file until the disk takes no more; returns the bytes written.
size_t FillDisk(const std::string& path)
{
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    REQUIRE(file != INVALID_HANDLE_VALUE);
    std::string piece(4096, 'f');
    size_t total = 0;
    DWORD written = 0;
    while (WriteFile(file, piece.data(), (DWORD)piece.size(), &written, nullptr) && written > 0)
        total += written;
    CloseHandle(file);
    return total;
}

} // namespace

TEST_CASE("a save onto a disk that fills up keeps the old file whole")
{
    const char* small = getenv("ZV_SMALL_DISK");
    if (!small || strcmp(small, "1") != 0) {
        MESSAGE("no small disk mounted (mounting a tmpfs needs root): the full-disk save went untested");
        return;
    }
    Fixture f;
    std::string folder = ExeFolder() + "small_disk\\";
    std::string path = folder + "doc.txt", filler = folder + "filler.bin";
    std::string old = Lines(300000, 'o');
    WriteFileBytes(path, old);
    // Room for about 200 KB more: less than the new text needs.
    size_t filled = FillDisk(filler);
    HANDLE file = CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(file != INVALID_HANDLE_VALUE);
    SetFilePointer(file, (LONG)(filled > 200000 ? filled - 200000 : 0), nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);

    OpenFileByPath(f.hwnd, path.c_str());
    std::string typed = Lines(600000, 'n');
    SendMessageA(gEditorWnd, EM_SETSEL, 0, -1);
    SendMessageA(gEditorWnd, EM_REPLACESEL, TRUE, (LPARAM)typed.c_str());
    REQUIRE(GetActiveDocument()->modified);
    {
        MessageBoxAnswers answers;
        CHECK_FALSE(SaveFile(f.hwnd));
        REQUIRE(answers.seen.size() == 1);
        CHECK(answers.seen[0].title == "Zorvik - Save Error");
        CHECK(answers.seen[0].text == "Failed to save \"doc.txt\".");
    }
    CHECK(ReadFileBytes(path) == old);
    CHECK(GetActiveDocument()->modified);
    CHECK(FolderNames(folder) == std::vector<std::string>{"doc.txt", "filler.bin"});

    // With room again the same save goes through.
    DeleteFileA(filler.c_str());
    CHECK(SaveFile(f.hwnd));
    CHECK(ReadFileBytes(path) == typed);
    CHECK(FolderNames(folder) == std::vector<std::string>{"doc.txt"});
    DeleteFileA(path.c_str());
}
