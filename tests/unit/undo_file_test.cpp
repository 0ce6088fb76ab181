#include <doctest/doctest.h>

#include <algorithm>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "document/undo_file.h"

namespace {

UndoStep MakeStep(int32_t seed, std::string removed, std::string inserted)
{
    UndoStep s;
    s.position = seed;
    s.removed = std::move(removed);
    s.inserted = std::move(inserted);
    s.selBeforeStart = seed + 1;
    s.selBeforeEnd = -seed - 2;
    s.selAfterStart = seed * 3;
    s.selAfterEnd = 0x7FFFFFFF - seed;
    s.tick = 0xFFFFFFF0u + static_cast<uint32_t>(seed);
    s.kind = static_cast<UndoStepKind>(seed % 3);
    return s;
}

bool SameStep(const UndoStep& a, const UndoStep& b)
{
    return a.position == b.position && a.removed == b.removed && a.inserted == b.inserted &&
           a.selBeforeStart == b.selBeforeStart && a.selBeforeEnd == b.selBeforeEnd &&
           a.selAfterStart == b.selAfterStart && a.selAfterEnd == b.selAfterEnd && a.tick == b.tick &&
           a.kind == b.kind;
}

bool SameSteps(const std::vector<UndoStep>& a, const std::vector<UndoStep>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!SameStep(a[i], b[i]))
            return false;
    return true;
}

void PutU32(std::string& bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string Header(uint32_t total, int32_t undoCount, int32_t savedIndex)
{
    std::string bytes(kUndoFileMagic, kUndoFileMagicSize);
    bytes.resize(25);
    PutU32(bytes, 13, total);
    PutU32(bytes, 17, static_cast<uint32_t>(undoCount));
    PutU32(bytes, 21, static_cast<uint32_t>(savedIndex));
    return bytes;
}

// A record with empty texts: 9 integers.
std::string EmptyRecord(int32_t position)
{
    std::string bytes(36, '\0');
    PutU32(bytes, 0, static_cast<uint32_t>(position));
    return bytes;
}

struct Parsed {
    UndoFileRead result;
    std::vector<UndoStep> undo, redo;
    int32_t savedIndex;
};

// Parses from a buffer of exactly the file's size, so the sanitizers see any read past it.
Parsed Parse(const std::string& bytes)
{
    Parsed p;
    p.undo.push_back(MakeStep(99, "old", "undo"));
    p.redo.push_back(MakeStep(98, "old", "redo"));
    p.savedIndex = 1234;
    std::vector<char> exact(bytes.begin(), bytes.end());
    p.result = ParseUndoFile(exact.data(), exact.size(), p.undo, p.redo, &p.savedIndex);
    return p;
}

}  // namespace

TEST_CASE("undo file round trip keeps every field and the stack order")
{
    std::vector<UndoStep> undo = {MakeStep(0, "", "typed"), MakeStep(1, "gone", ""),
                                  MakeStep(2, std::string("\0\xff\r\n", 4), "x")};
    std::vector<UndoStep> redo = {MakeStep(10, "last to redo", "a"), MakeStep(11, "", "next to redo")};
    undo[1].kind = static_cast<UndoStepKind>(7);  // stored as it is
    for (int32_t saved : {0, 3, kUndoSavePointLost, 100000}) {
        CAPTURE(saved);
        std::string bytes = SerializeUndoFile(undo, redo, saved);
        Parsed p = Parse(bytes);
        CHECK(p.result == UndoFileRead::Complete);
        CHECK(SameSteps(p.undo, undo));
        CHECK(SameSteps(p.redo, redo));
        CHECK(p.savedIndex == saved);
    }
}

