#include <doctest/doctest.h>

#include <map>
#include <string>
#include <vector>

#include "sftp/password_scramble.h"
#include "sftp/sftp_profiles.h"

namespace {

SftpConnection Connection(const char* user, const char* host, int port, const char* password = "")
{
    SftpConnection c;
    c.user = user;
    c.host = host;
    c.port = port;
    c.password = password;
    c.remotePath = "/r";
    return c;
}

std::vector<std::string> Names(const std::vector<SftpProfile>& profiles)
{
    std::vector<std::string> names;
    for (const SftpProfile& p : profiles)
        names.push_back(p.name);
    return names;
}

// A settings section held in a map, read as GetPrivateProfile* reads it.
struct FakeSection {
    std::map<std::string, std::string> values;
    SettingsSection View() const
    {
        return {[this](const std::string& key) {
                    auto found = values.find(key);
                    return found == values.end() ? std::string() : found->second;
                },
                [this](const std::string& key, int defaultValue) {
                    auto found = values.find(key);
                    return found == values.end() ? defaultValue : std::atoi(found->second.c_str());
                }};
    }
    void Apply(const std::vector<SettingsWrite>& writes)
    {
        for (const SettingsWrite& w : writes) {
            if (w.remove)
                values.erase(w.key);
            else
                values[w.key] = w.value;
        }
    }
};

} // namespace

TEST_CASE("storing a connection: most recent first, at most 20")
{
    std::vector<SftpProfile> profiles;
    for (int i = 1; i <= 21; ++i)
        AddOrUpdateProfileInList(profiles, Connection(("u" + std::to_string(i)).c_str(), "h", 22), nullptr);
    REQUIRE(profiles.size() == 20);
    CHECK(profiles.front().name == "u21@h:22");
    CHECK(profiles.back().name == "u2@h:22");  // the least recently used one went

    // Using a stored connection again moves it to the front, the ones before it move back.
    AddOrUpdateProfileInList(profiles, Connection("u10", "h", 22), nullptr);
    CHECK(profiles[0].name == "u10@h:22");
    CHECK(profiles[1].name == "u21@h:22");
    CHECK(profiles.size() == 20);
    CHECK(FindProfileByName(profiles, "U10@H:22") == 0);
    CHECK(FindProfileByName(profiles, "u1@h:22") == -1);
}

TEST_CASE("storing a connection that matches a stored profile")
{
    std::vector<SftpProfile> profiles;
    AddOrUpdateProfileInList(profiles, Connection("alice", "example.org", 22, "old"), "Work");
    AddOrUpdateProfileInList(profiles, Connection("bob", "other", 2222, "b"), nullptr);

    SUBCASE("same host, port and user under another name keeps the stored name")
    {
        SftpConnection c = Connection("ALICE", "Example.org", 0);  // port 0 is 22
        c.remotePath = "/new";
        c.readOnly = false;
        AddOrUpdateProfileInList(profiles, c, nullptr);
        REQUIRE(profiles.size() == 2);
        CHECK(profiles[0].name == "Work");
        CHECK(profiles[0].user == "ALICE");
        CHECK(profiles[0].port == 22);
        CHECK(profiles[0].remotePath == "/new");
        CHECK_FALSE(profiles[0].readOnly);
        // An empty password keeps the stored one.
        CHECK(profiles[0].password == "old");
    }
    SUBCASE("a name differing only in case replaces the stored one")
    {
        AddOrUpdateProfileInList(profiles, Connection("carol", "elsewhere", 22, "new"), "WORK");
        REQUIRE(profiles.size() == 2);
        CHECK(profiles[0].name == "WORK");
        CHECK(profiles[0].host == "elsewhere");
        CHECK(profiles[0].password == "new");
    }
    SUBCASE("another port is another profile")
    {
        AddOrUpdateProfileInList(profiles, Connection("alice", "example.org", 23), nullptr);
        CHECK(Names(profiles) == std::vector<std::string>{"alice@example.org:23", "bob@other:2222", "Work"});
    }
}

