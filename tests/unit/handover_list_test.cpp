#include <doctest/doctest.h>

#include "app/handover_list.h"

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

TEST_CASE("the hand-over list quotes full paths in order and reads back the same")
{
    const std::vector<std::string> paths = {"C:\\work\\a.txt", "C:\\my files\\b c.txt", "D:\\x.log"};
    std::string list = BuildHandOverList(paths);
    CHECK(list == "\"C:\\work\\a.txt\" \"C:\\my files\\b c.txt\" \"D:\\x.log\"");
    CHECK(SplitHandOverList(list) == paths);
    CHECK(BuildHandOverList({}).empty());
    CHECK(SplitHandOverList("").empty());
    // A receiver reads up to the first zero byte.
    CHECK(SplitHandOverList(std::string("\"a\" \"b\"\0 \"c\"", 12)) == std::vector<std::string>{"a", "b"});
}

TEST_CASE("the list ends at the first path that would take it past 65,534 bytes")
{
    // 250 paths of 259 characters make 65,499 bytes; the next entry costs its length + 3
    // and is taken while length + 4 still fits.
    std::vector<std::string> paths(250, std::string(259, 'p'));
    std::string list = BuildHandOverList(paths);
    REQUIRE(list.size() == 65499);
    struct Row {
        size_t length;
        bool taken;
    };
    const Row rows[] = {{30, true}, {31, true}, {32, false}, {259, false}};
    for (const Row& row : rows) {
        CAPTURE(row.length);
        std::string grown = list;
        CHECK(AppendHandOverPath(&grown, std::string(row.length, 'q')) == row.taken);
        CHECK(grown.size() == (row.taken ? list.size() + row.length + 3 : list.size()));
    }
    // The remaining paths are dropped even when a later one would fit.
    std::vector<std::string> more = paths;
    more.push_back(std::string(40, 'x'));
    more.push_back("short");
    CHECK(BuildHandOverList(more) == list);
    // The first path is always taken.
    std::string first;
    CHECK(AppendHandOverPath(&first, std::string(70000, 'f')));
    CHECK(first.size() == 70002);
}

TEST_CASE("WM_COPYDATA is accepted only with the code and a size from 1 to 1 MB")
{
    const std::string with_zero("\"C:\\a.txt\"", 11);
    std::string big(kHandOverCopyDataMax + 1, 'x');
    struct Row {
        const char* name;
        unsigned long code;
        const void* data;
        unsigned long size;
        bool accepted;
        std::string text;
    };
    const Row rows[] = {
        {"with its zero", kCopyDataOpenFiles, with_zero.data(), 11, true, "\"C:\\a.txt\""},
        {"without its zero", kCopyDataOpenFiles, with_zero.data(), 10, true, "\"C:\\a.txt\""},
        {"only a zero", kCopyDataOpenFiles, "", 1, true, ""},
        {"another code", 0x5A52564C, with_zero.data(), 11, false, "kept"},
        {"no data", kCopyDataOpenFiles, nullptr, 11, false, "kept"},
        {"size 0", kCopyDataOpenFiles, with_zero.data(), 0, false, "kept"},
        {"exactly 1 MB", kCopyDataOpenFiles, big.data(), kHandOverCopyDataMax, true, std::string(kHandOverCopyDataMax, 'x')},
        {"1 MB and a byte", kCopyDataOpenFiles, big.data(), kHandOverCopyDataMax + 1, false, "kept"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        std::string text = "kept";
        CHECK(AcceptHandOverCopyData(row.code, row.data, row.size, &text) == row.accepted);
        CHECK(text == row.text);
    }
    CHECK(kCopyDataOpenFiles == (((unsigned long)'Z' << 24) | ('R' << 16) | ('V' << 8) | 'K'));
}

TEST_CASE("hand-over files: sizes taken and names")
{
    CHECK_FALSE(HandOverFileSizeAccepted(0));
    CHECK(HandOverFileSizeAccepted(1));
    CHECK(HandOverFileSizeAccepted(0xFFFFF));
    CHECK_FALSE(HandOverFileSizeAccepted(0x100000));
    CHECK_FALSE(HandOverFileSizeAccepted(0x100000000ULL + 5));

    CHECK(HandOverFilePath("C:\\Temp\\", 1234) == "C:\\Temp\\zorvik_open_1234.txt");
    CHECK(HandOverFilePath("C:\\Temp\\", 4294967295UL) == "C:\\Temp\\zorvik_open_4294967295.txt");
    CHECK(HandOverFilePattern("C:\\Temp\\") == "C:\\Temp\\zorvik_open_*.txt");
}

TEST_CASE("a partial hand-over file: its sender, and when it is abandoned")
{
    CHECK(HandOverPartialFilePattern("C:\\Temp\\") == "C:\\Temp\\zorvik_open_*.part");
    struct Row {
        const char* name;
        bool read;
        unsigned long processId;
    };
    const Row rows[] = {
        {"zorvik_open_1234.part", true, 1234},
        {"zorvik_open_0.part", true, 0},
        {"zorvik_open_4294967295.part", true, 4294967295UL},
        {"zorvik_open_4294967296.part", false, 0},
        {"zorvik_open_.part", false, 0},
        {"zorvik_open_12a.part", false, 0},
        {"zorvik_open_-1.part", false, 0},
        {"zorvik_open_1234.txt", false, 0},
        {"zorvik_open_1234.part.bak", false, 0},
        {"other_open_1234.part", false, 0},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        unsigned long id = 7;
        CHECK(ParseHandOverPartialName(row.name, &id) == row.read);
        CHECK(id == (row.read ? row.processId : 7UL));
    }
    CHECK(HandOverPartialAbandoned(false, 0));
    CHECK_FALSE(HandOverPartialAbandoned(true, 0));
    CHECK_FALSE(HandOverPartialAbandoned(true, kHandOverPartialMaxAgeMs));
    CHECK(HandOverPartialAbandoned(true, kHandOverPartialMaxAgeMs + 1));
}

#ifdef _WIN32
TEST_CASE("a file still being written never matches the receiver's search")
{
    char temp[MAX_PATH];
    REQUIRE(GetTempPathA(sizeof(temp), temp) > 0);
    std::string partial = HandOverPartialFilePath(temp, 4242);
    HANDLE file = CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    REQUIRE(file != INVALID_HANDLE_VALUE);
    CloseHandle(file);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(HandOverFilePattern(temp).c_str(), &data);
    bool seen = false;
    if (find != INVALID_HANDLE_VALUE) {
        do
            seen = seen || std::string(data.cFileName).find("4242") != std::string::npos;
        while (FindNextFileA(find, &data));
        FindClose(find);
    }
    CHECK_FALSE(seen);
    DeleteFileA(partial.c_str());
}
#endif