TEST_CASE("undo file layout")
{
    UndoStep s = MakeStep(5, "ab", "xyz");
    std::vector<UndoStep> redo = {MakeStep(6, "", "r0"), MakeStep(7, "", "r1")};
    std::string bytes = SerializeUndoFile({s}, redo, -1);
    std::string expected = Header(3, 1, -1);
    const uint32_t fields[] = {5, 6, static_cast<uint32_t>(-7), 15, 0x7FFFFFFF - 5, 0xFFFFFFF5u, 2, 2};
    for (uint32_t f : fields) {
        std::string v(4, '\0');
        PutU32(v, 0, f);
        expected += v;
    }
    expected += "ab";
    expected += std::string("\x03\0\0\0", 4) + "xyz";
    REQUIRE(bytes.size() > expected.size());
    CHECK(bytes.compare(0, expected.size(), expected) == 0);
    // The next to redo (the last element) comes straight after the undo steps.
    size_t r1 = bytes.find("r1"), r0 = bytes.find("r0");
    CHECK(r1 < r0);
    CHECK(bytes.size() == 25 + (36 + 5) + 2 * (36 + 2));
}

TEST_CASE("the streamed undo file hands each step text over where it lies, and stops at a refusal")
{
    std::vector<UndoStep> undo = {MakeStep(0, "", std::string(70000, 'i')), MakeStep(1, "gone", "")};
    std::vector<UndoStep> redo = {MakeStep(10, "r", "redo")};
    std::string streamed;
    std::vector<const char*> pieces;
    CHECK(StreamUndoFile(undo, redo, 1, [&](const char* data, size_t size) {
        pieces.push_back(data);
        streamed.append(data, size);
        return true;
    }));
    CHECK(streamed == SerializeUndoFile(undo, redo, 1));
    for (const std::string* text : {&undo[0].inserted, &undo[1].removed, &redo[0].inserted})
        CHECK(std::count(pieces.begin(), pieces.end(), text->data()) == 1);

    int calls = 0;
    CHECK_FALSE(StreamUndoFile(undo, redo, 1, [&](const char*, size_t) { return ++calls < 2; }));
    CHECK(calls == 2);
}

TEST_CASE("damaged undo files")
{
    std::vector<UndoStep> undo = {MakeStep(1, "one", "1"), MakeStep(2, "two", "2")};
    std::vector<UndoStep> redo = {MakeStep(3, "three", "3")};
    const std::string good = SerializeUndoFile(undo, redo, 2);
    const size_t firstRecordEnd = 25 + 36 + 3 + 1;

    struct Row {
        const char* name;
        std::string bytes;
        UndoFileRead result;
        size_t undoKept;
        size_t redoKept;
        int32_t savedIndex;  // 1234: the caller's value, untouched
    };
    std::string badMagic = good;
    badMagic[3] = 'X';
    std::string longText = good;
    PutU32(longText, firstRecordEnd + 28, 1000);  // the second record's removed length
    std::string overBound = good;
    PutU32(overBound, firstRecordEnd + 28, kUndoFileMaxTextBytes + 1);
    std::string hugeLength = good;
    PutU32(hugeLength, 25 + 28, 0xFFFFFFFFu);
    std::string redoCut = good.substr(0, good.size() - 1);

    const Row rows[] = {
        {"empty file", "", UndoFileRead::BadHeader, 1, 1, 1234},
        {"bad magic", badMagic, UndoFileRead::BadHeader, 1, 1, 1234},
        {"magic only", good.substr(0, 13), UndoFileRead::BadHeader, 1, 1, 1234},
        {"total cut short", good.substr(0, 15), UndoFileRead::BadHeader, 1, 1, 1234},
        {"no undo count", good.substr(0, 17), UndoFileRead::BadHeader, 1, 1, 1234},
        {"total over the bound", Header(100001, 0, 0), UndoFileRead::BadHeader, 1, 1, 1234},
        {"undo count above total", Header(2, 3, 0), UndoFileRead::BadHeader, 1, 1, 1234},
        {"negative undo count", Header(2, -1, 0), UndoFileRead::BadHeader, 1, 1, 1234},
        {"total at the bound but no records", Header(100000, 5, 0), UndoFileRead::Damaged, 0, 0, 0},
        {"cut inside the second record", good.substr(0, firstRecordEnd + 10), UndoFileRead::Damaged, 1, 0, 2},
        {"cut right after the first record", good.substr(0, firstRecordEnd), UndoFileRead::Damaged, 1, 0, 2},
        {"text length past the end", longText, UndoFileRead::Damaged, 1, 0, 2},
        {"text length over 50,000,000", overBound, UndoFileRead::Damaged, 1, 0, 2},
        {"text length 0xFFFFFFFF", hugeLength, UndoFileRead::Damaged, 0, 0, 2},
        {"redo record cut short", redoCut, UndoFileRead::Damaged, 2, 0, 2},
        {"the whole file", good, UndoFileRead::Complete, 2, 1, 2},
        {"trailing bytes are ignored", good + "junk", UndoFileRead::Complete, 2, 1, 2},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        Parsed p = Parse(row.bytes);
        CHECK(p.result == row.result);
        REQUIRE(p.undo.size() == row.undoKept);
        REQUIRE(p.redo.size() == row.redoKept);
        CHECK(p.savedIndex == row.savedIndex);
        if (row.result == UndoFileRead::BadHeader) {
            CHECK(p.undo[0].inserted == "undo");
            CHECK(p.redo[0].inserted == "redo");
        } else {
            for (size_t i = 0; i < p.undo.size(); ++i)
                CHECK(SameStep(p.undo[i], undo[i]));
        }
    }
}

