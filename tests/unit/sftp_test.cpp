#include <doctest/doctest.h>

#include <cstdint>
#include <string>

#include "sftp/password_scramble.h"
#include "sftp/sftp_connection.h"

namespace {

SftpConnection Connection(const char* user, const char* host, int32_t port, const char* path = "")
{
    SftpConnection c;
    c.user = user;
    c.host = host;
    c.port = port;
    c.remotePath = path;
    return c;
}

} // namespace

TEST_CASE("a new connection record")
{
    SftpConnection c;
    CHECK(c.host.empty());
    CHECK(c.port == 22);
    CHECK(c.user.empty());
    CHECK(c.password.empty());
    CHECK(c.keyPath.empty());
    CHECK(c.remotePath.empty());
    CHECK(c.readOnly);
}

TEST_CASE("connection key and URL")
{
    struct Row {
        SftpConnection connection;
        std::string key;
        std::string url;
    };
    const Row rows[] = {
        {Connection("alice", "example.org", 22, "/etc/hosts"), "alice@example.org:22",
         "sftp://alice@example.org:22/etc/hosts"},
        {Connection("alice", "example.org", 22, "etc/hosts"), "alice@example.org:22",
         "sftp://alice@example.org:22etc/hosts"},
        {Connection("bob", "10.0.0.5", 2222, "/var/log/a b.log"), "bob@10.0.0.5:2222",
         "sftp://bob@10.0.0.5:2222/var/log/a b.log"},
        {Connection("u", "h", 0, "/x"), "u@h:22", "sftp://u@h:22/x"},
        {Connection("u", "h", -5, "/x"), "u@h:22", "sftp://u@h:22/x"},
        {Connection("u", "h", 1, ""), "u@h:1", "sftp://u@h:1"},
        {Connection("", "", 65535, " /sp "), "@:65535", "sftp://@:65535 /sp "},
        {Connection("Alice", "Example.ORG", 22, "/A"), "Alice@Example.ORG:22",
         "sftp://Alice@Example.ORG:22/A"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.key);
        CHECK(FormatConnectionKey(row.connection) == row.key);
        CHECK(FormatConnectionUrl(row.connection) == row.url);
    }
}

TEST_CASE("key and URL are cut at their bounds")
{
    SftpConnection c = Connection("u", std::string(500, 'h').c_str(), 22, "/p");
    std::string key = FormatConnectionKey(c);
    CHECK(key.size() == 383);
    CHECK(key == ("u@" + std::string(500, 'h')).substr(0, 383));

    c = Connection("user", "host", 22, ("/" + std::string(1000, 'p')).c_str());
    std::string url = FormatConnectionUrl(c);
    CHECK(url.size() == 767);
    CHECK(url.substr(0, 25) == "sftp://user@host:22/ppppp");

    // Exactly at the bound less one nothing is cut.
    c = Connection("u", std::string(383 - 5, 'h').c_str(), 22);
    CHECK(FormatConnectionKey(c).size() == 383);
    CHECK(FormatConnectionKey(c).substr(379) == "h:22");
}

TEST_CASE("password cache")
{
    gSftpPasswordCache.clear();
    SftpConnection c = Connection("alice", "example.org", 22);
    CHECK(LookupCachedPassword(c).empty());

    c.password = "first";
    CacheSftpPassword(c);
    c.password = "";
    CHECK(LookupCachedPassword(c) == "first");

    // An empty password never erases a cached one.
    CacheSftpPassword(c);
    CHECK(LookupCachedPassword(c) == "first");

    c.password = "second";
    CacheSftpPassword(c);
    CHECK(LookupCachedPassword(c) == "second");

    // Port 0 and 22 share the key; the key is case-sensitive.
    SftpConnection zeroPort = Connection("alice", "example.org", 0);
    CHECK(LookupCachedPassword(zeroPort) == "second");
    SftpConnection upper = Connection("ALICE", "EXAMPLE.ORG", 22);
    CHECK(LookupCachedPassword(upper).empty());
    upper.password = "upper";
    CacheSftpPassword(upper);
    CHECK(gSftpPasswordCache.size() == 2);
    CHECK(LookupCachedPassword(c) == "second");
    CHECK(gSftpPasswordCache.at("ALICE@EXAMPLE.ORG:22") == "upper");

    // The remote path, key file and read-only choice are not part of the key.
    SftpConnection other = c;
    other.remotePath = "/elsewhere";
    other.keyPath = "k.ppk";
    other.readOnly = false;
    other.password = "";
    CHECK(LookupCachedPassword(other) == "second");
    gSftpPasswordCache.clear();
}