TEST_CASE("loading [SFTPProfiles]")
{
    gSftpPasswordCache.clear();
    FakeSection s;
    s.values = {{"Count", "25"},
                {"Name1", ""}, {"Host1", "h1"}, {"User1", "u1"}, {"Port1", "0"}, {"Password1", ScramblePassword("p1")},
                {"Name2", "no host"}, {"User2", "u2"},
                {"Name3", ""}, {"Host3", "h3"},
                {"Name4", "Four"}, {"Host4", "h4"}, {"User4", "u4"}, {"Port4", "2200"}, {"ReadOnly4", "0"},
                {"KeyPath4", "C:\\k.ppk"}, {"RemotePath4", "/etc/hosts"}, {"Password4", "plain"}};
    for (int d = 5; d <= 25; ++d) {
        s.values["Host" + std::to_string(d)] = "h" + std::to_string(d);
        s.values["User" + std::to_string(d)] = "u";
    }
    std::vector<SftpProfile> profiles = LoadProfilesFromSection(s.View());
    // Entries 2 (no host) and 3 (no name, no user) are dropped; 21 to 25 lie past 20.
    REQUIRE(profiles.size() == 18);
    CHECK(profiles[0].name == "u1@h1:22");
    CHECK(profiles[0].port == 22);
    CHECK(profiles[0].password == "p1");
    CHECK(profiles[0].readOnly);
    CHECK(profiles[1].name == "Four");
    CHECK(profiles[1].port == 2200);
    CHECK_FALSE(profiles[1].readOnly);
    CHECK(profiles[1].keyPath == "C:\\k.ppk");
    CHECK(profiles[1].remotePath == "/etc/hosts");
    CHECK(profiles[1].password == "plain");
    CHECK(profiles.back().host == "h20");
    CHECK(gSftpPasswordCache.at("u1@h1:22") == "p1");
    CHECK(gSftpPasswordCache.at("u4@h4:2200") == "plain");

    for (const char* count : {"-3", "0", "junk"}) {
        s.values["Count"] = count;
        CHECK(LoadProfilesFromSection(s.View()).empty());
    }
    gSftpPasswordCache.clear();
}

TEST_CASE("the profile list round-trips through its section")
{
    std::vector<SftpProfile> profiles;
    SftpConnection c = Connection("tester", "127.0.0.1", 2222, std::string(255, 'p').c_str());
    c.keyPath = "C:\\keys\\a b.ppk";
    c.readOnly = false;
    AddOrUpdateProfileInList(profiles, c, "Local test");
    AddOrUpdateProfileInList(profiles, Connection("u", "h", 22), nullptr);

    FakeSection s;
    for (int d = 1; d <= 21; ++d)
        s.values["Name" + std::to_string(d)] = "stale";
    s.Apply(ProfileSectionWrites(profiles));
    CHECK(s.values["Count"] == "2");
    CHECK(s.values["Password1"] == "");
    // A long password's stored form is longer than 512 bytes; it must come back whole.
    CHECK(s.values["Password2"].size() == 4 + 2 * 255);
    CHECK(s.values.count("Name3") == 0);
    CHECK(s.values.count("Name20") == 0);
    CHECK(s.values["Name21"] == "stale");  // numbers above 20 are never touched

    std::vector<SftpProfile> back = LoadProfilesFromSection(s.View());
    REQUIRE(back.size() == 2);
    CHECK(back[1].name == "Local test");
    CHECK(back[1].password == std::string(255, 'p'));
    CHECK(back[1].keyPath == "C:\\keys\\a b.ppk");
    CHECK(back[1].port == 2222);
    CHECK_FALSE(back[1].readOnly);
    CHECK(back[0].name == "u@h:22");
    gSftpPasswordCache.clear();
}

TEST_CASE("the last connection becomes a profile only with a host and a user")
{
    gSftpPasswordCache.clear();
    FakeSection s;
    SftpProfile p;
    CHECK_FALSE(ProfileFromLastConnection(s.View(), &p));
    s.values = {{"Host", "h"}, {"Port", "-1"}, {"Password", ScramblePassword("pw")}};
    CHECK_FALSE(ProfileFromLastConnection(s.View(), &p));
    s.values["User"] = "u";
    s.values["ReadOnly"] = "0";
    REQUIRE(ProfileFromLastConnection(s.View(), &p));
    CHECK(p.name == "u@h:22");
    CHECK(p.port == 22);
    CHECK(p.password == "pw");
    CHECK_FALSE(p.readOnly);
    CHECK(gSftpPasswordCache.at("u@h:22") == "pw");
    gSftpPasswordCache.clear();
}