TEST_CASE("a cut among the redo records keeps the next to redo")
{
    std::vector<UndoStep> redo = {MakeStep(20, "", "redone last"), MakeStep(21, "", "next")};
    std::string bytes = SerializeUndoFile({MakeStep(1, "", "u")}, redo, 1);
    Parsed p = Parse(bytes.substr(0, bytes.size() - 2));
    CHECK(p.result == UndoFileRead::Damaged);
    CHECK(p.undo.size() == 1);
    REQUIRE(p.redo.size() == 1);
    CHECK(p.redo.back().inserted == "next");
}

TEST_CASE("an undo file that ends before savedIndex")
{
    Parsed p = Parse(Header(0, 0, 0).substr(0, 21));
    CHECK(p.result == UndoFileRead::Complete);
    CHECK(p.undo.empty());
    CHECK(p.redo.empty());
    CHECK(p.savedIndex == 0);

    std::string bytes = Header(1, 1, 0).substr(0, 21);
    Parsed q = Parse(bytes + EmptyRecord(0));
    // The record's first bytes are taken as savedIndex, so the record itself is cut.
    CHECK(q.result == UndoFileRead::Damaged);
}

TEST_CASE("text lengths at the 50,000,000 byte bound")
{
    std::string text(kUndoFileMaxTextBytes, 'a');
    std::string bytes = SerializeUndoFile({MakeStep(0, text, "")}, {}, 0);
    text.clear();
    text.shrink_to_fit();
    Parsed p = Parse(bytes);
    CHECK(p.result == UndoFileRead::Complete);
    REQUIRE(p.undo.size() == 1);
    CHECK(p.undo[0].removed.size() == kUndoFileMaxTextBytes);
}