TEST_CASE("password scrambling: stored forms")
{
    struct Row {
        std::string password;
        std::string stored;
    };
    const Row rows[] = {
        {"", ""},
        {"a", "XP1:31"},
        {"secret", "XP1:23007531125D"},
        {"P@ssw0rd!", "XP1:002565300019556D1A"},
        // Byte 13 meets key byte 0 again, with the rolling byte 176.
        {"abcdefghijklmnop", "XP1:31077527124F406152798C9FF789A38D"},
        // The rolling byte wraps: 254 at index 19, then 11 at index 20.
        {"abcdefghijklmnopqrstuv", "XP1:31077527124F406152798C9FF789A38DCBDAE3F8153A"},
        {std::string("\0\xFF\x80", 3), "XP1:509A96"},
        {"\xE9t\xE9", "XP1:B911FF"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.stored);
        CHECK(ScramblePassword(row.password) == row.stored);
        CHECK(UnscramblePassword(row.stored) == row.password);
    }
}

TEST_CASE("password unscrambling: plain, damaged and lower-case texts")
{
    struct Row {
        std::string stored;
        std::string password;
    };
    const Row rows[] = {
        {"", ""},
        {"XP1:", ""},
        {"XP1:31077527124f406152798c9ff789a38d", "abcdefghijklmnop"},
        {"XP1:b911Ff", "\xE9t\xE9"},
        // Not prefixed: a plain password, whatever it looks like.
        {"X", "X"},
        {"XP1", "XP1"},
        {"xp1:31", "xp1:31"},
        {"XP2:31", "XP2:31"},
        {" XP1:31", " XP1:31"},
        {"hunter2", "hunter2"},
        {std::string(300, 'z'), std::string(300, 'z')},
        // Damaged: no partial result.
        {"XP1:3", ""},
        {"XP1:310", ""},
        {"XP1:3G", ""},
        {"XP1:31 0", ""},
        {"XP1: 31", ""},
        {"XP1:3100zz", ""},
        {std::string("XP1:3\0", 6), ""},
    };
    for (const Row& row : rows) {
        CAPTURE(row.stored);
        CHECK(UnscramblePassword(row.stored) == row.password);
    }
}

TEST_CASE("unscramble(scramble(p)) == p for byte strings up to 255 bytes")
{
    uint64_t state = 0x2545F4914F6CDD1Dull;
    auto next = [&state]() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return (unsigned)(state >> 24);
    };
    for (size_t length = 0; length <= 255; ++length) {
        for (int round = 0; round < 8; ++round) {
            std::string p(length, '\0');
            for (char& c : p)
                c = (char)(round == 0 ? 0xFF : round == 1 ? 0 : next());
            std::string stored = ScramblePassword(p);
            CAPTURE(length);
            CHECK(stored.size() == (length ? 4 + 2 * length : 0));
            CHECK(stored.find_first_not_of("0123456789ABCDEF", length ? 4 : 0) == std::string::npos);
            CHECK(UnscramblePassword(stored) == p);
        }
    }
}

TEST_CASE("reading a connection back from its URL")
{
    struct Row {
        std::string url;
        bool ok;
        std::string user, host;
        int32_t port;
        std::string remotePath;
    };
    const Row rows[] = {
        {"sftp://alice@example.org:22/etc/hosts", true, "alice", "example.org", 22, "/etc/hosts"},
        {"sftp://u@h:0/p q", true, "u", "h", 22, "/p q"},
        {"sftp://u@h:-3/p", true, "u", "h", 22, "/p"},
        {"sftp://u@h:2222", true, "u", "h", 2222, ""},
        // A remote path typed without its leading "/" is not read back as typed.
        {"sftp://u@h:22etc/hosts", true, "u", "h", 22, "/hosts"},
        {"sftp://a@b@h:22/p", true, "a", "b@h", 22, "/p"},   // the first "@" ends the user
        {"sftp://@:22/p", true, "", "", 22, "/p"},
        {"sftp://u@h", false},
        {"sftp://u@h/x:22", false},
        {"SFTP://u@h:22/p", false},
        {"sftp:/u@h:22/p", false},
        {"sftp://uh:22/p", false},
        {"", false},
    };
    for (const Row& row : rows) {
        CAPTURE(row.url);
        SftpConnection c;
        c.keyPath = "kept";
        REQUIRE(ParseConnectionUrl(row.url, &c) == row.ok);
        CHECK(c.keyPath == "kept");
        if (!row.ok) {
            CHECK(c.host.empty());
            continue;
        }
        CHECK(c.user == row.user);
        CHECK(c.host == row.host);
        CHECK(c.port == row.port);
        CHECK(c.remotePath == row.remotePath);
    }
    // What FormatConnectionUrl writes, ParseConnectionUrl reads (for remote paths that
    // begin with "/", as the window's do).
    SftpConnection c = Connection("bob", "10.0.0.5", 2222, "/var/log/a b.log");
    SftpConnection back;
    REQUIRE(ParseConnectionUrl(FormatConnectionUrl(c), &back));
    CHECK(back.user == c.user);
    CHECK(back.host == c.host);
    CHECK(back.port == c.port);
    CHECK(back.remotePath == c.remotePath);
}
