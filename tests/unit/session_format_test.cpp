#include <doctest/doctest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "document/session_format.h"

namespace {

SessionTab MakeTab(int32_t encoding, bool bom, bool modified, std::string path, std::string title,
                   std::string text)
{
    SessionTab t;
    t.encoding = (EncodingId)encoding;
    t.bom = bom;
    t.modified = modified;
    t.path = std::move(path);
    t.title = std::move(title);
    t.text = std::move(text);
    return t;
}

bool SameTab(const SessionTab& a, const SessionTab& b)
{
    return a.encoding == b.encoding && a.bom == b.bom && a.modified == b.modified &&
           a.path == b.path && a.title == b.title && a.text == b.text;
}

void PutU32(std::string& bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

struct Parsed {
    SessionRead result;
    int32_t activeIndex;
    std::vector<SessionTab> tabs;
};

// From a buffer of exactly the file's size, so the sanitizers see any read past it.
Parsed Parse(const std::string& bytes)
{
    Parsed p;
    p.activeIndex = 777;
    p.tabs.push_back(MakeTab(0, false, false, "", "caller's", ""));
    std::vector<char> exact(bytes.begin(), bytes.end());
    p.result = ParseSession(exact.data(), exact.size(), &p.activeIndex, p.tabs);
    return p;
}

}  // namespace

TEST_CASE("session round trip keeps every field")
{
    std::vector<SessionTab> tabs = {
        MakeTab(2, true, true, "C:\\docs\\a.txt", "a.txt", "line one\r\nline two\r\n"),
        MakeTab(0, false, false, "", "new 2", ""),
        MakeTab(9, false, true, std::string(4096, 'p'), std::string(512, 't'),
                std::string("\0\xff\x80 bytes", 9)),
        MakeTab(-3, true, false, "C:\\x.log", "x.log [SFTP]", "x"),
    };
    for (int32_t active : {0, 3, -1, 17}) {
        CAPTURE(active);
        Parsed p = Parse(SerializeSession(active, tabs));
        CHECK(p.result == SessionRead::Complete);
        CHECK(p.activeIndex == active);
        REQUIRE(p.tabs.size() == tabs.size());
        for (size_t i = 0; i < tabs.size(); ++i)
            CHECK(SameTab(p.tabs[i], tabs[i]));
    }
}

TEST_CASE("session layout")
{
    std::string bytes = SerializeSession(1, {MakeTab(3, true, false, "p", "tt", "xyz")});
    std::string expected("ZRVK_SESS_01\n", 13);
    expected += std::string("\x01\0\0\0\x01\0\0\0", 8);                   // tab count, active
    expected += std::string("\x03\0\0\0\x01\0\0\0\0\0\0\0", 12);          // encoding, bom, modified
    expected += std::string("\x01\0\0\0", 4) + "p" + std::string("\x02\0\0\0", 4) + "tt";
    expected += std::string("\x03\0\0\0", 4) + "xyz";
    CHECK(bytes == expected);
}

TEST_CASE("damaged session files")
{
    const std::vector<SessionTab> tabs = {MakeTab(1, false, true, "C:\\a.txt", "a.txt", "alpha"),
                                          MakeTab(2, true, false, "C:\\b.txt", "b.txt", "beta")};
    const std::string good = SerializeSession(1, tabs);
    const size_t secondRecord = 21 + 24 + 8 + 5 + 5;
    const size_t pathLenAt = secondRecord + 12;
    const size_t titleLenAt = pathLenAt + 4 + 8;
    const size_t textLenAt = titleLenAt + 4 + 5;

    auto with = [&](size_t offset, uint32_t value) {
        std::string bytes = good;
        PutU32(bytes, offset, value);
        return bytes;
    };
    std::string badMagic = good;
    badMagic[12] = '\r';

    struct Row {
        const char* name;
        std::string bytes;
        SessionRead result;
        size_t tabsKept;
        int32_t activeIndex;  // 777: the caller's value, untouched
    };
    const Row rows[] = {
        {"empty file", "", SessionRead::BadHeader, 1, 777},
        {"bad magic", badMagic, SessionRead::BadHeader, 1, 777},
        {"no tab count", good.substr(0, 15), SessionRead::BadHeader, 1, 777},
        {"tab count 0", with(13, 0), SessionRead::BadHeader, 1, 777},
        {"tab count 501, two records", with(13, 501), SessionRead::Damaged, 2, 1},
        {"negative tab count", with(13, 0xFFFFFFFFu), SessionRead::BadHeader, 1, 777},
        {"no active index", good.substr(0, 17), SessionRead::Damaged, 0, 0},
        {"tab count 500, two records", with(13, 500), SessionRead::Damaged, 2, 1},
        {"cut inside the second record", good.substr(0, secondRecord + 30), SessionRead::Damaged, 1, 1},
        {"path length 4097", with(pathLenAt, 4097), SessionRead::Damaged, 1, 1},
        {"negative path length", with(pathLenAt, 0xFFFFFFFFu), SessionRead::Damaged, 1, 1},
        {"title length 513", with(titleLenAt, 513), SessionRead::Damaged, 1, 1},
        {"negative text length", with(textLenAt, 0x80000000u), SessionRead::Damaged, 1, 1},
        {"text length past the end", with(textLenAt, 0x7FFFFFFFu), SessionRead::Damaged, 1, 1},
        {"last byte missing", good.substr(0, good.size() - 1), SessionRead::Damaged, 1, 1},
        {"the whole file", good, SessionRead::Complete, 2, 1},
        {"trailing bytes are ignored", good + "more", SessionRead::Complete, 2, 1},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        Parsed p = Parse(row.bytes);
        CHECK(p.result == row.result);
        CHECK(p.activeIndex == row.activeIndex);
        REQUIRE(p.tabs.size() == row.tabsKept);
        if (row.result == SessionRead::BadHeader) {
            CHECK(p.tabs[0].title == "caller's");
        } else {
            for (size_t i = 0; i < p.tabs.size(); ++i)
                CHECK(SameTab(p.tabs[i], tabs[i]));
        }
    }
}

TEST_CASE("session bounds are inclusive")
{
    std::vector<SessionTab> tabs(500, MakeTab(1, false, false, "", "t", ""));
    Parsed p = Parse(SerializeSession(499, tabs));
    CHECK(p.result == SessionRead::Complete);
    CHECK(p.tabs.size() == 500);
    // One more: the first 500 come back.
    tabs.push_back(MakeTab(1, false, false, "", "the 501st", ""));
    tabs[499].title = "the 500th";
    p = Parse(SerializeSession(499, tabs));
    CHECK(p.result == SessionRead::Capped);
    REQUIRE(p.tabs.size() == 500);
    CHECK(p.tabs[499].title == "the 500th");

    std::vector<SessionTab> one = {MakeTab(1, false, false, std::string(4097, 'p'), "t", "")};
    CHECK(Parse(SerializeSession(0, one)).result == SessionRead::Damaged);
    one[0].path.resize(4096);
    one[0].title.assign(513, 't');
    CHECK(Parse(SerializeSession(0, one)).result == SessionRead::Damaged);
    one[0].title.resize(512);
    CHECK(Parse(SerializeSession(0, one)).result == SessionRead::Complete);
}

TEST_CASE("a restored empty title reads as Untitled")
{
    Parsed p = Parse(SerializeSession(0, {MakeTab(1, false, false, "", "", "text")}));
    REQUIRE(p.tabs.size() == 1);
    CHECK(p.tabs[0].title == "Untitled");
    CHECK(p.tabs[0].text == "text");
}

TEST_CASE("what the session writer keeps and how it names tabs")
{
    CHECK(SessionIsEmpty({}));
    CHECK(SessionIsEmpty({MakeTab(1, false, true, "", "edited title", "")}));
    CHECK_FALSE(SessionIsEmpty({MakeTab(1, false, false, "", "", "x")}));
    CHECK_FALSE(SessionIsEmpty({MakeTab(1, false, false, "C:\\a.txt", "", "")}));
    CHECK_FALSE(SessionIsEmpty({MakeTab(1, false, false, "", "", ""), MakeTab(1, false, false, "", "", "")}));

    struct Row {
        const char* caption;
        const char* path;
        int position;
        const char* title;
    };
    const Row rows[] = {
        {"notes.txt *", "C:\\docs\\notes.txt", 1, "notes.txt *"},
        {"", "C:\\docs\\notes.txt", 1, "notes.txt"},
        {"", "notes.txt", 2, "notes.txt"},
        {"", "", 3, "new 3"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.title);
        CHECK(SessionTabTitle(row.caption, row.path, row.position) == row.title);
    }
}

TEST_CASE("the streamed session hands each text over where it lies, and stops at a refusal")
{
    std::string path = "C:\\docs\\a.txt", textA(70000, 'a'), textB = "b\r\n";
    std::vector<SessionTabRef> refs(2);
    refs[0].encoding = Utf16Le;
    refs[0].bom = true;
    refs[0].path = path.data();
    refs[0].pathSize = path.size();
    refs[0].title = "a.txt";
    refs[0].text = textA.data();
    refs[0].textSize = textA.size();
    refs[1].modified = true;
    refs[1].title = "new 2";
    refs[1].text = textB.data();
    refs[1].textSize = textB.size();
    std::vector<SessionTab> copies = {MakeTab(2, true, false, path, "a.txt", textA),
                                      MakeTab(1, false, true, "", "new 2", textB)};

    std::string streamed;
    std::vector<const char*> pieces;
    CHECK(StreamSession(1, refs, [&](const char* data, size_t size) {
        pieces.push_back(data);
        streamed.append(data, size);
        return true;
    }));
    CHECK(streamed == SerializeSession(1, copies));
    CHECK(std::count(pieces.begin(), pieces.end(), textA.data()) == 1);
    CHECK(std::count(pieces.begin(), pieces.end(), path.data()) == 1);

    // The sink refuses its third piece: nothing more is asked of it.
    int calls = 0;
    CHECK_FALSE(StreamSession(1, refs, [&](const char*, size_t) { return ++calls < 3; }));
    CHECK(calls == 3);

    CHECK(SessionIsEmpty(refs.data(), 0));
    CHECK_FALSE(SessionIsEmpty(refs.data(), 1));
    refs[1].textSize = 0;
    CHECK(SessionIsEmpty(&refs[1], 1));
}