TEST_CASE("the writer leaves out what the reader would cut, so the history read back fits the text")
{
    // Steps named by letter; a capital one has a text one byte over the bound. The undo
    // stack is oldest first, the redo stack has the next to redo last.
    struct Row {
        const char* undo;
        const char* redo;
        int32_t savedIndex;
        const char* undoRead;
        const char* redoRead;
        int32_t savedRead;
    };
    const Row rows[] = {
        {"abc", "ed", 2, "abc", "ed", 2},
        {"aBc", "", 3, "c", "", 1},
        {"aBc", "", 1, "c", "", kUndoSavePointLost},
        {"aBc", "", 2, "c", "", 0},
        {"abC", "d", 3, "", "d", 0},
        {"ab", "Dc", 3, "ab", "c", 3},
        {"ab", "dC", 3, "ab", "", kUndoSavePointLost},
        {"ab", "dC", kUndoSavePointLost, "ab", "", kUndoSavePointLost},
    };
    std::string big(kUndoFileMaxTextBytes + 1, 'x');
    auto steps = [&](const char* names) {
        std::vector<UndoStep> out;
        for (const char* p = names; *p; ++p) {
            bool over = *p >= 'A' && *p <= 'Z';
            out.push_back(MakeStep(*p, over ? big : std::string(1, *p), over ? "" : "+"));
        }
        return out;
    };
    auto names = [](const std::vector<UndoStep>& list) {
        std::string out;
        for (const UndoStep& s : list)
            out += static_cast<char>(s.position);
        return out;
    };
    for (const Row& row : rows) {
        CAPTURE(row.undo);
        CAPTURE(row.redo);
        Parsed p = Parse(SerializeUndoFile(steps(row.undo), steps(row.redo), row.savedIndex));
        CHECK(p.result == UndoFileRead::Complete);
        CHECK(names(p.undo) == row.undoRead);
        CHECK(names(p.redo) == row.redoRead);
        CHECK(p.savedIndex == row.savedRead);
    }
}

TEST_CASE("a record count the buffer cannot hold does not reserve memory for it")
{
    std::string bytes = Header(100000, 100000, 0) + EmptyRecord(1) + EmptyRecord(2);
    Parsed p = Parse(bytes);
    CHECK(p.result == UndoFileRead::Damaged);
    CHECK(p.undo.size() == 2);
    CHECK(p.undo.capacity() < 100);
}

TEST_CASE("undo file names")
{
    struct Row {
        const char* path;
        const char* safeName;
    };
    const Row rows[] = {
        {"C:\\docs\\my notes.txt", "my_notes_txt"},
        {"C:\\docs\\Read-Me_2.log", "Read-Me_2_log"},
        {"plain.txt", "plain_txt"},
        {"C:\\docs\\", ""},
        {"C:/docs/a.txt", "C__docs_a_txt"},
        {"C:\\x\\\xc7\xd1\xb1\xdb.txt", "_____txt"},
        {"C:\\x\\abcdefghijklmnopqrstuvwxyz0123456789.txt", "abcdefghijklmnopqrstuvwxyz0123"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.path);
        CHECK(UndoSafeName(row.path) == row.safeName);
    }

    // FNV-1a: the empty string is the offset basis; "a" is a published value.
    CHECK(UndoPathHash("") == 0x811C9DC5u);
    CHECK(UndoPathHash("a") == 0xE40C292Cu);
    CHECK(UndoPathHash("A") == 0xE40C292Cu);
    CHECK(UndoPathHash("C:\\Docs\\Notes.TXT") == UndoPathHash("c:\\docs\\notes.txt"));
    CHECK(UndoPathHash("C:/docs/notes.txt") == UndoPathHash("C:\\docs\\notes.txt"));
    CHECK(UndoPathHash("docs\\notes.txt") != UndoPathHash("C:\\docs\\notes.txt"));

    char expected[64];
    std::snprintf(expected, sizeof expected, "my_notes_txt_%08x.und",
                  static_cast<unsigned>(UndoPathHash("C:\\docs\\my notes.txt")));
    CHECK(UndoFileNameForPath("C:\\docs\\my notes.txt") == expected);
    CHECK(UndoFileNameForPath("C:\\Docs\\My Notes.txt") != expected);  // the name keeps its case
    CHECK(UndoFileNameForPath("a") == "a_e40c292c.und");
    CHECK(UndoFileNameForPath("cfx") == "cfx_0076912c.und");  // eight digits, zero-padded
    CHECK(UndoFileNameForUntitled(4294967295u, 12) == "untitled_4294967295_12.und");
    CHECK(UndoFileNameForUntitled(0, 1) == "untitled_0_1.und");
}
